// Drives the converter from outside, as a user would: starts pecun.exe, finds its windows,
// reads control texts, clicks, types, and reads and writes the settings store, the
// clipboard and the regional settings. Every wait polls a condition until a deadline; a
// wait that times out returns false (or an empty value) and never throws.
#pragma once

// The registry helpers of Vista and later (Wine has them all).
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

// Deadline of every wait unless a test passes its own.
inline constexpr Duration kWait = 10s;

// Polls `done` every few milliseconds until it holds or `limit` has passed.
bool WaitUntil(const std::function<bool()>& done, Duration limit = kWait);

// UTF-8 <-> UTF-16.
std::wstring Wide(std::string_view text);
std::string Utf8(std::wstring_view text);

// The converter under test, as built: the Windows path of pecun.exe and of its folder.
std::string PecunExe();
std::string PecunDir();

// A running program. Killed (with its whole run ended) when the object goes.
class Program {
public:
    // Starts `exe` with `arguments` appended to its quoted path (a blank between, unless
    // `arguments` is empty); the working folder is the exe's folder.
    static std::optional<Program> Start(const std::string& exe, const std::string& arguments);

    Program(Program&& other) noexcept;
    Program& operator=(Program&& other) noexcept;
    ~Program();

    DWORD Pid() const { return pid_; }
    bool Running() const;
    // Waits for the program to end; false when it is still running at the deadline.
    bool WaitExit(Duration limit = kWait) const;
    void Kill();
    // The exit code once the program has ended; STILL_ACTIVE while it runs.
    DWORD ExitCode() const;

private:
    Program(HANDLE process, DWORD pid) : process_(process), pid_(pid) {}
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// Top-level windows of process `pid` (visible or not); an empty class or title matches any.
std::vector<HWND> TopWindows(DWORD pid, std::wstring_view className = L"",
                             std::wstring_view title = L"");
// Waits for a visible top-level window of `pid` with that class and title; nullptr at the
// deadline.
HWND WaitWindow(DWORD pid, std::wstring_view className, std::wstring_view title,
                Duration limit = kWait);

// The descendant of `parent` with control id `id`, or nullptr.
HWND Control(HWND parent, int id);
// The window text of `window`, UTF-8; empty when it has none or does not answer.
std::string Text(HWND window);
// Waits until Text(window) equals `expected`; false at the deadline.
bool WaitText(HWND window, std::string_view expected, Duration limit = kWait);
std::string ClassName(HWND window);

// Presses a button the way a click does (posted BM_CLICK).
void Click(HWND button);
// Chooses a command of `window`'s menu bar by its mnemonic, Alt + `letter`, as the user
// would (another process cannot read the menu itself under Wine).
bool ChooseMenu(HWND window, char letter);

// Brings `window` to the front and types `keys` through the keyboard input queue: digits,
// letters (capitals with Shift), blank, ".", ",", the escapes "\x1b" Esc, "\b" Backspace,
// "\t" Tab and "\r" Enter, and any other character by the key that types it in the
// keyboard layout, with Shift when it needs it ("*", "+", "%").
bool Type(HWND window, std::string_view keys);
// As Type, on the numeric keypad: "+", "-", "*", "/" and "\r", its Enter key.
bool TypeKeypad(HWND window, std::string_view keys);
// Ctrl + the letter key `letter` ('C', 'V', 'X').
bool TypeCtrl(HWND window, char letter);

// A key with no character, by its virtual-key code (the navigation keys, the context-menu
// key, F10), with Shift when `shift`.
bool PressKey(HWND window, WORD virtualKey, bool shift = false);

// Moves the mouse pointer to the middle of `window` through the mouse input queue, as the
// user's hand would; false when the pointer did not get there.
bool MoveMouseOver(HWND window);

// Clipboard text, UTF-8; nullopt when the clipboard holds no text.
std::optional<std::string> ClipboardText();
bool SetClipboardText(std::string_view text);

// The converter's settings store: HKEY_CURRENT_USER\Software\Pecun, values under Settings.
using Store = std::map<std::string, std::string>;
void DeleteStore();
bool SeedStore(const Store& values);
// Every value under the store's key as text, and the names of subkeys of Software\Pecun
// other than Settings (so that a test can check that nothing else was written).
Store ReadStore();
std::vector<std::string> ExtraStoreKeys();

// Whether the notification area holds the icon of `window` with uID 1 (asked by modifying
// it without changing anything).
bool TrayIconExists(HWND window);

// Sets a value under HKEY_CURRENT_USER\<key> for the life of the object and puts back the
// earlier value (or removes the value if there was none) afterwards.
class RegistryOverride {
public:
    RegistryOverride(std::wstring key, std::wstring name, DWORD value);
    RegistryOverride(std::wstring key, std::wstring name, std::wstring_view value);
    RegistryOverride(const RegistryOverride&) = delete;
    RegistryOverride& operator=(const RegistryOverride&) = delete;
    ~RegistryOverride();
    bool ok() const { return ok_; }

private:
    void Remember();
    std::wstring key_;
    std::wstring name_;
    bool had_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> old_;
    bool ok_ = false;
};

// Copies `files` (full paths) into `folder`, creating it; false when any copy failed.
bool CopyInto(const std::string& folder, const std::vector<std::string>& files);

}  // namespace e2e
