// The WinINet fetch against a one-shot server on the loopback address.
#include <winsock2.h>
// After winsock2.h.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "toolkit/win32/Text.h"
#include "toolkit/win32/Win32.h"

namespace {

// Answers one connection on 127.0.0.1 with `response`, then closes.
class OneShotServer {
public:
    explicit OneShotServer(std::string response) : response_(std::move(response)) {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        listen(listener_, 1);
        int size = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &size);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~OneShotServer() {
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }
    std::string Url(const char* path = "/pecunup/") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    void Serve() {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        // Reads the request up to its blank line.
        std::string request;
        char buffer[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int n = recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            request.append(buffer, static_cast<std::size_t>(n));
        }
        send(client, response_.data(), static_cast<int>(response_.size()), 0);
        shutdown(client, SD_SEND);
        closesocket(client);
    }

    std::string response_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::thread thread_;
};

std::string Answer(const char* status, const std::string& body) {
    return std::string("HTTP/1.0 ") + status +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

TEST(Win32Http, AnOkAnswerGivesItsWholeBody) {
    const std::string body = "Rates of 2026-12-08\r\nUSD 1.0613\r\n";
    OneShotServer server(Answer("200 OK", body));
    tk::win32::WinInetHttp http;
    std::string got;
    ASSERT_TRUE(http.Fetch(server.Url(), got));
    EXPECT_EQ(got, body);
}

TEST(Win32Http, AnAnsiBodyArrivesAsUtf8) {
    OneShotServer server(Answer("200 OK", "Z\xB9oty"));  // not UTF-8
    tk::win32::WinInetHttp http;
    std::string got;
    ASSERT_TRUE(http.Fetch(server.Url(), got));
    EXPECT_EQ(got, tk::win32::Narrow(tk::win32::Widen("Z\xB9oty")));
    EXPECT_NE(got, "Z\xB9oty");
}

TEST(Win32Http, ErrorAnswersAndMissingServersAreNoTransfer) {
    {
        OneShotServer server(Answer("404 Not Found", "<html>no list here</html>"));
        tk::win32::WinInetHttp http;
        std::string got = "untouched";
        EXPECT_FALSE(http.Fetch(server.Url(), got)) << "a 404 page is not an update list";
        EXPECT_EQ(got, "untouched");
    }
    tk::win32::WinInetHttp http;
    std::string got;
    EXPECT_FALSE(http.Fetch("http://127.0.0.1:1/pecunup/", got)) << "refused connection";
    EXPECT_FALSE(http.Fetch("ftp://127.0.0.1/pecunup/", got)) << "not HTTP";
    EXPECT_FALSE(http.Fetch("not a url", got));
}

}  // namespace
