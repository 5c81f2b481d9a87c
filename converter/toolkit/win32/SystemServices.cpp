#include <windows.h>
// Need the types of windows.h.
#include <oleauto.h>
#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "../CommandLine.h"
#include "LateBound.h"
#include "Text.h"
#include "Win32.h"

namespace tk::win32 {

static_assert(kMenuIdBase > kControlIdBase);

// The services' typed values are the system's own.
static_assert(static_cast<UINT>(MsgBoxFlags::YesNo) == MB_YESNO);
static_assert(static_cast<UINT>(MsgBoxFlags::IconQuestion) == MB_ICONQUESTION);
static_assert(static_cast<UINT>(MsgBoxFlags::IconExclamation) == MB_ICONEXCLAMATION);
static_assert(static_cast<int>(MsgBoxResult::Yes) == IDYES);
static_assert(static_cast<int>(MsgBoxResult::No) == IDNO);
static_assert(static_cast<int>(ShowCommand::Normal) == SW_SHOWNORMAL);
static_assert(static_cast<DWORD>(NotifyIconMessage::Add) == NIM_ADD);
static_assert(static_cast<DWORD>(NotifyIconMessage::Modify) == NIM_MODIFY);
static_assert(static_cast<DWORD>(NotifyIconMessage::Delete) == NIM_DELETE);
static_assert(static_cast<UINT>(NotifyIconFlags::Message) == NIF_MESSAGE);
static_assert(static_cast<UINT>(NotifyIconFlags::Icon) == NIF_ICON);
static_assert(static_cast<UINT>(NotifyIconFlags::Tip) == NIF_TIP);
static_assert(static_cast<UINT>(MouseMessage::Move) == WM_MOUSEMOVE);
static_assert(static_cast<UINT>(MouseMessage::LeftButtonUp) == WM_LBUTTONUP);
static_assert(static_cast<UINT>(MouseMessage::LeftDoubleClick) == WM_LBUTTONDBLCLK);
static_assert(static_cast<UINT>(MouseMessage::RightButtonUp) == WM_RBUTTONUP);

namespace {

constexpr wchar_t kShell[] = L"shell32.dll";
constexpr wchar_t kAutomation[] = L"oleaut32.dll";

std::string LocaleText(LCTYPE type, const char* fallback) {
    wchar_t buffer[80] = {};
    const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 80);
    if (n <= 1) return fallback;
    return Narrow(std::wstring_view(buffer, static_cast<std::size_t>(n - 1)));
}

}  // namespace

MsgBoxResult SystemServices::MsgBox(std::string_view prompt, MsgBoxFlags flags,
                                    std::string_view title) {
    const std::wstring caption = Widen(title);
    // Task-modal: none of the program's windows takes input meanwhile.
    return static_cast<MsgBoxResult>(
        MessageBoxW(nullptr, Widen(prompt).c_str(), caption.c_str(),
                    static_cast<UINT>(flags) | MB_TASKMODAL | MB_SETFOREGROUND));
}

void SystemServices::Beep() { MessageBeep(MB_OK); }

std::string SystemServices::DecimalSeparator() { return LocaleText(LOCALE_SDECIMAL, "."); }

std::string SystemServices::ThousandsSeparator() { return LocaleText(LOCALE_STHOUSAND, ","); }

std::string SystemServices::ShortDate(int year, int month, int day) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    wchar_t buffer[80] = {};
    const int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 80);
    if (n <= 1) {
        return std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year);
    }
    return Narrow(std::wstring_view(buffer, static_cast<std::size_t>(n - 1)));
}

std::string SystemServices::LongTime(int hour, int minute, int second) {
    SYSTEMTIME st{};
    st.wYear = 2000;
    st.wMonth = 1;
    st.wDay = 1;
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    wchar_t buffer[80] = {};
    const int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 80);
    if (n <= 1) {
        char text[32];
        std::snprintf(text, sizeof text, "%d:%02d:%02d", hour, minute, second);
        return text;
    }
    return Narrow(std::wstring_view(buffer, static_cast<std::size_t>(n - 1)));
}

std::optional<LocalTime> SystemServices::ReadDateTime(std::string_view text) {
    // GetDateFormat writes in the user's calendar; the reading must count years the same way.
    ULONG flags = 0;
    const std::string calendar = LocaleText(LOCALE_ICALENDARTYPE, "1");
    if (calendar == "7") flags = VAR_CALENDAR_THAI;
    if (calendar == "6") flags = VAR_CALENDAR_HIJRI;
    static const auto fromText =
        LateFunction<decltype(&VarDateFromStr)>(kAutomation, "VarDateFromStr");
    static const auto toSystemTime =
        LateFunction<decltype(&VariantTimeToSystemTime)>(kAutomation, "VariantTimeToSystemTime");
    if (fromText == nullptr || toSystemTime == nullptr) return std::nullopt;
    std::wstring wide = Widen(text);
    DATE date = 0;
    if (FAILED(fromText(wide.data(), LOCALE_USER_DEFAULT, flags, &date))) return std::nullopt;
    SYSTEMTIME st{};
    if (!toSystemTime(date, &st)) return std::nullopt;
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string SystemServices::UpperCase(std::string_view text) {
    std::wstring wide = Widen(text);
    if (wide.empty()) return {};
    const DWORD flags = LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING;
    const int size = static_cast<int>(wide.size());
    std::wstring upper(wide.size(), L'\0');
    if (LCMapStringW(LOCALE_USER_DEFAULT, flags, wide.c_str(), size, upper.data(), size) != size)
        return std::string(text);
    return Narrow(upper);
}

std::string SystemServices::SortKey(std::string_view text) {
    const std::wstring wide = Widen(text);
    if (wide.empty()) return {};
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int size = static_cast<int>(wide.size());
    const int bytes = LCMapStringW(LOCALE_USER_DEFAULT, flags, wide.c_str(), size, nullptr, 0);
    if (bytes <= 0) return std::string(text);
    std::string key(static_cast<std::size_t>(bytes), '\0');
    // With LCMAP_SORTKEY the destination is a byte array, sized in bytes.
    LCMapStringW(LOCALE_USER_DEFAULT, flags, wide.c_str(), size,
                 reinterpret_cast<LPWSTR>(key.data()), bytes);
    key.pop_back();  // the terminating zero byte
    return key;
}

std::uint64_t SystemServices::Ticks() {
    const DWORD now = GetTickCount();
    if (now < lastTick_) ++tickWraps_;
    lastTick_ = now;
    return (tickWraps_ << 32) | now;
}

LocalTime SystemServices::Now() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

LocalTime SystemServices::UtcNow() {
    SYSTEMTIME st{};
    GetSystemTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

void SystemServices::ShellExecute(std::string_view verb, std::string_view file,
                                  std::string_view parameters, std::string_view directory,
                                  ShowCommand show) {
    static const auto execute = LateFunction<decltype(&ShellExecuteW)>(kShell, "ShellExecuteW");
    if (execute == nullptr) return;
    // The shell may hand the file to a handler that needs COM.
    JoinComApartment();
    const std::wstring v = Widen(verb), f = Widen(file), p = Widen(parameters),
                       d = Widen(directory);
    execute(nullptr, v.c_str(), f.c_str(), p.c_str(), d.c_str(), static_cast<int>(show));
}

namespace {

// A 32-bit handle value as the handle it stands for (sign-extended, as 64-bit Windows does).
template <typename Handle>
Handle WidenHandle(std::uint32_t value) {
    return reinterpret_cast<Handle>(static_cast<INT_PTR>(static_cast<std::int32_t>(value)));
}

}  // namespace

bool SystemServices::NotifyIcon(NotifyIconMessage message, const NotifyIconData& icon) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = WidenHandle<HWND>(icon.window);
    data.uID = icon.id;
    data.uFlags = static_cast<UINT>(icon.flags);
    data.uCallbackMessage = static_cast<UINT>(icon.callbackMessage);
    data.hIcon = WidenHandle<HICON>(icon.icon);
    std::memcpy(data.szTip, icon.tip.data(), std::min(icon.tip.size(), sizeof data.szTip - 1));
    static const auto notify =
        LateFunction<decltype(&Shell_NotifyIconA)>(kShell, "Shell_NotifyIconA");
    return notify != nullptr && notify(static_cast<DWORD>(message), &data) != FALSE;
}

std::string SystemServices::Path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    path.resize(slash == std::wstring::npos ? 0 : slash);
    return Narrow(path);
}

std::string SystemServices::CommandLine() { return Narrow(ArgumentText(GetCommandLineW())); }

std::wstring ArgumentText(std::wstring_view line) { return std::wstring(CommandTail(line)); }

}  // namespace tk::win32
