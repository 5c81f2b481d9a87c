// A currency pair's rates over the days the banks published them, from their fetched
// documents: each currency's daily rate per euro, the pair's quotient day by day, the value
// axis's round ticks, a cursor on one day, the line of text that reads it and the series as
// tab-separated text. Nothing here fetches, stores or draws.
//
// Every rate per euro is held exactly as the bank's numbers give it (a fraction of their
// digits), and a pair's value is rounded once, on the quotient: rounding each rate to
// ten-thousandths first, as the update list stores them, would move a pair's quotient in the
// digits the chart shows (the ECB's GBP 0.84585 held as 0.8458 turns EUR per GBP 1.18224 into
// 1.18231).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "NbpTables.h"
#include "Publications.h"
#include "RatesFeed.h"
#include "toolkit/Services.h"

namespace history {

// Units of a currency per euro, exactly: numerator / denominator x 10^exponent, both below
// kMaxRateDigits digits and above zero.
struct EuroRate {
    std::uint64_t numerator = 1;
    std::uint64_t denominator = 1;
    int exponent = 0;
};
// The significant digits a bank's number may have here (the banks' have at most eight):
// a product of two such counts stays below 10^18.
inline constexpr int kMaxRateDigits = 9;

// The rate per euro of decimal text (feed::IsDecimalText) above zero with at most
// kMaxRateDigits significant digits; nullopt otherwise.
std::optional<EuroRate> EuroRateOf(std::string_view decimalText);

struct RateDay {
    publications::Date day;
    EuroRate rate;
};

// One currency's rates per euro: on the days listed, or, for `fixed`, every day alike.
struct CurrencySeries {
    bool ok = false;
    std::vector<RateDay> days;      // oldest first, one per day; empty when `fixed`
    std::optional<EuroRate> fixed;  // the euro itself (1), a former national currency
    std::string error;              // when !ok: what is wrong, with "line N: " where known
};

// The same rate on every day: "1" for the euro, a former national currency's irrevocable
// rate. Not ok when the text is no rate (see EuroRateOf).
CurrencySeries FixedSeries(std::string_view unitsPerEuro);

// `code`'s rate on each day of the ECB's document (daily or 90-day; the days in any order);
// EUR is 1 on every day. A day that does not list the code is left out. Not ok, with no days,
// when the document did not read, or a day lists the code twice or with a rate EuroRateOf
// does not take.
CurrencySeries EcbSeries(const feed::ParsedRates& document, std::string_view code);

// `code`'s rate on each day of the NBP's tables A (an answer over a range, any number of
// tables) and, when `tablesB` is given, tables B: each mid against table A's EUR mid of the
// same day, as the update cross-rates them. A currency table A lists comes from table A; a
// table B's currency only on a day that has a table A, and only when that table A does not
// list it. PLN is table A's euro mid; EUR is 1 on every day of a table A. A day with no rate
// for the code is left out. Not ok, with no days, when either reading failed, two tables of
// one letter share a date, or a table fails the checks the update makes (nbp::AnswerOf: a
// table A alone; a table B with table A of its day).
CurrencySeries NbpSeries(const nbp::Reading& tablesA, const nbp::Reading* tablesB,
                         std::string_view code);

// ---- a pair ----

// A pair's value on one day: units of the quote currency per unit of the base currency, as a
// count of 10^-decimals (the series' `decimals`).
struct PairDay {
    publications::Date day;
    std::int64_t value = 0;
};

// The least number of decimals of a pair's values, and the significant digits its smallest
// value keeps at least (1.0563 USD per EUR; 0.000036869 EUR per VND).
inline constexpr int kMinPairDecimals = 4;
inline constexpr int kPairSignificantDigits = 5;
// Every value is a count below this (with room for the axis' arithmetic above it).
inline constexpr std::int64_t kMaxPairCount = 1'000'000'000'000'000;

struct PairSeries {
    bool ok = false;
    std::string base;   // X of "Y per X"
    std::string quote;  // Y
    // Decimals of every value: kMinPairDecimals, or more when the smallest value needs them
    // for kPairSignificantDigits significant digits.
    int decimals = kMinPairDecimals;
    std::vector<PairDay> days;  // oldest first
    std::string error;          // when !ok
};

// "USD per EUR": the pair's name, as the chart's caption and the copied header give it.
std::string PairName(std::string_view base, std::string_view quote);

// Units of `quote` per `base` on each day both series have a rate (a fixed series has one
// every day), the exact quotient of their rates per euro rounded once, halves to even, to the
// series' decimals. A day one of them lacks is left out. Two fixed series give no days. Not
// ok, with no days, when either series is not ok or a value reaches kMaxPairCount.
PairSeries PairOf(std::string_view base, const CurrencySeries& baseRates, std::string_view quote,
                  const CurrencySeries& quoteRates);

// The days of the lowest and the highest value (the first of equals) and the last day, as
// indexes into the series' days; all 0 for a series without days.
struct Extremes {
    std::size_t low = 0;
    std::size_t high = 0;
    std::size_t last = 0;
};
Extremes ExtremesOf(std::span<const PairDay> days);

// ---- the value axis ----

// Ticks of the value axis, ascending: each is values[i] x 10^-decimals, exactly, for the
// caller to write in the user's number format (tk::FormatDecimal).
struct AxisTicks {
    int decimals = 0;  // the fewest that write every tick exactly
    std::vector<std::int64_t> values;
};
inline constexpr std::size_t kMinTicks = 4;
inline constexpr std::size_t kMaxTicks = 6;

// kMinTicks to kMaxTicks ticks a round step apart (1, 2, 2.5 or 5 x 10^k, no finer than one
// count at `decimals`), the first at or below `low` and the last at or above `high`: the axis
// runs from the first to the last. `low` and `high` are counts of 10^-decimals, 0 <= low <=
// high < kMaxPairCount. A range narrower than kMinTicks - 1 counts, a flat one included, is
// first widened evenly to at least that, and never below zero: what cannot go below goes
// above (1.0563 alone: 1.0561 to 1.0565; 0.0001 alone: 0 to 0.0004).
AxisTicks TicksFor(std::int64_t low, std::int64_t high, int decimals);
// The ticks of the series' lowest and highest values; none for a series without days.
AxisTicks TicksOf(const PairSeries& series);

// ---- the cursor ----

enum class CursorKey : std::uint8_t { Left, Right, PageUp, PageDown, Home, End };
// Page Up and Page Down move by this many days of the calendar.
inline constexpr long long kPageDays = 7;

// A day of a series, as an index into its days. The series is passed to each move, and must
// be the one the cursor was made for.
class Cursor {
public:
    // On the newest day (0 for a series without days).
    explicit Cursor(std::span<const PairDay> days);
    std::size_t Index() const { return index_; }
    // Left and Right: the day before or after. Page Up: the newest day at least kPageDays
    // before this one, Page Down: the oldest day at least kPageDays after it (the series'
    // first or last day when there is none). Home and End: the oldest and newest day. Never
    // past either end. True when the cursor moved.
    bool Move(CursorKey key, std::span<const PairDay> days);
    // Onto day `index`, or the newest when it is past the end (the mouse). True when it moved.
    bool Set(std::size_t index, std::span<const PairDay> days);

private:
    std::size_t index_ = 0;
};

// ---- texts ----

// The line that reads day `index` of the series (which has days), with the day of the week
// (English, as all the program's texts), the user's short date and separators:
//   "Wed 11/25/2026: 1 EUR = 1.0563 USD (low 1.0312 on 10/2/2026, high 1.0721 on 9/14/2026)"
// Values are grouped, without trailing zeros. Empty for a series without days or an index
// past its end.
std::string CursorLine(const PairSeries& series, std::size_t index, tk::RegionalService& regional);

// The whole series for the clipboard, to paste into a spreadsheet as two columns: the line
// "Date<TAB>USD per EUR", then "YYYY-MM-DD<TAB>1.0563" for each day, oldest first, the value
// with "." as its point, ungrouped, without trailing zeros; every line ends with CR LF.
std::string TabSeparatedText(const PairSeries& series);

}  // namespace history
