// The history window on the headless peer: the pair a currency button's context menu opens,
// what it fetches and keeps, its lines, keys, mouse and copy, and its resizing. The banks are
// ui.httpBodies, at the addresses the settings give them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "BankDocuments.h"
#include "ProductTexts.h"
#include "frmHistory.h"
#include "frmMain.h"
#include "mdlData.h"
#include "toolkit/FormSlot.h"
#include "toolkit/headless/Headless.h"

namespace {

using bank_documents::EcbDay;
using bank_documents::NbpTable;

// The settings' addresses of the banks, and what the window asks of them on the headless
// clock's day (2026-12-08): the ECB's 90-day file beside its daily one, the NBP's tables of
// the 90 days up to today.
const std::string kEcbFolder = "http://127.0.0.1:8080/bank/";
const std::string kEcbDaily = kEcbFolder + "eurofxref-daily.xml?fresh=1";
const std::string kEcbHistory = kEcbFolder + "eurofxref-hist-90d.xml";
const std::string kNbpBase = "http://127.0.0.1:8080/nbp/";
const std::string kTablesA = kNbpBase + "tables/A/2026-09-10/2026-12-08/?format=xml";
const std::string kTablesB = kNbpBase + "tables/B/2026-09-10/2026-12-08/?format=xml";

// Newest first, as the bank writes it: JPY is not published on 2026-11-20.
const std::vector<EcbDay> kEcbDays = {
    {"2026-11-25", {{"USD", "1.0563"}, {"JPY", "162.45"}}},
    {"2026-11-24", {{"USD", "1.0471"}, {"JPY", "161.90"}}},
    {"2026-11-23", {{"USD", "1.0312"}, {"JPY", "160.85"}}},
    {"2026-11-20", {{"USD", "1.0721"}}},
    {"2026-11-19", {{"USD", "1.0650"}, {"JPY", "163.10"}}},
};
const std::vector<NbpTable> kTablesAData = {
    {"225/A/NBP/2026", "2026-11-18", {{"USD", "4.0100"}, {"EUR", "4.2722"}}},
    {"228/A/NBP/2026", "2026-11-25", {{"USD", "4.0377"}, {"EUR", "4.2650"}}},
};
const std::vector<NbpTable> kTablesBData = {
    {"046/B/NBP/2026", "2026-11-18", {{"NGN", "0.002612"}}},
    {"047/B/NBP/2026", "2026-11-25", {{"NGN", "0.002598"}}},
};

// The buttons of the test's table: the defaults' EUR, USD, JPY and GBP, then NGN.
enum Slot : int { kEurSlot, kUsdSlot, kJpySlot, kGbpSlot, kNgnSlot };

class HistoryWindowTest : public testing::Test {
protected:
    void SetUp() override {
        if (tk::Services().xml == nullptr) GTEST_SKIP() << "this build has no XML reader";
        history::ForgetDocuments();
        mdlData::RestoreDefaults();
        SetOrigin(kUsdSlot, {.kind = RateOrigin::Kind::Ecb, .date = "2026-11-25"});
        SetOrigin(kJpySlot, {.kind = RateOrigin::Kind::Hand, .date = "2026-12-01"});
        SetOrigin(kGbpSlot, {.kind = RateOrigin::Kind::BuiltIn});
        mdlData::CurrencyTable.push_back(
            {.Name = "Naira",
             .Short = "NGN",
             .Value = Money::Whole(1641),
             .Origin = {
                 .kind = RateOrigin::Kind::Nbp, .date = "2026-11-25", .table = "047/B/NBP/2026"}});
        mdlData::SelectedSlots[kNgnSlot] = static_cast<std::int16_t>(mdlData::CurrencyCount() - 1);
        SetStored("FallbackUrl", kEcbDaily);
        SetStored("NbpUrl", kNbpBase);
        ui.httpBodies[kEcbHistory] = bank_documents::EcbXml(kEcbDays);
        ui.httpBodies[kTablesA] = bank_documents::NbpXml("A", kTablesAData);
        ui.httpBodies[kTablesB] = bank_documents::NbpXml("B", kTablesBData);
        frmMain.Load();
    }
    void TearDown() override {
        ui.onModal = nullptr;
        tk::DiscardAll();
        history::ForgetDocuments();
    }
    static void SetOrigin(int slot, RateOrigin origin) {
        mdlData::CurrencyTable[mdlData::SelectedSlots[slot]].Origin = std::move(origin);
    }
    void SetStored(const std::string& key, const std::string& text) {
        ui.settings.values[tk::MemorySettings::Path("Pecun", "Settings", key)] = text;
    }
    // Opens the history of button `slot` from its context menu; `user` acts in the window,
    // which Esc then closes.
    void OpenHistory(int slot, const std::function<void(FrmHistory&)>& user = {}) {
        ui.onModal = [&](tk::Form& form) {
            auto& window = static_cast<FrmHistory&>(form);
            seen = Seen{window.Peer().Visible(), Peer(window).caption,
                        window.Text(FrmHistory::lblLine)};
            if (user) user(window);
            ui.Type(window, "\x1b");
        };
        ui.ContextMenu(frmMain(), FrmMain::cmdCur0 + slot, 0);
        ui.onModal = nullptr;
    }
    static tk::headless::Window& Peer(FrmHistory& w) { return tk::headless::Platform::PeerOf(w); }
    std::vector<std::string> Fetched() const {
        std::vector<std::string> urls;
        for (const auto& f : ui.fetches) urls.push_back(f.url);
        return urls;
    }
    // Types an amount in the currency of button `slot`, for the display to have one.
    void ShowAmountIn(int slot) {
        ui.Type(frmMain(), "100");
        ui.Click(frmMain(), FrmMain::cmdCur0 + slot);
    }

    struct Seen {
        bool visible = false;
        std::string caption;
        std::string line;
    } seen;
    tk::headless::Platform ui;
};

TEST_F(HistoryWindowTest, TheButtonsCurrencyAgainstTheDisplaysOrTheEuro) {
    struct Row {
        const char* name;
        int displaySlot;  // -1: the display has no currency
        int button;
        const char* caption;
    };
    const Row rows[] = {
        {"no currency shown", -1, kUsdSlot, "USD per EUR, last 90 days"},
        {"another currency shown", kUsdSlot, kNgnSlot, "NGN per USD, last 90 days"},
        {"the button's own currency shown", kUsdSlot, kUsdSlot, "USD per EUR, last 90 days"},
        {"the euro shown", kEurSlot, kNgnSlot, "NGN per EUR, last 90 days"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        frmMain().ClearEntry();
        if (row.displaySlot >= 0) ShowAmountIn(row.displaySlot);
        OpenHistory(row.button);
        EXPECT_TRUE(seen.visible);
        EXPECT_EQ(seen.caption, row.caption);
        EXPECT_EQ(ui.modalForms.back(), "frmHistory");
        EXPECT_FALSE(frmHistory.Loaded()) << "Esc closes the window";
    }
}

TEST_F(HistoryWindowTest, EachBankGivesItsDaysOrOneLineSaysWhyNot) {
    struct Row {
        const char* name;
        int button;
        std::vector<std::string> fetched;
        std::string line;  // the first line shown
        std::size_t days;
    };
    const Row rows[] = {
        {"the ECB's currency",
         kUsdSlot,
         {kEcbHistory},
         "Wed 11/25/2026: 1 EUR = 1.0563 USD (low 1.0312 on 11/23/2026, high 1.0721 on "
         "11/20/2026)",
         5},
        {"a table B currency of the NBP",
         kNgnSlot,
         {kTablesA, kTablesB},
         "Wed 11/25/2026: 1 EUR = 1,641.6474 NGN (low 1,635.6049 on 11/18/2026, high 1,641.6474 "
         "on 11/25/2026)",
         2},
        {"a rate set by hand", kJpySlot, {}, product::kNoHistoryText, 0},
        {"a built-in rate", kGbpSlot, {}, product::kNoHistoryText, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ui.fetches.clear();
        std::size_t days = 0;
        std::string name;
        OpenHistory(row.button, [&](FrmHistory& w) {
            days = w.Shown().series.days.size();
            name = Peer(w).AccessibleName(FrmHistory::chtRate);
        });
        EXPECT_EQ(Fetched(), row.fetched);
        EXPECT_EQ(seen.line, row.line);
        EXPECT_EQ(name, row.line) << "the chart's accessible name is the line";
        EXPECT_EQ(days, row.days);
    }
}

TEST_F(HistoryWindowTest, WhatCameIsKeptAndWhatFailedIsNot) {
    // "UpdateUrl" is for lists: the history still goes to the banks.
    SetStored("UpdateUrl", "http://127.0.0.1:8080/lists/");
    OpenHistory(kUsdSlot);
    OpenHistory(kUsdSlot);
    EXPECT_EQ(Fetched(), std::vector<std::string>{kEcbHistory})
        << "the second look fetches nothing";

    ui.httpBodies.erase(kTablesB);
    ui.fetches.clear();
    OpenHistory(kNgnSlot);
    EXPECT_EQ(seen.line, product::kHistoryFailureText);
    ui.httpBodies[kTablesB] = "<html>busy</html>";
    OpenHistory(kNgnSlot);
    EXPECT_EQ(seen.line, product::kHistoryFailureText) << "a body that is no table";
    ui.httpBodies[kTablesB] = bank_documents::NbpXml("B", kTablesBData);
    OpenHistory(kNgnSlot);
    EXPECT_EQ(ui.fetches.size(), 4u) << "tables A kept; tables B asked each time until they came";
    EXPECT_EQ(seen.caption, "NGN per EUR, last 90 days");
    EXPECT_NE(seen.line, product::kHistoryFailureText);

    // The whole look shares the update's time limit.
    history::ForgetDocuments();
    ui.httpCostMs[kTablesA] = 30000;
    ui.httpCostMs[kTablesB] = 30000;
    ui.fetches.clear();
    OpenHistory(kNgnSlot);
    EXPECT_EQ(seen.line, product::kHistoryFailureText);
    ASSERT_EQ(ui.fetches.size(), 2u);
    EXPECT_EQ(ui.fetches[1].timeLimitMs, 20000);
}

// While the banks are asked, the window is on the screen saying so.
TEST_F(HistoryWindowTest, DownloadingIsShownDuringTheFetch) {
    struct Watch : tk::HttpService {
        explicit Watch(tk::headless::Platform& p) : platform(p) {
            tk::ServiceSet mine = tk::Services();
            mine.http = this;
            previous = tk::Install(mine);
        }
        ~Watch() override { tk::Install(previous); }
        bool Fetch(std::string_view url, int limit, std::string& body) override {
            if (FrmHistory* w = frmHistory.IfLoaded()) {
                const tk::headless::Window& peer = tk::headless::Platform::PeerOf(*w);
                lines.push_back(w->Text(FrmHistory::lblLine) + (peer.Visible() ? "" : " (hidden)") +
                                (peer.refreshes > 0 ? "" : " (not painted)"));
            }
            return platform.Fetch(url, limit, body);
        }
        tk::headless::Platform& platform;
        tk::ServiceSet previous;
        std::vector<std::string> lines;
    } watch(ui);
    OpenHistory(kUsdSlot);
    EXPECT_EQ(watch.lines, std::vector<std::string>{product::kHistoryFetchingText});
}

TEST_F(HistoryWindowTest, TheCursorFollowsKeysAndMouseAndIsAnnounced) {
    struct Step {
        std::function<void(tk::headless::Platform&, FrmHistory&)> act;
        const char* what;
        int point;
        const char* day;  // the line's start
    };
    const Step steps[] = {
        {[](auto& user, auto& w) { user.Key(w, tk::kKeyLeft); }, "Left", 3, "Tue 11/24/2026: "},
        {[](auto& user, auto& w) { user.Key(w, tk::kKeyHome); }, "Home", 0, "Thu 11/19/2026: "},
        {[](auto& user, auto& w) { user.Key(w, tk::kKeyLeft); }, "Left at the start", 0,
         "Thu 11/19/2026: "},
        {[](auto& user, auto& w) { user.Key(w, tk::kKeyPageDown); }, "Page Down", 4,
         "Wed 11/25/2026: "},
        {[](auto& user, auto& w) { user.Key(w, tk::kKeyPageUp); }, "Page Up", 0,
         "Thu 11/19/2026: "},
        {[](auto& user, auto& w) { user.Key(w, tk::kKeyEnd); }, "End", 4, "Wed 11/25/2026: "},
        {[](auto& user, auto& w) { user.Key(w, tk::kKeyRight); }, "Right at the end", 4,
         "Wed 11/25/2026: "},
        {[](auto& user, auto& w) { user.PointChart(w, FrmHistory::chtRate, 2); }, "the mouse", 2,
         "Mon 11/23/2026: "},
        {[](auto& user, auto& w) { user.Key(w, tk::kKeyLeft, tk::kShiftMask); }, "Shift+Left", 2,
         "Mon 11/23/2026: "},
    };
    OpenHistory(kUsdSlot, [&](FrmHistory& w) {
        tk::headless::Window& peer = Peer(w);
        for (const Step& step : steps) {
            const int before = peer.controls[FrmHistory::chtRate].nameChanges;
            const std::string line = w.Text(FrmHistory::lblLine);
            step.act(ui, w);
            const std::string now = w.Text(FrmHistory::lblLine);
            EXPECT_EQ(peer.ChartCursor(FrmHistory::chtRate), step.point) << step.what;
            EXPECT_EQ(now.substr(0, std::string(step.day).size()), step.day) << step.what;
            EXPECT_EQ(peer.AccessibleName(FrmHistory::chtRate), now) << step.what;
            EXPECT_EQ(peer.controls[FrmHistory::chtRate].nameChanges - before, now == line ? 0 : 1)
                << step.what << ": the name changes once with the line, and only then";
        }
    });
}

TEST_F(HistoryWindowTest, CtrlCCopiesTheSeriesAndTheChartHasItsAxes) {
    tk::ChartData chart;
    OpenHistory(kUsdSlot, [&](FrmHistory& w) {
        ui.Ctrl(w, 'C');
        chart = Peer(w).controls[FrmHistory::chtRate].chart;
    });
    EXPECT_EQ(ui.clipboard,
              "Date\tUSD per EUR\r\n2026-11-19\t1.065\r\n2026-11-20\t1.0721\r\n"
              "2026-11-23\t1.0312\r\n2026-11-24\t1.0471\r\n2026-11-25\t1.0563\r\n");
    ASSERT_EQ(chart.points.size(), 5u);
    EXPECT_EQ(chart.points.front().y, 10650);
    ASSERT_GE(chart.yLabels.size(), 4u);
    EXPECT_LE(chart.yLow, 10312);
    EXPECT_GE(chart.yHigh, 10721);
    ASSERT_EQ(chart.marks.size(), 3u) << "low, high and last";
    EXPECT_EQ(chart.marks[0].text, "1.0312");
    EXPECT_EQ(chart.marks[1].text, "1.0721");
    EXPECT_EQ(chart.marks[2].place, tk::ChartPlace::Right);
    EXPECT_TRUE(chart.xLabels.empty()) << "no month begins after 11/19";

    // Nothing to copy: the clipboard keeps what it had.
    ui.clipboard = "kept";
    OpenHistory(kJpySlot, [&](FrmHistory& w) { ui.Ctrl(w, 'C'); });
    EXPECT_EQ(ui.clipboard, "kept");
}

TEST_F(HistoryWindowTest, TheChartFillsTheResizedWindowNeverSmallerThanItsTable) {
    OpenHistory(kUsdSlot, [&](FrmHistory& w) {
        tk::headless::Window& peer = Peer(w);
        const tk::TwipsRect chart = peer.controls[FrmHistory::chtRate].rect;
        const tk::TwipsRect line = peer.controls[FrmHistory::lblLine].rect;
        peer.Resize(FrmHistory::kSpec.clientWidth + 1500, FrmHistory::kSpec.clientHeight + 900);
        EXPECT_EQ(peer.controls[FrmHistory::chtRate].rect.width, chart.width + 1500);
        EXPECT_EQ(peer.controls[FrmHistory::chtRate].rect.height, chart.height + 900);
        EXPECT_EQ(peer.controls[FrmHistory::lblLine].rect.width, line.width + 1500);
        EXPECT_EQ(peer.controls[FrmHistory::lblLine].rect.height, line.height);
        peer.Resize(100, 100);
        EXPECT_EQ(peer.controls[FrmHistory::chtRate].rect.width, chart.width);
        EXPECT_EQ(peer.controls[FrmHistory::chtRate].rect.height, chart.height);
    });
}

}  // namespace
