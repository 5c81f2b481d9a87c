// Reading an update list into the table and the options dialog's list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Rates.h"
#include "UpdateList.h"
#include "frmOpt.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/headless/Headless.h"

namespace {

using namespace std::string_literals;
using mdlData::CurrencyTable;

constexpr int kUSD = 12, kGBP = 14;

class UpdateListTest : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override {
        frmOpt.Discard();
        tk::RetireUnloaded();
    }
    // The default table and a fresh options dialog.
    void Reset() {
        frmOpt.Discard();
        tk::RetireUnloaded();
        mdlData::RestoreDefaults();
        frmOpt.Load();
        header = "unset";
    }

    // Applies the list as the update dialog does: the table, then the options list.
    bool Apply(const std::string& text) {
        std::optional<UpdateChanges> changes = ApplyUpdateList(text, header);
        if (changes) frmOpt().ShowEntries(std::move(changes->added));
        return changes.has_value();
    }
    std::vector<tk::ListLine> Lines() { return frmOpt().Lines(); }
    // The item data of the list line reading `text`, or -1.
    int DataOf(const std::string& text) {
        for (const tk::ListLine& line : Lines()) {
            if (line.text == text) return line.data;
        }
        return -1;
    }
    // No index is carried by two lines, and every entry with a name has exactly one line.
    void ExpectOneLinePerEntry(const std::string& what) {
        std::vector<int> lines(CurrencyTable.size(), 0);
        for (const tk::ListLine& line : Lines()) {
            ASSERT_TRUE(mdlData::IsIndex(line.data)) << what << ": line " << line.text;
            ++lines[static_cast<std::size_t>(line.data)];
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_LE(lines[i], 1) << what << ": entry " << i << " has " << lines[i] << " lines";
            if (!CurrencyTable[i].Name.empty()) {
                EXPECT_EQ(lines[i], 1) << what << ": entry " << i << " has no line";
            }
        }
    }
    std::int64_t Raw(int i) { return CurrencyTable[i].Value.Raw(); }

    tk::headless::Platform ui;
    std::string header = "unset";
};

struct DocumentCase {
    const char* name;
    std::string text;
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
        {"three characters after", "H\nUSD\t11264\tx\n\n\n\n", false, "unset", 10613, 21},
        // What is left is counted in characters, not in the bytes of their UTF-8.
        {"two letters after", "H\nUSD\t11264\tx\n\xc3\xa9\xc3\xa9", true, "H", 11264, 21},
        {"a sign after", "H\nUSD\t11264\tx\n\xe2\x82\xac\n", true, "H", 11264, 21},
        {"three letters after", "H\nUSD\t11264\tx\n\xc3\xa9\xc3\xa9\xc3\xa9", false, "unset", 10613,
         21},
        {"last record without LF", "H\nUSD\t11264\tx\nGBP\t8617", false, "unset", 10613, 21},
        {"no LF at all", "USD\t11264\tx", false, "unset", 10613, 21},
        {"empty", "", false, "unset", 10613, 21},
        {"one TAB only", "H\nUSD\t11264\n", false, "unset", 10613, 21},
        {"no TAB", "H\nUSD 11264\n", false, "unset", 10613, 21},
        {"later record wins", "H\nUSD\t1\tx\nUSD\t2\tx\n", true, "H", 2, 21},
        {"rate with a blank", "H\nUSD\t1 0613\tx\n", true, "H", 10613, 21},
        {"rate with a comma", "H\nUSD\t1,0613\tx\n", true, "H", 1, 21},
        {"rate of letters", "H\nUSD\tabc\tx\n", false, "unset", 10613, 21},
        {"rate of zero", "H\nUSD\t0\tx\n", false, "unset", 10613, 21},
        {"rate rounded to zero", "H\nUSD\t0.4\tx\n", false, "unset", 10613, 21},
        {"rate below zero", "H\nUSD\t-11264\tx\n", false, "unset", 10613, 21},
        {"NUL in the header", "H\0\nUSD\t11264\tx\n"s, false, "unset", 10613, 21},
        {"NUL in a name", "H\nUSD\t11264\tx\0y\n"s, false, "unset", 10613, 21},
        {"NUL after the last record", "H\nUSD\t11264\tx\n\0"s, false, "unset", 10613, 21},
        {"header ending in CR LF", "H\r\nUSD\t11264\tx\r\n", true, "H", 11264, 21},
        {"header ending in two CRs", "H\r\r\nUSD\t11264\tx\n", true, "H\r", 11264, 21},
        {"rate rounded", "H\nUSD\t10613.4\tx\n", true, "H", 10613, 21},
        {"rate too large", "H\nUSD\t1e300\tx\n", false, "unset", 10613, 21},
        {"rate beyond a double", "H\nUSD\t1e400\tx\n", false, "unset", 10613, 21},
        {"new code", "H\nXAU\t123456\tGold\n", true, "H", 10613, 22},
        {"code with a blank is new", "H\nUSD \t5\tTrimmed\n", true, "H", 10613, 22},
        {"code with blanks and a CR", "H\nUSD \r \t5\tTrimmed\n", true, "H", 10613, 22},
        {"code of two letters", "H\nEU\t5\tPadded\n", true, "H", 10613, 22},
        {"code of three UTF-8 characters", "H\n\xe2\x82\xac\xc3\xa9$\t5\tx\n", true, "H", 10613,
         22},
        {"code of four UTF-8 characters", "H\n\xe2\x82\xac\xc3\xa9$$\t5\tx\n", false, "unset",
         10613, 21},
        {"code of four letters", "H\nUSDX\t5\tx\n", false, "unset", 10613, 21},
        {"code with a blank inside", "H\nUS D\t5\tx\n", false, "unset", 10613, 21},
        {"code of 200 characters", "H\nUSD" + std::string(197, 'X') + "\t5\tx\n", false, "unset",
         10613, 21},
        {"empty code", "H\n\t5\tx\n", false, "unset", 10613, 21},
        {"code of continuation bytes only", "H\n\x82\xac\t5\tx\n", false, "unset", 10613, 21},
        {"code of blanks", "H\n   \t5\tx\n", false, "unset", 10613, 21},
    };
    for (const auto& c : cases) {
        Reset();
        EXPECT_EQ(Apply(c.text), c.ok) << c.name;
        EXPECT_EQ(header, c.header) << c.name;
        EXPECT_EQ(Raw(kUSD), c.usd) << c.name;
        EXPECT_EQ(mdlData::CurrencyCount(), c.count) << c.name;
        EXPECT_EQ(CurrencyTable[kUSD].Name, "United States dollar") << c.name;
    }
}

TEST_F(UpdateListTest, RatesUpToTwoToThe53ArriveAsWritten) {
    // pecun-feed writes counts up to 2^53 for the converter to take exactly; a fraction of a
    // count rounds halves to even.
    const std::pair<const char*, std::int64_t> cases[] = {
        {"4317010590304885", 4317010590304885},
        {"2251799813685249", 2251799813685249},
        {"9007199254740991", 9007199254740991},
        {"9007199254740992", 9007199254740992},
        {"11264.5", 11264},
        {"11265.5", 11266},
    };
    for (const auto& [count, raw] : cases) {
        Reset();
        ASSERT_TRUE(Apply(std::string("H\nUSD\t") + count + "\tx\n")) << count;
        EXPECT_EQ(Raw(kUSD), raw) << count;
    }
}

TEST_F(UpdateListTest, AFaultAnywhereChangesNothing) {
    // Each list changes a rate and adds a currency besides its fault.
    const std::pair<const char*, const char*> cases[] = {
        {"first record", "H\nUSD\t1e300\tx\nGBP\t1\tx\nXAU\t5\tGold\n"},
        {"middle record", "H\nUSD\t1\tx\nXAU\t5\tGold\nbroken\nGBP\t1\tx\n"},
        {"last record", "H\nUSD\t1\tx\nXAU\t5\tGold\nGBP\t1"},
        {"last record's rate", "H\nUSD\t1\tx\nXAU\t5\tGold\nGBP\t1e400\tx\n"},
        {"a zero rate", "H\nUSD\t1\tx\nXAU\t5\tGold\nGBP\t0\tx\n"},
        {"a code the table would cut", "H\nUSD\t1\tx\nXAU\t5\tGold\nGBPX\t1\tx\n"},
    };
    for (const auto& [name, text] : cases) {
        Reset();
        CurrencyTable[3].Name.clear();  // a free entry the new currency would take
        frmOpt().Form_Load();
        const std::vector<CurrencyEntry> table = CurrencyTable;
        const std::vector<tk::ListLine> lines = Lines();
        const auto store = ui.settings.values;
        EXPECT_FALSE(Apply(text)) << name;
        EXPECT_EQ(CurrencyTable.size(), table.size()) << name;
        for (std::size_t i = 0; i < table.size() && i < CurrencyTable.size(); ++i) {
            EXPECT_EQ(CurrencyTable[i].Name, table[i].Name) << name << ", entry " << i;
            EXPECT_EQ(CurrencyTable[i].Short, table[i].Short) << name << ", entry " << i;
            EXPECT_EQ(CurrencyTable[i].Value, table[i].Value) << name << ", entry " << i;
        }
        EXPECT_EQ(Lines(), lines) << name << ": the options list changed";
        EXPECT_EQ(ui.settings.values, store) << name << ": the store changed";
    }
}

TEST_F(UpdateListTest, NewCurrenciesJoinTheTableAndTheList) {
    ASSERT_TRUE(Apply("Header\r\nUSD\t11264\tUS\r\nxau\t123456\tGold\r\nXAU\t5\tAgain\r\n"));
    EXPECT_EQ(header, "Header") << "the header leaves out the CR";
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
    ExpectOneLinePerEntry("after the empty name");
    ASSERT_TRUE(Apply("H\nCD\t30000\tSecond\n"));
    EXPECT_EQ(CurrencyTable[21].Name, "Second") << "the empty-named entry was free";
    EXPECT_EQ(DataOf(" (AB )"), -1) << "the empty name's line went with its entry";
    ExpectOneLinePerEntry("after a later list");

    // Within one list, and with a line left by an emptied name in between.
    Reset();
    CurrencyTable[2].Name.clear();  // as the editor leaves an emptied name: with its line
    const std::vector<tk::ListLine> before = Lines();
    for (std::size_t pos = 0; pos < before.size(); ++pos) {
        if (before[pos].data == 2) frmOpt().RewriteLine(static_cast<int>(pos), 2);
    }
    ASSERT_EQ(DataOf(" (DEM)"), 2);
    ASSERT_TRUE(Apply("H\nE1\t1\t\nN1\t1\tFirst\nE2\t1\t\nE3\t1\t\nN2\t1\tSecond\n"));
    EXPECT_EQ(CurrencyTable[2].Name, "First");
    EXPECT_EQ(CurrencyTable[21].Name, "Second");
    ExpectOneLinePerEntry("within one list");
}

TEST_F(UpdateListTest, CodesAreFoundAsTheFirstLiveEntryThatHasThem) {
    CurrencyTable.push_back({"Second dollar", "USD", Money::Whole(2)});
    CurrencyTable[kGBP].Short = "usd";
    CurrencyTable[kGBP].Name.clear();
    frmOpt().Form_Load();
    ASSERT_TRUE(Apply("H\nUsD\t7\tx\nAB\t8\tShort\nab \t9\tx\n"));
    EXPECT_EQ(Raw(kUSD), 7) << "the first live entry with the code";
    EXPECT_EQ(Raw(21), 20000) << "a later entry with the same code";
    EXPECT_EQ(CurrencyTable[kGBP].Short.str(), "AB ") << "the deleted entry took the new code";
    EXPECT_EQ(Raw(kGBP), 9) << "a code the list added is known to a later record";
}

TEST_F(UpdateListTest, AFullTableTakesNoNewCode) {
    CurrencyTable.resize(mdlData::kMaxCurrencies, CurrencyEntry{"Filler", "FIL", Money::Whole(1)});
    frmOpt().Form_Load();
    const std::size_t lines = Lines().size();
    EXPECT_FALSE(Apply("H\nUSD\t11264\tx\nNEW\t1\tNew\nGBP\t1\tx\n"));
    EXPECT_EQ(Raw(kUSD), 10613) << "a record before the fault was applied";
    EXPECT_EQ(mdlData::CurrencyCount(), mdlData::kMaxCurrencies);
    EXPECT_EQ(Lines().size(), lines);

    // One free entry: the first new code takes it, the second finds no room.
    CurrencyTable[5].Name.clear();
    EXPECT_TRUE(Apply("H\nNEW\t1\tNew\nUSD\t11264\tx\n"));
    EXPECT_EQ(CurrencyTable[5].Name, "New");
    EXPECT_FALSE(Apply("H\nXXX\t1\tx\n"));
}

}  // namespace
