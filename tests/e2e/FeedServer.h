// Where the CTest fixture feed_server (feed-server.sh) serves the rates: the list pecun-feed
// made, and beside it the banks' files by name and the NBP's tables under nbp/.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace e2e {

// The address the fixture serves the list at, from the file it wrote.
inline std::string FeedUrl() {
    std::ifstream file("Z:" PECUN_FEED_URL_UNIX_PATH);
    std::string url((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    while (!url.empty() && (url.back() == '\n' || url.back() == '\r')) url.pop_back();
    return url;
}

// One of the bank's files as the fixture serves it, beside the list.
inline std::string BankFileUrl(const char* file) { return FeedUrl() + file; }

// The base of the NBP's addresses as the fixture serves its tables ("NbpUrl").
inline std::string NbpFeedUrl() { return FeedUrl() + "nbp/"; }

}  // namespace e2e
