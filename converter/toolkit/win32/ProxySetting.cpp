#include <windows.h>
// Needs the types of windows.h; kept apart from winhttp.h, with which it clashes.
#include <wininet.h>

#include <vector>

#include "Win32.h"

namespace tk::win32 {

ProxySetting UserProxy() {
    DWORD size = 0;
    InternetQueryOptionW(nullptr, INTERNET_OPTION_PROXY, nullptr, &size);
    if (size == 0) return {};
    std::vector<unsigned char> buffer(size);
    if (!InternetQueryOptionW(nullptr, INTERNET_OPTION_PROXY, buffer.data(), &size)) return {};
    const auto* info = reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer.data());
    if (info->dwAccessType != INTERNET_OPEN_TYPE_PROXY || info->lpszProxy == nullptr) return {};
    ProxySetting proxy;
    proxy.server = reinterpret_cast<const wchar_t*>(info->lpszProxy);
    if (info->lpszProxyBypass != nullptr)
        proxy.bypass = reinterpret_cast<const wchar_t*>(info->lpszProxyBypass);
    return proxy;
}

}  // namespace tk::win32
