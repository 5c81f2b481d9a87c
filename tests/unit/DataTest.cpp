#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ProductTexts.h"
#include "Rates.h"
#include "UpdateList.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/headless/Headless.h"

namespace {

using mdlData::CurrencyTable;
using mdlData::SelectedSlots;

struct DefaultEntry {
    const char* code;
    const char* name;
    std::int64_t raw;
    const char* stored;
};

// The built-in table as it must come out, and its store texts.
const DefaultEntry kDefaults[] = {
    {"EUR", "European Union euro", 10000, " 1"},
    {"BEF", "Belgian franc", 403399, " 40.3399"},
    {"DEM", "German mark", 19558, " 1.9558"},
    {"ESP", "Spanish peseta", 1663860, " 166.386"},
    {"FRF", "French franc", 65596, " 6.5596"},
    {"IEP", "Irish pound", 7876, " 0.7876"},
    {"ITL", "Italian lira", 19362700, " 1936.27"},
    {"CAD", "Canadian dollar", 15852, " 1.5852"},
    {"NLG", "Dutch guilder", 22037, " 2.2037"},
    {"ATS", "Austrian schilling", 137603, " 13.7603"},
    {"PTE", "Portuguese escudo", 2004820, " 200.482"},
    {"FIM", "Finnish markka", 59457, " 5.9457"},
    {"USD", "United States dollar", 10613, " 1.0613"},
    {"JPY", "Japanese yen", 1160000, " 116"},
    {"GBP", "British pound", 6593, " 0.6593"},
    {"DKK", "Danish krone", 74345, " 7.4345"},
    {"GRD", "Greek drachma", 3263000, " 326.3"},
    {"NOK", "Norwegian krone", 82775, " 8.2775"},
    {"ZAR", "South African rand", 64347, " 6.4347"},
    {"SEK", "Swedish krona", 87010, " 8.701"},
    {"CHF", "Swiss franc", 16004, " 1.6004"},
};
const std::array<std::int16_t, mdlData::kSlotCount> kDefaultSlots = {0, 12, 13, 14, 2, 4, 20, 1};

class DataTest : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { tk::DiscardAll(); }
    // An empty table and the options' defaults, as at the start of every test.
    void Reset() {
        CurrencyTable.clear();
        SelectedSlots = {};
        mdlData::BaseCurrency = 0;
        mdlData::MinimizeToTray = false;
        mdlData::DownloadOnStartup = false;
    }

    void Seed(const std::map<std::string, std::string>& keys) {
        for (const auto& [key, text] : keys) store()[key] = text;
    }
    std::map<std::string, std::string> Stored() const {
        std::map<std::string, std::string> out;
        for (const auto& [path, text] : ui.settings.values) {
            out[path.substr(std::string("Pecun\\Settings\\").size())] = text;
        }
        return out;
    }
    std::map<std::string, std::string>& store() { return values_; }
    void Load() {
        for (const auto& [key, text] : values_) {
            ui.settings.values[tk::MemorySettings::Path("Pecun", "Settings", key)] = text;
        }
        mdlData::LoadSettings();
    }
    // A stored table of `count` entries named N0, N1... coded C0 ... worth i + 1.
    void SeedTable(int count) {
        Seed({{"CN", std::to_string(count)}});
        for (int i = 0; i < count; ++i) {
            Seed({{"L" + std::to_string(i), "N" + std::to_string(i)},
                  {"S" + std::to_string(i), "C" + std::to_string(i % 10) + "X"},
                  {"V" + std::to_string(i), std::to_string(i + 1)}});
        }
    }

    tk::headless::Platform ui;
    std::map<std::string, std::string> values_;
};

void ExpectDefaultTable() {
    ASSERT_EQ(mdlData::CurrencyCount(), 21);
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(CurrencyTable[i].Short.str(), kDefaults[i].code) << "entry " << i;
        EXPECT_EQ(CurrencyTable[i].Name, kDefaults[i].name) << "entry " << i;
        EXPECT_EQ(CurrencyTable[i].Value.Raw(), kDefaults[i].raw) << "entry " << i;
    }
    EXPECT_EQ(SelectedSlots, kDefaultSlots);
    EXPECT_EQ(mdlData::BaseCurrency, 0);
}

TEST_F(DataTest, RestoreDefaultsShrinksTheTableAndSavesIt) {
    CurrencyTable.resize(30, CurrencyEntry{"Extra", "XTR", Money::Whole(3)});
    SelectedSlots = {29, 28, 27, 26, 25, 24, 23, 22};
    mdlData::BaseCurrency = 29;
    mdlData::RestoreDefaults();
    ExpectDefaultTable();
    EXPECT_EQ(Stored().at("CN"), "21");
    EXPECT_EQ(Stored().at("U2"), "13");
}

TEST_F(DataTest, FirstRunWritesExactlyTheDefaultsAndAsksOnce) {
    Load();
    ExpectDefaultTable();
    std::map<std::string, std::string> expected = {{"CN", "21"},
                                                   {"BC", "0"},
                                                   {"RN", "21"},
                                                   {"MinimizeToTray", "False"},
                                                   {"DownloadOnStartup", "False"}};
    const auto key = [](char letter, int i) {
        std::string k(1, letter);
        return k.append(std::to_string(i));
    };
    for (int i = 0; i < 21; ++i) {
        expected[key('L', i)] = kDefaults[i].name;
        expected[key('S', i)] = kDefaults[i].code;
        expected[key('V', i)] = kDefaults[i].stored;
        expected[key('R', i)] = "Built-in";
    }
    for (int j = 0; j < mdlData::kSlotCount; ++j)
        expected[key('U', j)] = std::to_string(kDefaultSlots[j]);
    EXPECT_EQ(Stored(), expected);

    ASSERT_EQ(ui.msgboxes.size(), 1u);
    EXPECT_EQ(ui.msgboxes[0].prompt, product::kFirstRunQuestion);
    EXPECT_EQ(ui.msgboxes[0].flags, tk::MsgBoxFlags::YesNo | tk::MsgBoxFlags::IconQuestion);
    EXPECT_EQ(ui.msgboxes[0].title, "Pecunor");
    EXPECT_FALSE(mdlData::MinimizeToTray) << "the first run stores False before reading it";
}

TEST_F(DataTest, SaveWritesKeysInOrder) {
    Load();
    ui.settings.writes.clear();
    EXPECT_TRUE(mdlData::SaveSettings());
    std::vector<std::string> expected = {"CN", "BC", "RN"};
    for (int i = 0; i < 21; ++i) {
        for (char c : {'L', 'S', 'V', 'R'}) expected.push_back(c + std::to_string(i));
    }
    for (int j = 0; j < mdlData::kSlotCount; ++j) expected.push_back("U" + std::to_string(j));
    expected.push_back("MinimizeToTray");
    expected.push_back("DownloadOnStartup");
    EXPECT_EQ(ui.settings.writes, expected);
}

TEST_F(DataTest, SaveReportsAFailedStoreButWritesEveryKey) {
    Load();
    ui.settings.writes.clear();
    ui.settings.failWrites = true;
    EXPECT_FALSE(mdlData::SaveSettings());
    EXPECT_EQ(ui.settings.writes.size(), 3u + 21 * 4 + mdlData::kSlotCount + 2);
}

TEST_F(DataTest, FirstRunAnsweredYesRunsTheUpdate) {
    ui.answers.push_back(tk::MsgBoxResult::Yes);
    Load();
    EXPECT_FALSE(ui.fetches.empty()) << "no update ran";
    EXPECT_TRUE(frmUpdate.Loaded()) << "the dialog stays open after a first run's update";
}

TEST_F(DataTest, CountsThatAreNoTableMeanAFirstRun) {
    for (const char* cn : {"0", "abc", "-1", "32768", "", " ", "1e9", "-0.5"}) {
        Reset();
        ui.msgboxes.clear();
        values_.clear();
        SeedTable(3);
        Seed({{"CN", cn}});
        Load();
        EXPECT_EQ(mdlData::CurrencyCount(), 21) << "CN \"" << cn << "\"";
        EXPECT_EQ(ui.msgboxes.size(), 1u) << "CN \"" << cn << "\"";
    }
}

TEST_F(DataTest, MissingEntryKeysReadAsEuro) {
    Seed({{"CN", "3"}, {"L1", "Rand"}, {"S1", "ZA"}, {"V1", " 6.4347"}});
    Load();
    ASSERT_EQ(mdlData::CurrencyCount(), 3);
    EXPECT_EQ(CurrencyTable[0].Name, "Euro");
    EXPECT_EQ(CurrencyTable[0].Short.str(), "EUR");
    EXPECT_EQ(CurrencyTable[0].Value.Raw(), 10000);
    EXPECT_EQ(CurrencyTable[1].Short.str(), "ZA ");
    EXPECT_EQ(CurrencyTable[1].Value.Raw(), 64347);
    EXPECT_EQ(SelectedSlots, (std::array<std::int16_t, mdlData::kSlotCount>{}));
    EXPECT_TRUE(mdlData::MinimizeToTray);
    EXPECT_FALSE(mdlData::DownloadOnStartup);
    EXPECT_TRUE(ui.msgboxes.empty());

    mdlData::SaveSettings();
    EXPECT_EQ(Stored().at("S1"), "ZA ");
    EXPECT_EQ(Stored().at("L0"), "Euro");
}

TEST_F(DataTest, ValueTextsReadBackExactly) {
    const std::pair<const char*, std::int64_t> cases[] = {
        {" 1.9558", 19558},
        {" 0.7876", 7876},
        {" .7876", 7876},
        {"0.7876", 7876},
        {"abc", 0},
        {"", 0},
        {"1e300", 10000},
        {"-2.5", -25000},
        {" 1.95583", 19558},
        {"-1e300", 10000},
        // Beyond what a double carries: the store's own form reads back to the count.
        {" 431701059030.4885", 4317010590304885},
        {"431701059030.4885", 4317010590304885},
        {" 922337203685477.5807", std::numeric_limits<std::int64_t>::max()},
        {"-922337203685477.5808", std::numeric_limits<std::int64_t>::min()},
        {" 922337203685477.5808", 10000},
        {"-922337203685477.6854", std::numeric_limits<std::int64_t>::min()},  // as a number
    };
    for (const auto& [text, raw] : cases) {
        Reset();
        values_.clear();
        Seed({{"CN", "1"}, {"V0", text}});
        Load();
        EXPECT_EQ(CurrencyTable[0].Value.Raw(), raw) << "V0 \"" << text << "\"";
    }
}

TEST_F(DataTest, StoreTextOfValues) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {403399, " 40.3399"},
        {10000, " 1"},
        {1160000, " 116"},
        {7876, " 0.7876"},
        {0, " 0"},
        {-25000, "-2.5"},
        {std::numeric_limits<std::int64_t>::min(), "-922337203685477.5808"},
    };
    for (const auto& [raw, text] : cases) {
        EXPECT_EQ(mdlData::MoneyStoreText(Money::FromRaw(raw)), text) << raw;
    }
}

// Each entry's rate origin as the store holds it under "R" + i: written and read back, and
// any other text read as not recorded.
TEST_F(DataTest, OriginTextsReadBackAndAnythingElseIsUnknown) {
    using Kind = RateOrigin::Kind;
    const struct {
        const char* text;
        RateOrigin origin;
        bool writtenSo;  // the origin is written as the text
    } cases[] = {
        {"", {}, true},
        {"Built-in", {.kind = Kind::BuiltIn}, true},
        {"Euro", {.kind = Kind::Euro}, true},
        {"ECB 2024-12-11", {.kind = Kind::Ecb, .date = "2024-12-11"}, true},
        {"NBP 050/B/NBP/2024 2024-12-11",
         {.kind = Kind::Nbp, .date = "2024-12-11", .table = "050/B/NBP/2024"},
         true},
        {"Hand 2026-12-09", {.kind = Kind::Hand, .date = "2026-12-09"}, true},
        {"Hand", {.kind = Kind::Hand}, true},
        // Texts no version writes.
        {"ECB", {}, false},
        {"ECB 2024-02-30", {}, false},
        {"ECB  2024-12-11", {}, false},
        {"ecb 2024-12-11", {}, false},
        {"ECB 2024-12-11 ", {}, false},
        {"NBP 2024-12-11", {}, false},
        {"NBP  2024-12-11", {}, false},
        {"NBP 050/B/NBP/2024 2024-12-11 x", {}, false},
        {"Hand yesterday", {}, false},
        {"Built-in ", {}, false},
        {"Stale", {}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mdlData::OriginFromStoreText(c.text), c.origin) << "\"" << c.text << "\"";
        if (c.writtenSo) {
            EXPECT_EQ(mdlData::OriginStoreText(c.origin), c.text) << "\"" << c.text << "\"";
        }
    }
}

// The origins reach the store with the table and come back; an old store without them, and
// the entries from "RN" on, read as not recorded.
TEST_F(DataTest, OriginsRoundTripTheStoreBelowTheirCount) {
    SeedTable(4);
    Load();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(CurrencyTable[i].Origin, RateOrigin{}) << "an old store, entry " << i;
    }
    ui.settings.writes.clear();
    mdlData::SaveSettings();
    for (const std::string& key : ui.settings.writes) {
        EXPECT_FALSE(key[0] == 'R' && key != "RN") << "a table with no known origin wrote " << key;
    }
    EXPECT_EQ(Stored().at("RN"), "0");

    CurrencyTable[1].Origin = {.kind = RateOrigin::Kind::Ecb, .date = "2024-12-11"};
    mdlData::SaveSettings();
    EXPECT_EQ(Stored().at("RN"), "2");
    EXPECT_EQ(Stored().at("R0"), "");
    EXPECT_EQ(Stored().at("R1"), "ECB 2024-12-11");
    EXPECT_EQ(Stored().count("R2"), 0u);

    // An origin no longer known is cleared; the count does not shrink.
    CurrencyTable[1].Origin = {};
    CurrencyTable[0].Origin = {.kind = RateOrigin::Kind::Hand, .date = "2026-12-09"};
    mdlData::SaveSettings();
    EXPECT_EQ(Stored().at("RN"), "2");
    EXPECT_EQ(Stored().at("R1"), "");
    CurrencyTable.clear();
    mdlData::ReadSettings();
    EXPECT_EQ(CurrencyTable[0].Origin,
              (RateOrigin{.kind = RateOrigin::Kind::Hand, .date = "2026-12-09"}));
    EXPECT_EQ(CurrencyTable[1].Origin, RateOrigin{});

    // A text at or above "RN" is not read, nor does memory's origin stay.
    ui.settings.values[tk::MemorySettings::Path("Pecun", "Settings", "R3")] = "Euro";
    CurrencyTable[3].Origin = {.kind = RateOrigin::Kind::Euro};
    mdlData::ReadSettings();
    EXPECT_EQ(CurrencyTable[3].Origin, RateOrigin{});

    // Default marks the built-in table as such.
    mdlData::RestoreDefaults();
    EXPECT_EQ(Stored().at("RN"), "21");
    EXPECT_EQ(Stored().at("R12"), "Built-in");
}

TEST_F(DataTest, IndicesOutsideTheTableFallBack) {
    // Default slots 0, 12, 13, 14, 2, 4, 20, 1: with 3 entries only 0, 2 and 1 are inside.
    SeedTable(3);
    Seed({{"BC", "7"},
          {"U0", "2"},
          {"U1", "99"},
          {"U2", "-1"},
          {"U3", "x"},
          {"U4", "5"},
          {"U5", "1.9"},
          {"U7", "40000"}});
    Load();
    EXPECT_EQ(mdlData::BaseCurrency, 0);
    EXPECT_EQ(SelectedSlots,
              (std::array<std::int16_t, mdlData::kSlotCount>{2, 0, 0, 0, 2, 1, 0, 1}));

    Reset();
    values_.clear();
    SeedTable(25);
    Seed({{"BC", "24"}, {"U1", "30"}, {"U6", " 22"}});
    Load();
    EXPECT_EQ(mdlData::BaseCurrency, 24);
    EXPECT_EQ(SelectedSlots[1], 12);
    EXPECT_EQ(SelectedSlots[6], 22);
}

TEST_F(DataTest, FlagTexts) {
    const std::tuple<const char*, bool, bool> cases[] = {
        // text, as MinimizeToTray (default true), as DownloadOnStartup (default false)
        {"True", true, true}, {"FALSE", false, false}, {"tRuE", true, true},
        {"1", true, true},    {"0", false, false},     {"-2", true, true},
        {"yes", true, false}, {"", true, false},       {" 0.0", false, false},
    };
    for (const auto& [text, tray, download] : cases) {
        EXPECT_EQ(mdlData::ParseBool(text, true), tray) << "\"" << text << "\"";
        EXPECT_EQ(mdlData::ParseBool(text, false), download) << "\"" << text << "\"";
    }
}

// The start shows the main window once the slots' entries are read, and reads the others
// after; a start that asks or updates first reads everything before it shows anything.
TEST_F(DataTest, TheSlotsEntriesAreReadBeforeTheOthers) {
    struct Row {
        const char* name;
        std::map<std::string, std::string> store;
        bool early;  // whether the main window may show before the other entries are read
    };
    const Row rows[] = {
        {"a stored table", {}, true},
        {"an update at the start", {{"DownloadOnStartup", "True"}}, false},
        {"a first run", {{"CN", "0"}}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ui.settings.values.clear();
        values_.clear();
        SeedTable(12);
        Seed({{"U0", "11"}, {"U1", "3"}, {"U2", "3"}});
        Seed(row.store);
        for (const auto& [key, text] : values_) {
            ui.settings.values[tk::MemorySettings::Path("Pecun", "Settings", key)] = text;
        }
        ui.defaultAnswer = tk::MsgBoxResult::No;
        ui.httpBodies.clear();
        int calls = 0;
        std::vector<std::string> seen;
        mdlData::LoadSettings([&] {
            ++calls;
            for (const CurrencyEntry& e : CurrencyTable) seen.push_back(e.Name);
        });
        tk::DiscardAll();
        EXPECT_EQ(calls, row.early ? 1 : 0);
        if (row.early) {
            const std::vector<std::string> slotsOnly = {"N0", "", "", "N3", "", "",
                                                        "",   "", "", "",   "", "N11"};
            EXPECT_EQ(seen, slotsOnly)
                << "the buttons' entries 11, 3 and 0 (a missing U reads as 0)";
            ASSERT_EQ(mdlData::CurrencyCount(), 12);
            for (int i = 0; i < 12; ++i) {
                EXPECT_EQ(CurrencyTable[i].Name, "N" + std::to_string(i)) << "entry " << i;
            }
        }
    }
}

TEST_F(DataTest, DownloadOnStartupKeepsAFailedDialogOpen) {
    for (bool fails : {false, true}) {
        Reset();
        values_.clear();
        SeedTable(2);
        Seed({{"DownloadOnStartup", "True"}});
        ui.fetches.clear();
        ui.httpBodies.clear();
        if (!fails) ui.httpBodies[std::string(rates::kCentralBankUrl)] = "Rates of today\n";
        Load();
        // Down: the ECB, then the NBP's tables B and A where there is an XML reader.
        const std::size_t downFetches = tk::Services().xml != nullptr ? 3u : 1u;
        EXPECT_EQ(ui.fetches.size(), fails ? downFetches : 1u);
        EXPECT_EQ(frmUpdate.Loaded(), fails) << (fails ? "failed" : "succeeded");
        tk::DiscardAll();
    }
}

TEST_F(DataTest, NewEntriesReuseTheLowestDeletedOne) {
    mdlData::RestoreDefaults();
    CurrencyTable[7].Name.clear();
    CurrencyTable[3].Name.clear();
    EXPECT_EQ(mdlData::TakeNewEntryIndex(), 3);
    EXPECT_EQ(mdlData::CurrencyCount(), 21);
    CurrencyTable[3].Name = "New";
    CurrencyTable[7].Name = "New";
    EXPECT_EQ(mdlData::TakeNewEntryIndex(), 21);
    EXPECT_EQ(mdlData::CurrencyCount(), 22);
    CurrencyTable[21].Name = "New";

    CurrencyTable.resize(mdlData::kMaxCurrencies, CurrencyEntry{"Full", "FUL", Money::Whole(1)});
    EXPECT_EQ(mdlData::TakeNewEntryIndex(), std::nullopt);
    EXPECT_EQ(mdlData::CurrencyCount(), mdlData::kMaxCurrencies);
}

}  // namespace
