#include "Form.h"

namespace tk {

Form::~Form() {
    if (peer_) peer_->Destroy();
}

void Form::AttachPeer(std::unique_ptr<WindowPeer> peer) {
    peer_ = std::move(peer);
    tags_.assign(Layout().controls.size(), std::string());
}

std::string Form::Text(int id) const { return peer_ ? peer_->Text(id) : std::string(); }

void Form::SetText(int id, std::string_view text) {
    if (peer_) peer_->SetText(id, text);
}

const std::string& Form::Tag(int id) const {
    static const std::string empty;
    return id >= 0 && static_cast<std::size_t>(id) < tags_.size() ? tags_[id] : empty;
}

void Form::SetTag(int id, std::string text) {
    if (id >= 0 && static_cast<std::size_t>(id) < tags_.size()) tags_[id] = std::move(text);
}

void RunControlHandler(Form& form, int id, EventHandler ControlSpec::*event) {
    const std::span<const ControlSpec> controls = form.Layout().controls;
    if (id < 0 || static_cast<std::size_t>(id) >= controls.size()) return;
    const ControlSpec& row = controls[static_cast<std::size_t>(id)];
    if (const EventHandler handler = row.*event) handler(form, row.index);
}

void RunMenuHandler(Form& form, int menu) {
    const std::span<const MenuSpec> menus = form.Layout().menus;
    if (menu < 0 || static_cast<std::size_t>(menu) >= menus.size()) return;
    if (const EventHandler handler = menus[static_cast<std::size_t>(menu)].click) handler(form, -1);
}

void RunContextMenuHandler(Form& form, int id, int item) {
    const std::span<const ControlSpec> controls = form.Layout().controls;
    if (id < 0 || static_cast<std::size_t>(id) >= controls.size()) return;
    const ControlSpec& row = controls[static_cast<std::size_t>(id)];
    if (item < 0 || static_cast<std::size_t>(item) >= row.contextMenu.size()) return;
    if (const EventHandler handler = row.contextMenu[static_cast<std::size_t>(item)].click) {
        handler(form, row.index);
    }
}

}  // namespace tk
