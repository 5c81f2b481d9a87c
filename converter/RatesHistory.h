// A currency pair's history as the history window shows it: where each currency's daily
// rates come from (the bank that gave its rate), the fetch of that bank's documents of the
// last kHistoryDays days within the update's time limit, and the pair's series made from
// them. What was fetched stays in memory for the rest of the run, so that a second look
// fetches nothing; nothing is written to the store or to a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Currency.h"
#include "History.h"

namespace history {

// The days of history asked of the banks, today (UTC) included.
inline constexpr long long kHistoryDays = 90;
// The ECB's file of its last 90 days, beside its daily file.
inline constexpr std::string_view kEcbHistoryFile = "eurofxref-hist-90d.xml";

// Where a currency's daily rates come from.
struct DailySource {
    enum class Kind : std::uint8_t {
        None,   // no bank publishes its rate here: built in, set by hand
        Fixed,  // the same every day: the euro, a former national currency
        Ecb,
        Nbp,
    };
    Kind kind = Kind::None;
    std::string fixedRate = {};  // Fixed: units per euro, as decimal text
    bool tableB = false;  // Nbp: the rate came from a table B, which table A then joins
};

// The source of `entry`'s rates by the origin of its rate: EUR is fixed at 1 whatever its
// origin; a rate of the euro's former currencies is fixed (at its irrevocable rate); the ECB
// and the NBP as recorded; an unrecorded origin is the ECB's when an update was recorded
// (the only bank before origins were kept), else none; built-in and hand-set rates none.
DailySource SourceOf(const CurrencyEntry& entry);

// The address of the ECB's 90-day file in the folder of its daily file's address `ecbDaily`
// (the part up to its last "/" before any "?").
std::string EcbHistoryUrl(std::string_view ecbDaily);

enum class Outcome : std::uint8_t {
    Ready,      // `series` holds the pair's days (at least one)
    NoHistory,  // a currency's rate was not published by a bank, or the pair has no day
    Failed,     // a document did not come in time or did not read
};

struct PairHistory {
    Outcome outcome = Outcome::Failed;
    PairSeries series;  // Ready: the pair; otherwise not ok
};

// Units of `quote` per unit of `base` on each of the last kHistoryDays days both have a rate,
// from the banks' documents at the addresses rates::BankAddressesNow names ("UpdateUrl" does
// not apply): the ECB's 90-day file, and the NBP's tables A (and B for a currency of a table
// B) from today's UTC date back. Each document not yet in memory is fetched in what is left
// of the update's time limit from `start` (a ClockService::Ticks value) and kept once it has
// read. Without an XML reader, HTTP or clock service, a bank's currency fails.
PairHistory LoadPair(const CurrencyEntry& base, const CurrencyEntry& quote, std::uint64_t start);

// Whether LoadPair of the pair would fetch anything now.
bool NeedsFetch(const CurrencyEntry& base, const CurrencyEntry& quote);

// Drops every document kept: a test's fresh start.
void ForgetDocuments();

}  // namespace history
