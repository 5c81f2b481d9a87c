// A small driver for the running converter, used by run.sh: each argument is one step, run
// in order; every wait has a deadline. Exits 1 at the first step that fails.
//   start           wait for the main window, answering No to a first-run question
//   yes             wait for the first-run question and answer Yes
//   update:TEXT     wait until the update dialog's status shows TEXT ("\n" for a line break)
//   closeupdate     press the update dialog's Close and wait until it is gone
//   main            wait for the main window
//   print:NAME      print the text of the main window's control NAME (lblVal, lblCur,
//                   lblOp)
//   rect            print the main window's place, with a tip on screen beside it, as
//                   WIDTHxHEIGHT+LEFT+TOP
//   keys:TEXT       type TEXT into the main window
//   amount:DIGITS   type DIGITS and wait until the amount shows them (keys go through the
//                   input queue, so a click posted at once could overtake them)
//   click:CAPTION   press the main window's button with that caption
//   expect:NAME=TEXT  wait until the main window's control NAME shows TEXT
//   hover:CAPTION   move the mouse onto the main window's button with that caption and wait
//                   for its tip; print the tip
//   history:CAPTION open the history of the main window's button with that caption from its
//                   context menu and wait for its line to read a day, a failure or no
//                   history; print the line
//   historyrect     print the history window's place as WIDTHxHEIGHT+LEFT+TOP
//   close           close the main window
#include <windows.h>

#include <chrono>
#include <string_view>
#include <cstdio>
#include <string>
#include <thread>

#include "frmHistory.h"
#include "frmMain.h"
#include "frmUpdate.h"
#include "toolkit/win32/Win32.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
bool WaitFor(F done, std::chrono::milliseconds limit = std::chrono::seconds(15)) {
    const auto end = Clock::now() + limit;
    for (;;) {
        if (done()) return true;
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::wstring Wide(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::wstring TextOf(HWND h) {
    wchar_t buffer[512] = {};
    SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return buffer;
}

HWND MainWindow() {
    HWND h = FindWindowW(L"PecunForm", L"Pecunor");
    return h != nullptr && IsWindowVisible(h) ? h : nullptr;
}

// A tip window of the program of `main` on screen, with its text; nullptr if none.
HWND VisibleTip(HWND main) {
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    for (HWND h = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); h != nullptr;
         h = FindWindowExW(nullptr, h, L"tooltips_class32", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid && IsWindowVisible(h) && !TextOf(h).empty()) return h;
    }
    return nullptr;
}

// The history window on screen, whatever pair it shows.
HWND HistoryWindow() {
    for (HWND h = FindWindowExW(nullptr, nullptr, L"PecunForm", nullptr); h != nullptr;
         h = FindWindowExW(nullptr, h, L"PecunForm", nullptr)) {
        if (IsWindowVisible(h) && TextOf(h).ends_with(L", last 90 days")) return h;
    }
    return nullptr;
}

HWND UpdateDialog() {
    HWND h = FindWindowW(L"PecunForm", L"Update");
    return h != nullptr && IsWindowVisible(h) ? h : nullptr;
}

struct Search {
    std::wstring caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindCaption(HWND h, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    if (TextOf(h) == s->caption) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

HWND Child(HWND parent, const std::wstring& caption) {
    Search s{caption};
    EnumChildWindows(parent, FindCaption, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

struct FindId {
    int id;
    HWND found;
};

BOOL CALLBACK MatchId(HWND h, LPARAM p) {
    auto* find = reinterpret_cast<FindId*>(p);
    if (GetDlgCtrlID(h) != find->id) return TRUE;
    find->found = h;
    return FALSE;
}

// The control at position `id` of its form's table, anywhere inside `form`.
HWND FormControl(HWND form, int id) {
    FindId f{tk::win32::kControlIdBase + id, nullptr};
    EnumChildWindows(form, MatchId, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

// The main window's labels by name; -1 for another name.
int MainLabel(std::string_view name) {
    if (name == "lblVal") return FrmMain::lblVal;
    if (name == "lblCur") return FrmMain::lblCur;
    if (name == "lblOp") return FrmMain::lblOp;
    return -1;
}

void TypeChar(wchar_t c) {
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wScan = c;
        i.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    const SHORT vk = VkKeyScanW(c);
    if (vk != -1 && !(vk & 0x0100)) {
        // A plain key: send its virtual key so the window sees a real key press.
        for (INPUT& i : in) {
            i.ki.wVk = static_cast<WORD>(vk & 0xFF);
            i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk & 0xFF, 0));
            i.ki.dwFlags &= ~static_cast<DWORD>(KEYEVENTF_UNICODE);
        }
    }
    SendInput(2, in, sizeof(INPUT));
}

bool Step(const std::string& step) {
    if (step == "start") {
        HWND box = nullptr;
        if (!WaitFor([&] {
                box = FindWindowW(L"#32770", L"Pecunor");
                return box != nullptr || MainWindow() != nullptr;
            })) {
            return false;
        }
        if (box != nullptr) PostMessageW(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
        return WaitFor([] { return MainWindow() != nullptr; });
    }
    if (step == "no") {
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = FindWindowW(L"#32770", L"Pecunor")) != nullptr; }))
            return false;
        HWND no = GetDlgItem(box, IDNO);
        if (no == nullptr) return false;
        PostMessageW(no, BM_CLICK, 0, 0);
        return WaitFor([&] { return !IsWindow(box); });
    }
    if (step == "yes") {
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = FindWindowW(L"#32770", L"Pecunor")) != nullptr; }))
            return false;
        HWND yes = GetDlgItem(box, IDYES);
        if (yes == nullptr) return false;
        PostMessageW(yes, BM_CLICK, 0, 0);
        return WaitFor([&] { return !IsWindow(box); });
    }
    if (step.rfind("update:", 0) == 0) {
        std::wstring want;
        for (const wchar_t c : Wide(step.substr(7))) {
            if (!want.empty() && want.back() == L'\\' && c == L'n') {
                want.back() = L'\r';
                want += L'\n';
            } else {
                want += c;
            }
        }
        std::wstring last;
        const bool ok = WaitFor(
            [&] {
                HWND dialog = UpdateDialog();
                return dialog != nullptr && (last = TextOf(FormControl(dialog, FrmUpdate::lblStatus))) == want;
            },
            std::chrono::seconds(75));
        if (!ok) std::fprintf(stderr, "update status: \"%ls\"\n", last.c_str());
        return ok;
    }
    if (step == "closeupdate") {
        HWND dialog = UpdateDialog();
        HWND close = dialog != nullptr ? FormControl(dialog, FrmUpdate::cmdClose) : nullptr;
        if (close == nullptr) return false;
        PostMessageW(close, BM_CLICK, 0, 0);
        return WaitFor([&] { return UpdateDialog() == nullptr; });
    }
    if (step == "main") return WaitFor([] { return MainWindow() != nullptr; });
    HWND main = MainWindow();
    if (main == nullptr) return false;
    if (step == "close") {
        PostMessageW(main, WM_CLOSE, 0, 0);
        return WaitFor([&] { return !IsWindow(main); });
    }
    if (step == "rect") {
        RECT r{};
        GetWindowRect(main, &r);
        if (HWND tip = VisibleTip(main)) {
            RECT t{};
            GetWindowRect(tip, &t);
            UnionRect(&r, &r, &t);
        }
        std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
        return true;
    }
    if (step == "historyrect") {
        HWND history = HistoryWindow();
        if (history == nullptr) return false;
        RECT r{};
        GetWindowRect(history, &r);
        std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
        return true;
    }
    if (step.rfind("history:", 0) == 0) {
        HWND button = nullptr;
        if (!WaitFor([&] { return (button = Child(main, Wide(step.substr(8)))) != nullptr; }))
            return false;
        SetForegroundWindow(main);
        PostMessageW(main, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(button), -1);
        if (!WaitFor([] { return FindWindowW(L"#32768", nullptr) != nullptr; })) return false;
        TypeChar(L'h');
        std::wstring line;
        const bool ok = WaitFor(
            [&] {
                HWND history = HistoryWindow();
                if (history == nullptr) return false;
                line = TextOf(FormControl(history, FrmHistory::lblLine));
                return !line.empty() && line != L"Downloading rates...";
            },
            std::chrono::seconds(60));
        if (ok) std::printf("%ls\n", line.c_str());
        return ok;
    }
    if (step.rfind("print:", 0) == 0) {
        HWND c = FormControl(main, MainLabel(step.substr(6)));
        if (c == nullptr) return false;
        const std::wstring text = TextOf(c);
        const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
        std::printf("%s\n", out.c_str());
        return true;
    }
    if (step.rfind("amount:", 0) == 0) {
        const std::wstring digits = Wide(step.substr(7));
        if (!Step("keys:" + step.substr(7))) return false;
        return WaitFor([&] {
            std::wstring shown;
            for (wchar_t c : TextOf(FormControl(main, FrmMain::lblVal))) {
                if (c >= L'0' && c <= L'9') shown += c;
            }
            return shown == digits;
        });
    }
    if (step.rfind("keys:", 0) == 0) {
        SetForegroundWindow(main);
        if (!WaitFor([&] { return GetForegroundWindow() == main; })) return false;
        for (wchar_t c : Wide(step.substr(5))) TypeChar(c);
        return true;
    }
    if (step.rfind("click:", 0) == 0) {
        HWND button = nullptr;
        if (!WaitFor([&] { return (button = Child(main, Wide(step.substr(6)))) != nullptr; }))
            return false;
        PostMessageW(button, BM_CLICK, 0, 0);
        return true;
    }
    if (step.rfind("hover:", 0) == 0) {
        HWND button = nullptr;
        if (!WaitFor([&] { return (button = Child(main, Wide(step.substr(6)))) != nullptr; }))
            return false;
        RECT r{};
        GetWindowRect(button, &r);
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dx = MulDiv((r.left + r.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        move.mi.dy = MulDiv((r.top + r.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &move, sizeof move);
        HWND tip = nullptr;
        if (!WaitFor([&] { return (tip = VisibleTip(main)) != nullptr; })) return false;
        std::printf("%ls\n", TextOf(tip).c_str());
        return true;
    }
    if (step.rfind("expect:", 0) == 0) {
        const std::size_t eq = step.find('=');
        if (eq == std::string::npos) return false;
        const int id = MainLabel(step.substr(7, eq - 7));
        const std::wstring want = Wide(step.substr(eq + 1));
        std::wstring last;
        const bool ok = WaitFor([&] {
            HWND c = FormControl(main, id);
            return c != nullptr && (last = TextOf(c)) == want;
        });
        if (!ok) {
            std::fprintf(stderr, "%s: expected \"%ls\", shows \"%ls\"\n",
                         step.substr(7, eq - 7).c_str(), want.c_str(), last.c_str());
        }
        return ok;
    }
    std::fprintf(stderr, "unknown step %s\n", step.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    for (int i = 1; i < argc; ++i) {
        if (!Step(argv[i])) {
            std::fprintf(stderr, "step failed: %s\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
