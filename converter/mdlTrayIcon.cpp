#include "mdlTrayIcon.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "toolkit/Services.h"

namespace mdlTrayIcon {

TrayIconRecord TrayIcon{};

namespace {

tk::NotifyIconData IconOf(const TrayIconRecord& r) {
    return {.window = r.hWnd,
            .id = r.uID,
            .flags = r.uFlags,
            .callbackMessage = r.uCallbackMessage,
            .icon = r.hIcon,
            .tip = std::string(r.szTip, std::find(std::begin(r.szTip), std::end(r.szTip), '\0'))};
}

void Notify(std::uint32_t message) {
    tk::ShellService* shell = tk::Services().shell;
    if (shell != nullptr) shell->NotifyIcon(message, IconOf(TrayIcon));
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
