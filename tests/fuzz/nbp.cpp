// The reading of the NBP's tables and the list made of both banks. The input is table A's
// answer, then after a NUL byte table B's, then after another the ECB's file; a part that is
// empty or missing was not fetched. Checks: a reading that fails holds no table; a table
// answers exactly when it has no error, table B only beside table A; every rate a table gives
// is one code once, from 1 to 2^53 ten-thousandths, and each cross rate is the quotient of
// its mids to within half a ten-thousandth (worked out here in long double); the merged list
// is made exactly when some source answered, is the ECB's list byte for byte when no table
// did, carries one source per record in its order, and reads back in the converter with
// every rate as written. Both answers are also read as the history reads tables over a range:
// each code's series has one day per table A date at most, oldest first; its pair against the
// euro has a value on each of those days, within the ticks of its axis, and the cursor's keys
// never leave the days.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "BuiltInNames.h"
#include "History.h"
#include "NbpTables.h"
#include "RatesMerge.h"
#include "Support.h"
#include "UpdateList.h"
#include "toolkit/expat/ExpatXml.h"

namespace {

constexpr std::size_t kParts = 3;
constexpr std::size_t kMaxDivisorDigits = 18;
constexpr long double kScale = 10000.0L;
// A long double holds 64 bits of mantissa: the quotient of two parsed texts is off by far
// less than this share of itself.
constexpr long double kRelativeError = 1e-15L;

std::vector<std::optional<std::string_view>> Parts(std::string_view input) {
    std::vector<std::optional<std::string_view>> parts;
    while (parts.size() + 1 < kParts) {
        const std::size_t nul = input.find('\0');
        if (nul == std::string_view::npos) break;
        parts.emplace_back(input.substr(0, nul));
        input.remove_prefix(nul + 1);
    }
    parts.emplace_back(input);
    parts.resize(kParts);
    for (auto& p : parts) {
        if (p && p->empty()) p.reset();
    }
    return parts;
}

long double Value(std::string_view decimal) {
    return std::strtold(std::string(decimal).c_str(), nullptr);
}

std::size_t SignificantDigits(std::string_view decimal) {
    std::string digits;
    for (const char c : decimal) {
        if (c != '.') digits.push_back(c);
    }
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return 0;
    return digits.find_last_not_of('0') - first + 1;
}

// CrossRate against the quotient of the two texts' values.
void CheckCrossRate(std::string_view eurMid, std::string_view mid, const std::string& what) {
    const std::optional<std::int64_t> rate = nbp::CrossRate(eurMid, mid);
    const bool readable = IsDecimalText(eurMid) && IsDecimalText(mid);
    if (!readable || SignificantDigits(mid) == 0 || SignificantDigits(mid) > kMaxDivisorDigits) {
        FUZZ_CHECK(!rate, what + ": a rate from mids that give none");
        return;
    }
    const long double exact = Value(eurMid) / Value(mid) * kScale;
    if (!std::isfinite(exact)) return;
    const long double slack = exact * kRelativeError;
    if (!rate) {
        FUZZ_CHECK(exact > static_cast<long double>(feed::kMaxRate) - 0.5L - slack,
                   what + ": no rate for " + std::to_string(static_cast<double>(exact)));
        return;
    }
    FUZZ_CHECK(
        std::fabs(static_cast<long double>(*rate) - exact) <= 0.5L + slack,
        what + ": " + std::to_string(*rate) + " for " + std::to_string(static_cast<double>(exact)));
}

void CheckReading(const std::optional<nbp::Reading>& reading, const std::string& what) {
    if (!reading) return;
    FUZZ_CHECK(reading->ok || (reading->tables.empty() && !reading->error.empty()),
               what + ": a failed reading " + fuzz::Quote(reading->error));
    for (const nbp::Table& t : reading->tables) {
        const auto euro = std::find_if(t.rates.begin(), t.rates.end(),
                                       [](const nbp::Rate& r) { return r.code == "EUR"; });
        if (euro == t.rates.end()) continue;
        for (const nbp::Rate& r : t.rates) {
            CheckCrossRate(euro->mid, r.mid,
                           what + ": " + fuzz::Quote(euro->mid) + " / " + fuzz::Quote(r.mid));
        }
    }
}

void CheckTable(const std::optional<nbp::AnsweredTable>& table, const std::string& error,
                std::set<std::string>& codes, const std::string& what) {
    FUZZ_CHECK(table.has_value() != !error.empty(),
               what + ": answered and error " + fuzz::Quote(error));
    if (!table) return;
    for (const nbp::CrossRateOf& r : table->rates) {
        FUZZ_CHECK(feed::IsCurrencyCode(r.code) && r.code != "EUR",
                   what + ": code " + fuzz::Quote(r.code));
        FUZZ_CHECK(codes.insert(r.code).second, what + ": " + r.code + " twice");
        FUZZ_CHECK(r.rate >= 1 && r.rate <= feed::kMaxRate,
                   what + ": " + r.code + " at " + std::to_string(r.rate));
    }
}

void CheckList(const feed::MergedList& merged, const std::string& what) {
    const std::optional<UpdateList> read = ReadUpdateList(merged.list);
    FUZZ_CHECK(read.has_value(), what + ": the converter does not read the list");
    FUZZ_CHECK(read->records.size() == merged.sources.size(),
               what + ": " + std::to_string(merged.sources.size()) + " sources for " +
                   std::to_string(read->records.size()) + " records");
    FUZZ_CHECK(!read->records.empty() && read->records[0].code == "EUR" &&
                   read->records[0].rate == Money::FromRaw(10000),
               what + ": the list does not start with the euro");
    std::set<std::string_view> codes;
    std::string_view rest = std::string_view(merged.list).substr(merged.list.find('\n') + 1);
    for (std::size_t i = 0; i < read->records.size(); ++i) {
        const UpdateRecord& r = read->records[i];
        const std::string_view line = rest.substr(0, rest.find('\n'));
        rest.remove_prefix(line.size() + 1);
        const std::string where = what + ": record " + fuzz::Quote(line);
        FUZZ_CHECK(r.code == merged.sources[i].code,
                   where + ": source of " + merged.sources[i].code);
        FUZZ_CHECK(feed::IsCurrencyCode(r.code) && codes.insert(r.code).second, where + ": code");
        FUZZ_CHECK(!feed::HasControlCharacter(r.name), where + ": name");
        const std::size_t tab = line.find('\t');
        const std::string field(line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1));
        FUZZ_CHECK(r.rate.Raw() >= 1 && std::to_string(r.rate.Raw()) == field,
                   where + ": the converter read " + std::to_string(r.rate.Raw()));
    }
    FUZZ_CHECK(rest.empty(), what + ": text after the records");
}

// The codes of the readings' tables, at most kMaxSeriesCodes of them.
constexpr std::size_t kMaxSeriesCodes = 8;
std::set<std::string> CodesOf(const nbp::Reading* a, const nbp::Reading* b) {
    std::set<std::string> codes;
    for (const nbp::Reading* r : {a, b}) {
        if (r == nullptr) continue;
        for (const nbp::Table& t : r->tables) {
            for (const nbp::Rate& rate : t.rates) {
                if (codes.size() < kMaxSeriesCodes) codes.insert(rate.code);
            }
        }
    }
    return codes;
}

void CheckPair(const history::CurrencySeries& rates, const std::string& code,
               const std::string& what) {
    const history::PairSeries pair = history::PairOf("EUR", history::FixedSeries("1"), code, rates);
    if (!pair.ok) {
        FUZZ_CHECK(pair.days.empty() && !pair.error.empty(), what + ": a failed pair with days");
        return;
    }
    FUZZ_CHECK(pair.days.size() == rates.days.size(), what + ": a day lost against the euro");
    if (pair.days.empty()) return;
    const history::AxisTicks ticks = history::TicksOf(pair);
    FUZZ_CHECK(
        ticks.values.size() >= history::kMinTicks && ticks.values.size() <= history::kMaxTicks,
        what + ": " + std::to_string(ticks.values.size()) + " ticks");
    const history::Extremes ends = history::ExtremesOf(pair.days);
    std::int64_t scale = 1;
    for (int k = ticks.decimals; k < pair.decimals; ++k) scale *= 10;
    FUZZ_CHECK(ticks.values.front() * scale <= pair.days[ends.low].value &&
                   ticks.values.back() * scale >= pair.days[ends.high].value,
               what + ": the axis does not cover the values");
    history::Cursor cursor(pair.days);
    for (const history::CursorKey key :
         {history::CursorKey::PageUp, history::CursorKey::Left, history::CursorKey::Home,
          history::CursorKey::Left, history::CursorKey::PageDown, history::CursorKey::Right}) {
        cursor.Move(key, pair.days);
        FUZZ_CHECK(cursor.Index() < pair.days.size(), what + ": the cursor left the days");
    }
    FUZZ_CHECK(!history::TabSeparatedText(pair).empty(), what + ": nothing to copy");
}

void CheckSeries(const nbp::Reading& tablesA, const nbp::Reading* tablesB,
                 const std::string& what) {
    std::set<long long> aDays;
    for (const nbp::Table& t : tablesA.tables) {
        if (const auto day = publications::IsoDate(t.effectiveDate)) {
            aDays.insert(publications::DayNumber(*day));
        }
    }
    for (const std::string& code : CodesOf(&tablesA, tablesB)) {
        const std::string where = what + ": the series of " + fuzz::Quote(code);
        const history::CurrencySeries series = history::NbpSeries(tablesA, tablesB, code);
        if (!series.ok) {
            FUZZ_CHECK(series.days.empty() && !series.error.empty(), where + ": failed with days");
            continue;
        }
        std::optional<long long> previous;
        for (const history::RateDay& d : series.days) {
            const long long day = publications::DayNumber(d.day);
            FUZZ_CHECK(!previous || day > *previous, where + ": days out of order");
            FUZZ_CHECK(aDays.count(day) == 1, where + ": a day without a table A");
            previous = day;
        }
        CheckPair(series, code, where);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::optional<std::string_view>> parts = Parts(input);
    const std::string what = "nbp " + fuzz::Quote(input.substr(0, 300));

    tk::ExpatXmlReader reader;
    std::optional<nbp::Reading> tableA, tableB;
    std::optional<feed::ParsedRates> ecb;
    if (parts[0]) tableA = nbp::ReadTables(*parts[0], reader);
    if (parts[1]) tableB = nbp::ReadTables(*parts[1], reader);
    if (parts[2]) ecb = feed::ParseRatesXml(*parts[2], reader);
    CheckReading(tableA, what + ": table A");
    CheckReading(tableB, what + ": table B");

    if (tableA && tableA->ok) CheckSeries(*tableA, tableB ? &*tableB : nullptr, what);

    const nbp::Answer answer =
        nbp::AnswerOf(tableA ? &*tableA : nullptr, tableB ? &*tableB : nullptr);
    std::set<std::string> codes;
    if (tableA) CheckTable(answer.a, answer.aError, codes, what + ": table A");
    if (tableB) CheckTable(answer.b, answer.bError, codes, what + ": table B");
    FUZZ_CHECK(tableA || (!answer.a && answer.aError.empty()), what + ": table A unasked");
    FUZZ_CHECK(tableB || (!answer.b && answer.bError.empty()), what + ": table B unasked");
    FUZZ_CHECK(!answer.b || answer.a, what + ": table B without table A");
    FUZZ_CHECK(!answer.a || codes.count("PLN") == 1, what + ": table A without PLN");

    const feed::CurrencyNames& names = feed::BuiltInCurrencyNames();
    const feed::MergedList merged = feed::MergeRates(
        {ecb ? &*ecb : nullptr, tableA ? &*tableA : nullptr, tableB ? &*tableB : nullptr}, names);
    const feed::FeedResult ecbAlone =
        ecb ? feed::UpdateListOf(*ecb, names) : feed::FeedResult{false, {}, "none"};
    FUZZ_CHECK(merged.ok == (ecbAlone.ok || answer.a.has_value()),
               what + ": made or not " + fuzz::Quote(merged.error));
    if (!merged.ok) {
        FUZZ_CHECK(merged.list.empty() && merged.sources.empty() && !merged.error.empty(),
                   what + ": a failure with a list");
        return 0;
    }
    if (!answer.a) FUZZ_CHECK(merged.list == ecbAlone.list, what + ": not the ECB's own list");
    CheckList(merged, what);
    return 0;
}
