// Under Wine: the silent update of a large list against the raw cost of its registry writes,
// the start of the program with a full table against the raw cost of reading it, and with a
// table of the world's currencies its start against a bare window's, the opening of its
// options dialog, and the opening of a currency's history from its context menu to the
// painted chart, with the rates fetched from the local server and with them in memory.
// Prints each figure and each ratio; a benchmark, not a test. UPDATE_URL's folder also holds
// the ECB's 90-day file.
//   pecun-bench-wine.exe PECUN_EXE UPDATE_URL BARE_EXE
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "frmHistory.h"
#include "frmMain.h"
#include "frmOpt.h"
#include "toolkit/win32/Win32.h"

namespace {

constexpr wchar_t kSettings[] = L"Software\\Pecun\\Settings";
constexpr wchar_t kScratch[] = L"Software\\PecunBench\\Settings";
constexpr int kEntries = 32767;
// About as many currencies as the two banks' rates give together.
constexpr int kWorldEntries = 160;
// Each start and each opening is measured this many times; the median is printed.
constexpr int kRuns = 5;
// How long a window may take to appear, or a list to fill.
constexpr DWORD kDeadlineMs = 60000;
constexpr wchar_t kFormClass[] = L"PecunForm";
constexpr wchar_t kMainTitle[] = L"Pecunor";
constexpr wchar_t kOptionsTitle[] = L"Pecunor - Options";
constexpr wchar_t kHistoryTitle[] = L"USD per EUR, last 90 days";
constexpr wchar_t kMenuClass[] = L"#32768";
// The button whose history is opened: a dollar with the ECB's rate.
constexpr int kHistorySlot = 1;
constexpr wchar_t kBareClass[] = L"PecunBenchBare";
constexpr wchar_t kBareTitle[] = L"Bare window";

std::wstring Widen(const char* text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), n);
    wide.resize(wide.size() - 1);
    return wide;
}

// Deletes HKEY_CURRENT_USER\Software\<app> and its one section.
void DeleteApp(const std::wstring& app) {
    RegDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\" + app + L"\\Settings").c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\" + app).c_str());
}

double Ms(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

bool SetText(HKEY key, const std::wstring& name, const std::wstring& text) {
    return RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The values a save of a full table writes: three per entry, the slots and options, and
// LastUpdate.
std::vector<std::pair<std::wstring, std::wstring>> FullTableValues() {
    std::vector<std::pair<std::wstring, std::wstring>> values;
    for (int i = 0; i < kEntries; ++i) {
        const std::wstring n = std::to_wstring(i);
        values.push_back({L"L" + n, L"Currency " + n});
        values.push_back({L"S" + n, L"C" + n.substr(0, 2)});
        values.push_back({L"V" + n, L" 1." + n});
    }
    for (int j = 0; j < 8; ++j) values.push_back({L"U" + std::to_wstring(j), L"0"});
    for (const wchar_t* name :
         {L"CN", L"BC", L"MinimizeToTray", L"DownloadOnStartup", L"LastUpdate"}) {
        values.push_back({name, L"0"});
    }
    return values;
}

// Raw writes of the values into one open key, then raw reads of them; milliseconds each.
std::pair<double, double> RawRegistry(
    const std::vector<std::pair<std::wstring, std::wstring>>& values) {
    DeleteApp(L"PecunBench");
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    const LARGE_INTEGER w0 = Now();
    for (const auto& [name, text] : values) SetText(key, name, text);
    const LARGE_INTEGER w1 = Now();
    std::wstring buffer(256, L'\0');
    for (const auto& value : values) {
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        DWORD type = 0;
        RegQueryValueExW(key, value.first.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    }
    const LARGE_INTEGER r1 = Now();
    RegCloseKey(key);
    DeleteApp(L"PecunBench");
    return {Ms(w0, w1), Ms(w1, r1)};
}

// Starts the program with `arguments`; false when it cannot be started.
bool Launch(const std::wstring& exe, const std::wstring& arguments, PROCESS_INFORMATION& pi) {
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi) != FALSE;
}

// Runs the program and waits for it to end; milliseconds, or -1.
double RunToEnd(const std::wstring& exe, const std::wstring& arguments) {
    PROCESS_INFORMATION pi{};
    const LARGE_INTEGER t0 = Now();
    if (!Launch(exe, arguments, pi)) return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    const LARGE_INTEGER t1 = Now();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return Ms(t0, t1);
}

struct Search {
    DWORD pid;
    const wchar_t* cls;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[32] = {}, title[32] = {};
    GetClassNameW(window, cls, 32);
    GetWindowTextW(window, title, 32);
    if (pid == search->pid && IsWindowVisible(window) && std::wstring(cls) == search->cls &&
        std::wstring(title) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible top-level window of class `cls` and text `title` of process `pid`, or null.
HWND VisibleWindow(DWORD pid, const wchar_t* cls, const wchar_t* title) {
    Search search{pid, cls, title, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A program started and its window, once that was visible: ms from the start, or -1.
struct Started {
    PROCESS_INFORMATION pi{};
    HWND window = nullptr;
    double ms = -1;
    double readyMs = -1;  // from the start until the window answers a message: it takes input
};

// Starts the program and waits, up to the deadline, for its window to be visible.
Started StartToWindow(const std::wstring& exe, const std::wstring& arguments, const wchar_t* cls,
                      const wchar_t* title) {
    Started started;
    const LARGE_INTEGER t0 = Now();
    if (!Launch(exe, arguments, started.pi)) return started;
    const DWORD deadline = GetTickCount() + kDeadlineMs;
    while (WaitForSingleObject(started.pi.hProcess, 0) == WAIT_TIMEOUT &&
           static_cast<LONG>(deadline - GetTickCount()) > 0) {
        started.window = VisibleWindow(started.pi.dwProcessId, cls, title);
        if (started.window != nullptr) {
            started.ms = Ms(t0, Now());
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutW(started.window, WM_NULL, 0, 0, SMTO_NORMAL, kDeadlineMs,
                                    &answer)) {
                started.readyMs = Ms(t0, Now());
            }
            break;
        }
        Sleep(1);
    }
    return started;
}

// Closes `window` (when there is one) and waits for the program to end; ends it when it does
// not.
void CloseProgram(Started& started, HWND window) {
    if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.pi.hProcess, kDeadlineMs) != WAIT_OBJECT_0) {
        TerminateProcess(started.pi.hProcess, 1);
    }
    CloseHandle(started.pi.hThread);
    CloseHandle(started.pi.hProcess);
}

// Starts the program and waits for its main window; milliseconds, or -1. Closes it again.
// Starts the program and waits for its main window, then for it to take input; milliseconds
// of both, or -1. Closes it again.
struct StartTimes {
    double visible = -1;
    double ready = -1;
};
StartTimes StartToMainWindow(const std::wstring& exe) {
    Started started = StartToWindow(exe, L"", kFormClass, kMainTitle);
    CloseProgram(started, started.window);
    return {started.ms, started.readyMs};
}

// The outer size of the program's main window, in pixels; {0, 0} when it does not show.
SIZE MainWindowSize(const std::wstring& exe) {
    Started started = StartToWindow(exe, L"", kFormClass, kMainTitle);
    RECT r{};
    if (started.window != nullptr) GetWindowRect(started.window, &r);
    CloseProgram(started, started.window);
    return {r.right - r.left, r.bottom - r.top};
}

// Starts the bare window program at `size` and waits for its window, then for it to take
// input; milliseconds, or -1.
StartTimes StartToBareWindow(const std::wstring& bare, SIZE size) {
    Started started = StartToWindow(
        bare, std::to_wstring(size.cx) + L" " + std::to_wstring(size.cy), kBareClass, kBareTitle);
    CloseProgram(started, started.window);
    return {started.ms, started.readyMs};
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChildWithId(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (GetDlgCtrlID(child) != search->id) return TRUE;
    search->found = child;
    return FALSE;
}

// The control of id `id` among all the descendants of `form` (controls in a frame are the
// frame's children), or null.
HWND Control(HWND form, int id) {
    ChildSearch search{id, nullptr};
    EnumChildWindows(form, FindChildWithId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The number of lines of list box `list`, or -1 when it does not answer.
LRESULT ListCount(HWND list) {
    DWORD_PTR count = 0;
    if (list == nullptr ||
        SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kDeadlineMs, &count) == 0) {
        return -1;
    }
    return static_cast<LRESULT>(count);
}

// Starts the program, lets its main window settle, chooses Options in its menu and waits for
// the options dialog to be visible with `lines` lines in its currency list: milliseconds from
// the command to the filled list, or -1 when that does not come before the deadline.
double OptionsOpenAndFilled(const std::wstring& exe, int lines) {
    Started started = StartToWindow(exe, L"", kFormClass, kMainTitle);
    if (started.window == nullptr) {
        CloseProgram(started, nullptr);
        return -1;
    }
    WaitForInputIdle(started.pi.hProcess, kDeadlineMs);
    const WPARAM options = MAKEWPARAM(tk::win32::kMenuIdBase + FrmMain::mnuOptions, 0);
    const LARGE_INTEGER t0 = Now();
    PostMessageW(started.window, WM_COMMAND, options, 0);
    const DWORD deadline = GetTickCount() + kDeadlineMs;
    HWND dialog = nullptr;
    double ms = -1;
    while (static_cast<LONG>(deadline - GetTickCount()) > 0) {
        dialog = VisibleWindow(started.pi.dwProcessId, kFormClass, kOptionsTitle);
        if (dialog != nullptr &&
            ListCount(Control(dialog, tk::win32::kControlIdBase + FrmOpt::lstCur)) == lines) {
            ms = Ms(t0, Now());
            break;
        }
        Sleep(1);
    }
    // The dialog first: the main window waits for it.
    if (dialog != nullptr) {
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        const DWORD closing = GetTickCount() + kDeadlineMs;
        while (IsWindow(dialog) && static_cast<LONG>(closing - GetTickCount()) > 0) Sleep(1);
    }
    CloseProgram(started, started.window);
    return ms;
}

// The text of `window` in another process, or empty.
std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        kDeadlineMs, &copied);
    return text;
}

void PressKey(WORD key) {
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// Whether the history window shows a day of its chart, painted: its line reads a day (not
// the downloading text, nor a failure) and the chart has nothing left to paint.
bool HistoryPainted(HWND history) {
    const HWND line = Control(history, tk::win32::kControlIdBase + FrmHistory::lblLine);
    const HWND chart = Control(history, tk::win32::kControlIdBase + FrmHistory::chtRate);
    if (line == nullptr || chart == nullptr) return false;
    const std::wstring text = TextOf(line);
    return text.find(L": 1 EUR = ") != std::wstring::npos && !GetUpdateRect(chart, nullptr, FALSE);
}

// Opens the history of button kHistorySlot of the started program from its context menu:
// milliseconds from its item chosen to the painted chart, or -1. Closes the history again.
double HistoryOpenAndPainted(const Started& started) {
    const HWND button =
        Control(started.window, tk::win32::kControlIdBase + FrmMain::cmdCur0 + kHistorySlot);
    if (button == nullptr) return -1;
    SetForegroundWindow(started.window);
    PostMessageW(started.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(button), -1);
    DWORD deadline = GetTickCount() + kDeadlineMs;
    while (VisibleWindow(started.pi.dwProcessId, kMenuClass, L"") == nullptr) {
        if (static_cast<LONG>(deadline - GetTickCount()) <= 0) return -1;
        Sleep(1);
    }
    const LARGE_INTEGER t0 = Now();
    PressKey('H');
    double ms = -1;
    HWND history = nullptr;
    deadline = GetTickCount() + kDeadlineMs;
    while (static_cast<LONG>(deadline - GetTickCount()) > 0) {
        history = VisibleWindow(started.pi.dwProcessId, kFormClass, kHistoryTitle);
        if (history != nullptr && HistoryPainted(history)) {
            ms = Ms(t0, Now());
            break;
        }
        Sleep(1);
    }
    if (history != nullptr) {
        PostMessageW(history, WM_CLOSE, 0, 0);
        const DWORD closing = GetTickCount() + kDeadlineMs;
        while (IsWindow(history) && static_cast<LONG>(closing - GetTickCount()) > 0) Sleep(1);
    }
    return ms;
}

// The median of measurements in milliseconds; -1 when any of them failed.
double Median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    if (ms.empty() || ms.front() < 0) return -1;
    return ms[ms.size() / 2];
}

// A store of kWorldEntries currencies with three-letter codes, the first eight on the
// buttons.
// The second button's currency is the dollar, with the ECB's rate, whose 90-day file is at
// `ecbFolder`.
void StoreWorldTable(const std::wstring& ecbFolder) {
    DeleteApp(L"Pecun");
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    constexpr int kLetters = 26;
    for (int i = 0; i < kWorldEntries; ++i) {
        const std::wstring n = std::to_wstring(i);
        const std::wstring code{L'Q', static_cast<wchar_t>(L'A' + i / kLetters),
                                static_cast<wchar_t>(L'A' + i % kLetters)};
        SetText(key, L"L" + n, L"Currency " + n);
        SetText(key, L"S" + n, code);
        SetText(key, L"V" + n, L" 1." + n);
    }
    SetText(key, L"CN", std::to_wstring(kWorldEntries));
    SetText(key, L"BC", L"0");
    for (int j = 0; j < 8; ++j) SetText(key, L"U" + std::to_wstring(j), std::to_wstring(j));
    SetText(key, L"MinimizeToTray", L"False");
    SetText(key, L"DownloadOnStartup", L"False");
    const std::wstring dollar = std::to_wstring(kHistorySlot);
    SetText(key, L"S" + dollar, L"USD");
    SetText(key, L"R" + dollar, L"ECB 2019-04-11");
    SetText(key, L"RN", std::to_wstring(kHistorySlot + 1));
    SetText(key, L"FallbackUrl", ecbFolder + L"eurofxref-daily.xml");
    RegCloseKey(key);
}

std::wstring Stored(const wchar_t* name) {
    wchar_t text[64] = {};
    DWORD bytes = sizeof text;
    RegGetValueW(HKEY_CURRENT_USER, kSettings, name, RRF_RT_REG_SZ, nullptr, text, &bytes);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::printf("usage: pecun-bench-wine PECUN_EXE UPDATE_URL BARE_EXE\n");
        return 2;
    }
    const std::wstring exe = Widen(argv[1]);
    const std::wstring bare = Widen(argv[3]);
    const std::vector<std::pair<std::wstring, std::wstring>> values = FullTableValues();
    const auto [writeMs, readMs] = RawRegistry(values);

    // A store of 21 entries that points the update at the list.
    DeleteApp(L"Pecun");
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    SetText(key, L"CN", L"21");
    SetText(key, L"UpdateUrl", Widen(argv[2]));
    RegCloseKey(key);

    const double updateMs = RunToEnd(exe, L"/update");
    const std::wstring count = Stored(L"CN");
    const StartTimes fullStart = StartToMainWindow(exe);
    const double startMs = fullStart.visible;

    StoreWorldTable(Widen(argv[2]));
    const SIZE size = MainWindowSize(exe);
    // Alternately, so that both see the same state of the machine.
    std::vector<double> bareRuns, worldRuns, bareReadyRuns, worldReadyRuns, optionsRuns;
    for (int i = 0; i < kRuns; ++i) {
        const StartTimes bareStart = StartToBareWindow(bare, size);
        const StartTimes worldStart = StartToMainWindow(exe);
        bareRuns.push_back(bareStart.visible);
        bareReadyRuns.push_back(bareStart.ready);
        worldRuns.push_back(worldStart.visible);
        worldReadyRuns.push_back(worldStart.ready);
    }
    for (int i = 0; i < kRuns; ++i) optionsRuns.push_back(OptionsOpenAndFilled(exe, kWorldEntries));
    std::vector<double> fetchedRuns, keptRuns;
    for (int i = 0; i < kRuns; ++i) {
        Started started = StartToWindow(exe, L"", kFormClass, kMainTitle);
        if (started.window != nullptr) {
            WaitForInputIdle(started.pi.hProcess, kDeadlineMs);
            fetchedRuns.push_back(HistoryOpenAndPainted(started));
            keptRuns.push_back(HistoryOpenAndPainted(started));
        } else {
            fetchedRuns.push_back(-1);
        }
        CloseProgram(started, started.window);
    }
    const double fetchedMs = Median(fetchedRuns);
    const double keptMs = Median(keptRuns);
    const double bareMs = Median(bareRuns);
    const double worldMs = Median(worldRuns);
    const double bareReadyMs = Median(bareReadyRuns);
    const double worldReadyMs = Median(worldReadyRuns);
    const double optionsMs = Median(optionsRuns);

    std::printf("raw writes of %zu values into one open key:   %9.1f ms\n", values.size(), writeMs);
    std::printf("raw reads of the same values:                  %9.1f ms\n", readMs);
    std::printf(
        "pecun.exe /update of the 32,746 list:          %9.1f ms  (%.2f x the raw writes; goal: at "
        "most 2)\n",
        updateMs, updateMs / writeMs);
    std::printf("start with the full table to its main window:  %9.1f ms\n", startMs);
    std::printf(
        "  and until it takes input (the table read):   %9.1f ms  (%.2f x the raw reads; goal: at "
        "most 2)\n",
        fullStart.ready, fullStart.ready / readMs);
    std::printf("table size stored after the update: %ls\n", count.c_str());
    std::printf("with %d currencies (the median of %d runs):\n", kWorldEntries, kRuns);
    std::printf("bare window of the main window's size (%ldx%ld) to visible: %7.1f ms\n", size.cx,
                size.cy, bareMs);
    std::printf(
        "start to its main window:                         %7.1f ms  (%.2f x the bare window; "
        "goal: at most 1.2)\n",
        worldMs, worldMs / bareMs);
    std::printf("  until each takes input: the bare window %.1f ms, the program %.1f ms (%.2f x)\n",
                bareReadyMs, worldReadyMs, worldReadyMs / bareReadyMs);
    std::printf(
        "Options chosen to the dialog shown with %d lines: %7.1f ms  (goal: under 100 ms)\n",
        kWorldEntries, optionsMs);
    std::printf(
        "History chosen to the chart painted, fetched:     %7.1f ms  (%.2f x the options dialog)\n",
        fetchedMs, fetchedMs / optionsMs);
    std::printf(
        "the same again, with the rates in memory:         %7.1f ms  (%.2f x the options dialog)\n",
        keptMs, keptMs / optionsMs);
    const bool measured = bareMs > 0 && worldMs > 0 && optionsMs > 0 && fetchedMs > 0 && keptMs > 0;
    return count == L"32767" && updateMs > 0 && startMs > 0 && fullStart.ready > 0 && measured ? 0
                                                                                               : 1;
}
