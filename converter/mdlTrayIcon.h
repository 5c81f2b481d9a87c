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

// All zero until the first AddTrayIcon; keeps its last contents after a removal.
extern TrayIconRecord TrayIcon;

// Fills the record (uID 1, message + icon + tip, callback 512, the tip followed by one NUL
// and blanks, cut to 127 bytes) and asks the shell to add the icon.
void AddTrayIcon(std::uint32_t hWnd, std::string_view tip, std::uint32_t hIcon);
// Asks the shell to delete the icon of the record as it stands.
void RemoveTrayIcon();

}  // namespace mdlTrayIcon
