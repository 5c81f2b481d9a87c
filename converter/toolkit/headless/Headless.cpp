#include "Headless.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "../FormSlot.h"
#include "DateText.h"

namespace tk::headless {
namespace {

// The key code a character's key sends.
std::int16_t KeyCodeOf(char c) {
    if (c >= 'a' && c <= 'z') return static_cast<std::int16_t>(c - 'a' + 'A');
    if (c == '.') return kKeyPeriod;
    if (c == ',') return kKeyComma;
    return static_cast<std::int16_t>(static_cast<unsigned char>(c));
}

}  // namespace

Window::Window(Form& f, std::uint32_t h) : form(f), handle(h) {
    const FormSpec& layout = f.Layout();
    caption = layout.caption;
    controls.resize(layout.controls.size());
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        if (layout.controls[i].kind != Kind::ListBox) controls[i].text = layout.controls[i].caption;
        if (layout.controls[i].flags & kDefault) defaultButton = static_cast<int>(i);
        if (const char* name = layout.controls[i].accessibleName) controls[i].accessibleName = name;
        controls[i].rect = layout.controls[i].rect;
    }
    clientWidth = layout.clientWidth;
    clientHeight = layout.clientHeight;
}

ControlState* Window::At(int id) {
    if (destroyed || id < 0 || static_cast<std::size_t>(id) >= controls.size()) return nullptr;
    return &controls[id];
}

const ControlState* Window::At(int id) const { return const_cast<Window*>(this)->At(id); }

bool Window::ValidLine(int id, int pos) const {
    const ControlState* c = At(id);
    return c != nullptr && pos >= 0 && static_cast<std::size_t>(pos) < c->lines.size();
}

void Window::SetVisible(bool v) {
    if (!destroyed) visible = v;
}

void Window::SetWindowState(int s) {
    if (destroyed || s == state) return;
    state = s;
    form.Form_Resize();
}

std::string Window::Text(int id) const {
    const ControlState* c = At(id);
    if (c == nullptr) return {};
    if (form.Layout().controls[id].kind == Kind::ListBox) return ListText(id, c->listIndex);
    return c->text;
}

void Window::SetText(int id, std::string_view text) {
    if (ControlState* c = At(id)) {
        c->text = text;
        c->selStart = 0;
        c->selLength = 0;
    }
}

bool Window::Enabled(int id) const {
    const ControlState* c = At(id);
    return c != nullptr && c->enabled;
}

void Window::SetEnabled(int id, bool enabled) {
    if (ControlState* c = At(id)) c->enabled = enabled;
}

void Window::SetFocus(int id) {
    if (At(id) == nullptr) return;
    focus = id;
    RunControlHandler(form, id, &ControlSpec::gotFocus);
}

void Window::SetAccessibleName(int id, std::string_view name) {
    ControlState* c = At(id);
    if (c == nullptr || c->accessibleName == name) return;
    c->accessibleName = name;
    ++c->nameChanges;
}

std::string Window::AccessibleName(int id) const {
    const ControlState* c = At(id);
    if (c == nullptr) return {};
    return c->accessibleName.empty() ? Text(id) : c->accessibleName;
}

std::string Window::ToolTip(int id) const {
    if (At(id) == nullptr || !(form.Layout().controls[id].flags & kToolTip)) return {};
    return form.ToolTipText(id);
}

void Window::SetSelection(int id, int start, int length) {
    if (ControlState* c = At(id)) {
        const int size = static_cast<int>(c->text.size());
        c->selStart = std::clamp(start, 0, size);
        c->selLength = std::clamp(length, 0, size - c->selStart);
    }
}

int Window::SelStart(int id) const {
    const ControlState* c = At(id);
    return c ? c->selStart : 0;
}

int Window::SelLength(int id) const {
    const ControlState* c = At(id);
    return c ? c->selLength : 0;
}

int Window::Value(int id) const {
    const ControlState* c = At(id);
    return c ? c->value : 0;
}

void Window::SetValue(int id, int value) {
    if (ControlState* c = At(id)) c->value = value;
}

int Window::ListAdd(int id, std::string_view text) {
    ControlState* c = At(id);
    if (c == nullptr) return -1;
    const std::size_t pos = c->order.Add(text, (form.Layout().controls[id].flags & kSorted) != 0);
    c->lines.insert(c->lines.begin() + static_cast<std::ptrdiff_t>(pos),
                    ListLine{std::string(text)});
    if (c->listIndex >= static_cast<int>(pos)) ++c->listIndex;
    return static_cast<int>(pos);
}

int Window::ListCount(int id) const {
    const ControlState* c = At(id);
    return c ? static_cast<int>(c->lines.size()) : 0;
}

std::string Window::ListText(int id, int pos) const {
    return ValidLine(id, pos) ? At(id)->lines[pos].text : std::string();
}

void Window::ListSetText(int id, int pos, std::string_view text) {
    if (!ValidLine(id, pos)) return;
    At(id)->lines[pos].text = text;
    At(id)->order.Rewrite(static_cast<std::size_t>(pos), text);
}

std::int32_t Window::ItemData(int id, int pos) const {
    return ValidLine(id, pos) ? At(id)->lines[pos].data : 0;
}

void Window::SetItemData(int id, int pos, std::int32_t data) {
    if (ValidLine(id, pos)) At(id)->lines[pos].data = data;
}

int Window::ListIndex(int id) const {
    const ControlState* c = At(id);
    return c ? c->listIndex : -1;
}

void Window::SetListIndex(int id, int pos) {
    if (ControlState* c = At(id)) c->listIndex = ValidLine(id, pos) ? pos : -1;
}

void Window::ListRemove(int id, int pos) {
    if (!ValidLine(id, pos)) return;
    ControlState* c = At(id);
    c->lines.erase(c->lines.begin() + pos);
    c->order.Remove(static_cast<std::size_t>(pos));
    if (c->listIndex == pos) {
        c->listIndex = -1;
    } else if (c->listIndex > pos) {
        --c->listIndex;
    }
}

std::vector<ListLine> Window::ListLines(int id) const {
    const ControlState* c = At(id);
    return c ? c->lines : std::vector<ListLine>{};
}

void Window::ListSetLines(int id, std::vector<ListLine> lines, int selected) {
    ControlState* c = At(id);
    if (c == nullptr) return;
    c->lines = std::move(lines);
    c->order.Assign(c->lines);
    c->listIndex = selected >= 0 && selected < static_cast<int>(c->lines.size()) ? selected : -1;
}

void Window::SetChart(int id, ChartData data) {
    ControlState* c = At(id);
    if (c == nullptr || form.Layout().controls[id].kind != Kind::Chart) return;
    c->chart = std::move(data);
    c->chartCursor = static_cast<int>(c->chart.points.size()) - 1;
}

int Window::ChartCursor(int id) const {
    const ControlState* c = At(id);
    return c ? c->chartCursor : -1;
}

void Window::SetChartCursor(int id, int point) {
    ControlState* c = At(id);
    if (c == nullptr) return;
    const bool inside = point >= 0 && static_cast<std::size_t>(point) < c->chart.points.size();
    c->chartCursor = inside ? point : -1;
}

void Window::Resize(int width, int height) {
    const FormSpec& layout = form.Layout();
    if (destroyed || !(layout.flags & kSizable)) return;
    clientWidth = std::max(width, layout.clientWidth);
    clientHeight = std::max(height, layout.clientHeight);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlSpec& c = layout.controls[i];
        if (c.flags & kAnchorRight)
            controls[i].rect.width = c.rect.width + clientWidth - layout.clientWidth;
        if (c.flags & kAnchorBottom) {
            controls[i].rect.height = c.rect.height + clientHeight - layout.clientHeight;
        }
    }
    form.Form_Resize();
}

Platform::Platform() {
    ServiceSet mine;
    mine.windows = this;
    mine.msgbox = this;
    mine.clipboard = this;
    mine.sound = this;
    mine.regional = this;
    mine.settings = &settings;
    mine.shell = this;
    mine.app = this;
    mine.http = this;
    mine.clock = this;
#ifdef PECUN_HAVE_EXPAT
    mine.xml = &xmlReader_;
#endif
    previous_ = Install(mine);
}

Platform::~Platform() {
    RetireUnloaded();
    Install(previous_);
}

std::unique_ptr<WindowPeer> Platform::CreatePeer(Form& form) {
    return std::make_unique<Window>(form, nextHandle_++);
}

void Platform::RunModal(Form& form, const std::function<bool()>& done) {
    const std::string name = form.Layout().name;
    modalForms.push_back(name);
    // Meanwhile only the modal form takes input.
    modalStack_.push_back(&form);
    if (onModal) RunHandler("the scripted user of " + name, [&] { onModal(form); });
    modalStack_.pop_back();
    // The scripted user stands for the real one, who closes the dialog before anything goes on.
    if (!done()) Report(name + " was shown modally and left open by the scripted user");
    if (running_ == 0) RetireUnloaded();
}

void Platform::RunEvent(std::string_view what, const std::function<void()>& handler) {
    ++running_;
    RunHandler(what, handler);
    --running_;
    if (running_ == 0) RetireUnloaded();
}

MsgBoxResult Platform::MsgBox(std::string_view prompt, MsgBoxFlags flags, std::string_view title) {
    msgboxes.push_back({std::string(prompt), flags, std::string(title)});
    if (answers.empty()) return defaultAnswer;
    const MsgBoxResult answer = answers.front();
    answers.pop_front();
    return answer;
}

void Platform::Clear() {
    clipboard.clear();
    clipboardHasText = false;
}

void Platform::SetText(std::string_view text) {
    clipboard = text;
    clipboardHasText = true;
}

std::string Platform::ShortDate(int year, int month, int day) {
    return FormatDate(shortDatePattern, Date{year, month, day});
}

std::string Platform::LongTime(int hour, int minute, int second) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour % 12 == 0 ? 12 : hour % 12, minute,
                  second, hour < 12 ? "AM" : "PM");
    return text;
}

void Platform::ShellExecute(std::string_view verb, std::string_view file,
                            std::string_view parameters, std::string_view directory,
                            ShowCommand show) {
    shellCalls.push_back({std::string(verb), std::string(file), std::string(parameters),
                          std::string(directory), show});
}

bool Platform::NotifyIcon(NotifyIconMessage message, const NotifyIconData& icon) {
    notifyMessages.push_back(message);
    const auto key = std::make_pair(icon.window, icon.id);
    if (message == NotifyIconMessage::Add) return icons.insert(key).second;
    if (message == NotifyIconMessage::Delete) return icons.erase(key) != 0;
    return icons.count(key) != 0;
}

std::optional<LocalTime> Platform::ReadDateTime(std::string_view text) {
    const std::optional<Date> date = ParseDate(shortDatePattern, text);
    if (!date) return std::nullopt;
    LocalTime result{date->year, date->month, date->day, 0, 0, 0};
    // The time LongTime wrote, when it follows the date.
    const std::size_t blank = text.find(' ', text.find_first_not_of(' '));
    if (blank != std::string_view::npos) {
        const std::string rest(text.substr(blank + 1));
        int h = 0, m = 0, sec = 0;
        char half[3] = {};
        if (std::sscanf(rest.c_str(), "%d:%d:%d %2s", &h, &m, &sec, half) == 4 && h >= 1 &&
            h <= 12) {
            result.hour = h % 12 + (half[0] == 'P' ? 12 : 0);
            result.minute = m;
            result.second = sec;
        }
    }
    return result;
}

bool Platform::Fetch(std::string_view url, int timeLimitMs, std::string& body) {
    fetches.push_back({std::string(url), timeLimitMs});
    const auto cost = httpCostMs.find(std::string(url));
    const int took = cost == httpCostMs.end() ? 0 : cost->second;
    ticks += static_cast<std::uint64_t>(std::min(took, timeLimitMs));
    if (took >= timeLimitMs) return false;
    auto it = httpBodies.find(std::string(url));
    if (it == httpBodies.end()) return false;
    body = it->second;
    return true;
}

std::int16_t Platform::Deliver(Form& form, std::int16_t keyCode, std::int16_t shift,
                               std::int16_t ch) {
    if (Blocked(form)) return 0;
    RunEvent("a key handler", [&] {
        form.Form_KeyDown(keyCode, shift);
        if (ch != 0) form.Form_KeyPress(ch);
    });
    return ch;
}

void Platform::Type(Form& form, std::string_view keys) {
    for (char c : keys) {
        if (c == '\r') {
            Enter(form);
        } else {
            Deliver(form, KeyCodeOf(c), 0, static_cast<unsigned char>(c));
        }
    }
}

void Platform::Ctrl(Form& form, char letter) {
    const std::int16_t code = KeyCodeOf(letter);
    Deliver(form, code, kCtrlMask, static_cast<std::int16_t>(code - 'A' + 1));
}

void Platform::Click(Form& form, int control) {
    Window& w = PeerOf(form);
    if (w.destroyed || Blocked(form) || !w.Enabled(control)) return;
    RunEvent("a click handler", [&] { RunControlHandler(form, control, &ControlSpec::click); });
}

void Platform::DblClick(Form& form, int control) {
    Window& w = PeerOf(form);
    if (w.destroyed || Blocked(form) || !w.Enabled(control)) return;
    RunEvent("a double-click handler",
             [&] { RunControlHandler(form, control, &ControlSpec::dblClick); });
}

void Platform::Enter(Form& form) {
    // A form that previews keys sees Enter first and may swallow it.
    if ((form.Layout().flags & kKeyPreview) && Deliver(form, kKeyEnter, 0, kKeyEnter) == 0) return;
    const Window& w = PeerOf(form);
    const auto& controls = form.Layout().controls;
    const bool focusOnButton = w.focus >= 0 &&
                               static_cast<std::size_t>(w.focus) < controls.size() &&
                               controls[static_cast<std::size_t>(w.focus)].kind == Kind::Button;
    Click(form, focusOnButton ? w.focus : w.defaultButton);
}

void Platform::Escape(Form& form) {
    const auto& controls = form.Layout().controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].kind == Kind::Button && (controls[i].flags & kCancel)) {
            Click(form, static_cast<int>(i));
            return;
        }
    }
}

void Platform::Menu(Form& form, int menu) {
    if (Blocked(form)) return;
    RunEvent("a menu handler", [&] { RunMenuHandler(form, menu); });
}

void Platform::Key(Form& form, std::int16_t keyCode, std::int16_t shift) {
    if (form.Layout().flags & kKeyPreview) Deliver(form, keyCode, shift, 0);
}

void Platform::ContextMenu(Form& form, int control, int item) {
    Window& w = PeerOf(form);
    if (w.destroyed || Blocked(form) || !w.Enabled(control)) return;
    RunEvent("a context menu handler", [&] { RunContextMenuHandler(form, control, item); });
}

void Platform::PointChart(Form& form, int control, int point) {
    Window& w = PeerOf(form);
    if (w.destroyed || Blocked(form) || !w.Enabled(control)) return;
    const int before = w.ChartCursor(control);
    w.SetChartCursor(control, point);
    if (w.ChartCursor(control) == before) return;
    RunEvent("a chart handler", [&] { RunControlHandler(form, control, &ControlSpec::click); });
}

bool Platform::Blocked(const Form& form) const {
    return !modalStack_.empty() && modalStack_.back() != &form;
}

Window& Platform::PeerOf(const Form& form) { return static_cast<Window&>(form.Peer()); }

}  // namespace tk::headless
