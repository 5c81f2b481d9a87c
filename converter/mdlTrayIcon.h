// The notification-area icon of the main window: one icon record for the whole run, in the
// shell's 488-byte layout with single-byte text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "toolkit/Services.h"

namespace mdlTrayIcon {

// The shell's record with single-byte text, as 32-bit Windows lays it out: handles are
// 32-bit values.
struct TrayIconRecord {
    std::uint32_t cbSize;
    std::uint32_t hWnd;
    std::uint32_t uID;
    std::uint32_t uFlags;
    std::uint32_t uCallbackMessage;
    std::uint32_t hIcon;
    char szTip[128];
    std::uint32_t dwState;
    std::uint32_t dwStateMask;
    char szInfo[256];
    std::uint32_t uTimeout;
    char szInfoTitle[64];
    std::uint32_t dwInfoFlags;
};
static_assert(sizeof(TrayIconRecord) == 488);
static_assert(offsetof(TrayIconRecord, szTip) == 24);
static_assert(offsetof(TrayIconRecord, dwState) == 152);
static_assert(offsetof(TrayIconRecord, szInfo) == 160);
static_assert(offsetof(TrayIconRecord, uTimeout) == 416);
static_assert(offsetof(TrayIconRecord, szInfoTitle) == 420);
static_assert(offsetof(TrayIconRecord, dwInfoFlags) == 484);

// The icon's callback message: a mouse move, whose x (in pixels) brings the mouse message
// that happened over the icon.
inline constexpr tk::MouseMessage kCallbackMessage = tk::MouseMessage::Move;
// The record's flags: its callback message, its icon and its tip are set.
inline constexpr tk::NotifyIconFlags kIconFlags =
    tk::NotifyIconFlags::Message | tk::NotifyIconFlags::Icon | tk::NotifyIconFlags::Tip;

// All zero until the first AddTrayIcon; keeps its last contents after a removal.
extern TrayIconRecord TrayIcon;

// Fills the record (uID 1, message + icon + tip, callback 512, the tip followed by one NUL
// and blanks, cut to 127 bytes) and asks the shell to add the icon.
void AddTrayIcon(std::uint32_t hWnd, std::string_view tip, std::uint32_t hIcon);
// Asks the shell to delete the icon of the record as it stands. The shell is told the record's
// window, uID, flags, callback message, icon and tip (up to its NUL). Before the first
// AddTrayIcon there is no icon, and the shell is not asked.
void RemoveTrayIcon();

}  // namespace mdlTrayIcon
