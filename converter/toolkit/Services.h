// The platform's run-time services, each behind a small interface with a Win32 and a
// headless implementation. One set per process, installed at start (Install) and reached
// through Services(). All texts are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tk {

class WindowSystem;
class XmlReader;

// A message box's buttons and icon, combined with |. The values are the system's.
enum class MsgBoxFlags : std::uint32_t {
    YesNo = 4,
    IconQuestion = 32,
    IconExclamation = 48,
};
constexpr MsgBoxFlags operator|(MsgBoxFlags a, MsgBoxFlags b) {
    return static_cast<MsgBoxFlags>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}

// The button that closed a message box, None when no box could be shown. The values are the
// system's.
enum class MsgBoxResult : int { None = 0, Yes = 6, No = 7 };

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Shows a modal message box over the active window; returns the button pressed.
    virtual MsgBoxResult MsgBox(std::string_view prompt, MsgBoxFlags flags,
                                std::string_view title) = 0;
};

class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    virtual bool HasText() = 0;
    virtual std::string GetText() = 0;  // empty when there is no text
    virtual void Clear() = 0;
    virtual void SetText(std::string_view text) = 0;
};

class SoundService {
public:
    virtual ~SoundService() = default;
    virtual void Beep() = 0;  // the standard beep
};

// A local date and time of day.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;
    int hour = 0;  // 0-23
    int minute = 0;
    int second = 0;
    bool operator==(const LocalTime&) const = default;
};

// The user's regional settings.
class RegionalService {
public:
    virtual ~RegionalService() = default;
    virtual std::string DecimalSeparator() = 0;
    virtual std::string ThousandsSeparator() = 0;
    // A local (Gregorian) date in the user's "Short Date" form and calendar.
    virtual std::string ShortDate(int year, int month, int day) = 0;
    // A time of day (hour 0-23) in the user's long time form ("2:05:09 PM").
    virtual std::string LongTime(int hour, int minute, int second) = 0;
    // A date, or a date and a time, as ShortDate and LongTime (joined by a blank) write them
    // under the user's present settings, read back by the system's own conversion: the
    // Gregorian date and time, nullopt when the text does not read as one.
    virtual std::optional<LocalTime> ReadDateTime(std::string_view text) = 0;
    // `text` in capitals by the user's locale ("éur" gives "ÉUR").
    virtual std::string UpperCase(std::string_view text) = 0;
    // The key by which the user's locale orders `text` without regard to case: two texts are
    // in order when their keys are, compared byte by byte as unsigned values.
    virtual std::string SortKey(std::string_view text) = 0;
};

class ClockService {
public:
    virtual ~ClockService() = default;
    virtual LocalTime Now() = 0;     // the current local date and time
    virtual LocalTime UtcNow() = 0;  // the current date and time in UTC
    // Milliseconds on a clock that only goes forward (not the time of day), for deadlines.
    virtual std::uint64_t Ticks() = 0;
};

// The per-user settings store: texts by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text of the key, or `fallback` when the key is absent.
    virtual std::string ReadSetting(std::string_view app, std::string_view section,
                                    std::string_view key, std::string_view fallback) = 0;
    // Creates or replaces the key's text; false when the store could not be written.
    virtual bool WriteSetting(std::string_view app, std::string_view section, std::string_view key,
                              std::string_view text) = 0;
    // Many reads and writes of one section follow until EndBatch: the store may stay open
    // meanwhile. Calls pair up and may nest; every answer is the same with or without them.
    virtual void BeginBatch(std::string_view /*app*/, std::string_view /*section*/) {}
    virtual void EndBatch() {}
};

// A batch of the installed store for one scope; nothing when no store is installed.
class SettingsBatch {
public:
    SettingsBatch(std::string_view app, std::string_view section);
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

private:
    SettingsStore* store_;
};

// Which of a notification icon's callback message, icon and tip count, combined with |. The
// values are the system's.
enum class NotifyIconFlags : std::uint32_t { None = 0, Message = 1, Icon = 2, Tip = 4 };
constexpr NotifyIconFlags operator|(NotifyIconFlags a, NotifyIconFlags b) {
    return static_cast<NotifyIconFlags>(static_cast<std::uint32_t>(a) |
                                        static_cast<std::uint32_t>(b));
}

// What the shell is asked to do with a notification icon. The values are the system's.
enum class NotifyIconMessage : std::uint32_t { Add = 0, Modify = 1, Delete = 2 };

// Window messages of the mouse, as the system numbers them: a notification icon's callback
// message, and what the shell's callback brings as the mouse event over the icon.
enum class MouseMessage : std::uint32_t {
    Move = 512,
    LeftButtonUp = 514,
    LeftDoubleClick = 515,
    RightButtonUp = 517,
};

// One notification-area icon, as the shell is told of it.
struct NotifyIconData {
    std::uint32_t window = 0;  // the form's WindowPeer::Handle
    std::uint32_t id = 0;      // with `window`, what the shell knows the icon by
    NotifyIconFlags flags = NotifyIconFlags::None;  // which of the next three count
    MouseMessage callbackMessage{};  // sent to `window` for each mouse event on the icon
    std::uint32_t icon = 0;          // a WindowPeer::IconHandle
    std::string tip;                 // single-byte text; the shell shows 127 bytes at most
};

// How ShellExecute shows the window it opens. The values are the system's.
enum class ShowCommand : int { Normal = 1 };

class ShellService {
public:
    virtual ~ShellService() = default;
    // ShellExecute with no owner window; the result is not examined by any caller.
    virtual void ShellExecute(std::string_view verb, std::string_view file,
                              std::string_view parameters, std::string_view directory,
                              ShowCommand show) = 0;
    // Shell_NotifyIcon. True when the shell agreed.
    virtual bool NotifyIcon(NotifyIconMessage message, const NotifyIconData& icon) = 0;
};

// The running program.
class AppService {
public:
    virtual ~AppService() = default;
    virtual std::string Path() = 0;         // the folder the program is in, no trailing "\"
    virtual std::string CommandLine() = 0;  // what follows the program's name and blanks
};

// One synchronous HTTP GET, http or https.
class HttpService {
public:
    virtual ~HttpService() = default;
    // The whole body of a 2xx answer, after at most kMaxRedirects redirects, none from https
    // to http. False when no such answer came within `timeLimitMs` (a positive count of
    // milliseconds): the call returns by then whatever the server does, and `body` is
    // untouched.
    virtual bool Fetch(std::string_view url, int timeLimitMs, std::string& body) = 0;
    static constexpr int kMaxRedirects = 5;
};

struct ServiceSet {
    WindowSystem* windows = nullptr;
    MessageBoxService* msgbox = nullptr;
    ClipboardService* clipboard = nullptr;
    SoundService* sound = nullptr;
    RegionalService* regional = nullptr;
    SettingsStore* settings = nullptr;
    ShellService* shell = nullptr;
    AppService* app = nullptr;
    HttpService* http = nullptr;
    ClockService* clock = nullptr;
    XmlReader* xml = nullptr;  // none where the platform has no XML reader
};

// Installs the services of the process (pointers not owned) and returns the previous set.
ServiceSet Install(const ServiceSet& services);
const ServiceSet& Services();

// What a developer must see and a user need not: a handler that threw, a modal dialog that a
// scripted user left open. The installed reporter gets it (the program writes it to the
// debugger output; the tests fail the running test); with none installed it goes to stderr.
using Reporter = std::function<void(std::string_view what)>;
// Installs `reporter` (empty: none) and returns the previous one.
Reporter InstallReporter(Reporter reporter);
void Report(std::string_view what);

// Runs an event handler for a peer: whatever it throws is reported, and the program goes on.
void RunHandler(std::string_view what, const std::function<void()>& handler);

// Convenience wrappers over the installed services.
MsgBoxResult MsgBox(std::string_view prompt, MsgBoxFlags flags, std::string_view title);
void Beep();
// The installed regional service's UpperCase and SortKey; without one, the ASCII rule.
std::string UpperCase(std::string_view text);
std::string SortKey(std::string_view text);
// The ASCII rule: ASCII letters alone change case, every other byte stays as it is; the sort
// key is the text in small letters.
std::string AsciiUpperCase(std::string_view text);
std::string AsciiLowerCase(std::string_view text);

}  // namespace tk
