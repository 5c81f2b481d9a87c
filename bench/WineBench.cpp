// Under Wine: the silent update of a large list against the raw cost of its registry writes,
// and the start of the program with a full table against the raw cost of reading it. Prints
// each figure and each ratio; a benchmark, not a test.
//   pecun-bench-wine.exe PECUN_EXE UPDATE_URL
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kSettings[] = L"Software\\Pecun\\Settings";
constexpr wchar_t kScratch[] = L"Software\\PecunBench\\Settings";
constexpr int kEntries = 32767;

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
    HWND found;
};

BOOL CALLBACK FindMain(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[32] = {}, title[32] = {};
    GetClassNameW(window, cls, 32);
    GetWindowTextW(window, title, 32);
    if (pid == search->pid && IsWindowVisible(window) && std::wstring(cls) == L"PecunForm" &&
        std::wstring(title) == L"Pecunor") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Starts the program and waits for its main window; milliseconds, or -1. Closes it again.
double StartToMainWindow(const std::wstring& exe) {
    PROCESS_INFORMATION pi{};
    const LARGE_INTEGER t0 = Now();
    if (!Launch(exe, L"", pi)) return -1;
    Search search{pi.dwProcessId, nullptr};
    double ms = -1;
    for (int i = 0; i < 120000 && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; ++i) {
        EnumWindows(FindMain, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            ms = Ms(t0, Now());
            break;
        }
        Sleep(1);
    }
    if (search.found != nullptr) PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}

std::wstring Stored(const wchar_t* name) {
    wchar_t text[64] = {};
    DWORD bytes = sizeof text;
    RegGetValueW(HKEY_CURRENT_USER, kSettings, name, RRF_RT_REG_SZ, nullptr, text, &bytes);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: pecun-bench-wine PECUN_EXE UPDATE_URL\n");
        return 2;
    }
    const std::wstring exe = Widen(argv[1]);
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
    const double startMs = StartToMainWindow(exe);

    std::printf("raw writes of %zu values into one open key:   %9.1f ms\n", values.size(), writeMs);
    std::printf("raw reads of the same values:                  %9.1f ms\n", readMs);
    std::printf(
        "pecun.exe /update of the 32,746 list:          %9.1f ms  (%.2f x the raw writes; goal: at "
        "most 2)\n",
        updateMs, updateMs / writeMs);
    std::printf(
        "start with the full table to its main window:  %9.1f ms  (%.2f x the raw reads; goal: at "
        "most 2)\n",
        startMs, startMs / readMs);
    std::printf("table size stored after the update: %ls\n", count.c_str());
    return count == L"32767" && updateMs > 0 && startMs > 0 ? 0 : 1;
}
