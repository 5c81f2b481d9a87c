#include "LoopbackServer.h"

#include <memory>

namespace {

bool SendAll(SOCKET client, std::string_view data) {
    while (!data.empty()) {
        const int n = send(client, data.data(), static_cast<int>(data.size()), 0);
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Waits up to `ms` unless the client closes or `stop` turns true; false then.
bool Linger(SOCKET client, const std::atomic<bool>& stop, int ms) {
    for (int waited = 0; waited < ms && !stop; waited += 50) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(client, &readable);
        timeval wait{0, 50000};
        if (select(0, &readable, nullptr, nullptr, &wait) > 0) {
            char byte;
            if (recv(client, &byte, 1, 0) <= 0) return false;
        }
    }
    return !stop;
}

// Sends `piece` again and again while the client takes it.
void Flood(SOCKET client, const std::atomic<bool>& stop, const std::string& piece) {
    // A client that stops reading blocks a send; the time-out brings the loop back to `stop`.
    DWORD ms = 200;
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
    while (!stop) {
        const int n = send(client, piece.data(), static_cast<int>(piece.size()), 0);
        if (n <= 0 && WSAGetLastError() != WSAETIMEDOUT) return;
    }
}

constexpr char kOkHeaders[] = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n";

}  // namespace

LoopbackServer::LoopbackServer(std::string status, std::string body) {
    const std::string response =
        "HTTP/1.0 " + status +
        "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\n\r\n" + body;
    behaviour_ = [response](SOCKET client, const std::atomic<bool>&) { SendAll(client, response); };
    Start();
}

LoopbackServer::LoopbackServer(Behaviour behaviour) : behaviour_(std::move(behaviour)) { Start(); }

void LoopbackServer::Start() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listener_, 4);
    int size = sizeof addr;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &size);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
    stop_ = true;
    thread_.join();
    closesocket(listener_);
    WSACleanup();
}

std::vector<std::string> LoopbackServer::Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void LoopbackServer::SetBeforeAnswer(std::function<void()> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    beforeAnswer_ = std::move(hook);
}

void LoopbackServer::Serve() {
    while (!stop_) {
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(listener_, &ready);
        timeval wait{0, 20000};
        if (select(0, &ready, nullptr, nullptr, &wait) <= 0) continue;
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        Answer(client);
        closesocket(client);
    }
}

void LoopbackServer::Answer(SOCKET client) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::size_t end = request.find("\r\n\r\n");
        requests_.push_back(end == std::string::npos ? request : request.substr(0, end + 2));
        hook = beforeAnswer_;
    }
    if (hook) hook();
    behaviour_(client, stop_);
    shutdown(client, SD_SEND);
}

unsigned short ClosedLoopbackPort() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    int size = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &size);
    closesocket(s);
    WSACleanup();
    return ntohs(addr.sin_port);
}

LoopbackServer::Behaviour Redirects(int hops, int pauseMs, std::string body) {
    auto served = std::make_shared<std::atomic<int>>(0);
    return [hops, pauseMs, body, served](SOCKET client, const std::atomic<bool>& stop) {
        const int n = (*served)++;
        if (pauseMs > 0 && !Linger(client, stop, pauseMs)) return;
        if (hops >= 0 && n >= hops) {
            SendAll(client, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
                                body);
            return;
        }
        SendAll(client, "HTTP/1.1 302 Found\r\nLocation: /hop/" + std::to_string(n + 1) +
                            "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    };
}

namespace hostile {

LoopbackServer::Behaviour TrickleHeaders(int everyMs) {
    return [everyMs](SOCKET client, const std::atomic<bool>& stop) {
        const std::string start = "HTTP/1.1 200 OK\r\nX-Padding: ";
        for (std::size_t i = 0; Linger(client, stop, everyMs); ++i) {
            const char byte = i < start.size() ? start[i] : 'x';
            if (!SendAll(client, std::string_view(&byte, 1))) return;
        }
    };
}

LoopbackServer::Behaviour RedirectChain(int pauseMs) { return Redirects(-1, pauseMs, {}); }

LoopbackServer::Behaviour RedirectLoop() {
    return [](SOCKET client, const std::atomic<bool>&) {
        SendAll(client,
                "HTTP/1.1 302 Found\r\nLocation: /pecunup/\r\nContent-Length: 0\r\n"
                "Connection: close\r\n\r\n");
    };
}

LoopbackServer::Behaviour EndlessChunkedBody() {
    return [](SOCKET client, const std::atomic<bool>& stop) {
        if (!SendAll(client, std::string(kOkHeaders) + "Transfer-Encoding: chunked\r\n\r\n"))
            return;
        Flood(client, stop, "4000\r\n" + std::string(0x4000, 'x') + "\r\n");
    };
}

LoopbackServer::Behaviour HugeContentLength() {
    return [](SOCKET client, const std::atomic<bool>& stop) {
        if (!SendAll(client, std::string(kOkHeaders) + "Content-Length: 1000000000000\r\n\r\n"))
            return;
        Flood(client, stop, std::string(0x4000, 'x'));
    };
}

LoopbackServer::Behaviour Trickle(int everyMs) {
    return [everyMs](SOCKET client, const std::atomic<bool>& stop) {
        if (!SendAll(client, std::string(kOkHeaders) + "Content-Length: 100000\r\n\r\nH\n")) return;
        while (Linger(client, stop, everyMs) && SendAll(client, "x")) {
        }
    };
}

LoopbackServer::Behaviour StallAfterHeaders() {
    return [](SOCKET client, const std::atomic<bool>& stop) {
        if (!SendAll(client, std::string(kOkHeaders) + "Content-Length: 100\r\n\r\n")) return;
        while (Linger(client, stop, 1000)) {
        }
    };
}

LoopbackServer::Behaviour StallBeforeHeaders() {
    return [](SOCKET client, const std::atomic<bool>& stop) {
        while (Linger(client, stop, 1000)) {
        }
    };
}

}  // namespace hostile
