#include <windows.h>

#include <algorithm>

#include "../FormSlot.h"
#include "FormWindow.h"
#include "LateBound.h"
#include "Text.h"

namespace tk::win32 {
namespace {

std::int16_t ShiftState() {
    int s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= kShiftMask;
    if (GetKeyState(VK_CONTROL) < 0) s |= kCtrlMask;
    if (GetKeyState(VK_MENU) < 0) s |= kAltMask;
    return static_cast<std::int16_t>(s);
}

// The context-menu key and Shift+F10: not every system turns both into WM_CONTEXTMENU.
bool IsContextMenuKey(const MSG& msg) {
    return msg.wParam == VK_APPS || (msg.wParam == VK_F10 && ShiftState() == kShiftMask);
}

}  // namespace

WindowManager::WindowManager(HINSTANCE instance, std::wstring_view classPrefix)
    : instance_(instance),
      formClass_(std::wstring(classPrefix) + L"Form"),
      boxClass_(std::wstring(classPrefix) + L"Box"),
      chartClass_(std::wstring(classPrefix) + L"Chart"),
      hiddenClass_(std::wstring(classPrefix) + L"Hidden") {
    HDC screen = GetDC(nullptr);
    dpi_ = std::max(1, GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);

    bigIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    if (bigIcon_ == nullptr) bigIcon_ = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    if (smallIcon_ == nullptr) smallIcon_ = bigIcon_;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FormWindow::FormProc;
    wc.hInstance = instance;
    wc.hIcon = bigIcon_;
    wc.hIconSm = smallIcon_;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = formClass_.c_str();
    formAtom_ = RegisterClassExW(&wc);
    // A second manager in the same process finds the class already there.
    if (formAtom_ == 0) {
        WNDCLASSEXW existing{};
        existing.cbSize = sizeof existing;
        formAtom_ = static_cast<ATOM>(GetClassInfoExW(instance, formClass_.c_str(), &existing));
    }

    wc.lpfnWndProc = FormWindow::BoxProc;
    wc.hIcon = nullptr;
    wc.hIconSm = nullptr;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = boxClass_.c_str();
    RegisterClassExW(&wc);
    RegisterChartClass(wc);

    wc.lpfnWndProc = DefWindowProcW;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = hiddenClass_.c_str();
    RegisterClassExW(&wc);
    // Owns the forms without a task-bar button, and what the program puts on the clipboard.
    hidden_ = CreateWindowExW(0, hiddenClass_.c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              instance, nullptr);
}

void WindowManager::RegisterChartClass(WNDCLASSEXW wc) {
    // A chart scales to its size: any change of it repaints the whole.
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = FormWindow::ChartProc;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = chartClass_.c_str();
    RegisterClassExW(&wc);
}

WindowManager::~WindowManager() {
    if (hidden_) DestroyWindow(hidden_);
    for (auto& [key, font] : fonts_) DeleteObject(font);
    LeaveComApartment();
}

HFONT WindowManager::Font(const char* face, int hundredthsPt, bool bold) {
    const std::string name = face ? face : "MS Sans Serif";
    const std::string key = name + "|" + std::to_string(hundredthsPt) + (bold ? "|b" : "|n");
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    // A face that is not installed gets the nearest one from the system's font mapper,
    // which also knows the substitutes of the old dialog faces.
    const std::wstring chosen = Widen(name);
    HFONT font =
        CreateFontW(-MulDiv(hundredthsPt, dpi_, 7200), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                    FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, chosen.c_str());
    if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    fonts_[key] = font;
    return font;
}

std::unique_ptr<WindowPeer> WindowManager::CreatePeer(Form& form) {
    return std::make_unique<FormWindow>(*this, form);
}

FormWindow* WindowManager::FormOf(HWND hwnd) const {
    if (hwnd == nullptr) return nullptr;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    if (root == nullptr || GetClassWord(root, GCW_ATOM) != formAtom_) return nullptr;
    return reinterpret_cast<FormWindow*>(GetWindowLongPtrW(root, GWLP_USERDATA));
}

void WindowManager::Call(const std::function<void()>& handler) {
    ++running_;
    RunHandler("an event handler", handler);  // a failing handler leaves the program running
    --running_;
}

void WindowManager::RetireIfIdle() {
    // Only between handlers: a modal loop runs inside one, whose form must stay alive.
    if (running_ == 0) RetireUnloaded();
}

void WindowManager::Dispatch(MSG& msg) {
    FormWindow* w = FormOf(msg.hwnd);
    if (w != nullptr) {
        // Before the control sees the move, so that its tip hears it too.
        if (msg.message == WM_MOUSEMOVE) w->CreateToolTips();
        HWND root = w->Hwnd();
        const bool preview = w->KeyPreview();
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
            if (preview) {
                const auto key = static_cast<std::int16_t>(msg.wParam);
                const std::int16_t shift = ShiftState();
                Call([w, key, shift] { w->GetForm().Form_KeyDown(key, shift); });
                if (FormOf(root) != w) return;
            }
            if (IsContextMenuKey(msg) && w->ContextMenuKey(msg.hwnd)) return;
            // Enter and Esc go on as characters, handled below.
            if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
                return;
            }
        } else if (msg.message == WM_CHAR) {
            auto ch = static_cast<std::int16_t>(msg.wParam);
            if (preview) {
                Call([w, &ch] { w->GetForm().Form_KeyPress(ch); });
                if (FormOf(root) != w || ch == 0) return;
                msg.wParam = static_cast<std::uint16_t>(ch);
            }
            if (ch == '\r') {
                w->PressEnter();
                return;
            }
            if (ch == kKeyEscape) {
                w->PressCancel();
                return;
            }
            if (preview) {
                DispatchMessageW(&msg);
                return;
            }
        }
        if (IsDialogMessageW(root, &msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool WindowManager::MessageLoop(const std::function<bool()>& running) {
    while (running()) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (got < 0) return false;
        Dispatch(msg);
        RetireIfIdle();
    }
    return true;
}

BOOL CALLBACK WindowManager::DisableForm(HWND hwnd, LPARAM param) {
    auto* frame = reinterpret_cast<ModalFrame*>(param);
    if (hwnd == frame->form || !IsWindowEnabled(hwnd)) return TRUE;
    if (GetClassWord(hwnd, GCW_ATOM) == frame->formAtom) {
        EnableWindow(hwnd, FALSE);
        frame->disabled.push_back(hwnd);
    }
    return TRUE;
}

void WindowManager::RunModal(Form& form, const std::function<bool()>& done) {
    auto* w = dynamic_cast<FormWindow*>(&form.Peer());
    if (w == nullptr || w->Hwnd() == nullptr) return;
    HWND self = w->Hwnd();
    ModalFrame frame{self, GetActiveWindow(), formAtom_, {}, false};
    if (FormOf(frame.previous) == nullptr || frame.previous == self) frame.previous = nullptr;
    // Modal over the window that was active: it stays below and gets the focus back.
    if (frame.previous != nullptr)
        SetWindowLongPtrW(self, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(frame.previous));
    EnumThreadWindows(GetCurrentThreadId(), DisableForm, reinterpret_cast<LPARAM>(&frame));
    modal_.push_back(std::move(frame));
    // A form that an outer modal loop disabled (shown modeless before it) must take input now,
    // or no window would; it goes back to disabled when this loop ends.
    const bool wasDisabled = !IsWindowEnabled(self);
    EnableWindow(self, TRUE);
    if (IsWindowVisible(self)) SetForegroundWindow(self);

    MessageLoop([&done] { return !done(); });
    // The form may be gone: only the window handle is used from here on.
    if (wasDisabled && IsWindow(self)) EnableWindow(self, FALSE);
    ReleaseModal(self);
    modal_.erase(std::remove_if(modal_.begin(), modal_.end(),
                                [self](const ModalFrame& f) { return f.form == self; }),
                 modal_.end());
}

void WindowManager::ReleaseModal(HWND form) {
    for (ModalFrame& f : modal_) {
        if (f.form != form || f.released) continue;
        f.released = true;
        for (HWND hwnd : f.disabled) {
            if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
        }
        if (f.previous != nullptr && IsWindow(f.previous) && IsWindowVisible(f.previous) &&
            GetActiveWindow() == form) {
            SetActiveWindow(f.previous);
        }
    }
}

void WindowManager::EndSession() {
    if (ended_) return;
    ended_ = true;
    if (onEndSession) Call(onEndSession);
}

}  // namespace tk::win32
