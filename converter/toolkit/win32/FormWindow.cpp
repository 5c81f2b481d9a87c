#include "FormWindow.h"

#include <commctrl.h>
#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <numeric>

#include "Accessible.h"
#include "LateBound.h"
#include "Text.h"

namespace tk::win32 {
namespace {

std::wstring WindowText(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    if (n <= 0) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return text;
}

// The widest a tip grows before it wraps a line, in twips: lines break at their CR LF.
constexpr int kTipWidthTwips = 7200;
constexpr int kFocusTipGapPx = 2;  // between a control and the tip shown below it
// A context menu asked for from the keyboard opens this far inside the control's corner.
constexpr int kMenuInsetTwips = 120;

bool FocusFromKeyboard() {
    if (GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0) return false;
    for (int key : {VK_TAB, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN}) {
        if (GetKeyState(key) < 0) return true;
    }
    return false;
}

TOOLINFOW ToolInfo(HWND owner, UINT_PTR id) {
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = owner;
    ti.uId = id;
    return ti;
}

DWORD LabelStyle(std::uint32_t flags) {
    if (flags & kRightAlign) return SS_RIGHT;
    return (flags & kWordWrap) ? SS_LEFT : SS_LEFTNOWORDWRAP;
}

}  // namespace

FormWindow::FormWindow(WindowManager& manager, Form& form) : manager_(manager), form_(form) {
    const FormSpec& layout = form.Layout();
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (layout.flags & kMinimizeBox) style |= WS_MINIMIZEBOX;
    if (layout.flags & kSizable) style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    if (layout.flags & kDialogFrame) exStyle |= WS_EX_DLGMODALFRAME;

    HMENU menu = nullptr;
    if (!layout.menus.empty()) {
        menu = CreateMenu();
        for (std::size_t i = 0; i < layout.menus.size(); ++i) {
            AppendMenuW(menu, MF_STRING, kMenuIdBase + i, Widen(layout.menus[i].caption).c_str());
        }
    }
    RECT r{0, 0, manager.Px(layout.clientWidth), manager.Px(layout.clientHeight)};
    AdjustWindowRectEx(&r, style, menu != nullptr, exStyle);
    // Forms without a task-bar button are owned by the hidden window.
    HWND owner = (layout.flags & kShowInTaskbar) ? nullptr : manager.HiddenOwner();
    CreateWindowExW(exStyle, manager.FormClass(), Widen(layout.caption).c_str(), style,
                    CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, owner, menu,
                    manager.Instance(), this);
    if (hwnd_ == nullptr) {
        if (menu) DestroyMenu(menu);
        return;
    }
    FitClientArea();
    CreateControls();
    ready_ = true;
}

FormWindow::~FormWindow() { Destroy(); }

void FormWindow::FitClientArea() {
    const FormSpec& layout = form_.Layout();
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int dw = manager_.Px(layout.clientWidth) - client.right;
    const int dh = manager_.Px(layout.clientHeight) - client.bottom;
    RECT outer{};
    GetWindowRect(hwnd_, &outer);
    const SIZE fit{outer.right - outer.left + dw, outer.bottom - outer.top + dh};
    if (dw != 0 || dh != 0) {
        SetWindowPos(hwnd_, nullptr, 0, 0, fit.cx, fit.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (layout.flags & kSizable) minSize_ = fit;
}

void FormWindow::FollowAnchors(int width, int height) {
    const FormSpec& layout = form_.Layout();
    const int dw = width - manager_.Px(layout.clientWidth);
    const int dh = height - manager_.Px(layout.clientHeight);
    std::vector<std::pair<HWND, SIZE>> moves;
    for (std::size_t id = 0; id < layout.controls.size(); ++id) {
        const ControlSpec& c = layout.controls[id];
        HWND h = Control(static_cast<int>(id));
        if (h == nullptr || !(c.flags & (kAnchorRight | kAnchorBottom))) continue;
        const TwipsRect& r = c.rect;
        SIZE size{manager_.Px(r.left + r.width) - manager_.Px(r.left),
                  manager_.Px(r.top + r.height) - manager_.Px(r.top)};
        if (c.flags & kAnchorRight) size.cx = std::max(0, static_cast<int>(size.cx) + dw);
        if (c.flags & kAnchorBottom) size.cy = std::max(0, static_cast<int>(size.cy) + dh);
        moves.emplace_back(h, size);
    }
    if (moves.empty()) return;
    // All at once, so that no control paints at a size between the old and the new.
    HDWP batch = BeginDeferWindowPos(static_cast<int>(moves.size()));
    for (const auto& [h, size] : moves) {
        const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
        if (batch != nullptr)
            batch = DeferWindowPos(batch, h, nullptr, 0, 0, size.cx, size.cy, flags);
        if (batch == nullptr) SetWindowPos(h, nullptr, 0, 0, size.cx, size.cy, flags);
    }
    if (batch != nullptr) EndDeferWindowPos(batch);
}

void FormWindow::CreateControls() {
    const auto& layouts = form_.Layout().controls;
    controls_.assign(layouts.size(), nullptr);
    listOrder_.assign(layouts.size(), {});
    charts_.assign(layouts.size(), {});
    accessibleNames_.assign(layouts.size(), std::nullopt);
    // Creation order is the tab order.
    std::vector<int> order(layouts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return layouts[a].tabOrder < layouts[b].tabOrder; });
    for (int id : order) CreateControl(id, 0);
}

void FormWindow::CreateControl(int id, std::size_t depth) {
    if (controls_[id] != nullptr) return;
    const ControlSpec& c = form_.Layout().controls[id];
    HWND parent = hwnd_;
    // A container comes first; a table whose containers go round in a circle gets the form.
    if (c.parent >= 0 && static_cast<std::size_t>(c.parent) < controls_.size() &&
        depth < controls_.size()) {
        CreateControl(c.parent, depth + 1);
        if (controls_[id] != nullptr) return;  // made on the way round the circle
        if (controls_[c.parent] != nullptr) parent = controls_[c.parent];
    }
    const wchar_t* cls = L"STATIC";
    // Where controls overlap, the one above is never painted over by the one below.
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (!(c.flags & kOverlay) || !std::string_view(c.caption ? c.caption : "").empty())
        style |= WS_VISIBLE;
    DWORD exStyle = 0;
    const DWORD tabStop = (c.flags & kNoTabStop) ? 0 : WS_TABSTOP;
    switch (c.kind) {
        case Kind::Label:
            style |= SS_NOPREFIX | LabelStyle(c.flags);
            break;
        case Kind::Button:
            cls = L"BUTTON";
            style |=
                tabStop | BS_NOTIFY | ((c.flags & kDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            if (c.flags & kDefault) defaultId_ = id;
            if ((c.flags & kCancel) && cancelId_ < 0) cancelId_ = id;
            break;
        case Kind::CheckBox:
            cls = L"BUTTON";
            style |= tabStop | BS_NOTIFY | BS_AUTOCHECKBOX;
            break;
        case Kind::TextBox:
            cls = L"EDIT";
            style |= tabStop | ES_AUTOHSCROLL | ((c.flags & kReadOnly) ? ES_READONLY : 0);
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case Kind::ListBox:
            // Lines are placed by this peer (see ListAdd), never by the control.
            cls = L"LISTBOX";
            style |= tabStop | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case Kind::Picture:
            cls = manager_.BoxClass();
            style |= tabStop | WS_CLIPCHILDREN;
            exStyle |= WS_EX_CONTROLPARENT | ((c.flags & kBorderless) ? 0 : WS_EX_CLIENTEDGE);
            break;
        case Kind::Chart:
            cls = manager_.ChartClass();
            style |= tabStop;
            break;
    }
    const TwipsRect& r = c.rect;
    const int left = manager_.Px(r.left);
    const int top = manager_.Px(r.top);
    const int right = manager_.Px(r.left + r.width);
    const int bottom = manager_.Px(r.top + r.height);
    const std::wstring text = c.kind == Kind::ListBox ? L"" : Widen(c.caption ? c.caption : "");
    HWND h =
        CreateWindowExW(exStyle, cls, text.c_str(), style, left, top, right - left, bottom - top,
                        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + id)),
                        manager_.Instance(), nullptr);
    controls_[id] = h;
    if (h == nullptr) return;
    if (c.flags & kOverlay)
        SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    AnswerAccessibility(h, manager_);
    if (c.kind == Kind::Picture) {
        // The colour BoxProc paints the box with.
        const int color = (c.flags & kWindowColors) ? COLOR_WINDOW : COLOR_BTNFACE;
        SetWindowLongPtrW(h, GWLP_USERDATA, color + 1);
    }
    // ChartProc finds its form window here.
    if (c.kind == Kind::Chart)
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(c)), FALSE);
    if (c.kind == Kind::TextBox) {
        SendMessageW(h, EM_LIMITTEXT, static_cast<WPARAM>(std::max(c.maxLength, 0)), 0);
    }
}

HFONT FormWindow::FontOf(const ControlSpec& c) {
    const int size = c.fontHundredthsPt > 0 ? c.fontHundredthsPt : kDialogFontHundredthsPt;
    return manager_.Font(c.fontFace, size, (c.flags & kBold) != 0);
}

void FormWindow::CreateToolTips() {
    if (tipsCreated_ || hwnd_ == nullptr) return;
    tipsCreated_ = true;
    const auto& layouts = form_.Layout().controls;
    for (std::size_t id = 0; id < layouts.size(); ++id) {
        if (!(layouts[id].flags & kToolTip) || controls_[id] == nullptr) continue;
        if (mouseTips_ == nullptr && (mouseTips_ = CreateTipWindow()) == nullptr) return;
        TOOLINFOW ti = ToolInfo(hwnd_, reinterpret_cast<UINT_PTR>(controls_[id]));
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(mouseTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    if (mouseTips_ == nullptr || (focusTip_ = CreateTipWindow()) == nullptr) return;
    TOOLINFOW ti = ToolInfo(hwnd_, 0);
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    ti.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(focusTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

HWND FormWindow::CreateTipWindow() {
    // The tip class comes with the common controls' DLL, loaded only now.
    static const auto initCommonControls =
        LateFunction<decltype(&InitCommonControls)>(L"comctl32.dll", "InitCommonControls");
    if (initCommonControls == nullptr) return nullptr;
    initCommonControls();
    HWND tip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, manager_.Instance(), nullptr);
    if (tip != nullptr) SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, manager_.Px(kTipWidthTwips));
    return tip;
}

bool FormWindow::HasTip(int id) const {
    return Control(id) != nullptr && (form_.Layout().controls[id].flags & kToolTip) != 0;
}

std::wstring FormWindow::TipOf(int id) {
    if (!HasTip(id)) return {};
    std::string text;
    manager_.Call([this, id, &text] { text = form_.ToolTipText(id); });
    return Widen(text);
}

LRESULT FormWindow::OnNotify(NMHDR* header) {
    if (header == nullptr || header->hwndFrom != mouseTips_ || mouseTips_ == nullptr) return 0;
    if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        tipText_ = TipOf(ControlIdOf(reinterpret_cast<HWND>(header->idFrom)));
        info->hinst = nullptr;
        info->lpszText = tipText_.data();
    } else if (header->code == TTN_SHOW) {
        HideFocusTip();  // one tip at a time: the mouse's
    }
    return 0;
}

void FormWindow::ShowFocusTip(int id) {
    if (!HasTip(id) || !FocusFromKeyboard()) return;
    CreateToolTips();
    if (focusTip_ == nullptr) return;
    focusTipId_ = id;
    UpdateFocusTip();
}

void FormWindow::UpdateFocusTip() {
    HWND control = Control(focusTipId_);
    if (control == nullptr || focusTip_ == nullptr) return;
    std::wstring text = TipOf(focusTipId_);
    if (text.empty()) {
        HideFocusTip();
        return;
    }
    if (mouseTips_ != nullptr) SendMessageW(mouseTips_, TTM_POP, 0, 0);  // one tip at a time
    TOOLINFOW ti = ToolInfo(hwnd_, 0);
    ti.lpszText = text.data();
    SendMessageW(focusTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    RECT r{};
    GetWindowRect(control, &r);
    const auto x = static_cast<WORD>(r.left);
    const auto y = static_cast<WORD>(r.bottom + kFocusTipGapPx);
    SendMessageW(focusTip_, TTM_TRACKPOSITION, 0, MAKELPARAM(x, y));
    SendMessageW(focusTip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
}

void FormWindow::HideFocusTip() {
    if (focusTipId_ < 0) return;
    focusTipId_ = -1;
    if (focusTip_ == nullptr) return;
    TOOLINFOW ti = ToolInfo(hwnd_, 0);
    SendMessageW(focusTip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
}

void FormWindow::ToolTipsChanged() {
    if (focusTipId_ >= 0) {
        UpdateFocusTip();
        return;
    }
    if (mouseTips_ == nullptr || !IsWindowVisible(mouseTips_)) return;
    TOOLINFOW ti = ToolInfo(hwnd_, 0);
    if (SendMessageW(mouseTips_, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&ti))) {
        ti.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(mouseTips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void FormWindow::SetAccessibleName(int id, std::string_view name) {
    HWND h = Control(id);
    if (h == nullptr) return;
    std::wstring wide = Widen(name);
    if (accessibleNames_[id] == wide) return;
    accessibleNames_[id] = std::move(wide);
    AnnounceNameChange(h);
}

std::optional<std::wstring> FormWindow::NameOf(int id) const {
    if (Control(id) == nullptr) return std::nullopt;
    if (accessibleNames_[id]) return accessibleNames_[id];
    if (const char* name = form_.Layout().controls[id].accessibleName) return Widen(name);
    return std::nullopt;
}

std::optional<std::wstring> FormWindow::AccessibleText(const WindowManager& manager, HWND control,
                                                       Field field) {
    FormWindow* self = manager.FormOf(control);
    const int id = self != nullptr ? self->ControlIdOf(control) : -1;
    if (id < 0) return std::nullopt;
    if (field == Field::Name) return self->NameOf(id);
    if (!self->HasTip(id)) return std::nullopt;
    return self->TipOf(id);
}

bool FormWindow::HasAccessibleText(const WindowManager& manager, HWND control) {
    FormWindow* self = manager.FormOf(control);
    const int id = self != nullptr ? self->ControlIdOf(control) : -1;
    return id >= 0 &&
           (self->HasTip(id) || self->NameOf(id).has_value() || self->ChartControl(id) != nullptr);
}

long FormWindow::AccessibleRole(const WindowManager& manager, HWND control) {
    FormWindow* self = manager.FormOf(control);
    const int id = self != nullptr ? self->ControlIdOf(control) : -1;
    return id >= 0 && self->ChartControl(id) != nullptr ? ROLE_SYSTEM_CHART : 0;
}

void FormWindow::Destroy() {
    if (hwnd_ == nullptr) return;
    manager_.ReleaseModal(hwnd_);
    ready_ = false;
    focusTipId_ = -1;
    DestroyWindow(hwnd_);  // with the tips it owns
    hwnd_ = nullptr;
    mouseTips_ = nullptr;
    focusTip_ = nullptr;
    controls_.clear();
    listOrder_.clear();
    charts_.clear();
    accessibleNames_.clear();
    // Wakes a modal loop that waits for this form to go.
    PostMessageW(nullptr, WM_NULL, 0, 0);
}

HWND FormWindow::Control(int id) const {
    if (hwnd_ == nullptr || id < 0 || static_cast<std::size_t>(id) >= controls_.size()) {
        return nullptr;
    }
    return controls_[id];
}

HWND FormWindow::ListControl(int id) const {
    HWND h = Control(id);
    return h != nullptr && form_.Layout().controls[id].kind == Kind::ListBox ? h : nullptr;
}

int FormWindow::ControlIdOf(HWND control) const {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i] == control && control != nullptr) return static_cast<int>(i);
    }
    return -1;
}

void FormWindow::SetCaption(std::string_view text) {
    if (hwnd_) SetWindowTextW(hwnd_, Widen(text).c_str());
}

bool FormWindow::Visible() const {
    return hwnd_ != nullptr && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void FormWindow::SetVisible(bool visible) {
    if (hwnd_ == nullptr || visible == Visible()) return;
    if (visible) {
        if (!shownOnce_ && (form_.Layout().flags & kCenterOnOwner)) CenterOnActive();
        shownOnce_ = true;
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
    } else {
        manager_.ReleaseModal(hwnd_);
        ShowWindow(hwnd_, SW_HIDE);
        PostMessageW(nullptr, WM_NULL, 0, 0);
    }
}

void FormWindow::CenterOnActive() {
    RECT area{};
    HWND active = GetActiveWindow();
    FormWindow* owner = manager_.FormOf(active);
    if (owner != nullptr && owner != this && owner->Visible() && !IsIconic(active)) {
        GetWindowRect(active, &area);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT me{};
    GetWindowRect(hwnd_, &me);
    const int w = me.right - me.left;
    const int h = me.bottom - me.top;
    int x = area.left + (area.right - area.left - w) / 2;
    int y = area.top + (area.bottom - area.top - h) / 2;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - w));
    y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - h));
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int FormWindow::WindowState() const {
    return hwnd_ != nullptr && IsIconic(hwnd_) ? kStateMinimized : kStateNormal;
}

void FormWindow::SetWindowState(int state) {
    if (hwnd_ == nullptr || state == WindowState()) return;
    // The resize this causes reaches Form_Resize through WM_SIZE.
    ShowWindow(hwnd_, state == kStateMinimized ? SW_MINIMIZE : SW_RESTORE);
}

std::uint32_t FormWindow::Handle() const {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(hwnd_));
}

std::uint32_t FormWindow::IconHandle() const {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(manager_.SmallIcon()));
}

int FormWindow::TwipsPerPixelX() const { return std::max(1, 1440 / manager_.Dpi()); }

std::string FormWindow::Text(int id) const {
    HWND h = Control(id);
    if (h == nullptr) return {};
    if (form_.Layout().controls[id].kind == Kind::ListBox) return ListText(id, ListIndex(id));
    return Narrow(WindowText(h));
}

void FormWindow::SetText(int id, std::string_view text) {
    HWND h = Control(id);
    if (h == nullptr || form_.Layout().controls[id].kind == Kind::ListBox) return;
    SetWindowTextW(h, Widen(text).c_str());
    const ControlSpec& c = form_.Layout().controls[id];
    if (c.kind == Kind::TextBox) SendMessageW(h, EM_SETSEL, 0, 0);
    if (c.flags & kOverlay) ShowWindow(h, text.empty() ? SW_HIDE : SW_SHOWNA);
}

bool FormWindow::Enabled(int id) const {
    HWND h = Control(id);
    return h != nullptr && IsWindowEnabled(h);
}

void FormWindow::SetEnabled(int id, bool enabled) {
    if (HWND h = Control(id)) EnableWindow(h, enabled);
}

void FormWindow::SetDefaultButton(int id) {
    if (defaultId_ == id) return;
    if (HWND old = Control(defaultId_))
        SendMessageW(old, BM_SETSTYLE, BS_PUSHBUTTON | BS_NOTIFY, TRUE);
    HWND h = Control(id);
    const bool button = h != nullptr && form_.Layout().controls[id].kind == Kind::Button;
    defaultId_ = button ? id : -1;
    if (button) SendMessageW(h, BM_SETSTYLE, BS_DEFPUSHBUTTON | BS_NOTIFY, TRUE);
}

void FormWindow::SetFocus(int id) {
    if (HWND h = Control(id)) ::SetFocus(h);
}

void FormWindow::Refresh() {
    // Paints the window and every child with an update region, bypassing the queue.
    if (Visible()) UpdateWindow(hwnd_);
}

void FormWindow::SetSelection(int id, int start, int length) {
    HWND h = Control(id);
    if (h == nullptr || form_.Layout().controls[id].kind != Kind::TextBox) return;
    const int size = GetWindowTextLengthW(h);
    const int from = std::clamp(start, 0, size);
    const int to = from + std::clamp(length, 0, size - from);
    SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
}

int FormWindow::SelStart(int id) const {
    HWND h = Control(id);
    if (h == nullptr || form_.Layout().controls[id].kind != Kind::TextBox) return 0;
    DWORD from = 0, to = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return static_cast<int>(from);
}

int FormWindow::SelLength(int id) const {
    HWND h = Control(id);
    if (h == nullptr || form_.Layout().controls[id].kind != Kind::TextBox) return 0;
    DWORD from = 0, to = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return static_cast<int>(to - from);
}

int FormWindow::Value(int id) const {
    HWND h = Control(id);
    if (h == nullptr || form_.Layout().controls[id].kind != Kind::CheckBox) return 0;
    return SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void FormWindow::SetValue(int id, int value) {
    HWND h = Control(id);
    if (h == nullptr || form_.Layout().controls[id].kind != Kind::CheckBox) return;
    SendMessageW(h, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool FormWindow::ValidLine(int id, int pos) const {
    return ListControl(id) != nullptr && pos >= 0 &&
           static_cast<std::size_t>(pos) < listOrder_[id].size();
}

int FormWindow::ListAdd(int id, std::string_view text) {
    HWND h = ListControl(id);
    if (h == nullptr) return -1;
    const bool sorted = (form_.Layout().controls[id].flags & kSorted) != 0;
    const std::size_t pos = listOrder_[id].Add(text, sorted);
    const LRESULT got =
        SendMessageW(h, LB_INSERTSTRING, pos, reinterpret_cast<LPARAM>(Widen(text).c_str()));
    if (got < 0) {
        listOrder_[id].Remove(pos);
        return -1;
    }
    return static_cast<int>(pos);
}

int FormWindow::ListCount(int id) const {
    return ListControl(id) != nullptr ? static_cast<int>(listOrder_[id].size()) : 0;
}

std::string FormWindow::ListText(int id, int pos) const {
    if (!ValidLine(id, pos)) return {};
    HWND h = controls_[id];
    const LRESULT n = SendMessageW(h, LB_GETTEXTLEN, static_cast<WPARAM>(pos), 0);
    if (n <= 0) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const LRESULT got = SendMessageW(h, LB_GETTEXT, static_cast<WPARAM>(pos),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return Narrow(text);
}

void FormWindow::ListSetText(int id, int pos, std::string_view text) {
    if (!ValidLine(id, pos)) return;
    HWND h = controls_[id];
    const LRESULT data = SendMessageW(h, LB_GETITEMDATA, static_cast<WPARAM>(pos), 0);
    const bool selected = SendMessageW(h, LB_GETCURSEL, 0, 0) == pos;
    SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    SendMessageW(h, LB_DELETESTRING, static_cast<WPARAM>(pos), 0);
    SendMessageW(h, LB_INSERTSTRING, static_cast<WPARAM>(pos),
                 reinterpret_cast<LPARAM>(Widen(text).c_str()));
    SendMessageW(h, LB_SETITEMDATA, static_cast<WPARAM>(pos), data);
    if (selected) SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(pos), 0);
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(h, nullptr, TRUE);
    listOrder_[id].Rewrite(static_cast<std::size_t>(pos), text);
}

std::int32_t FormWindow::ItemData(int id, int pos) const {
    if (!ValidLine(id, pos)) return 0;
    return static_cast<std::int32_t>(
        SendMessageW(controls_[id], LB_GETITEMDATA, static_cast<WPARAM>(pos), 0));
}

void FormWindow::SetItemData(int id, int pos, std::int32_t data) {
    if (!ValidLine(id, pos)) return;
    SendMessageW(controls_[id], LB_SETITEMDATA, static_cast<WPARAM>(pos),
                 static_cast<LPARAM>(data));
}

int FormWindow::ListIndex(int id) const {
    HWND h = ListControl(id);
    if (h == nullptr) return -1;
    const LRESULT sel = SendMessageW(h, LB_GETCURSEL, 0, 0);
    return sel < 0 ? -1 : static_cast<int>(sel);
}

void FormWindow::SetListIndex(int id, int pos) {
    HWND h = ListControl(id);
    if (h == nullptr) return;
    SendMessageW(h, LB_SETCURSEL,
                 ValidLine(id, pos) ? static_cast<WPARAM>(pos) : static_cast<WPARAM>(-1), 0);
}

void FormWindow::ListRemove(int id, int pos) {
    if (!ValidLine(id, pos)) return;
    SendMessageW(controls_[id], LB_DELETESTRING, static_cast<WPARAM>(pos), 0);
    listOrder_[id].Remove(static_cast<std::size_t>(pos));
}

std::vector<ListLine> FormWindow::ListLines(int id) const {
    std::vector<ListLine> lines;
    if (ListControl(id) == nullptr) return lines;
    const int count = ListCount(id);
    lines.reserve(static_cast<std::size_t>(count));
    for (int pos = 0; pos < count; ++pos) lines.push_back({ListText(id, pos), ItemData(id, pos)});
    return lines;
}

void FormWindow::ListSetLines(int id, std::vector<ListLine> lines, int selected) {
    HWND h = ListControl(id);
    if (h == nullptr) return;
    std::vector<std::wstring> texts;
    texts.reserve(lines.size());
    std::size_t bytes = 0;
    for (const ListLine& line : lines) {
        texts.push_back(Widen(line.text));
        bytes += (texts.back().size() + 1) * sizeof(wchar_t);
    }
    // The line at the top of the view, to put back there.
    const LRESULT top = SendMessageW(h, LB_GETTOPINDEX, 0, 0);
    const std::optional<ListLine> topLine =
        ValidLine(id, static_cast<int>(top))
            ? std::optional<ListLine>(
                  {ListText(id, static_cast<int>(top)), ItemData(id, static_cast<int>(top))})
            : std::nullopt;
    SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    SendMessageW(h, LB_RESETCONTENT, 0, 0);
    SendMessageW(h, LB_INITSTORAGE, lines.size(), static_cast<LPARAM>(bytes));
    listOrder_[id].Clear();
    for (std::size_t pos = 0; pos < lines.size(); ++pos) {
        const LRESULT got = SendMessageW(h, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(texts[pos].c_str()));
        if (got < 0) {  // out of memory: the list holds what fitted
            lines.resize(pos);
            break;
        }
        SendMessageW(h, LB_SETITEMDATA, static_cast<WPARAM>(got),
                     static_cast<LPARAM>(lines[pos].data));
    }
    listOrder_[id].Assign(lines);
    SendMessageW(h, LB_SETCURSEL,
                 ValidLine(id, selected) ? static_cast<WPARAM>(selected) : static_cast<WPARAM>(-1),
                 0);
    if (topLine) {
        const auto same = std::find_if(lines.begin(), lines.end(), [&](const ListLine& line) {
            return line.data == topLine->data && line.text == topLine->text;
        });
        if (same != lines.end())
            SendMessageW(h, LB_SETTOPINDEX, static_cast<WPARAM>(same - lines.begin()), 0);
    }
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(h, nullptr, TRUE);
}

void FormWindow::PressButton(int id) {
    HWND h = Control(id);
    if (h == nullptr || !IsWindowEnabled(h) || !IsWindowVisible(h)) return;
    manager_.Call([this, id] { RunControlHandler(form_, id, &ControlSpec::click); });
}

void FormWindow::PressEnter() {
    HWND focus = GetFocus();
    const int focused = ControlIdOf(focus);
    if (focused >= 0 && form_.Layout().controls[focused].kind == Kind::Button) {
        PressButton(focused);
    } else if (defaultId_ >= 0) {
        PressButton(defaultId_);
    }
}

void FormWindow::PressCancel() {
    if (cancelId_ >= 0) PressButton(cancelId_);
}

bool FormWindow::ShowContextMenu(HWND control, LPARAM at) {
    const int id = ControlIdOf(control);
    if (id < 0) return false;
    const std::span<const MenuSpec> items = form_.Layout().controls[id].contextMenu;
    if (items.empty()) return false;
    POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (p.x == -1 && p.y == -1) {
        RECT r{};
        GetWindowRect(control, &r);
        const int inset = manager_.Px(kMenuInsetTwips);
        p = {r.left + std::min(inset, static_cast<int>(r.right - r.left) / 2),
             r.top + std::min(inset, static_cast<int>(r.bottom - r.top) / 2)};
    }
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return true;
    for (std::size_t i = 0; i < items.size(); ++i) {
        AppendMenuW(menu, MF_STRING, i + 1,
                    Widen(items[i].caption ? items[i].caption : "").c_str());
    }
    const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, p.x,
                                       p.y, 0, hwnd_, nullptr);
    DestroyMenu(menu);
    if (chosen > 0) {
        const int item = chosen - 1;
        manager_.Call([this, id, item] { RunContextMenuHandler(form_, id, item); });
    }
    return true;
}

bool FormWindow::ContextMenuKey(HWND focus) { return ShowContextMenu(focus, MAKELPARAM(-1, -1)); }

}  // namespace tk::win32
