// The update dialog on the headless peer: its texts, the update operation with the server
// answering or not, and the ways start-up runs it. The server is ui.httpBodies.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ProductTexts.h"
#include "Rates.h"
#include "frmMain.h"
#include "frmOpt.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "mdlMain.h"
#include "toolkit/FormSlot.h"
#include "toolkit/headless/Headless.h"

namespace {

// The ECB's address, where most tests serve their list: an update list found there stands
// alone, as one at an address of lists does.
constexpr char kUrl[] = "https://www.ecb.europa.eu/stats/eurofxref/eurofxref-daily.xml";
using product::kFailureText;
using product::kLoadText;
using product::LoadTextAfter;
using product::SuccessText;
// A list that changes the dollar and adds the zloty.
constexpr char kList[] =
    "Rates of 2026-12-08\nUSD\t11264\tUnited States dollar\nPLN\t45000\tPolish zloty\n";

// What the dialog showed while the fetch ran.
struct FetchSeen {
    std::string url;
    std::string status;
    bool okEnabled = true;
    int refreshes = 0;
    bool visible = false;
};

// Stands in for the server: answers from ui.httpBodies (or throws), noting what the dialog
// showed at that moment.
class WatchingHttp : public tk::HttpService {
public:
    explicit WatchingHttp(tk::headless::Platform& ui) : ui_(ui) {
        tk::ServiceSet mine = tk::Services();
        mine.http = this;
        previous_ = tk::Install(mine);
    }
    ~WatchingHttp() override { tk::Install(previous_); }
    WatchingHttp(const WatchingHttp&) = delete;
    WatchingHttp& operator=(const WatchingHttp&) = delete;

    bool Fetch(std::string_view url, int timeLimitMs, std::string& body) override {
        FetchSeen seen;
        seen.url = url;
        if (FrmUpdate* f = frmUpdate.IfLoaded()) {
            const tk::headless::Window& w = tk::headless::Platform::PeerOf(*f);
            seen.status = f->Text(FrmUpdate::lblStatus);
            seen.okEnabled = w.Enabled(FrmUpdate::cmdOK);
            seen.refreshes = w.refreshes;
            seen.visible = w.Visible();
        }
        fetches.push_back(seen);
        if (throws) throw std::runtime_error("transfer failed");
        return ui_.Fetch(url, timeLimitMs, body);
    }

    std::vector<FetchSeen> fetches;
    bool throws = false;

private:
    tk::headless::Platform& ui_;
    tk::ServiceSet previous_;
};

class UpdateDialogTest : public testing::Test {
protected:
    void SetUp() override {
        mdlData::MinimizeToTray = false;
        mdlData::DownloadOnStartup = false;
        mdlData::RestoreDefaults();
        ui.settings.writes.clear();
    }
    void TearDown() override {
        ui.onModal = nullptr;
        tk::DiscardAll();
    }

    void Serve(const std::string& body) { ui.httpBodies[kUrl] = body; }
    void SetStored(const std::string& key, const std::string& text) {
        ui.settings.values[tk::MemorySettings::Path("Pecun", "Settings", key)] = text;
    }
    std::optional<std::string> Stored(const std::string& key) const {
        auto it = ui.settings.values.find(tk::MemorySettings::Path("Pecun", "Settings", key));
        if (it == ui.settings.values.end()) return std::nullopt;
        return it->second;
    }
    tk::headless::Window& peer() { return tk::headless::Platform::PeerOf(frmUpdate()); }
    std::string Status() { return frmUpdate().Text(FrmUpdate::lblStatus); }
    // The item data of frmOpt's list line reading `text`, or -1.
    int OptionsLine(const std::string& text) {
        tk::WindowPeer& list = frmOpt().Peer();
        for (int i = 0; i < list.ListCount(FrmOpt::lstCur); ++i) {
            if (list.ListText(FrmOpt::lstCur, i) == text) return list.ItemData(FrmOpt::lstCur, i);
        }
        return -1;
    }
    // Ready to close: the update button is off and Enter goes to Close.
    void ExpectFinished(const std::string& what) {
        EXPECT_FALSE(peer().Enabled(FrmUpdate::cmdOK)) << what << ": Update still enabled";
        EXPECT_EQ(peer().defaultButton, FrmUpdate::cmdClose) << what << ": default button";
    }

    tk::headless::Platform ui;
};

struct LoadCase {
    const char* name;
    const char* pattern;                // the user's short date form
    std::optional<const char*> stored;  // LastUpdate, nullopt: absent
    std::optional<const char*> shown;   // the date the text ends with, nullopt: none
};

TEST_F(UpdateDialogTest, LoadTextShowsTheLastUpdateWhenItReadsAsADate) {
    const LoadCase cases[] = {
        {"no update recorded", "M/d/yyyy", std::nullopt, std::nullopt},
        {"zero", "M/d/yyyy", "0", std::nullopt},
        {"as written", "M/d/yyyy", "12/8/2026 2:05:09 PM", "12/8/2026"},
        {"date alone", "M/d/yyyy", "12/8/2026", "12/8/2026"},
        {"two-digit fields", "MM/dd/yyyy", "03/07/2026 09:00:00", "03/07/2026"},
        {"one digit read by dd", "dd.MM.yyyy", "8.12.2026 14:05:09", "08.12.2026"},
        {"day first", "d/M/yyyy", "8/12/2026 14:05:09", "8/12/2026"},
        {"short year 26", "dd.MM.yy", "08.12.26 14:05", "08.12.26"},
        {"short year 95", "yy-MM-dd", "95-01-31 00:00", "95-01-31"},
        {"year first", "yyyy-MM-dd", "2026-12-08 14:05:09", "2026-12-08"},
        {"quoted text", "d 'de' M yyyy", "8 de 12 2026 14:05", "8 de 12 2026"},
        {"leap day", "M/d/yyyy", "2/29/2024 1:00:00 AM", "2/29/2024"},
        {"leading blank", "M/d/yyyy", " 12/8/2026", "12/8/2026"},
        {"not a leap year", "M/d/yyyy", "2/29/2100 1:00:00 AM", std::nullopt},
        {"no such month", "M/d/yyyy", "13/8/2026", std::nullopt},
        {"day zero", "M/d/yyyy", "12/0/2026", std::nullopt},
        {"written before a change of form", "dd.MM.yyyy", "12/8/2026 2:05:09 PM", std::nullopt},
        {"word", "M/d/yyyy", "yesterday", std::nullopt},
        {"empty", "M/d/yyyy", "", std::nullopt},
        {"cut short", "M/d/yyyy", "12/8", std::nullopt},
        {"run-on year", "M/d/yyyy", "12/8/20261", std::nullopt},
        {"text after the date", "M/d/yyyy", "12/8/2026x", std::nullopt},
        {"month names", "dddd, MMMM d, yyyy", "Tuesday, December 8, 2026", std::nullopt},
    };
    for (const LoadCase& c : cases) {
        ui.shortDatePattern = c.pattern;
        ui.settings.values.erase(tk::MemorySettings::Path("Pecun", "Settings", "LastUpdate"));
        if (c.stored) SetStored("LastUpdate", *c.stored);
        frmOpt.Discard();
        frmUpdate.Load();
        EXPECT_EQ(Status(), c.shown ? LoadTextAfter(*c.shown) : kLoadText) << c.name;
        EXPECT_TRUE(peer().Enabled(FrmUpdate::cmdOK)) << c.name;
        EXPECT_EQ(peer().defaultButton, FrmUpdate::cmdOK) << c.name;
        EXPECT_TRUE(frmOpt.Loaded()) << c.name << ": the options dialog is not loaded";
        EXPECT_FALSE(tk::headless::Platform::PeerOf(frmOpt()).Visible()) << c.name;
        frmUpdate.Unload();
    }
}

TEST_F(UpdateDialogTest, SuccessSavesTheListAndRecordsTheTime) {
    SetStored("LastUpdate", "11/1/2026 9:00:00 AM");
    Serve(kList);
    WatchingHttp http(ui);
    EXPECT_EQ(rates::RatesAgeText(), "Updated 11/1/2026");
    frmUpdate.Show();
    ui.Click(frmUpdate(), FrmUpdate::cmdOK);
    EXPECT_EQ(rates::RatesAgeText(), "Rates of 2026-12-08, updated 12/8/2026: latest");

    ASSERT_EQ(http.fetches.size(), 1u);
    const FetchSeen& during = http.fetches[0];
    EXPECT_EQ(during.url, kUrl);
    EXPECT_EQ(during.status, product::kFetchingText) << "status while fetching";
    EXPECT_FALSE(during.okEnabled) << "Update was enabled while fetching";
    EXPECT_GT(during.refreshes, 0) << "the status was not painted before the fetch";

    EXPECT_EQ(Status(), SuccessText("Rates of 2026-12-08"));
    ExpectFinished("after a success");
    EXPECT_EQ(Stored("V12"), " 1.1264");
    EXPECT_EQ(Stored("CN"), "22");
    EXPECT_EQ(Stored("L21"), "Polish zloty");
    EXPECT_EQ(Stored("S21"), "PLN");
    EXPECT_EQ(Stored("V21"), " 4.5");
    EXPECT_EQ(Stored("LastUpdate"), "12/8/2026 2:05:09 PM");
    EXPECT_EQ(ui.settings.writes.back(), "LastUpdate") << "LastUpdate is written last";

    // The next opening shows the date alone.
    frmUpdate.Unload();
    frmUpdate.Load();
    EXPECT_EQ(Status(), LoadTextAfter("12/8/2026"));
}

// What the currency buttons' tips say of the rates' source and age.
TEST_F(UpdateDialogTest, TheRatesAgeNamesTheSourceTheDayAndThePublicationsSince) {
    const tk::LocalTime tuesdayMorning{2026, 12, 8, 13, 5, 9};  // 14:05 in Frankfurt
    const tk::LocalTime tuesdayEvening{2026, 12, 8, 16, 0, 0};
    const struct {
        const char* what;
        std::optional<const char*> header, lastUpdate;  // nullopt: absent
        tk::LocalTime utcNow;
        const char* text;
    } cases[] = {
        {"never updated", std::nullopt, std::nullopt, tuesdayMorning, product::kBuiltInRates},
        {"the latest", "ECB euro reference rates of 2026-12-07", "12/7/2026 6:00:00 PM",
         tuesdayMorning, "ECB euro reference rates of 2026-12-07, updated 12/7/2026: latest"},
        {"one behind", "ECB euro reference rates of 2026-12-07", "12/7/2026 6:00:00 PM",
         tuesdayEvening,
         "ECB euro reference rates of 2026-12-07, updated 12/7/2026: 1 publication behind"},
        {"over a weekend", "ECB euro reference rates of 2026-12-03", "12/3/2026 6:00:00 PM",
         tuesdayEvening,
         "ECB euro reference rates of 2026-12-03, updated 12/3/2026: 3 publications behind"},
        {"a header without a date", "Rates of today", "12/8/2026 2:05:09 PM", tuesdayMorning,
         "Rates of today, updated 12/8/2026"},
        {"an update before headers were kept", std::nullopt, "11/1/2026 9:00:00 AM",
         tuesdayMorning, "Updated 11/1/2026"},
        {"a date that does not read", "Rates of 2026-12-07", "yesterday", tuesdayMorning,
         "Rates of 2026-12-07: latest"},
        {"nothing that reads", std::nullopt, "yesterday", tuesdayMorning, "Updated rates"},
    };
    for (const auto& c : cases) {
        ui.settings.values.clear();
        if (c.header) SetStored("RatesHeader", *c.header);
        if (c.lastUpdate) SetStored("LastUpdate", *c.lastUpdate);
        ui.utcNow = c.utcNow;
        EXPECT_EQ(rates::RatesAgeText(), c.text) << c.what;
    }
}

constexpr const char* kBankUrl = kUrl;
constexpr char kMirror[] = "http://127.0.0.1:8080/eurofxref-daily.xml";
constexpr char kOwnList[] = "https://feed.example/pecunup/";
constexpr char kBankDay[] =
    "<?xml version='1.0' encoding='UTF-8'?>\n"
    "<gesmes:Envelope xmlns:gesmes='http://www.gesmes.org/xml/2002-08-01' "
    "xmlns='http://www.ecb.int/vocabulary/2002-08-01/eurofxref'>\n"
    "<gesmes:subject>Reference rates</gesmes:subject>\n"
    "<Cube><Cube time='2026-12-07'>\n"
    "<Cube currency='USD' rate='1.1612'/><Cube currency='PLN' rate='4.2215'/>\n"
    "</Cube></Cube></gesmes:Envelope>\n";
constexpr char kBankHeader[] = "ECB euro reference rates of 2026-12-07";

// The banks' fixture documents of feed/testdata: the ECB's rates of 2024-12-11, the NBP's
// tables A of 2024-12-05 to 2024-12-11 and its table B of 2024-12-11.
std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(PECUN_FEED_TESTDATA) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << name;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
const std::string& EcbFile() {
    static const std::string text = Fixture("eurofxref-daily-2024-12-11.xml");
    return text;
}
const std::string& TableAFile() {
    static const std::string text = Fixture("nbp-tables-a-2024-12-05-2024-12-11.xml");
    return text;
}
const std::string& TableBFile() {
    static const std::string text = Fixture("nbp-table-b-2024-12-11.xml");
    return text;
}

constexpr char kNbp[] = "https://api.nbp.pl/api/exchangerates/";
constexpr char kNbpMirror[] = "http://127.0.0.1:8080/nbp/";
constexpr char kTableB[] = "tables/B/?format=xml";
// Table A of the seven days up to table B's date, and up to today's UTC date (kToday) when
// table B did not come.
constexpr char kTableAOfB[] = "tables/A/2024-12-05/2024-12-11/?format=xml";
constexpr char kTableAOfToday[] = "tables/A/2024-12-07/2024-12-13/?format=xml";
const tk::LocalTime kToday{2024, 12, 13, 23, 30, 0};  // already the 14th in Warsaw
constexpr char kEcbHeader[] = "ECB euro reference rates of 2024-12-11";
constexpr char kNbpHeader[] = "NBP tables 242/A/NBP/2024 and 050/B/NBP/2024 of 2024-12-11";
constexpr char kMergedHeader[] =
    "ECB euro reference rates of 2024-12-11; NBP tables 242/A/NBP/2024 and 050/B/NBP/2024 of "
    "2024-12-11";
const std::string kEcbOf2024 = "ECB file";  // placeholders in the cases, for the fixtures
const std::string kTableAOf2024 = "table A";
const std::string kTableBOf2024 = "table B";

std::string Nbp(const char* path) { return std::string(kNbp) + path; }
std::string Mirror(const char* path) { return std::string(kNbpMirror) + path; }

struct SourceCase {
    const char* name;
    std::optional<const char*> updateUrl, fallbackUrl, nbpUrl;  // the settings, nullopt: absent
    std::vector<std::pair<std::string, std::string>> answers;   // address, body
    std::vector<std::string> fetched;                           // the addresses tried, in order
    std::optional<const char*> header;                          // nullopt: the update fails
};

// The addresses the update tries in turn: an address of lists alone, else both banks.
TEST_F(UpdateDialogTest, SourcesAreTriedInTurnAndTheBanksMerged) {
    if (tk::Services().xml == nullptr) GTEST_SKIP() << "this build has no XML reader";
    const std::string ecb = kBankUrl, b = Nbp(kTableB), aOfB = Nbp(kTableAOfB),
                      aOfToday = Nbp(kTableAOfToday);
    const std::string brokenEcb =
        "<gesmes:Envelope xmlns:gesmes='http://www.gesmes.org/xml/2002-08-01'>"
        "<Cube><Cube time='2026-12-07'><Cube currency='usd' rate='1'/>"
        "</Cube></Cube></gesmes:Envelope>";
    const SourceCase cases[] = {
        {"both banks",
         {},
         {},
         {},
         {{ecb, kEcbOf2024}, {b, kTableBOf2024}, {aOfB, kTableAOf2024}},
         {ecb, b, aOfB},
         kMergedHeader},
        {"an empty UpdateUrl counts as none",
         "",
         {},
         {},
         {{ecb, kEcbOf2024}, {b, kTableBOf2024}, {aOfB, kTableAOf2024}},
         {ecb, b, aOfB},
         kMergedHeader},
        {"the ECB down",
         {},
         {},
         {},
         {{b, kTableBOf2024}, {aOfB, kTableAOf2024}},
         {ecb, b, aOfB},
         kNbpHeader},
        {"the ECB's file breaking its rules",
         {},
         {},
         {},
         {{ecb, brokenEcb}, {b, kTableBOf2024}, {aOfB, kTableAOf2024}},
         {ecb, b, aOfB},
         kNbpHeader},
        {"the ECB's answer no list",
         {},
         {},
         {},
         {{ecb, "<html>moved</html>"}, {b, kTableBOf2024}, {aOfB, kTableAOf2024}},
         {ecb, b, aOfB},
         kNbpHeader},
        {"the NBP down", {}, {}, {}, {{ecb, kEcbOf2024}}, {ecb, b, aOfToday}, kEcbHeader},
        {"table B down: table A of the days up to today",
         {},
         {},
         {},
         {{ecb, kEcbOf2024}, {aOfToday, kTableAOf2024}},
         {ecb, b, aOfToday},
         "ECB euro reference rates of 2024-12-11; NBP table 242/A/NBP/2024 of 2024-12-11"},
        {"table A down: table B adds nothing",
         {},
         {},
         {},
         {{ecb, kEcbOf2024}, {b, kTableBOf2024}},
         {ecb, b, aOfB},
         kEcbHeader},
        {"all down", {}, {}, {}, {}, {ecb, b, aOfToday}, std::nullopt},
        {"the ECB's file breaking its rules, the NBP down",
         {},
         {},
         {},
         {{ecb, brokenEcb}},
         {ecb, b, aOfToday},
         std::nullopt},
        {"NbpUrl in the NBP's place",
         {},
         {},
         kNbpMirror,
         {{ecb, kEcbOf2024}, {Mirror(kTableB), kTableBOf2024}, {Mirror(kTableAOfB), kTableAOf2024}},
         {ecb, Mirror(kTableB), Mirror(kTableAOfB)},
         kMergedHeader},
        {"NbpUrl without its last slash",
         {},
         {},
         "http://127.0.0.1:8080/nbp",
         {{Mirror(kTableB), kTableBOf2024}, {Mirror(kTableAOfB), kTableAOf2024}},
         {ecb, Mirror(kTableB), Mirror(kTableAOfB)},
         kNbpHeader},
        {"FallbackUrl in the ECB's place",
         {},
         kMirror,
         {},
         {{kMirror, kEcbOf2024}, {b, kTableBOf2024}, {aOfB, kTableAOf2024}},
         {kMirror, b, aOfB},
         kMergedHeader},
        {"FallbackUrl giving a list: the list alone",
         {},
         kMirror,
         {},
         {{kMirror, kList}, {b, kTableBOf2024}},
         {kMirror},
         "Rates of 2026-12-08"},
        {"UpdateUrl alone",
         kOwnList,
         kMirror,
         kNbpMirror,
         {{kOwnList, kList}, {kMirror, kEcbOf2024}},
         {kOwnList},
         "Rates of 2026-12-08"},
        {"UpdateUrl naming the ECB's file",
         kMirror,
         {},
         {},
         {{kMirror, kEcbOf2024}, {b, kTableBOf2024}},
         {kMirror},
         kEcbHeader},
        {"UpdateUrl down: no bypass",
         kOwnList,
         kMirror,
         {},
         {{kMirror, kEcbOf2024}, {b, kTableBOf2024}, {aOfB, kTableAOf2024}},
         {kOwnList},
         std::nullopt},
    };
    ui.utcNow = kToday;
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.name);
        mdlData::RestoreDefaults();
        ui.settings.values.clear();
        ui.httpBodies.clear();
        ui.fetches.clear();
        if (c.updateUrl) SetStored("UpdateUrl", *c.updateUrl);
        if (c.fallbackUrl) SetStored("FallbackUrl", *c.fallbackUrl);
        if (c.nbpUrl) SetStored("NbpUrl", *c.nbpUrl);
        for (const auto& [url, body] : c.answers) {
            ui.httpBodies[url] = body == kEcbOf2024      ? EcbFile()
                                 : body == kTableAOf2024 ? TableAFile()
                                 : body == kTableBOf2024 ? TableBFile()
                                                         : body;
        }
        frmUpdate.Load();
        frmUpdate().cmdOK_Click();
        std::vector<std::string> fetched;
        for (const tk::headless::FetchCall& f : ui.fetches) fetched.push_back(f.url);
        EXPECT_EQ(fetched, c.fetched);
        if (c.header) {
            EXPECT_EQ(Status(), SuccessText(*c.header));
            EXPECT_EQ(Stored("RatesHeader"), *c.header);
        } else {
            EXPECT_EQ(Status(), kFailureText);
            EXPECT_FALSE(Stored("RatesHeader").has_value());
            EXPECT_FALSE(Stored("CN").has_value()) << "the failed update saved";
        }
        frmUpdate.Unload();
        frmOpt.Unload();  // saves the settings
        for (const auto& [key, value] :
             {std::pair{"UpdateUrl", c.updateUrl}, std::pair{"FallbackUrl", c.fallbackUrl},
              std::pair{"NbpUrl", c.nbpUrl}}) {
            EXPECT_EQ(Stored(key), value ? std::optional<std::string>(*value) : std::nullopt)
                << key;
        }
    }
    ui.settings.values.clear();
    mdlData::SaveSettings();
    mdlData::LoadSettings();
    for (const char* key : {"UpdateUrl", "FallbackUrl", "NbpUrl", "RatesHeader"}) {
        EXPECT_FALSE(Stored(key).has_value()) << "loading or saving wrote " << key;
    }
}

// The index of the live entry coded `code`, or -1.
int EntryOf(const char* code) {
    for (int i = 0; i < mdlData::CurrencyCount(); ++i) {
        const CurrencyEntry& e = mdlData::CurrencyTable[i];
        if (!e.Name.empty() && e.Short.str() == code) return i;
    }
    return -1;
}

// A merged update gives each entry its rate's origin, kept in the store; a list server's list
// names none, so its entries read as its header.
TEST_F(UpdateDialogTest, EachUpdatedEntryKeepsItsRatesOrigin) {
    if (tk::Services().xml == nullptr) GTEST_SKIP() << "this build has no XML reader";
    ui.utcNow = {2024, 12, 12, 9, 0, 0};
    ui.httpBodies[kBankUrl] = EcbFile();
    ui.httpBodies[Nbp(kTableB)] = TableBFile();
    ui.httpBodies[Nbp(kTableAOfB)] = TableAFile();
    mdlData::CurrencyTable[12].Origin = {.kind = RateOrigin::Kind::Hand, .date = "2024-12-01"};
    frmUpdate.Load();
    frmUpdate().cmdOK_Click();
    ASSERT_EQ(Status(), SuccessText(kMergedHeader));
    EXPECT_EQ(Stored("CN"), "169") << "every currency of both banks and the euro's former ones";
    const std::pair<const char*, const char*> cases[] = {
        {"EUR", "Euro"},
        {"DEM", "Euro"},
        {"USD", "ECB 2024-12-11"},  // set by hand before: the update overwrites it
        {"PLN", "ECB 2024-12-11"},
        {"UAH", "NBP 242/A/NBP/2024 2024-12-11"},
        {"NGN", "NBP 050/B/NBP/2024 2024-12-11"},
        {"VND", "NBP 050/B/NBP/2024 2024-12-11"},
    };
    for (const auto& [code, origin] : cases) {
        const int entry = EntryOf(code);
        ASSERT_NE(entry, -1) << code;
        EXPECT_EQ(Stored("R" + std::to_string(entry)), origin) << code;
    }
    EXPECT_EQ(mdlData::CurrencyTable[EntryOf("NGN")].Value.Raw(), 16356049);
    EXPECT_EQ(mdlData::CurrencyTable[EntryOf("NGN")].Name, "Naira");

    // The next update from a list server: its records' origins are no longer known.
    frmUpdate.Unload();
    SetStored("UpdateUrl", kOwnList);
    Serve("");
    ui.httpBodies[kOwnList] = kList;
    frmUpdate.Load();
    frmUpdate().cmdOK_Click();
    ASSERT_EQ(Status(), SuccessText("Rates of 2026-12-08"));
    EXPECT_EQ(Stored("R" + std::to_string(EntryOf("USD"))), "");
    EXPECT_EQ(Stored("R" + std::to_string(EntryOf("NGN"))), "NBP 050/B/NBP/2024 2024-12-11");
    EXPECT_EQ(rates::OriginText(mdlData::CurrencyTable[EntryOf("USD")].Origin),
              "Rates of 2026-12-08, updated 12/8/2026: latest");
}

// The third line of a currency button's tip: the rate's own source, its day and its age by
// its source's calendar.
TEST_F(UpdateDialogTest, TheTipsThirdLineTellsEachRatesSourceAndAge) {
    using Kind = RateOrigin::Kind;
    const RateOrigin ecb{.kind = Kind::Ecb, .date = "2024-12-11"};
    const RateOrigin tableB{.kind = Kind::Nbp, .date = "2024-12-11", .table = "050/B/NBP/2024"};
    const RateOrigin tableA{.kind = Kind::Nbp, .date = "2024-12-11", .table = "242/A/NBP/2024"};
    const RateOrigin hand{.kind = Kind::Hand, .date = "2026-12-09"};
    const char* const b = "Source: NBP table 050/B/NBP/2024 of 2024-12-11: ";
    const char* const a = "Source: NBP table 242/A/NBP/2024 of 2024-12-11: ";
    const struct {
        const char* what;
        RateOrigin origin;
        tk::LocalTime utcNow;
        std::string text;
        const char* pattern = "M/d/yyyy";
    } cases[] = {
        {"ECB, the latest",
         ecb,
         {2024, 12, 12, 14, 0, 0},
         "Source: ECB euro reference rates of 2024-12-11: latest"},
        {"ECB, one behind",
         ecb,
         {2024, 12, 12, 15, 0, 0},
         "Source: ECB euro reference rates of 2024-12-11: 1 publication behind"},
        {"table B, the next Tuesday", tableB, {2024, 12, 17, 20, 0, 0}, std::string(b) + "latest"},
        {"table B, Wednesday before 12:15 in Warsaw",
         tableB,
         {2024, 12, 18, 11, 14, 0},
         std::string(b) + "latest"},
        {"table B, Wednesday at 12:15 in Warsaw",
         tableB,
         {2024, 12, 18, 11, 15, 0},
         std::string(b) + "1 week behind"},
        {"table B, three Wednesdays on",
         tableB,
         {2025, 1, 2, 9, 0, 0},
         std::string(b) + "3 weeks behind"},
        {"table A, the next morning", tableA, {2024, 12, 12, 11, 0, 0}, std::string(a) + "latest"},
        {"table A, the next afternoon",
         tableA,
         {2024, 12, 12, 11, 30, 0},
         std::string(a) + "1 working day behind"},
        {"table A, over a weekend",
         tableA,
         {2024, 12, 16, 12, 0, 0},
         std::string(a) + "3 working days behind"},
        {"fixed by the euro",
         {.kind = Kind::Euro},
         {2024, 12, 12, 0, 0, 0},
         "Fixed rate to the euro"},
        {"by hand", hand, {2026, 12, 9, 0, 0, 0}, "Rate set by hand on 12/9/2026"},
        {"by hand, the user's date form",
         hand,
         {2026, 12, 9, 0, 0, 0},
         "Rate set by hand on 09.12.2026",
         "dd.MM.yyyy"},
        {"by hand on a day not known",
         {.kind = Kind::Hand},
         {2026, 12, 9, 0, 0, 0},
         "Rate set by hand"},
        {"the built-in table", {.kind = Kind::BuiltIn}, {2026, 12, 9, 0, 0, 0}, "Built-in rate"},
        {"not recorded, never updated", {}, {2026, 12, 9, 0, 0, 0}, "Built-in rate"},
    };
    for (const auto& c : cases) {
        ui.utcNow = c.utcNow;
        ui.shortDatePattern = c.pattern;
        EXPECT_EQ(rates::OriginText(c.origin), c.text) << c.what;
    }
    // Not recorded after an update: the update's age.
    SetStored("RatesHeader", "ECB euro reference rates of 2026-12-07");
    SetStored("LastUpdate", "12/7/2026 6:00:00 PM");
    ui.shortDatePattern = "M/d/yyyy";
    ui.utcNow = {2026, 12, 8, 13, 5, 9};
    EXPECT_EQ(rates::OriginText({}),
              "ECB euro reference rates of 2026-12-07, updated 12/7/2026: latest");
    EXPECT_EQ(rates::OriginText({.kind = Kind::BuiltIn}), "Built-in rate") << "after Default";
}

// One tip, as the user and a screen reader get it, for a currency of the NBP's table B.
TEST_F(UpdateDialogTest, AnNbpCurrencysTipNamesTheNbpAndItsTable) {
    if (tk::Services().xml == nullptr) GTEST_SKIP() << "this build has no XML reader";
    ui.utcNow = {2024, 12, 12, 9, 0, 0};
    ui.httpBodies[kBankUrl] = EcbFile();
    ui.httpBodies[Nbp(kTableB)] = TableBFile();
    ui.httpBodies[Nbp(kTableAOfB)] = TableAFile();
    frmMain.Show();
    frmUpdate.Load();
    frmUpdate().cmdOK_Click();
    ASSERT_EQ(Status(), SuccessText(kMergedHeader));
    frmUpdate.Unload();
    frmOpt.Unload();
    mdlData::SelectedSlots[1] = static_cast<std::int16_t>(EntryOf("NGN"));
    tk::DiscardAll();
    frmMain.Show();
    ui.Type(frmMain(), "100");
    ui.Click(frmMain(), FrmMain::cmdCur0);  // EUR
    const tk::headless::Window& w = tk::headless::Platform::PeerOf(frmMain());
    EXPECT_EQ(w.ToolTip(FrmMain::cmdCur0 + 1),
              "100 EUR = 163,560.49 NGN\r\n1 EUR = 1,635.6049 NGN\r\n"
              "Source: NBP table 050/B/NBP/2024 of 2024-12-11: latest");
}

// A list server of the builder's own (PECUN_UPDATE_URL) comes first, and alone when it gives
// a list; the program we ship has none. "UpdateUrl" stands in its place when set.
TEST_F(UpdateDialogTest, ABuildersListServerComesBeforeTheBanks) {
    EXPECT_EQ(rates::BuiltListServer(), "") << "the shipped program names a list server";
    constexpr char kServer[] = "https://lists.example/pecunup/";
    const rates::Sources sources = rates::SourcesOf(kServer);
    EXPECT_EQ(sources.lists, std::vector<std::string>{kServer});
    EXPECT_TRUE(sources.banks);
    EXPECT_EQ(sources.ecb, kBankUrl);
    EXPECT_EQ(sources.nbpBase, kNbp);

    for (bool serverUp : {true, false}) {
        SCOPED_TRACE(serverUp ? "server up" : "server down");
        ui.httpBodies.clear();
        ui.fetches.clear();
        ui.httpBodies[serverUp ? kServer : kBankUrl] = kList;
        std::string text;
        UpdateList list;
        std::vector<RateOrigin> origins;
        EXPECT_TRUE(rates::FetchList(sources, tk::Services().clock->Ticks(), text, list, origins));
        EXPECT_EQ(list.header, "Rates of 2026-12-08");
        EXPECT_TRUE(origins.empty()) << "a list names no origins";
        std::vector<std::string> fetched;
        for (const tk::headless::FetchCall& f : ui.fetches) fetched.push_back(f.url);
        const std::vector<std::string> expected = serverUp
                                                      ? std::vector<std::string>{kServer}
                                                      : std::vector<std::string>{kServer, kBankUrl};
        EXPECT_EQ(fetched, expected);
    }

    SetStored("UpdateUrl", kOwnList);
    const rates::Sources administered = rates::SourcesOf(kServer);
    EXPECT_EQ(administered.lists, std::vector<std::string>{kOwnList});
    EXPECT_FALSE(administered.banks);
}

// The bank's file read by the converter itself: known codes get the rate, new ones a name of
// the built-in tables (else the code), the former currencies their fixed rates.
TEST_F(UpdateDialogTest, TheBanksFileUpdatesTheTableWithBuiltInNames) {
    if (tk::Services().xml == nullptr) GTEST_SKIP() << "this build has no XML reader";
    ui.httpBodies[kBankUrl] = std::string(kBankDay).replace(
        std::string(kBankDay).find("</Cube></Cube>"), 0,
        "<Cube currency='XAG' rate='0.0234'/><Cube currency='QQQ' rate='2'/>");
    frmUpdate.Load();
    frmUpdate().cmdOK_Click();
    ASSERT_EQ(Status(), SuccessText(kBankHeader));
    EXPECT_EQ(Stored("V12"), " 1.1612") << "USD";
    EXPECT_EQ(Stored("V2"), " 1.9558") << "DEM, fixed";
    EXPECT_EQ(Stored("L0"), "European Union euro") << "a known code keeps its name";
    EXPECT_EQ(Stored("V0"), " 1");
    EXPECT_EQ(OptionsLine("Zloty (PLN)"), 21) << "ISO 4217's name";
    EXPECT_EQ(OptionsLine("Silver (XAG)"), 22) << "ISO 4217's name";
    EXPECT_EQ(OptionsLine("QQQ (QQQ)"), 23) << "a code of no table is its own name";
    EXPECT_EQ(OptionsLine("Luxembourg franc (LUF)"), 24);
    EXPECT_EQ(Stored("V21"), " 4.2215");
    EXPECT_EQ(Stored("V22"), " 0.0234");
}

// One time limit for the whole update, however many addresses it tries.
TEST_F(UpdateDialogTest, EveryFetchGetsWhatIsLeftOfOneTimeLimit) {
    struct Case {
        const char* name;
        int baseTakes;                // ms the list's server takes before it fails
        std::vector<int> limitsGiven;  // to each fetch, in order
    };
    // The ECB's address, then the NBP's two where there is an XML reader to read them.
    const bool nbp = tk::Services().xml != nullptr;
    const Case cases[] = {
        {"a quick failure", 0,
         nbp ? std::vector<int>{50000, 50000, 50000} : std::vector<int>{50000}},
        {"a slow failure", 30000,
         nbp ? std::vector<int>{50000, 20000, 20000} : std::vector<int>{50000}},
        {"the whole time", 50000, {50000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.fetches.clear();
        ui.httpCostMs[kUrl] = c.baseTakes;
        frmUpdate.Load();
        frmUpdate().cmdOK_Click();
        EXPECT_EQ(Status(), kFailureText);
        std::vector<int> limits;
        for (const tk::headless::FetchCall& f : ui.fetches) limits.push_back(f.timeLimitMs);
        EXPECT_EQ(limits, c.limitsGiven);
        frmUpdate.Unload();
    }
}

TEST_F(UpdateDialogTest, LastUpdateFollowsTheRegionalForms) {
    ui.shortDatePattern = "dd.MM.yyyy";
    ui.now = {2027, 1, 5, 0, 7, 3};
    Serve("H\n");
    frmUpdate.Load();
    frmUpdate().cmdOK_Click();
    EXPECT_EQ(Stored("LastUpdate"), "05.01.2027 12:07:03 AM");
    frmUpdate.Unload();
    frmUpdate.Load();
    EXPECT_EQ(Status(), LoadTextAfter("05.01.2027"));
}

struct FailureCase {
    const char* name;
    std::optional<const char*> body;  // nullopt: no transfer
    bool throws;                      // the transfer raises an error
    bool storeFails;                  // no write succeeds
};

TEST_F(UpdateDialogTest, EveryFailureShowsOneTextAndRecordsNothing) {
    const FailureCase cases[] = {
        {"no transfer", std::nullopt, false, false},
        {"transfer raises an error", kList, true, false},
        {"empty answer", "", false, false},
        {"no line break", "<html>not found</html>", false, false},
        {"last record without LF", "H\nUSD\t11264\tx\nPLN\t45000", false, false},
        {"record with one TAB", "H\nUSD\t11264\n", false, false},
        {"rate out of range", "H\nUSD\t1e300\tx\n", false, false},
        {"store cannot be written", kList, false, true},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        mdlData::RestoreDefaults();
        ui.settings.values.clear();
        SetStored("LastUpdate", "11/1/2026 9:00:00 AM");
        ui.settings.writes.clear();
        ui.httpBodies.clear();
        if (c.body) Serve(*c.body);
        ui.settings.failWrites = c.storeFails;
        WatchingHttp http(ui);
        http.throws = c.throws;
        // A transfer that throws is a fault for developers to see, and a failure for the user.
        std::vector<std::string> reports;
        const tk::Reporter previous =
            tk::InstallReporter([&](std::string_view what) { reports.emplace_back(what); });

        frmUpdate.Show();
        ui.Click(frmUpdate(), FrmUpdate::cmdOK);
        tk::InstallReporter(previous);
        EXPECT_EQ(reports, c.throws ? std::vector<std::string>{"the update threw: transfer failed"}
                                    : std::vector<std::string>{});
        EXPECT_EQ(Status(), kFailureText);
        ExpectFinished(c.name);
        EXPECT_EQ(Stored("LastUpdate"), "11/1/2026 9:00:00 AM");
        if (!c.storeFails) {
            EXPECT_TRUE(ui.settings.writes.empty()) << "the update saved";
        }
        EXPECT_FALSE(Stored("CN").has_value()) << "the table reached the store";
        // Pressing again does nothing: one opening makes one attempt.
        const std::size_t fetched = http.fetches.size();
        ui.Click(frmUpdate(), FrmUpdate::cmdOK);
        EXPECT_EQ(http.fetches.size(), fetched);
        ui.settings.failWrites = false;
        frmUpdate.Unload();
        frmOpt.Discard();
    }
}

struct FailedWriteCase {
    const char* key;                       // the key whose writes fail
    std::optional<const char*> storedUsd;  // V12 afterwards
    std::int64_t usd;                      // the dollar's rate in memory afterwards
    int count;                             // the table's size afterwards
};

TEST_F(UpdateDialogTest, AFailedSaveIsAFailureThatPutsTheTableBack) {
    // A failing rate key: the table and the options list are put back and saved again. A
    // failing LastUpdate comes after the table was saved: the new rates stay.
    const FailedWriteCase cases[] = {{"V12", std::nullopt, 10613, 21},
                                     {"LastUpdate", " 1.1264", 11264, 22}};
    for (const FailedWriteCase& c : cases) {
        SCOPED_TRACE(c.key);
        mdlData::RestoreDefaults();
        ui.settings.values.clear();
        Serve(kList);
        ui.settings.failKey = c.key;
        frmUpdate.Load();
        const std::vector<tk::ListLine> lines = frmOpt().Lines();
        frmUpdate().cmdOK_Click();
        EXPECT_EQ(Status(), kFailureText);
        ExpectFinished(c.key);
        EXPECT_EQ(Stored("V12"), c.storedUsd);
        EXPECT_EQ(mdlData::CurrencyTable[12].Value.Raw(), c.usd);
        EXPECT_EQ(mdlData::CurrencyCount(), c.count);
        EXPECT_EQ(Stored("CN"), std::to_string(c.count));
        EXPECT_EQ(frmOpt().Lines().size(), static_cast<std::size_t>(c.count));
        if (c.count == 21) {
            EXPECT_EQ(frmOpt().Lines(), lines) << "the options list changed";
        }
        EXPECT_FALSE(Stored("LastUpdate").has_value());
        frmUpdate.Unload();
        frmOpt.Discard();
    }
}

TEST_F(UpdateDialogTest, EnterUpdatesThenCloses) {
    Serve(kList);
    frmUpdate.Show();
    ui.Enter(frmUpdate());
    EXPECT_EQ(Status(), SuccessText("Rates of 2026-12-08"));
    ui.Enter(frmUpdate());
    EXPECT_FALSE(frmUpdate.Loaded()) << "Enter after the update did not close the dialog";

    ui.httpBodies.clear();
    frmUpdate.Show();
    ui.Enter(frmUpdate());
    EXPECT_EQ(Status(), kFailureText);
    ui.Enter(frmUpdate());
    EXPECT_FALSE(frmUpdate.Loaded()) << "Enter after the failure did not close the dialog";

    for (bool afterUpdate : {false, true}) {
        frmUpdate.Show();
        if (afterUpdate) ui.Click(frmUpdate(), FrmUpdate::cmdOK);
        ui.Escape(frmUpdate());
        EXPECT_FALSE(frmUpdate.Loaded()) << "Esc, after update: " << afterUpdate;
    }
}

TEST_F(UpdateDialogTest, ANewCurrencyIsInTheOptionsListBeforeTheDialogCloses) {
    Serve(kList);
    frmMain.Show();
    frmOpt.Show();
    int lineDuringDialog = -1;
    ui.onModal = [&](tk::Form& form) {
        if (&form != frmUpdate.Get()) return;
        ui.Enter(frmUpdate());
        lineDuringDialog = OptionsLine("Polish zloty (PLN)");
        ui.Click(frmUpdate(), FrmUpdate::cmdClose);
    };
    ui.Click(frmOpt(), FrmOpt::cmdUpdate);
    EXPECT_EQ(lineDuringDialog, 21) << "the new line and its table index";
    EXPECT_FALSE(frmUpdate.Loaded());
    EXPECT_EQ(OptionsLine("Polish zloty (PLN)"), 21) << "the line stays after closing";
}

struct StartupCase {
    const char* name;
    bool firstRun;                    // else a stored table with DownloadOnStartup
    std::optional<const char*> body;  // nullopt: no server
    bool dialogStays;
    const char* status;  // how the status text begins when the dialog stays
};

TEST_F(UpdateDialogTest, StartupUpdatesLeaveTheDialogOpenAsTheirCaseSays) {
    const StartupCase cases[] = {
        {"first run, success", true, kList, true, product::kSuccessText},
        {"first run, failure", true, std::nullopt, true, kFailureText},
        {"at every start, success", false, kList, false, ""},
        {"at every start, failure", false, std::nullopt, true, kFailureText},
        // The check looks for "Error" anywhere in the status, the header included.
        {"at every start, header with Error", false, "Error rates\nUSD\t11264\tx\n", true,
         "Update successful!\r\nNew rates from Error rates"},
    };
    for (const StartupCase& c : cases) {
        SCOPED_TRACE(c.name);
        ui.settings.values.clear();
        ui.httpBodies.clear();
        if (c.body) Serve(*c.body);
        if (c.firstRun) {
            ui.answers = {tk::MsgBoxResult::Yes};
        } else {
            mdlData::RestoreDefaults();
            SetStored("DownloadOnStartup", "True");
        }
        ASSERT_TRUE(mdlMain::Main());
        EXPECT_TRUE(frmMain.Loaded());
        EXPECT_EQ(frmUpdate.Loaded(), c.dialogStays);
        if (c.dialogStays) {
            EXPECT_TRUE(peer().Visible());
            EXPECT_EQ(Status().rfind(c.status, 0), 0u) << "status: " << Status();
        }
        EXPECT_EQ(Stored("LastUpdate").has_value(), c.body.has_value());
        tk::DiscardAll();
        mdlData::DownloadOnStartup = false;
    }
}

TEST_F(UpdateDialogTest, SilentUpdateShowsNoWindow) {
    for (bool serverUp : {true, false}) {
        SCOPED_TRACE(serverUp ? "server up" : "server down");
        ui.settings.values.clear();
        mdlData::RestoreDefaults();
        ui.httpBodies.clear();
        if (serverUp) Serve(kList);
        ui.commandLine = "/update";
        WatchingHttp http(ui);
        EXPECT_FALSE(mdlMain::Main()) << "the main window opened";
        const std::size_t downFetches = tk::Services().xml != nullptr ? 3u : 1u;
        ASSERT_EQ(http.fetches.size(), serverUp ? 1u : downFetches) << "the ECB, the NBP's tables";
        EXPECT_FALSE(http.fetches[0].visible) << "the dialog was shown";
        EXPECT_FALSE(frmMain.Loaded());
        EXPECT_FALSE(frmUpdate.Loaded());
        EXPECT_FALSE(frmOpt.Loaded());
        EXPECT_EQ(Stored("V12"), serverUp ? " 1.1264" : " 1.0613");
        EXPECT_EQ(Stored("LastUpdate").has_value(), serverUp);
        EXPECT_TRUE(ui.msgboxes.empty());
    }
}

}  // namespace
