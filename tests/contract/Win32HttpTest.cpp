// The HTTP fetch against a server on the loopback address.
#include <winsock2.h>
// After winsock2.h.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "LoopbackServer.h"
#include "toolkit/win32/Text.h"
#include "toolkit/win32/Win32.h"

namespace {

constexpr wchar_t kAgent[] = L"Peer test";

TEST(Win32Http, AnOkAnswerGivesItsWholeBody) {
    const std::string body = "Rates of 2026-12-08\r\nUSD 1.0613\r\n";
    LoopbackServer server("200 OK", body);
    tk::win32::HttpFetch http{kAgent};
    std::string got;
    ASSERT_TRUE(http.Fetch(server.Url(), 10000, got));
    EXPECT_EQ(got, body);
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("\r\nUser-Agent: Peer test\r\n"), std::string::npos)
        << requests[0];
}

TEST(Win32Http, AnAnsiBodyArrivesAsUtf8) {
    LoopbackServer server("200 OK", "Z\xB9oty");  // not UTF-8
    tk::win32::HttpFetch http{kAgent};
    std::string got;
    ASSERT_TRUE(http.Fetch(server.Url(), 10000, got));
    EXPECT_EQ(got, tk::win32::Narrow(tk::win32::Widen("Z\xB9oty")));
    EXPECT_NE(got, "Z\xB9oty");
}

TEST(Win32Http, ErrorAnswersAndMissingServersAreNoTransfer) {
    {
        LoopbackServer server("404 Not Found", "<html>no list here</html>");
        tk::win32::HttpFetch http{kAgent};
        std::string got = "untouched";
        EXPECT_FALSE(http.Fetch(server.Url(), 10000, got)) << "a 404 page is not an update list";
        EXPECT_EQ(got, "untouched");
    }
    tk::win32::HttpFetch http{kAgent};
    std::string got;
    EXPECT_FALSE(http.Fetch("http://127.0.0.1:1/pecunup/", 10000, got)) << "refused connection";
    EXPECT_FALSE(http.Fetch("ftp://127.0.0.1/pecunup/", 10000, got)) << "not HTTP";
    EXPECT_FALSE(http.Fetch("not a url", 10000, got));
}

struct HostileCase {
    const char* name;
    LoopbackServer::Behaviour behaviour;
};

TEST(Win32Http, EveryHostileServerEndsInAFailureByTheDeadline) {
    const HostileCase cases[] = {
        {"endless chunked body", hostile::EndlessChunkedBody()},
        {"Content-Length of 10^12", hostile::HugeContentLength()},
        {"a byte every 500 ms", hostile::Trickle(500)},
        {"stall after the headers", hostile::StallAfterHeaders()},
        {"stall before the headers", hostile::StallBeforeHeaders()},
        {"the headers a byte every 100 ms", hostile::TrickleHeaders(100)},
        {"a redirect every 1.5 s, for ever", hostile::RedirectChain(1500)},
        {"a redirect to itself", hostile::RedirectLoop()},
    };
    for (const HostileCase& c : cases) {
        LoopbackServer server(c.behaviour);
        tk::win32::HttpFetch http{kAgent};
        http.maxBody = 1u << 20;
        std::string got = "untouched";
        const DWORD start = GetTickCount();
        EXPECT_FALSE(http.Fetch(server.Url(), 3000, got)) << c.name;
        const DWORD took = GetTickCount() - start;
        EXPECT_LT(took, 4500u) << c.name << ": the fetch ran " << took << " ms, limit 3000";
        EXPECT_EQ(got, "untouched") << c.name;
        std::printf("%s: failed after %lu ms\n", c.name, static_cast<unsigned long>(took));
    }
}

TEST(Win32Http, RedirectsAreFollowedFiveTimesAtMost) {
    const struct {
        int hops;
        bool ok;
    } cases[] = {{1, true}, {5, true}, {6, false}};
    for (const auto& c : cases) {
        LoopbackServer server(Redirects(c.hops, 0, "H\n"));
        tk::win32::HttpFetch http{kAgent};
        std::string got;
        EXPECT_EQ(http.Fetch(server.Url(), 10000, got), c.ok) << c.hops << " redirects";
        EXPECT_EQ(got, c.ok ? "H\n" : "") << c.hops << " redirects";
        const std::vector<std::string> requests = server.Requests();
        EXPECT_EQ(requests.size(), static_cast<std::size_t>(c.ok ? c.hops + 1 : 6));
        if (requests.size() > 1) {
            EXPECT_EQ(requests[1].rfind("GET /hop/1 HTTP/1.", 0), 0u) << requests[1];
        }
    }
}

}  // namespace
