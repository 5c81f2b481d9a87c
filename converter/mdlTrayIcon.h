// The notification-area icon of the main window: one icon record for the whole run, in the
// shell's 488-byte layout with single-byte text.
#pragma once

#include <cstdint>
#include <string_view>

#include "toolkit/Services.h"

namespace mdlTrayIcon {

using TrayIconRecord = tk::TrayIconRecord;

inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimDelete = 2;
inline constexpr std::uint32_t kCallbackMessage = 512;  // the mouse-move message number
// The record's flags: its callback message, its icon and its tip are set.
inline constexpr std::uint32_t kNifMessage = 1, kNifIcon = 2, kNifTip = 4;
// What the shell's callback brings as the x of the mouse move, in pixels: the mouse message
// that happened over the icon.
inline constexpr int kLeftButtonUp = 514, kLeftDoubleClick = 515, kRightButtonUp = 517;

// All zero until the first AddTrayIcon; keeps its last contents after a removal.
extern TrayIconRecord TrayIcon;

// Fills the record (uID 1, message + icon + tip, callback 512, the tip followed by one NUL
// and blanks, cut to 127 bytes) and asks the shell to add the icon.
void AddTrayIcon(std::uint32_t hWnd, std::string_view tip, std::uint32_t hIcon);
// Asks the shell to delete the icon of the record as it stands.
void RemoveTrayIcon();

}  // namespace mdlTrayIcon
