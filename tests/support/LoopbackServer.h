// An HTTP server on the loopback address for the Windows tests. It answers every
// connection with one fixed answer until it is destroyed; before each answer it runs the
// hook given to SetBeforeAnswer (on the server's own thread), so that a test can look at a
// client while the client waits.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackServer {
public:
    // How the server answers one connection once the request has arrived: it may send what it
    // likes, and returns soon after `stop` turns true or the client goes.
    using Behaviour = std::function<void(SOCKET client, const std::atomic<bool>& stop)>;

    // `status` such as "200 OK"; the body goes out with its Content-Length.
    LoopbackServer(std::string status, std::string body);
    explicit LoopbackServer(Behaviour behaviour);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    unsigned short Port() const { return port_; }
    std::string Url(const char* path = "/pecunup/") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    // The head of every request so far: the request line and the headers, each line ended
    // by CR LF.
    std::vector<std::string> Requests();
    void SetBeforeAnswer(std::function<void()> hook);

private:
    void Start();
    void Serve();
    void Answer(SOCKET client);

    Behaviour behaviour_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::function<void()> beforeAnswer_;
    std::thread thread_;
};

// A loopback port that nobody listens on.
unsigned short ClosedLoopbackPort();

// `hops` redirects (302, each after a pause of `pauseMs`) along /hop/1, /hop/2, ..., then 200
// with `body`; a negative `hops` redirects for ever.
LoopbackServer::Behaviour Redirects(int hops, int pauseMs, std::string body);

// Servers that never give a proper answer in time.
namespace hostile {
// 200 with a chunked body that never ends, sent as fast as the client takes it.
LoopbackServer::Behaviour EndlessChunkedBody();
// 200 declaring a body of 10^12 bytes, sent as fast as the client takes it.
LoopbackServer::Behaviour HugeContentLength();
// 200 and its headers, then one byte of the body every `everyMs`.
LoopbackServer::Behaviour Trickle(int everyMs);
// 200 and its headers, then nothing.
LoopbackServer::Behaviour StallAfterHeaders();
// Nothing at all after the request.
LoopbackServer::Behaviour StallBeforeHeaders();
// The status line and headers one byte every `everyMs`, never ending.
LoopbackServer::Behaviour TrickleHeaders(int everyMs);
// A redirect to a new address every `pauseMs`, for ever.
LoopbackServer::Behaviour RedirectChain(int pauseMs);
// A redirect to the address asked for, at once, for ever.
LoopbackServer::Behaviour RedirectLoop();
}  // namespace hostile
