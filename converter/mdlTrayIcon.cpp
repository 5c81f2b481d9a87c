#include "mdlTrayIcon.h"

#include <cstring>

#include "toolkit/Services.h"

namespace mdlTrayIcon {

TrayIconRecord TrayIcon{};

namespace {

void Notify(std::uint32_t message) {
    if (tk::ShellService* shell = tk::Services().shell) shell->NotifyIcon(message, TrayIcon);
}

}  // namespace

void AddTrayIcon(std::uint32_t hWnd, std::string_view tip, std::uint32_t hIcon) {
    TrayIcon = TrayIconRecord{};
    TrayIcon.cbSize = sizeof(TrayIconRecord);
    TrayIcon.hWnd = hWnd;
    TrayIcon.uID = 1;
    TrayIcon.uFlags = kNifMessage | kNifIcon | kNifTip;
    TrayIcon.uCallbackMessage = kCallbackMessage;
    TrayIcon.hIcon = hIcon;
    const std::size_t n =
        tip.size() < sizeof TrayIcon.szTip ? tip.size() : sizeof TrayIcon.szTip - 1;
    std::memset(TrayIcon.szTip, ' ', sizeof TrayIcon.szTip);
    std::memcpy(TrayIcon.szTip, tip.data(), n);
    TrayIcon.szTip[n] = '\0';
    Notify(kNimAdd);
}

void RemoveTrayIcon() { Notify(kNimDelete); }

}  // namespace mdlTrayIcon
