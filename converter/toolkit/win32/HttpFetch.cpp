#include <windows.h>
// Needs the types of windows.h.
#include <winhttp.h>

#include <vector>

#include "Text.h"
#include "Win32.h"

namespace tk::win32 {
namespace {

// Closes a WinHTTP handle when it goes. Closing drops the connection at once: an answer read
// only in part is not drained first.
struct Handle {
    HINTERNET h = nullptr;
    ~Handle() {
        if (h) WinHttpCloseHandle(h);
    }
};

// Milliseconds left until the deadline, no more than one wait's allowance; 0 when it passed.
class Deadline {
public:
    Deadline(int totalMs, int waitMs)
        : start_(GetTickCount()), totalMs_(static_cast<DWORD>(totalMs)), waitMs_(waitMs) {}
    int Left() const {
        const DWORD elapsed = GetTickCount() - start_;  // right across the counter's wrap
        if (elapsed >= totalMs_) return 0;
        const DWORD left = totalMs_ - elapsed;
        return left < static_cast<DWORD>(waitMs_) ? static_cast<int>(left) : waitMs_;
    }
    // Bounds the next blocking call on `request`; false when no time is left.
    bool Arm(HINTERNET request) const {
        const int ms = Left();
        if (ms == 0) return false;
        DWORD response = static_cast<DWORD>(ms);
        WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response,
                         sizeof response);
        return WinHttpSetTimeouts(request, ms, ms, ms, ms) != FALSE;
    }

private:
    DWORD start_;
    DWORD totalMs_;
    int waitMs_;
};

}  // namespace

bool HttpFetch::Fetch(std::string_view url, std::string& body) {
    const Deadline deadline(deadlineMs, waitMs);
    const std::wstring address = Widen(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(address.c_str(), 0, 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return false;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
    object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (object.empty()) object = L"/";

    const ProxySetting proxy = UserProxy();
    Handle session{
        proxy.server.empty()
            ? WinHttpOpen(L"Pecunor", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                          WINHTTP_NO_PROXY_BYPASS, 0)
            : WinHttpOpen(L"Pecunor", WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.server.c_str(),
                          proxy.bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : proxy.bypass.c_str(),
                          0)};
    if (!session.h) return false;
    Handle connection{WinHttpConnect(session.h, host.c_str(), parts.nPort, 0)};
    if (!connection.h) return false;
    DWORD flags = WINHTTP_FLAG_REFRESH;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= WINHTTP_FLAG_SECURE;
    Handle request{WinHttpOpenRequest(connection.h, L"GET", object.c_str(), nullptr,
                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags)};
    if (!request.h) return false;

    if (!deadline.Arm(request.h) ||
        !WinHttpSendRequest(request.h, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                            0, 0) ||
        !deadline.Arm(request.h) || !WinHttpReceiveResponse(request.h, nullptr)) {
        return false;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(request.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                             WINHTTP_NO_HEADER_INDEX) ||
        status < 200 || status > 299) {
        return false;
    }
    std::string received;
    std::vector<char> buffer(65536);
    for (;;) {
        // Only what has arrived is read, so that a trickle cannot hold a read past the deadline.
        DWORD available = 0;
        if (!deadline.Arm(request.h) || !WinHttpQueryDataAvailable(request.h, &available))
            return false;
        if (available == 0) break;
        DWORD got = 0;
        const DWORD want =
            available < buffer.size() ? available : static_cast<DWORD>(buffer.size());
        if (!WinHttpReadData(request.h, buffer.data(), want, &got)) return false;
        if (got == 0) break;
        if (received.size() + got > maxBody) return false;
        received.append(buffer.data(), got);
    }
    // The program's texts are UTF-8; a list in the ANSI code page is converted.
    body = IsValidUtf8(received) ? std::move(received) : Narrow(Widen(received));
    return true;
}

}  // namespace tk::win32
