// The whole path of real rates: pecun-feed made the list from the central bank's sample file,
// nginx serves it on the loopback address (the CTest fixture feed_server, feed-server.sh), and
// the converter, pointed there by "UpdateUrl", updates from Options, Update.
#include <fstream>
#include <iterator>
#include <string>

#include "Scenario.h"
#include "frmOpt.h"

namespace e2e {
namespace {

// The address the fixture serves the list at, from the file it wrote.
std::string FeedUrl() {
    std::ifstream file("Z:" PECUN_FEED_URL_UNIX_PATH);
    std::string url((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    while (!url.empty() && (url.back() == '\n' || url.back() == '\r')) url.pop_back();
    return url;
}

class FeedTest : public PecunTest {};

TEST_F(FeedTest, TheCentralBankRatesArriveThroughTheServedList) {
    const std::string url = FeedUrl();
    ASSERT_EQ(url.rfind("http://127.0.0.1:", 0), 0u) << "no served list: \"" << url << "\"";
    Store seeded = DefaultStore();
    seeded["UpdateUrl"] = url;
    ASSERT_TRUE(SeedStore(seeded));
    const std::optional<MainWindow> main = Open();
    ASSERT_TRUE(main);
    const std::optional<OptionsAndUpdate> dialogs = OpenUpdateFromOptions(*main, program->Pid());
    ASSERT_TRUE(dialogs);
    Click(dialogs->update.ok);
    EXPECT_TRUE(WaitText(dialogs->update.status,
                         "Update successful!\r\nNew rates from ECB euro reference rates of "
                         "2019-04-11"))
        << "status: " << Text(dialogs->update.status);
    const HWND list = Control(dialogs->options, 100 + FrmOpt::lstCur);
    EXPECT_TRUE(HasListLine(list, "Zloty (PLN)")) << "the zloty is not listed at once";

    const Store stored = ReadStore();
    EXPECT_EQ(stored.count("V12") ? stored.at("V12") : "(none)", " 1.1264") << "the dollar";
    EXPECT_TRUE(stored.count("LastUpdate")) << "LastUpdate was not written";
    EXPECT_EQ(stored.count("UpdateUrl") ? stored.at("UpdateUrl") : "(none)", url);
}

}  // namespace
}  // namespace e2e
