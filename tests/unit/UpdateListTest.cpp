// Reading an update list into the table and the options dialog's list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frmOpt.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/headless/Headless.h"

namespace {

using mdlData::CurrencyTable;

constexpr int kUSD = 12, kGBP = 14;

class UpdateListTest : public testing::Test {
protected:
    void SetUp() override {
        mdlData::RestoreDefaults();
        frmOpt.Load();
    }
    void TearDown() override {
        frmOpt.Discard();
        tk::RetireUnloaded();
    }

    bool Apply(const std::string& text) { return ApplyUpdateList(text, header); }
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        tk::WindowPeer& list = frmOpt().Peer();
        for (int i = 0; i < list.ListCount(FrmOpt::lstCur); ++i) {
            lines.push_back(list.ListText(FrmOpt::lstCur, i));
        }
        return lines;
    }
    // The item data of the list line reading `text`, or -1.
    int DataOf(const std::string& text) {
        tk::WindowPeer& list = frmOpt().Peer();
        for (int i = 0; i < list.ListCount(FrmOpt::lstCur); ++i) {
            if (list.ListText(FrmOpt::lstCur, i) == text) return list.ItemData(FrmOpt::lstCur, i);
        }
        return -1;
    }
    std::int64_t Raw(int i) { return CurrencyTable[i].Value.Raw(); }

    tk::headless::Platform ui;
    std::string header = "unset";
};

struct DocumentCase {
    const char* name;
    const char* text;
    bool ok;
    const char* header;
    std::int64_t usd;  // the USD rate afterwards
    int count;         // the table's size afterwards
};

TEST_F(UpdateListTest, DocumentsAreReadLineByLine) {
    const DocumentCase cases[] = {
        {"header only", "Rates of today\n", true, "Rates of today", 10613, 21},
        {"empty header", "\nUSD\t11264\tx\n", true, "", 11264, 21},
        {"a known code", "H\nusd\t11264\tUnited States dollar\n", true, "H", 11264, 21},
        {"one empty line after", "H\nUSD\t11264\tx\n\r\n", true, "H", 11264, 21},
        {"two LFs after", "H\nUSD\t11264\tx\n\n\n", true, "H", 11264, 21},
        {"three characters after", "H\nUSD\t11264\tx\n\n\n\n", false, "H", 11264, 21},
        {"last record without LF", "H\nUSD\t11264\tx\nGBP\t8617", false, "H", 11264, 21},
        {"no LF at all", "USD\t11264\tx", false, "unset", 10613, 21},
        {"empty", "", false, "unset", 10613, 21},
        {"one TAB only", "H\nUSD\t11264\n", false, "H", 10613, 21},
        {"no TAB", "H\nUSD 11264\n", false, "H", 10613, 21},
        {"later record wins", "H\nUSD\t1\tx\nUSD\t2\tx\n", true, "H", 2, 21},
        {"rate with a blank", "H\nUSD\t1 0613\tx\n", true, "H", 10613, 21},
        {"rate with a comma", "H\nUSD\t1,0613\tx\n", true, "H", 1, 21},
        {"rate of letters", "H\nUSD\tabc\tx\n", true, "H", 0, 21},
        {"rate rounded", "H\nUSD\t10613.4\tx\n", true, "H", 10613, 21},
        {"rate too large", "H\nUSD\t1e300\tx\n", false, "H", 10613, 21},
        {"rate beyond a double", "H\nUSD\t1e400\tx\n", false, "H", 10613, 21},
        {"new code", "H\nXAU\t123456\tGold\n", true, "H", 10613, 22},
        {"code with a blank is new", "H\nUSD \t5\tTrimmed\n", true, "H", 10613, 22},
    };
    for (const auto& c : cases) {
        SetUp();
        header = "unset";
        EXPECT_EQ(Apply(c.text), c.ok) << c.name;
        EXPECT_EQ(header, c.header) << c.name;
        EXPECT_EQ(Raw(kUSD), c.usd) << c.name;
        EXPECT_EQ(mdlData::CurrencyCount(), c.count) << c.name;
        EXPECT_EQ(CurrencyTable[kUSD].Name, "United States dollar") << c.name;
        TearDown();
    }
}

TEST_F(UpdateListTest, NewCurrenciesJoinTheTableAndTheList) {
    ASSERT_TRUE(Apply("Header\r\nUSD\t11264\tUS\r\nxau\t123456\tGold\r\nXAU\t5\tAgain\r\n"));
    EXPECT_EQ(header, "Header\r");
    EXPECT_EQ(Raw(kUSD), 11264);
    ASSERT_EQ(mdlData::CurrencyCount(), 22);
    EXPECT_EQ(CurrencyTable[21].Name, "Gold\r");
    EXPECT_EQ(CurrencyTable[21].Short.str(), "XAU");
    EXPECT_EQ(Raw(21), 5) << "the second record only changes the rate";
    EXPECT_EQ(DataOf("Gold\r (XAU)"), 21);
    EXPECT_EQ(Lines().size(), 22u);
}

TEST_F(UpdateListTest, ADeletedCurrencyComesBackInTheLowestFreeEntry) {
    CurrencyTable[3].Name.clear();
    CurrencyTable[kGBP].Name.clear();
    ASSERT_TRUE(Apply("H\nGBP\t8617\tPound sterling\nZAR\t157752\tRand\n"));
    EXPECT_EQ(CurrencyTable[3].Name, "Pound sterling");
    EXPECT_EQ(Raw(3), 8617);
    EXPECT_EQ(CurrencyTable[kGBP].Name, "") << "a deleted entry is never updated";
    EXPECT_EQ(Raw(kGBP), 6593);
    EXPECT_EQ(Raw(18), 157752) << "ZAR is known";
    EXPECT_EQ(mdlData::CurrencyCount(), 21);
}

TEST_F(UpdateListTest, AnEmptyNameMakesAFreeEntryWithALine) {
    ASSERT_TRUE(Apply("H\nab\t20000\t\n"));
    EXPECT_EQ(CurrencyTable[21].Short.str(), "AB ");
    EXPECT_EQ(DataOf(" (AB )"), 21);
    ASSERT_TRUE(Apply("H\nCD\t30000\tSecond\n"));
    EXPECT_EQ(CurrencyTable[21].Name, "Second") << "the empty-named entry was free";
}

TEST_F(UpdateListTest, AFullTableTakesNoNewCode) {
    CurrencyTable.resize(mdlData::kMaxCurrencies, CurrencyEntry{"Filler", "FIL", Money::Whole(1)});
    EXPECT_FALSE(Apply("H\nUSD\t11264\tx\nNEW\t1\tNew\nGBP\t1\tx\n"));
    EXPECT_EQ(Raw(kUSD), 11264) << "records before the fault stay applied";
    EXPECT_EQ(Raw(kGBP), 6593);
    EXPECT_EQ(mdlData::CurrencyCount(), mdlData::kMaxCurrencies);
}

}  // namespace
