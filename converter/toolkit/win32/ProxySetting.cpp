#include <windows.h>
// Needs the types of windows.h; kept apart from winhttp.h, with which it clashes.
#include <wininet.h>

#include <vector>

#include "LateBound.h"
#include "Win32.h"

namespace tk::win32 {
namespace {

constexpr wchar_t kWinInet[] = L"wininet.dll";

}  // namespace

ProxySetting UserProxy() {
    static const auto queryOption =
        LateFunction<decltype(&InternetQueryOptionW)>(kWinInet, "InternetQueryOptionW");
    if (queryOption == nullptr) return {};
    DWORD size = 0;
    queryOption(nullptr, INTERNET_OPTION_PROXY, nullptr, &size);
    if (size == 0) return {};
    std::vector<unsigned char> buffer(size);
    if (!queryOption(nullptr, INTERNET_OPTION_PROXY, buffer.data(), &size)) return {};
    const auto* info = reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer.data());
    if (info->dwAccessType != INTERNET_OPEN_TYPE_PROXY || info->lpszProxy == nullptr) return {};
    ProxySetting proxy;
    proxy.server = reinterpret_cast<const wchar_t*>(info->lpszProxy);
    if (info->lpszProxyBypass != nullptr)
        proxy.bypass = reinterpret_cast<const wchar_t*>(info->lpszProxyBypass);
    return proxy;
}

std::wstring CombineUrl(const std::wstring& base, const std::wstring& relative) {
    static const auto combine =
        LateFunction<decltype(&InternetCombineUrlW)>(kWinInet, "InternetCombineUrlW");
    if (combine == nullptr) return {};
    DWORD size = 0;
    combine(base.c_str(), relative.c_str(), nullptr, &size, ICU_NO_ENCODE);
    if (size == 0) return {};
    std::wstring combined(size + 1, L'\0');
    DWORD length = static_cast<DWORD>(combined.size());
    if (!combine(base.c_str(), relative.c_str(), combined.data(), &length, ICU_NO_ENCODE)) {
        return {};
    }
    combined.resize(length);
    return combined;
}

}  // namespace tk::win32
