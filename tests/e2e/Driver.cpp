#include "Driver.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace e2e {

namespace {

constexpr wchar_t kPecunKey[] = L"Software\\Pecun";
constexpr wchar_t kSettingsKey[] = L"Software\\Pecun\\Settings";
constexpr UINT kAnswerMs = 2000;  // how long a window may take to answer a sent message

struct WindowQuery {
    DWORD pid;
    std::wstring_view className;
    std::wstring_view title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM data) {
    auto* query = reinterpret_cast<WindowQuery*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != query->pid) return TRUE;
    if (!query->className.empty() && Utf8(query->className) != ClassName(window)) return TRUE;
    if (!query->title.empty() && Utf8(query->title) != Text(window)) return TRUE;
    query->found.push_back(window);
    return TRUE;
}

struct ChildQuery {
    int id;
    HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM data) {
    auto* query = reinterpret_cast<ChildQuery*>(data);
    if (GetDlgCtrlID(window) != query->id) return TRUE;
    query->found = window;
    return FALSE;
}

INPUT KeyInput(WORD vk, bool up, bool extended = false) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

std::optional<WORD> VirtualKey(char c) {
    if (c >= '0' && c <= '9') return static_cast<WORD>(c);
    if (c >= 'a' && c <= 'z') return static_cast<WORD>(c - 'a' + 'A');
    switch (c) {
        case ' ':
            return VK_SPACE;
        case '\t':
            return VK_TAB;
        case '\r':
            return VK_RETURN;
        case '.':
            return VK_OEM_PERIOD;
        case ',':
            return VK_OEM_COMMA;
        case '\x1b':
            return VK_ESCAPE;
        case '\b':
            return VK_BACK;
        default:
            return std::nullopt;
    }
}

bool Foreground(HWND window) {
    return WaitUntil([&] {
        if (GetForegroundWindow() == window) return true;
        SetForegroundWindow(window);
        return false;
    });
}

bool Send(std::vector<INPUT> inputs) {
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size();
}

// The clipboard may be held by another process for a moment.
bool OpenClipboardSoon() {
    return WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 3s);
}

std::string ValueText(DWORD type, const std::vector<BYTE>& data) {
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return std::string("<type ") + std::to_string(type) + ">";
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return Utf8(text);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, Duration limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
}

std::wstring Wide(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), n);
    return out;
}

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::string PecunExe() {
    // The build passes the exe's path on the build machine; Wine shows that file system as Z:.
    std::string path = "Z:" PECUN_EXE_UNIX_PATH;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string PecunDir() {
    const std::string exe = PecunExe();
    return exe.substr(0, exe.find_last_of('\\'));
}

std::optional<Program> Program::Start(const std::string& exe, const std::string& arguments) {
    std::wstring commandLine = L"\"" + Wide(exe) + L"\"";
    if (!arguments.empty()) commandLine += L" " + Wide(arguments);
    const std::wstring folder = Wide(exe.substr(0, exe.find_last_of('\\')));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info)) {
        return std::nullopt;
    }
    CloseHandle(info.hThread);
    return Program(info.hProcess, info.dwProcessId);
}

Program::Program(Program&& other) noexcept : process_(other.process_), pid_(other.pid_) {
    other.process_ = nullptr;
}

Program& Program::operator=(Program&& other) noexcept {
    if (this != &other) {
        this->~Program();
        process_ = other.process_;
        pid_ = other.pid_;
        other.process_ = nullptr;
    }
    return *this;
}

Program::~Program() {
    Kill();
    if (process_ != nullptr) CloseHandle(process_);
    process_ = nullptr;
}

bool Program::Running() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Program::WaitExit(Duration limit) const {
    if (process_ == nullptr) return true;
    return WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
}

DWORD Program::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_ != nullptr) GetExitCodeProcess(process_, &code);
    return code;
}

void Program::Kill() {
    if (!Running()) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
}

std::vector<HWND> TopWindows(DWORD pid, std::wstring_view className, std::wstring_view title) {
    WindowQuery query{pid, className, title, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitWindow(DWORD pid, std::wstring_view className, std::wstring_view title, Duration limit) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopWindows(pid, className, title)) {
                if (IsWindowVisible(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        limit);
    return found;
}

HWND Control(HWND parent, int id) {
    ChildQuery query{id, nullptr};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::string Text(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs,
                             &length)) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kAnswerMs, &copied)) {
        return {};
    }
    text.resize(static_cast<std::size_t>(copied));
    return Utf8(text);
}

bool WaitText(HWND window, std::string_view expected, Duration limit) {
    return WaitUntil([&] { return Text(window) == expected; }, limit);
}

std::string ClassName(HWND window) {
    wchar_t name[256] = {};
    const int n = GetClassNameW(window, name, 256);
    return Utf8(std::wstring_view(name, static_cast<std::size_t>(n > 0 ? n : 0)));
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

bool ChooseMenu(HWND window, char letter) {
    if (!Foreground(window)) return false;
    const auto vk = static_cast<WORD>(letter);
    return Send({KeyInput(VK_MENU, false), KeyInput(vk, false), KeyInput(vk, true),
                 KeyInput(VK_MENU, true)});
}

bool Type(HWND window, std::string_view keys) {
    if (!Foreground(window)) return false;
    std::vector<INPUT> inputs;
    for (char c : keys) {
        bool shifted = c >= 'A' && c <= 'Z';
        std::optional<WORD> vk = VirtualKey(shifted ? static_cast<char>(c - 'A' + 'a') : c);
        if (!vk) {
            // The layout's key; the high byte says which of Shift, Ctrl and Alt it needs.
            const SHORT key = VkKeyScanW(static_cast<wchar_t>(static_cast<unsigned char>(c)));
            if (key == -1 || (key & 0x0600) != 0) return false;
            vk = static_cast<WORD>(key & 0xff);
            shifted = (key & 0x0100) != 0;
        }
        if (shifted) inputs.push_back(KeyInput(VK_SHIFT, false));
        inputs.push_back(KeyInput(*vk, false));
        inputs.push_back(KeyInput(*vk, true));
        if (shifted) inputs.push_back(KeyInput(VK_SHIFT, true));
    }
    return Send(std::move(inputs));
}

bool TypeKeypad(HWND window, std::string_view keys) {
    if (!Foreground(window)) return false;
    std::vector<INPUT> inputs;
    for (char c : keys) {
        WORD vk = 0;
        switch (c) {
            case '+':
                vk = VK_ADD;
                break;
            case '-':
                vk = VK_SUBTRACT;
                break;
            case '*':
                vk = VK_MULTIPLY;
                break;
            case '/':
                vk = VK_DIVIDE;
                break;
            case '\r':
                vk = VK_RETURN;
                break;
            default:
                return false;
        }
        // The keypad's "/" and Enter are the extended twins of the main keyboard's keys.
        const bool extended = vk == VK_DIVIDE || vk == VK_RETURN;
        inputs.push_back(KeyInput(vk, false, extended));
        inputs.push_back(KeyInput(vk, true, extended));
    }
    return Send(std::move(inputs));
}

bool TypeCtrl(HWND window, char letter) {
    if (!Foreground(window)) return false;
    const auto vk = static_cast<WORD>(letter);
    return Send({KeyInput(VK_CONTROL, false), KeyInput(vk, false), KeyInput(vk, true),
                 KeyInput(VK_CONTROL, true)});
}

bool PressKey(HWND window, WORD virtualKey, bool shift) {
    if (!Foreground(window)) return false;
    // The arrows and the keys above them, and the context-menu key, are extended keys.
    const bool extended =
        (virtualKey >= VK_PRIOR && virtualKey <= VK_DOWN) || virtualKey == VK_APPS;
    std::vector<INPUT> inputs;
    if (shift) inputs.push_back(KeyInput(VK_SHIFT, false));
    inputs.push_back(KeyInput(virtualKey, false, extended));
    inputs.push_back(KeyInput(virtualKey, true, extended));
    if (shift) inputs.push_back(KeyInput(VK_SHIFT, true));
    return Send(std::move(inputs));
}

bool MoveMouseOver(HWND window) {
    RECT r{};
    if (!GetWindowRect(window, &r)) return false;
    const POINT target{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    const int width = std::max(GetSystemMetrics(SM_CXSCREEN) - 1, 1);
    const int height = std::max(GetSystemMetrics(SM_CYSCREEN) - 1, 1);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(target.x, 65535, width);
    move.mi.dy = MulDiv(target.y, 65535, height);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (!Send({move})) return false;
    return WaitUntil([&] {
        POINT at{};
        return GetCursorPos(&at) && std::abs(at.x - target.x) <= 1 &&
               std::abs(at.y - target.y) <= 1;
    });
}

std::optional<std::string> ClipboardText() {
    if (!OpenClipboardSoon()) return std::nullopt;
    std::optional<std::string> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = Utf8(chars);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool SetClipboardText(std::string_view text) {
    const std::wstring wide = Wide(text);
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) return false;
    std::memcpy(GlobalLock(memory), wide.c_str(), bytes);
    GlobalUnlock(memory);
    if (!OpenClipboardSoon()) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!ok) GlobalFree(memory);
    CloseClipboard();
    return ok;
}

void DeleteStore() { RegDeleteTreeW(HKEY_CURRENT_USER, kPecunKey); }

bool SeedStore(const Store& values) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool ok = true;
    for (const auto& [name, text] : values) {
        const std::wstring value = Wide(text);
        ok = ok && RegSetValueExW(key, Wide(name).c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
                       ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return ok;
}

Store ReadStore() {
    Store values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return values;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS) {
            break;
        }
        std::vector<BYTE> data(size);
        if (RegQueryValueExW(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
            continue;
        }
        data.resize(size);
        values[Utf8(name)] = ValueText(type, data);
    }
    RegCloseKey(key);
    return values;
}

std::vector<std::string> ExtraStoreKeys() {
    std::vector<std::string> extra;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPecunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return extra;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        if (std::wstring_view(name) != L"Settings") extra.push_back(Utf8(name));
    }
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    if (values != 0)
        extra.push_back(std::string("(") + std::to_string(values) + " values on Software\\Pecun)");
    RegCloseKey(key);
    return extra;
}

bool TrayIconExists(HWND window) {
    NOTIFYICONDATAA record{};
#ifdef _WIN64
    record.cbSize = sizeof record;  // the converter hands the shell the native record here
#else
    record.cbSize = 488;  // the record size the converter itself uses
#endif
    record.hWnd = window;
    record.uID = 1;
    record.uFlags = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

RegistryOverride::RegistryOverride(std::wstring key, std::wstring name, DWORD value)
    : key_(std::move(key)), name_(std::move(name)) {
    Remember();
    ok_ = RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), REG_DWORD, &value,
                          sizeof(value)) == ERROR_SUCCESS;
}

RegistryOverride::RegistryOverride(std::wstring key, std::wstring name, std::wstring_view value)
    : key_(std::move(key)), name_(std::move(name)) {
    Remember();
    const std::wstring text(value);
    ok_ = RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), REG_SZ, text.c_str(),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void RegistryOverride::Remember() {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                     &type_, nullptr, &size) != ERROR_SUCCESS) {
        return;
    }
    old_.resize(size);
    had_ = RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                        &type_, old_.data(), &size) == ERROR_SUCCESS;
    old_.resize(size);
}

RegistryOverride::~RegistryOverride() {
    if (had_) {
        RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), type_, old_.data(),
                        static_cast<DWORD>(old_.size()));
    } else {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_.c_str());
    }
}

bool CopyInto(const std::string& folder, const std::vector<std::string>& files) {
    const std::wstring target = Wide(folder);
    if (!CreateDirectoryW(target.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    for (const std::string& file : files) {
        const std::string name = file.substr(file.find_last_of('\\') + 1);
        if (!CopyFileW(Wide(file).c_str(), (target + L"\\" + Wide(name)).c_str(), FALSE)) {
            return false;
        }
    }
    return true;
}

}  // namespace e2e
