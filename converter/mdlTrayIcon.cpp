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
            .flags = static_cast<tk::NotifyIconFlags>(r.uFlags),
            .callbackMessage = static_cast<tk::MouseMessage>(r.uCallbackMessage),
            .icon = r.hIcon,
            .tip = std::string(r.szTip, std::find(std::begin(r.szTip), std::end(r.szTip), '\0'))};
}

void Notify(tk::NotifyIconMessage message) {
    tk::ShellService* shell = tk::Services().shell;
    if (shell != nullptr) shell->NotifyIcon(message, IconOf(TrayIcon));
}

}  // namespace

void AddTrayIcon(std::uint32_t hWnd, std::string_view tip, std::uint32_t hIcon) {
    TrayIcon = TrayIconRecord{};
    TrayIcon.cbSize = sizeof(TrayIconRecord);
    TrayIcon.hWnd = hWnd;
    TrayIcon.uID = 1;
    TrayIcon.uFlags = static_cast<std::uint32_t>(kIconFlags);
    TrayIcon.uCallbackMessage = static_cast<std::uint32_t>(kCallbackMessage);
    TrayIcon.hIcon = hIcon;
    const std::size_t n =
        tip.size() < sizeof TrayIcon.szTip ? tip.size() : sizeof TrayIcon.szTip - 1;
    std::memset(TrayIcon.szTip, ' ', sizeof TrayIcon.szTip);
    std::memcpy(TrayIcon.szTip, tip.data(), n);
    TrayIcon.szTip[n] = '\0';
    Notify(tk::NotifyIconMessage::Add);
}

void RemoveTrayIcon() {
    if (TrayIcon.hWnd != 0) Notify(tk::NotifyIconMessage::Delete);
}

}  // namespace mdlTrayIcon
