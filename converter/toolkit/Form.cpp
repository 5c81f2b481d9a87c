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

}  // namespace tk
