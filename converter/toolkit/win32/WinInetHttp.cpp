#include <windows.h>
// Needs the types of windows.h.
#include <wininet.h>

#include "Text.h"
#include "Win32.h"

namespace tk::win32 {
namespace {

// Closes a WinINet handle when it goes.
struct Handle {
    HINTERNET h = nullptr;
    ~Handle() {
        if (h) InternetCloseHandle(h);
    }
};

void SetTimeouts(HINTERNET h, DWORD ms) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(h, option, &ms, sizeof ms);
    }
}

}  // namespace

bool WinInetHttp::Fetch(std::string_view url, std::string& body) {
    std::wstring address = Widen(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    wchar_t host[256] = {};
    wchar_t path[2048] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2048;
    wchar_t extra[2048] = {};
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = 2048;
    if (!InternetCrackUrlW(address.c_str(), 0, 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return false;

    const auto ms = static_cast<DWORD>(timeoutMs);
    Handle session{InternetOpenW(L"Pecunor", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
    if (!session.h) return false;
    SetTimeouts(session.h, ms);
    Handle connection{InternetConnectW(session.h, host, parts.nPort, nullptr, nullptr,
                                       INTERNET_SERVICE_HTTP, 0, 0)};
    if (!connection.h) return false;
    // Wine honours timeouts only on the connection and request handles.
    SetTimeouts(connection.h, ms);
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                  INTERNET_FLAG_PRAGMA_NOCACHE;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    std::wstring object = std::wstring(path) + extra;
    if (object.empty()) object = L"/";
    Handle request{HttpOpenRequestW(connection.h, L"GET", object.c_str(), nullptr, nullptr, nullptr,
                                    flags, 0)};
    if (!request.h) return false;
    SetTimeouts(request.h, ms);
    if (!HttpSendRequestW(request.h, nullptr, 0, nullptr, 0)) return false;

    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr) ||
        status < 200 || status > 299) {
        return false;
    }
    std::string received;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request.h, buffer, sizeof buffer, &got)) return false;
        if (got == 0) break;
        if (received.size() + got > maxBody) return false;
        received.append(buffer, got);
    }
    // The program's texts are UTF-8; a list in the ANSI code page is converted.
    body = IsValidUtf8(received) ? std::move(received) : Narrow(Widen(received));
    return true;
}

}  // namespace tk::win32
