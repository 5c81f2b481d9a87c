// The history window of the real program: opened from the keyboard on a currency button, its
// chart read by a screen reader from outside, and its copy on the clipboard. The banks'
// documents come from the feed_server fixture: the ECB's 90-day sample (2019-04-09 to
// 2019-04-11) and the NBP's tables of 2024-12-11.
#include <string>

#include "AccessibleObject.h"
#include "FeedServer.h"
#include "ProductTexts.h"
#include "Scenario.h"
#include "frmHistory.h"

namespace e2e {
namespace {

// The default table's USD, and a naira added after its 21 entries, on the last button.
constexpr int kUsdEntry = 12;
constexpr int kUsdSlot = 1;
constexpr int kNgnEntry = 21;
constexpr int kNgnSlot = FrmMain::kCurrencyButtons - 1;

// The store's value `letter` + `entry` ("R12").
std::string Key(char letter, int entry) {
    std::string key(1, letter);
    key += std::to_string(entry);
    return key;
}

Store HistoryStore() {
    Store store = DefaultStore();
    store["FallbackUrl"] = BankFileUrl("eurofxref-daily-2019-04-11.xml");
    store["NbpUrl"] = NbpFeedUrl();
    store[Key('R', kUsdEntry)] = "ECB 2019-04-11";
    store[Key('L', kNgnEntry)] = "Naira";
    store[Key('S', kNgnEntry)] = "NGN";
    store[Key('V', kNgnEntry)] = "1635.6049";
    store[Key('R', kNgnEntry)] = "NBP 050/B/NBP/2024 2024-12-11";
    store["CN"] = store["RN"] = std::to_string(kNgnEntry + 1);
    store[Key('U', kNgnSlot)] = std::to_string(kNgnEntry);
    return store;
}

// The window with the keyboard focus in the thread of `window`.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                              : nullptr;
}

class HistoryWindowTest : public ScreenReaderTest {
protected:
    // Tabs to button `slot` and opens its history from its context menu by the keyboard (the
    // context-menu key, or Shift+F10) and the item's mnemonic; the window, or nullptr.
    HWND OpenHistory(const MainWindow& main, int slot, WORD menuKey, bool shift,
                     const wchar_t* caption) {
        const HWND button = main.buttons[static_cast<std::size_t>(slot)];
        for (int tabs = 0; tabs < FrmMain::kCurrencyButtons; ++tabs) {
            const HWND before = FocusOf(main.form);
            if (before == button) break;
            if (!Type(main.form, "\t") ||
                !WaitUntil([&] { return FocusOf(main.form) != before; })) {
                return nullptr;
            }
        }
        EXPECT_EQ(FocusOf(main.form), button) << "the focus on button " << slot;
        if (!PressKey(main.form, menuKey, shift)) return nullptr;
        if (WaitWindow(program->Pid(), L"#32768", L"") == nullptr) {
            ADD_FAILURE() << "no context menu";
            return nullptr;
        }
        if (!Type(main.form, "h")) return nullptr;
        return WaitWindow(program->Pid(), kFormClass, caption);
    }
};

TEST_F(HistoryWindowTest, KeyboardScreenReaderAndClipboard) {
    ASSERT_EQ(FeedUrl().rfind("http://127.0.0.1:", 0), 0u) << "no served feed: " << FeedUrl();
    ASSERT_TRUE(SeedStore(HistoryStore()));
    const std::optional<MainWindow> main = Open();
    ASSERT_TRUE(main);

    const HWND usd = OpenHistory(*main, kUsdSlot, VK_F10, true, L"USD per EUR, last 90 days");
    ASSERT_NE(usd, nullptr) << "Shift+F10, then H, opens the history";
    const HWND chart = FormControl(usd, FrmHistory::chtRate);
    ASSERT_NE(chart, nullptr);
    const char* const low = " (low 1.1241 on 4/9/2019, high 1.1298 on 4/10/2019)";
    struct Step {
        WORD key;
        std::string name;
    };
    const Step steps[] = {
        {VK_END, "Thu 4/11/2019: 1 EUR = 1.1264 USD" + std::string(low)},
        {VK_LEFT, "Wed 4/10/2019: 1 EUR = 1.1298 USD" + std::string(low)},
        {VK_HOME, "Tue 4/9/2019: 1 EUR = 1.1241 USD" + std::string(low)},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(PressKey(usd, step.key));
        std::string heard;
        EXPECT_TRUE(WaitUntil([&] { return (heard = Accessible(chart).Name()) == step.name; }))
            << "after key " << step.key << ": " << heard;
        EXPECT_EQ(Text(FormControl(usd, FrmHistory::lblLine)), step.name);
    }
    ASSERT_TRUE(TypeCtrl(usd, 'C'));
    const std::string copied =
        "Date\tUSD per EUR\r\n2019-04-09\t1.1241\r\n2019-04-10\t1.1298\r\n2019-04-11\t1.1264\r\n";
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == copied; }))
        << ClipboardText().value_or("(no text)");
    ASSERT_TRUE(Type(usd, "\x1b"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(usd); })) << "Esc closes the history";

    const HWND ngn = OpenHistory(*main, kNgnSlot, VK_APPS, false, L"NGN per EUR, last 90 days");
    ASSERT_NE(ngn, nullptr) << "the context-menu key, then H, opens the history";
    const std::string day = "1,635.6049 on 12/11/2024";
    const std::string line =
        "Wed 12/11/2024: 1 EUR = 1,635.6049 NGN (low " + day + ", high " + day + ")";
    std::string heard;
    EXPECT_TRUE(WaitUntil([&] {
        return (heard = Accessible(FormControl(ngn, FrmHistory::chtRate)).Name()) == line;
    })) << heard;
    ASSERT_TRUE(Type(ngn, "\x1b"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(ngn); }));
}

}  // namespace
}  // namespace e2e
