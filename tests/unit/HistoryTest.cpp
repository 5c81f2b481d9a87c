// A pair's history: the series from both banks' documents, the quotient's rounding, the value
// axis's ticks, the cursor's keys, the line that reads the cursor's day and the copied text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "BankDocuments.h"
#include "History.h"
#include "toolkit/NumberFormat.h"
#include "toolkit/Xml.h"
#include "toolkit/headless/Headless.h"

namespace history {
namespace {

using publications::Date;

// ---- documents written in the tests: read by the installed XML reader where the build has
// one, else given as the reading would give them ----

using bank_documents::EcbDay;
using bank_documents::NbpTable;

feed::ParsedRates EcbDocument(const std::vector<EcbDay>& days) {
    if (tk::XmlReader* reader = tk::Services().xml) {
        return feed::ParseRatesXml(bank_documents::EcbXml(days), *reader);
    }
    feed::ParsedRates parsed;
    parsed.ok = parsed.centralBankRoot = true;
    for (const EcbDay& d : days) {
        parsed.days.push_back({d.date, 0, {}});
        for (const auto& q : d.rates) parsed.days.back().rates.push_back({q.code, q.rate, 0});
    }
    return parsed;
}

nbp::Reading NbpAnswer(const std::string& letter, const std::vector<NbpTable>& tables) {
    if (tk::XmlReader* reader = tk::Services().xml) {
        return nbp::ReadTables(bank_documents::NbpXml(letter, tables), *reader);
    }
    nbp::Reading reading;
    reading.ok = true;
    for (const NbpTable& t : tables) {
        reading.tables.push_back({letter, t.number, t.date, {}, 0, {}});
        for (const auto& m : t.mids) reading.tables.back().rates.push_back({m.code, m.rate, 0});
    }
    return reading;
}

// The ECB's 90-day file of five days, newest first: JPY is not published on 2026-11-20.
const std::vector<EcbDay> kEcb90Days = {
    {"2026-11-25", {{"USD", "1.0563"}, {"JPY", "162.45"}, {"GBP", "0.84585"}}},
    {"2026-11-24", {{"USD", "1.0471"}, {"JPY", "161.90"}, {"GBP", "0.84420"}}},
    {"2026-11-23", {{"USD", "1.0312"}, {"JPY", "160.85"}, {"GBP", "0.84110"}}},
    {"2026-11-20", {{"USD", "1.0721"}, {"GBP", "0.84985"}}},
    {"2026-11-19", {{"USD", "1.0650"}, {"JPY", "163.10"}, {"GBP", "0.84585"}}},
};

// The NBP's tables A over a range, oldest first: none on 2026-11-24.
const std::vector<NbpTable> kTablesA = {
    {"224/A/NBP/2026", "2026-11-18", {{"USD", "4.0639"}, {"EUR", "4.2722"}, {"UAH", "0.0976"}}},
    {"225/A/NBP/2026", "2026-11-19", {{"USD", "4.0100"}, {"EUR", "4.2690"}, {"UAH", "0.0971"}}},
    {"226/A/NBP/2026", "2026-11-20", {{"USD", "3.9880"}, {"EUR", "4.2755"}, {"UAH", "0.0968"}}},
    {"227/A/NBP/2026", "2026-11-23", {{"USD", "4.1500"}, {"EUR", "4.2801"}, {"UAH", "0.0990"}}},
    {"228/A/NBP/2026", "2026-11-25", {{"USD", "4.0377"}, {"EUR", "4.2650"}, {"UAH", "0.0975"}}},
};

// Tables B, Wednesdays: 2026-11-11 has no table A in the range.
const std::vector<NbpTable> kTablesB = {
    {"045/B/NBP/2026", "2026-11-11", {{"AED", "1.1100"}, {"NGN", "0.002650"}}},
    {"046/B/NBP/2026", "2026-11-18", {{"AED", "1.1070"}, {"NGN", "0.002612"}}},
    {"047/B/NBP/2026", "2026-11-25", {{"AED", "1.1005"}, {"NGN", "0.002598"}}},
};

// A pair's values as "YYYY-MM-DD=value" with the series' decimals written out.
std::vector<std::string> Values(const PairSeries& s) {
    std::vector<std::string> out;
    for (const PairDay& d : s.days) {
        char day[16];
        std::snprintf(day, sizeof day, "%04d-%02d-%02d", d.day.year, d.day.month, d.day.day);
        std::string value = tk::FormatDecimal(d.value, s.decimals, {".", ""}, false);
        const std::size_t point = value.find('.');
        const std::size_t have = point == std::string::npos ? 0 : value.size() - point - 1;
        if (have == 0 && s.decimals > 0) value += '.';
        value.append(static_cast<std::size_t>(s.decimals) - have, '0');
        out.push_back(std::string(day) + "=" + value);
    }
    return out;
}

class HistoryTest : public testing::Test {
protected:
    tk::headless::Platform ui;
};

enum class Bank { Ecb, Nbp, Fixed };
struct Side {
    std::string code;
    Bank bank;
    std::string fixedRate = {};
};

struct PairCase {
    const char* name;
    Side base, quote;
    std::vector<std::string> values;
};

TEST_F(HistoryTest, APairIsTheQuotientOnTheDaysBothHave) {
    const feed::ParsedRates ecb = EcbDocument(kEcb90Days);
    const nbp::Reading a = NbpAnswer("A", kTablesA), b = NbpAnswer("B", kTablesB);
    const auto series = [&](const Side& side) {
        switch (side.bank) {
            case Bank::Ecb:
                return EcbSeries(ecb, side.code);
            case Bank::Nbp:
                return NbpSeries(a, &b, side.code);
            case Bank::Fixed:
                break;
        }
        return FixedSeries(side.fixedRate);
    };
    const PairCase cases[] = {
        {"ECB: the bank's own figures",
         {"EUR", Bank::Ecb},
         {"USD", Bank::Ecb},
         {"2026-11-19=1.0650", "2026-11-20=1.0721", "2026-11-23=1.0312", "2026-11-24=1.0471",
          "2026-11-25=1.0563"}},
        {"ECB: below 1, five significant digits",
         {"USD", Bank::Ecb},
         {"GBP", Bank::Ecb},
         {"2026-11-19=0.79423", "2026-11-20=0.79270", "2026-11-23=0.81565", "2026-11-24=0.80623",
          "2026-11-25=0.80077"}},
        {"ECB: a day one side was not published",
         {"USD", Bank::Ecb},
         {"JPY", Bank::Ecb},
         {"2026-11-19=153.1455", "2026-11-23=155.9833", "2026-11-24=154.6175",
          "2026-11-25=153.7915"}},
        {"NBP: table B on the days of a table A",
         {"EUR", Bank::Nbp},
         {"NGN", Bank::Nbp},
         {"2026-11-18=1635.6049", "2026-11-25=1641.6474"}},
        {"NBP: two of table A",
         {"USD", Bank::Nbp},
         {"UAH", Bank::Nbp},
         {"2026-11-18=41.6383", "2026-11-19=41.2976", "2026-11-20=41.1983", "2026-11-23=41.9192",
          "2026-11-25=41.4123"}},
        {"NBP: the zloty is table A's euro mid",
         {"EUR", Bank::Nbp},
         {"PLN", Bank::Nbp},
         {"2026-11-18=4.2722", "2026-11-19=4.2690", "2026-11-20=4.2755", "2026-11-23=4.2801",
          "2026-11-25=4.2650"}},
        {"NBP: a small value keeps its digits",
         {"NGN", Bank::Nbp},
         {"EUR", Bank::Nbp},
         {"2026-11-18=0.00061139", "2026-11-25=0.00060914"}},
        {"mixed: a day missing on each side",
         {"GBP", Bank::Ecb},
         {"UAH", Bank::Nbp},
         {"2026-11-19=51.9773", "2026-11-20=51.9720", "2026-11-23=51.4009", "2026-11-25=51.7155"}},
        {"mixed: a single day", {"USD", Bank::Ecb}, {"NGN", Bank::Nbp}, {"2026-11-25=1554.1488"}},
        {"a fixed rate against each day",
         {"USD", Bank::Ecb},
         {"ATS", Bank::Fixed, "13.7603"},
         {"2026-11-19=12.9205", "2026-11-20=12.8349", "2026-11-23=13.3440", "2026-11-24=13.1413",
          "2026-11-25=13.0269"}},
        {"two fixed rates have no days",
         {"DEM", Bank::Fixed, "1.95583"},
         {"ATS", Bank::Fixed, "13.7603"},
         {}},
        {"a code no bank lists", {"EUR", Bank::Ecb}, {"XYZ", Bank::Nbp}, {}},
    };
    for (const PairCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PairSeries pair = PairOf(c.base.code, series(c.base), c.quote.code, series(c.quote));
        ASSERT_TRUE(pair.ok) << pair.error;
        EXPECT_EQ(pair.base, c.base.code);
        EXPECT_EQ(pair.quote, c.quote.code);
        EXPECT_EQ(Values(pair), c.values);
    }
}

struct FailureCase {
    const char* name;
    std::vector<EcbDay> ecb;
    std::vector<NbpTable> a, b;
    const char* code;
    const char* error;  // a part of the error
};

TEST_F(HistoryTest, ADocumentThatFailsTheChecksGivesNoSeries) {
    const std::vector<EcbDay> goodEcb = {{"2026-11-25", {{"USD", "1.0563"}}}};
    const std::vector<NbpTable> goodA = {kTablesA.back()};
    const FailureCase cases[] = {
        {"ECB: a code twice on a day",
         {{"2026-11-25", {{"USD", "1.0563"}, {"USD", "1.0564"}}}},
         goodA,
         {},
         "USD",
         "USD appears twice on 2026-11-25"},
        {"ECB: a rate of zero",
         {{"2026-11-25", {{"USD", "0.0000"}}}},
         goodA,
         {},
         "USD",
         "rate '0.0000' of USD is not a number above zero"},
        {"ECB: more digits than held",
         {{"2026-11-25", {{"USD", "1.056300001"}}}},
         goodA,
         {},
         "USD",
         "at most 9 significant digits"},
        {"NBP: two tables A of a day",
         goodEcb,
         {kTablesA[0], kTablesA[0]},
         {},
         "USD",
         "two tables of 2026-11-18"},
        {"NBP: a table A without EUR",
         goodEcb,
         {{"228/A/NBP/2026", "2026-11-25", {{"USD", "4.0377"}}}},
         {},
         "USD",
         "has no EUR"},
        {"NBP: a zero mid in table B of a table A's day",
         goodEcb,
         goodA,
         {{"047/B/NBP/2026", "2026-11-25", {{"AED", "0.0"}, {"NGN", "0.002598"}}}},
         "NGN",
         "is zero"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const nbp::Reading a = NbpAnswer("A", c.a), b = NbpAnswer("B", c.b);
        const CurrencySeries ecb = EcbSeries(EcbDocument(c.ecb), c.code);
        const CurrencySeries nbp = NbpSeries(a, &b, c.code);
        const CurrencySeries& failed = ecb.ok ? nbp : ecb;
        EXPECT_FALSE(ecb.ok && nbp.ok);
        EXPECT_TRUE(failed.days.empty());
        EXPECT_NE(failed.error.find(c.error), std::string::npos) << failed.error;
        const PairSeries pair = PairOf("EUR", FixedSeries("1"), c.code, failed);
        EXPECT_FALSE(pair.ok);
        EXPECT_EQ(pair.error, failed.error);
    }
}

TEST_F(HistoryTest, AFailedReadingGivesNoSeries) {
    if (tk::Services().xml == nullptr) GTEST_SKIP() << "this build has no XML reader";
    const feed::ParsedRates broken = feed::ParseRatesXml("<Cube", *tk::Services().xml);
    EXPECT_FALSE(EcbSeries(broken, "USD").ok);
    const nbp::Reading notTables = nbp::ReadTables("<html/>", *tk::Services().xml);
    const nbp::Reading a = NbpAnswer("A", kTablesA);
    EXPECT_FALSE(NbpSeries(notTables, nullptr, "USD").ok);
    EXPECT_FALSE(NbpSeries(a, &notTables, "USD").ok);
    EXPECT_TRUE(NbpSeries(a, nullptr, "USD").ok);
}

// ---- the quotient's rounding, on rates written as the banks write them ----

struct QuotientCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> rates;  // base, quote; one pair a day
    int decimals;
    std::vector<std::int64_t> values;
    bool ok = true;  // false: no series
};

CurrencySeries Daily(const std::vector<std::string>& rates) {
    CurrencySeries s;
    s.ok = true;
    int day = 1;
    for (const std::string& r : rates) {
        const std::optional<EuroRate> rate = EuroRateOf(r);
        EXPECT_TRUE(rate) << r;
        s.days.push_back({Date{2026, 11, day++}, rate.value_or(EuroRate{})});
    }
    return s;
}

TEST(HistoryQuotient, RoundsOnceHalvesToEvenToFiveSignificantDigitsAtLeast) {
    const QuotientCase cases[] = {
        {"a half rounds to the even count below", {{"2", "2.0001"}}, 4, {10000}},
        {"a half rounds to the even count above", {{"2", "2.0003"}}, 4, {10002}},
        {"just past a half rounds up", {{"2", "2.00010001"}}, 4, {10001}},
        {"thirds", {{"3", "1"}, {"3", "2"}}, 5, {33333, 66667}},
        {"the smallest value sets the decimals", {{"2", "3"}, {"2", "1"}}, 5, {150000, 50000}},
        {"many decimals", {{"27123.45", "1"}}, 9, {36868}},
        {"large values keep four decimals", {{"0.0001", "27123.45"}}, 4, {2712345000000}},
        {"EUR per GBP from the bank's five digits", {{"0.84585", "1"}}, 4, {11822}},
        {"too large to hold", {{"0.000001", "999999999"}}, 4, {}, false},
        {"too small to hold", {{"999999999", "0.000000001"}}, 4, {}, false},
    };
    for (const QuotientCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> base, quote;
        for (const auto& [b, q] : c.rates) {
            base.push_back(b);
            quote.push_back(q);
        }
        const PairSeries pair = PairOf("B", Daily(base), "Q", Daily(quote));
        EXPECT_EQ(pair.ok, c.ok) << pair.error;
        if (!c.ok) {
            EXPECT_TRUE(pair.days.empty());
            continue;
        }
        EXPECT_EQ(pair.decimals, c.decimals);
        std::vector<std::int64_t> values;
        for (const PairDay& d : pair.days) values.push_back(d.value);
        EXPECT_EQ(values, c.values);
    }
}

TEST(HistoryQuotient, RatesAreDecimalTextAboveZeroOfNineDigitsAtMost) {
    for (const char* good : {"1", "0.84585", "27123.45", "0.000000001", "123456789000", "1.0"}) {
        EXPECT_TRUE(EuroRateOf(good)) << good;
    }
    for (const char* bad :
         {"", "0", "0.000", "-1", "1e3", " 1", "1.", "1234567891", "0.1234567891"}) {
        EXPECT_FALSE(EuroRateOf(bad)) << bad;
    }
}

// ---- the lowest, the highest and the last day ----

std::vector<PairDay> DaysOf(const std::vector<std::int64_t>& values) {
    std::vector<PairDay> days;
    int day = 1;
    for (const std::int64_t v : values) days.push_back({Date{2026, 11, day++}, v});
    return days;
}

TEST(HistoryExtremes, TheFirstOfEqualsIsMarked) {
    struct Case {
        std::vector<std::int64_t> values;
        std::size_t low, high, last;
    };
    const Case cases[] = {
        {{}, 0, 0, 0},
        {{5}, 0, 0, 0},
        {{3, 1, 4, 1, 5, 5, 2}, 1, 4, 6},
        {{7, 7, 7}, 0, 0, 2},
    };
    for (const Case& c : cases) {
        const std::vector<PairDay> days = DaysOf(c.values);
        const Extremes e = ExtremesOf(days);
        EXPECT_EQ(e.low, c.low) << testing::PrintToString(c.values);
        EXPECT_EQ(e.high, c.high) << testing::PrintToString(c.values);
        EXPECT_EQ(e.last, c.last) << testing::PrintToString(c.values);
    }
}

// ---- the value axis ----

struct TickCase {
    const char* name;
    std::int64_t low, high;
    int decimals;
    int tickDecimals;
    std::vector<std::int64_t> ticks;
};

TEST(HistoryTicks, RoundStepsCoverTheRange) {
    const TickCase cases[] = {
        {"flat", 10563, 10563, 4, 4, {10561, 10562, 10563, 10564, 10565}},
        {"one count", 100, 101, 4, 4, {98, 99, 100, 101, 102, 103}},
        {"flat next to zero", 1, 1, 4, 4, {0, 1, 2, 3, 4}},
        {"tiny", 16041, 16050, 8, 8, {16040, 16042, 16044, 16046, 16048, 16050}},
        {"USD per EUR", 10312, 10721, 4, 2, {103, 104, 105, 106, 107, 108}},
        {"steps of 2.5", 1000, 1012, 4, 5, {10000, 10025, 10050, 10075, 10100, 10125}},
        {"steps of 5", 1000, 1024, 4, 4, {1000, 1005, 1010, 1015, 1020, 1025}},
        {"VND per EUR", 268001234, 273459876, 4, 0, {26800, 27000, 27200, 27400}},
        {"whole units", 15, 2000000, 0, 0, {0, 500000, 1000000, 1500000, 2000000}},
    };
    for (const TickCase& c : cases) {
        SCOPED_TRACE(c.name);
        const AxisTicks ticks = TicksFor(c.low, c.high, c.decimals);
        EXPECT_EQ(ticks.decimals, c.tickDecimals);
        EXPECT_EQ(ticks.values, c.ticks);
    }
}

// Whatever the range, four to six evenly spaced round ticks from at or below its low to at or
// above its high.
TEST(HistoryTicks, EveryRangeHasFourToSixRoundTicks) {
    const std::int64_t lows[] = {0, 1, 7, 99, 10563, 16041, 268001234, 999999999999};
    const std::int64_t widths[] = {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 13, 49, 99, 409, 1001, 77777};
    for (const std::int64_t low : lows) {
        for (const std::int64_t width : widths) {
            const int decimals = 4;
            const AxisTicks t = TicksFor(low, low + width, decimals);
            const std::string at = std::to_string(low) + " + " + std::to_string(width);
            ASSERT_GE(t.values.size(), kMinTicks) << at;
            ASSERT_LE(t.values.size(), kMaxTicks) << at;
            // In counts of 10^-(decimals + 1), to compare with the range.
            std::int64_t scale = 1;
            for (int i = t.decimals; i < decimals + 1; ++i) scale *= 10;
            EXPECT_LE(t.values.front() * scale, low * 10) << at;
            EXPECT_GE(t.values.back() * scale, (low + width) * 10) << at;
            const std::int64_t step = (t.values[1] - t.values[0]) * scale;
            std::int64_t mantissa = step;
            while (mantissa % 10 == 0 && mantissa > 10) mantissa /= 10;
            EXPECT_TRUE(mantissa == 1 || mantissa == 2 || mantissa == 25 || mantissa == 5 ||
                        mantissa == 10)
                << at << " step " << step;
            for (std::size_t i = 1; i < t.values.size(); ++i) {
                EXPECT_EQ((t.values[i] - t.values[i - 1]) * scale, step) << at;
            }
        }
    }
}

TEST(HistoryTicks, ASeriesTicksItsLowAndHigh) {
    PairSeries s;
    s.decimals = 4;
    EXPECT_TRUE(TicksOf(s).values.empty());
    s.days = DaysOf({10563, 10312, 10721});
    EXPECT_EQ(TicksOf(s).values, (std::vector<std::int64_t>{103, 104, 105, 106, 107, 108}));
}

// ---- the cursor ----

// Working days of November 2026, with gaps: the 12th, the 17th to the 19th.
std::vector<PairDay> CursorDays() {
    std::vector<PairDay> days;
    for (const int d : {2, 3, 4, 5, 6, 9, 10, 11, 13, 16, 20}) days.push_back({{2026, 11, d}, d});
    return days;
}

TEST(HistoryCursor, KeysMoveByDayWeekAndToTheEndsNeverPastThem) {
    struct Case {
        int from;  // the day of November the cursor is on
        CursorKey key;
        int to;
    };
    const Case cases[] = {
        {20, CursorKey::Left, 16},     {2, CursorKey::Left, 2},       {2, CursorKey::Right, 3},
        {20, CursorKey::Right, 20},    {11, CursorKey::Home, 2},      {2, CursorKey::Home, 2},
        {3, CursorKey::End, 20},       {20, CursorKey::End, 20},      {20, CursorKey::PageUp, 13},
        {10, CursorKey::PageUp, 3},    {16, CursorKey::PageUp, 9},    {6, CursorKey::PageUp, 2},
        {2, CursorKey::PageUp, 2},     {2, CursorKey::PageDown, 9},   {5, CursorKey::PageDown, 13},
        {11, CursorKey::PageDown, 20}, {16, CursorKey::PageDown, 20}, {20, CursorKey::PageDown, 20},
    };
    const std::vector<PairDay> days = CursorDays();
    const auto indexOf = [&days](int day) {
        std::size_t i = 0;
        while (days[i].day.day != day) ++i;
        return i;
    };
    for (const Case& c : cases) {
        Cursor cursor(days);
        cursor.Set(indexOf(c.from), days);
        const bool moved = cursor.Move(c.key, days);
        EXPECT_EQ(days[cursor.Index()].day.day, c.to)
            << "from the " << c.from << "th, key " << static_cast<int>(c.key);
        EXPECT_EQ(moved, c.from != c.to) << c.from;
    }
}

TEST(HistoryCursor, StartsOnTheNewestDayAndTheMouseSetsIt) {
    const std::vector<PairDay> days = CursorDays();
    Cursor cursor(days);
    EXPECT_EQ(cursor.Index(), days.size() - 1);
    EXPECT_TRUE(cursor.Set(3, days));
    EXPECT_EQ(cursor.Index(), 3u);
    EXPECT_FALSE(cursor.Set(3, days));
    EXPECT_TRUE(cursor.Set(99, days));
    EXPECT_EQ(cursor.Index(), days.size() - 1);

    Cursor none(std::span<const PairDay>{});
    EXPECT_EQ(none.Index(), 0u);
    EXPECT_FALSE(none.Move(CursorKey::Left, {}));
    EXPECT_FALSE(none.Move(CursorKey::PageDown, {}));
    EXPECT_FALSE(none.Set(2, {}));
}

// ---- texts ----

PairSeries UsdPerEur() {
    PairSeries s;
    s.ok = true;
    s.base = "EUR";
    s.quote = "USD";
    s.decimals = 4;
    s.days = {{{2026, 9, 14}, 10721},
              {{2026, 10, 2}, 10312},
              {{2026, 10, 30}, 10721},
              {{2026, 11, 24}, 10650},
              {{2026, 11, 25}, 10563}};
    return s;
}

PairSeries VndPerEur() {
    PairSeries s;
    s.ok = true;
    s.base = "EUR";
    s.quote = "VND";
    s.decimals = 4;
    s.days = {{{2026, 11, 24}, 270000000}, {{2026, 11, 25}, 271234567}};
    return s;
}

struct LineCase {
    const char* name;
    PairSeries series;
    std::size_t index;
    const char* us;
    const char* german;
};

TEST_F(HistoryTest, TheCursorLineFollowsTheUsersDateAndSeparators) {
    const LineCase cases[] = {
        {"the newest day", UsdPerEur(), 4,
         "Wed 11/25/2026: 1 EUR = 1.0563 USD (low 1.0312 on 10/2/2026, high 1.0721 on 9/14/2026)",
         "Wed 25.11.2026: 1 EUR = 1,0563 USD (low 1,0312 on 02.10.2026, high 1,0721 on "
         "14.09.2026)"},
        {"another day, trailing zeros dropped", UsdPerEur(), 3,
         "Tue 11/24/2026: 1 EUR = 1.065 USD (low 1.0312 on 10/2/2026, high 1.0721 on 9/14/2026)",
         "Tue 24.11.2026: 1 EUR = 1,065 USD (low 1,0312 on 02.10.2026, high 1,0721 on "
         "14.09.2026)"},
        {"grouped thousands", VndPerEur(), 0,
         "Tue 11/24/2026: 1 EUR = 27,000 VND (low 27,000 on 11/24/2026, high 27,123.4567 on "
         "11/25/2026)",
         "Tue 24.11.2026: 1 EUR = 27.000 VND (low 27.000 on 24.11.2026, high 27.123,4567 on "
         "25.11.2026)"},
        {"past the end", UsdPerEur(), 5, "", ""},
        {"no days", PairSeries{}, 0, "", ""},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        ui.separators = {".", ","};
        ui.shortDatePattern = "M/d/yyyy";
        EXPECT_EQ(CursorLine(c.series, c.index, ui), c.us);
        ui.separators = {",", "."};
        ui.shortDatePattern = "dd.MM.yyyy";
        EXPECT_EQ(CursorLine(c.series, c.index, ui), c.german);
    }
}

TEST_F(HistoryTest, TheCopiedTextIsTwoColumnsOldestFirstWithAPoint) {
    ui.separators = {",", "."};  // the user's separators do not apply
    EXPECT_EQ(TabSeparatedText(UsdPerEur()),
              "Date\tUSD per EUR\r\n"
              "2026-09-14\t1.0721\r\n"
              "2026-10-02\t1.0312\r\n"
              "2026-10-30\t1.0721\r\n"
              "2026-11-24\t1.065\r\n"
              "2026-11-25\t1.0563\r\n");
    EXPECT_EQ(TabSeparatedText(VndPerEur()),
              "Date\tVND per EUR\r\n2026-11-24\t27000\r\n2026-11-25\t27123.4567\r\n");
    PairSeries small;
    small.base = "NGN";
    small.quote = "EUR";
    small.decimals = 8;
    small.days = {{{2026, 11, 18}, 61139}};
    EXPECT_EQ(TabSeparatedText(small), "Date\tEUR per NGN\r\n2026-11-18\t0.00061139\r\n");
}

}  // namespace
}  // namespace history
