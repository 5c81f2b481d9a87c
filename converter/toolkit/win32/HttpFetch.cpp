#include <windows.h>
// Needs the types of windows.h.
#include <winhttp.h>

#include <memory>
#include <mutex>
#include <vector>

#include "LateBound.h"
#include "Text.h"
#include "Win32.h"

namespace tk::win32 {
namespace {

// WinHTTP, loaded at the first fetch.
struct WinHttpApi {
    decltype(&WinHttpOpen) Open = nullptr;
    decltype(&WinHttpCrackUrl) CrackUrl = nullptr;
    decltype(&WinHttpConnect) Connect = nullptr;
    decltype(&WinHttpOpenRequest) OpenRequest = nullptr;
    decltype(&WinHttpSetOption) SetOption = nullptr;
    decltype(&WinHttpSendRequest) SendRequest = nullptr;
    decltype(&WinHttpReceiveResponse) ReceiveResponse = nullptr;
    decltype(&WinHttpQueryHeaders) QueryHeaders = nullptr;
    decltype(&WinHttpQueryDataAvailable) QueryDataAvailable = nullptr;
    decltype(&WinHttpReadData) ReadData = nullptr;
    decltype(&WinHttpSetTimeouts) SetTimeouts = nullptr;
    decltype(&WinHttpCloseHandle) CloseHandle = nullptr;

    bool Complete() const {
        return Open != nullptr && CrackUrl != nullptr && Connect != nullptr &&
               OpenRequest != nullptr && SetOption != nullptr && SendRequest != nullptr &&
               ReceiveResponse != nullptr && QueryHeaders != nullptr &&
               QueryDataAvailable != nullptr && ReadData != nullptr && SetTimeouts != nullptr &&
               CloseHandle != nullptr;
    }
};

const WinHttpApi& WinHttp() {
    static const WinHttpApi api = [] {
        constexpr wchar_t kDll[] = L"winhttp.dll";
        WinHttpApi a;
        a.Open = LateFunction<decltype(&WinHttpOpen)>(kDll, "WinHttpOpen");
        a.CrackUrl = LateFunction<decltype(&WinHttpCrackUrl)>(kDll, "WinHttpCrackUrl");
        a.Connect = LateFunction<decltype(&WinHttpConnect)>(kDll, "WinHttpConnect");
        a.OpenRequest = LateFunction<decltype(&WinHttpOpenRequest)>(kDll, "WinHttpOpenRequest");
        a.SetOption = LateFunction<decltype(&WinHttpSetOption)>(kDll, "WinHttpSetOption");
        a.SendRequest = LateFunction<decltype(&WinHttpSendRequest)>(kDll, "WinHttpSendRequest");
        a.ReceiveResponse =
            LateFunction<decltype(&WinHttpReceiveResponse)>(kDll, "WinHttpReceiveResponse");
        a.QueryHeaders = LateFunction<decltype(&WinHttpQueryHeaders)>(kDll, "WinHttpQueryHeaders");
        a.QueryDataAvailable =
            LateFunction<decltype(&WinHttpQueryDataAvailable)>(kDll, "WinHttpQueryDataAvailable");
        a.ReadData = LateFunction<decltype(&WinHttpReadData)>(kDll, "WinHttpReadData");
        a.SetTimeouts = LateFunction<decltype(&WinHttpSetTimeouts)>(kDll, "WinHttpSetTimeouts");
        a.CloseHandle = LateFunction<decltype(&WinHttpCloseHandle)>(kDll, "WinHttpCloseHandle");
        return a;
    }();
    return api;
}

// Milliseconds left of a time limit started at construction; 0 once it has passed.
class Deadline {
public:
    explicit Deadline(int limitMs)
        : start_(GetTickCount()), limitMs_(static_cast<DWORD>(limitMs)) {}
    int Left() const {
        const DWORD elapsed = GetTickCount() - start_;  // right across the counter's wrap
        return elapsed >= limitMs_ ? 0 : static_cast<int>(limitMs_ - elapsed);
    }

private:
    DWORD start_;
    DWORD limitMs_;
};

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// One fetch, run by a worker thread while the caller waits for it with the time limit. When
// the limit passes first, the caller closes the handles the worker is blocked on (Abort) and
// goes on; the worker then fails at its next call, or at its own timeouts, and the last of the
// two to let go frees the job.
class FetchJob {
public:
    FetchJob(std::wstring url, std::wstring agent, ProxySetting proxy, int limitMs,
             std::size_t maxBody)
        : url_(std::move(url)),
          agent_(std::move(agent)),
          proxy_(std::move(proxy)),
          deadline_(limitMs),
          maxBody_(maxBody),
          done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~FetchJob() {
        Abort();
        if (done_) CloseHandle(done_);
    }
    FetchJob(const FetchJob&) = delete;
    FetchJob& operator=(const FetchJob&) = delete;

    HANDLE Done() const { return done_; }
    const Deadline& Limit() const { return deadline_; }

    // The worker's whole run: redirects followed by hand, each hop against the one limit.
    void Run() {
        ok_ = RunHops();
        CloseAll();
        SetEvent(done_);
    }

    // Closes every handle the worker holds; its blocking call then returns. Idempotent.
    void Abort() {
        const std::lock_guard<std::mutex> lock(mutex_);
        aborted_ = true;
        CloseLocked();
    }

    bool Succeeded() const { return ok_; }
    std::string& Received() { return received_; }

private:
    bool RunHops() {
        if (!Open(session_, OpenSession())) return false;
        std::wstring url = url_;
        for (int hop = 0; hop <= HttpService::kMaxRedirects; ++hop) {
            std::wstring next;
            const int got = Hop(url, next);
            if (got != kRedirected) return got == kAnswered;
            url = std::move(next);
        }
        return false;  // one redirect too many
    }

    HINTERNET OpenSession() const {
        if (proxy_.server.empty()) {
            return WinHttp().Open(agent_.c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        }
        return WinHttp().Open(
            agent_.c_str(), WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy_.server.c_str(),
            proxy_.bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : proxy_.bypass.c_str(), 0);
    }

    enum { kFailed, kAnswered, kRedirected };

    // One request: kAnswered with the body of a 2xx answer, kRedirected with the next address.
    int Hop(const std::wstring& url, std::wstring& next) {
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwHostNameLength = static_cast<DWORD>(-1);
        parts.dwUrlPathLength = static_cast<DWORD>(-1);
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (!WinHttp().CrackUrl(url.c_str(), 0, 0, &parts)) return kFailed;
        if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
            return kFailed;
        const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
        object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        if (object.empty()) object = L"/";

        CloseRequest();
        if (!Open(connection_, WinHttp().Connect(Handle(session_), host.c_str(), parts.nPort, 0)))
            return kFailed;
        DWORD flags = WINHTTP_FLAG_REFRESH;
        if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= WINHTTP_FLAG_SECURE;
        if (!Open(request_,
                  WinHttp().OpenRequest(Handle(connection_), L"GET", object.c_str(), nullptr,
                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags))) {
            return kFailed;
        }
        const HINTERNET request = Handle(request_);
        DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
        WinHttp().SetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects,
                            sizeof noRedirects);
        if (!Arm(request) ||
            !WinHttp().SendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                   WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
            !Arm(request) || !WinHttp().ReceiveResponse(request, nullptr)) {
            return kFailed;
        }
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!WinHttp().QueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                    WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                                    WINHTTP_NO_HEADER_INDEX)) {
            return kFailed;
        }
        if (IsRedirect(status)) return Redirect(request, url, parts.nScheme, next);
        if (status < 200 || status > 299) return kFailed;
        return ReadBody(request) ? kAnswered : kFailed;
    }

    // The address a redirect names, taken relative to `url`; never from https to http.
    int Redirect(HINTERNET request, const std::wstring& url, INTERNET_SCHEME scheme,
                 std::wstring& next) const {
        DWORD bytes = 0;
        WinHttp().QueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX,
                               WINHTTP_NO_OUTPUT_BUFFER, &bytes, WINHTTP_NO_HEADER_INDEX);
        if (bytes == 0) return kFailed;
        std::wstring location(bytes / sizeof(wchar_t) + 1, L'\0');
        if (!WinHttp().QueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX,
                                    location.data(), &bytes, WINHTTP_NO_HEADER_INDEX)) {
            return kFailed;
        }
        location.resize(bytes / sizeof(wchar_t));
        next = CombineUrl(url, location);
        if (next.empty()) return kFailed;
        const bool toHttp = _wcsnicmp(next.c_str(), L"http://", 7) == 0;
        const bool toHttps = _wcsnicmp(next.c_str(), L"https://", 8) == 0;
        if (!toHttps && !(toHttp && scheme == INTERNET_SCHEME_HTTP)) return kFailed;
        return kRedirected;
    }

    bool ReadBody(HINTERNET request) {
        std::vector<char> buffer(65536);
        for (;;) {
            // Only what has arrived is read, so that a trickle cannot hold a read past the limit.
            DWORD available = 0;
            if (!Arm(request) || !WinHttp().QueryDataAvailable(request, &available)) return false;
            if (available == 0) return true;
            DWORD got = 0;
            const DWORD want =
                available < buffer.size() ? available : static_cast<DWORD>(buffer.size());
            if (!WinHttp().ReadData(request, buffer.data(), want, &got)) return false;
            if (got == 0) return true;
            if (received_.size() + got > maxBody_) return false;
            received_.append(buffer.data(), got);
        }
    }

    // Bounds the next blocking call on `request` by what is left; false when nothing is.
    bool Arm(HINTERNET request) const {
        const int ms = deadline_.Left();
        if (ms == 0) return false;
        DWORD response = static_cast<DWORD>(ms);
        WinHttp().SetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response,
                            sizeof response);
        return WinHttp().SetTimeouts(request, ms, ms, ms, ms) != FALSE;
    }

    // Keeps a new handle unless the job was aborted meanwhile; false when there is none.
    bool Open(HINTERNET& slot, HINTERNET h) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (h != nullptr && aborted_) {
            WinHttp().CloseHandle(h);
            return false;
        }
        slot = h;
        return h != nullptr;
    }

    HINTERNET Handle(HINTERNET& slot) {
        const std::lock_guard<std::mutex> lock(mutex_);
        return slot;
    }

    void CloseRequest() {
        const std::lock_guard<std::mutex> lock(mutex_);
        Close(request_);
        Close(connection_);
    }

    void CloseAll() {
        const std::lock_guard<std::mutex> lock(mutex_);
        CloseLocked();
    }

    void CloseLocked() {
        Close(request_);
        Close(connection_);
        Close(session_);
    }

    static void Close(HINTERNET& h) {
        // Closing drops the connection at once: an answer read only in part is not drained.
        if (h != nullptr) WinHttp().CloseHandle(h);
        h = nullptr;
    }

    const std::wstring url_;
    const std::wstring agent_;
    const ProxySetting proxy_;
    const Deadline deadline_;
    const std::size_t maxBody_;
    HANDLE done_;
    std::mutex mutex_;
    bool aborted_ = false;
    HINTERNET session_ = nullptr;
    HINTERNET connection_ = nullptr;
    HINTERNET request_ = nullptr;
    std::string received_;
    bool ok_ = false;
};

DWORD WINAPI RunJob(void* parameter) {
    std::unique_ptr<std::shared_ptr<FetchJob>> held(
        static_cast<std::shared_ptr<FetchJob>*>(parameter));
    const std::shared_ptr<FetchJob> job = std::move(*held);
    job->Run();
    return 0;
}

}  // namespace

bool HttpFetch::Fetch(std::string_view url, int timeLimitMs, std::string& body) {
    if (timeLimitMs <= 0 || !WinHttp().Complete()) return false;
    auto job =
        std::make_shared<FetchJob>(Widen(url), userAgent_, UserProxy(), timeLimitMs, maxBody);
    if (!job->Done()) return false;
    auto* handover = new std::shared_ptr<FetchJob>(job);
    HANDLE worker = CreateThread(nullptr, 0, RunJob, handover, 0, nullptr);
    if (worker == nullptr) {
        delete handover;
        return false;
    }
    CloseHandle(worker);
    const int left = job->Limit().Left();
    if (WaitForSingleObject(job->Done(), static_cast<DWORD>(left)) != WAIT_OBJECT_0) {
        job->Abort();
        return false;
    }
    if (!job->Succeeded()) return false;
    std::string& received = job->Received();
    // The program's texts are UTF-8; a list in the ANSI code page is converted.
    body = IsValidUtf8(received) ? std::move(received) : Narrow(Widen(received));
    return true;
}

}  // namespace tk::win32
