// The window procedures: one handler per message, each turning what happened into a call of
// the form's handler through WindowManager::Call.
#include <windows.h>
// Needs the types of windows.h.
#include <windowsx.h>
// Needs the types of windows.h.
#include <commctrl.h>

#include "FormWindow.h"

namespace tk::win32 {
namespace {

std::int16_t MouseButtons(WPARAM keys) {
    int b = 0;
    if (keys & MK_LBUTTON) b |= 1;
    if (keys & MK_RBUTTON) b |= 2;
    if (keys & MK_MBUTTON) b |= 4;
    return static_cast<std::int16_t>(b);
}

std::int16_t MouseShift(WPARAM keys) {
    int s = 0;
    if (keys & MK_SHIFT) s |= kShiftMask;
    if (keys & MK_CONTROL) s |= kCtrlMask;
    if (GetKeyState(VK_MENU) < 0) s |= kAltMask;
    return static_cast<std::int16_t>(s);
}

}  // namespace

LRESULT CALLBACK FormWindow::FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->ready_ = false;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return self->Proc(msg, wParam, lParam);
}

LRESULT FormWindow::Proc(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    switch (msg) {
        case WM_COMMAND:
            return OnCommand(wParam, lParam);
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            return OnColor(msg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case DM_GETDEFID:
            // Lets the dialog manager draw the default button's frame.
            return defaultId_ >= 0 ? MAKELRESULT(kControlIdBase + defaultId_, DC_HASDEFID) : 0;
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0);
            return 0;
        case WM_SETFOCUS:
            OnActivate(true);
            return 0;
        case WM_SIZE:
            if (!ready_) return 0;
            if ((form_.Layout().flags & kSizable) && wParam != SIZE_MINIMIZED)
                FollowAnchors(LOWORD(lParam), HIWORD(lParam));
            manager_.Call([this] { form_.Form_Resize(); });
            return 0;
        case WM_GETMINMAXINFO:
            if (minSize_.cx > 0) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize = {minSize_.cx, minSize_.cy};
            }
            return 0;
        case WM_CONTEXTMENU:
            if (ShowContextMenu(reinterpret_cast<HWND>(wParam), lParam)) return 0;
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        case WM_MOUSEMOVE:
            if (ready_) {
                const int tpp = TwipsPerPixelX();
                const float x = static_cast<float>(GET_X_LPARAM(lParam) * tpp);
                const float y = static_cast<float>(GET_Y_LPARAM(lParam) * tpp);
                manager_.Call([this, wParam, x, y] {
                    form_.Form_MouseMove(MouseButtons(wParam), MouseShift(wParam), x, y);
                });
            }
            return 0;
        case WM_CLOSE:
            // The close box unloads the form; the unload destroys the window.
            if (manager_.onClose) manager_.Call([this] { manager_.onClose(form_); });
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) manager_.EndSession();
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT FormWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (lParam == 0 && code == 0) {
        const int menu = id - kMenuIdBase;
        if (menu >= 0 && static_cast<std::size_t>(menu) < form_.Layout().menus.size()) {
            manager_.Call([this, menu] { RunMenuHandler(form_, menu); });
        }
        return 0;
    }
    if (id == IDOK) {
        PressEnter();
        return 0;
    }
    if (id == IDCANCEL) {
        PressCancel();
        return 0;
    }
    const int control = id - kControlIdBase;
    if (Control(control) == nullptr) return 0;
    const Kind kind = form_.Layout().controls[control].kind;
    const bool button = kind == Kind::Button || kind == Kind::CheckBox;
    const bool list = kind == Kind::ListBox;
    if ((button && code == BN_CLICKED) || (list && code == LBN_SELCHANGE)) {
        // A list's click is a change of its selection by the user.
        manager_.Call([this, control] { RunControlHandler(form_, control, &ControlSpec::click); });
    } else if (list && code == LBN_DBLCLK) {
        manager_.Call(
            [this, control] { RunControlHandler(form_, control, &ControlSpec::dblClick); });
    } else if ((button && code == BN_SETFOCUS) || (list && code == LBN_SETFOCUS) ||
               (kind == Kind::TextBox && code == EN_SETFOCUS)) {
        manager_.Call(
            [this, control] { RunControlHandler(form_, control, &ControlSpec::gotFocus); });
        if (button) ShowFocusTip(control);
    } else if (button && code == BN_KILLFOCUS) {
        HideFocusTip();
    }
    return 0;
}

LRESULT FormWindow::OnColor(UINT msg, HDC dc, HWND control) {
    const int id = ControlIdOf(control);
    if (id >= 0 && (form_.Layout().controls[id].flags & kWindowColors)) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    return DefWindowProcW(hwnd_, msg, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(control));
}

void FormWindow::OnActivate(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) lastFocus_ = focus;
        return;
    }
    if (lastFocus_ != nullptr && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_) &&
        IsWindowEnabled(lastFocus_)) {
        ::SetFocus(lastFocus_);
        return;
    }
    if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) ::SetFocus(first);
}

LRESULT CALLBACK FormWindow::BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
        case WM_CONTEXTMENU:
            // The controls inside a box belong to the form.
            return SendMessageW(GetAncestor(hwnd, GA_ROOT), msg, wParam, lParam);
        case WM_ERASEBKGND: {
            const LONG_PTR color = GetWindowLongPtrW(hwnd, GWLP_USERDATA);
            if (color == 0) break;
            RECT r{};
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r,
                     GetSysColorBrush(static_cast<int>(color - 1)));
            return TRUE;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace tk::win32
