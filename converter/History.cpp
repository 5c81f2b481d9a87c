#include "History.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <utility>

#include "Money.h"
#include "TextHelpers.h"
#include "toolkit/NumberFormat.h"

namespace history {
namespace {

using publications::Date;

constexpr std::string_view kEuro = "EUR";
constexpr std::string_view kZloty = "PLN";
constexpr std::array<std::string_view, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed",
                                                       "Thu", "Fri", "Sat"};
// 1970-01-01, day 0, was a Thursday (4, counting from Sunday).
constexpr long long kWeekdayOfDayZero = 4;
// The value axis works in tenths of a count, so that a step of 2.5 counts is whole.
constexpr std::int64_t kTenths = 10;
constexpr std::array<std::int64_t, 4> kStepTenths = {10, 20, 25, 50};  // 1, 2, 2.5, 5 counts
constexpr std::int64_t kNarrowest = static_cast<std::int64_t>(kMinTicks) - 1;  // counts

const std::string kLineEnd = "\r\n";

CurrencySeries Failed(std::string error) {
    CurrencySeries failed;
    failed.error = std::move(error);
    return failed;
}

std::string At(std::uint64_t line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

// Oldest first; false when a day stands twice.
bool SortByDay(std::vector<RateDay>& days) {
    const auto number = [](const RateDay& d) { return publications::DayNumber(d.day); };
    std::sort(days.begin(), days.end(),
              [&](const RateDay& a, const RateDay& b) { return number(a) < number(b); });
    return std::adjacent_find(days.begin(), days.end(), [&](const RateDay& a, const RateDay& b) {
               return number(a) == number(b);
           }) == days.end();
}

std::string RateFault(std::string_view what, const std::string& text, std::string_view code) {
    return std::string(what) + " '" + text + "' of " + std::string(code) +
           " is not a number above zero of at most " + std::to_string(kMaxRateDigits) +
           " significant digits";
}

// ---- the NBP's tables ----

const nbp::Rate* RawRate(const nbp::Table& t, std::string_view code) {
    const auto it = std::find_if(t.rates.begin(), t.rates.end(),
                                 [code](const nbp::Rate& r) { return r.code == code; });
    return it == t.rates.end() ? nullptr : &*it;
}

bool Lists(const nbp::AnsweredTable& t, std::string_view code) {
    return std::any_of(t.rates.begin(), t.rates.end(),
                       [code](const nbp::CrossRateOf& r) { return r.code == code; });
}

nbp::Reading Alone(const nbp::Table& t) {
    nbp::Reading reading;
    reading.ok = true;
    reading.tables.push_back(t);
    return reading;
}

// eurMid / mid, both złoty.
std::optional<EuroRate> CrossOf(std::string_view eurMid, std::string_view mid) {
    const std::optional<EuroRate> euro = EuroRateOf(eurMid), currency = EuroRateOf(mid);
    if (!euro || !currency) return std::nullopt;
    return EuroRate{euro->numerator, currency->numerator, euro->exponent - currency->exponent};
}

// The rate of `code` on a checked table A's day: from table A, or with `b` from that table B
// (`listed`: the table as answered). No rate, and no error, when the table gives none.
struct DayRate {
    std::optional<EuroRate> rate;
    std::string error;
};
DayRate RateOn(const nbp::Table& a, const nbp::Table* b, const nbp::AnsweredTable& listed,
               std::string_view code) {
    const std::string& eurMid = RawRate(a, kEuro)->mid;
    if (b == nullptr && code == kEuro) return {EuroRate{}, {}};
    if (b == nullptr && code == kZloty) {
        if (auto rate = EuroRateOf(eurMid)) return {rate, {}};
        return {std::nullopt, At(RawRate(a, kEuro)->line, RateFault("mid", eurMid, kEuro))};
    }
    if (code == kZloty || !Lists(listed, code)) return {};
    const nbp::Rate& r = *RawRate(b != nullptr ? *b : a, code);
    if (auto rate = CrossOf(eurMid, r.mid)) return {rate, {}};
    const bool euroFault = !EuroRateOf(eurMid);
    return {std::nullopt, euroFault ? At(RawRate(a, kEuro)->line, RateFault("mid", eurMid, kEuro))
                                    : At(r.line, RateFault("mid", r.mid, code))};
}

// ---- the quotient ----

// numerator / denominator x 10^exponent, both below 10^18.
struct Ratio {
    std::uint64_t numerator;
    std::uint64_t denominator;
    int exponent;
};

// Units of `quote` per unit of `base`.
Ratio RatioOf(const EuroRate& base, const EuroRate& quote) {
    return {quote.numerator * base.denominator, quote.denominator * base.numerator,
            quote.exponent - base.exponent};
}

// The power of ten of the ratio's first significant digit.
int LeadingExponent(const Ratio& r) {
    std::string n = std::to_string(r.numerator), d = std::to_string(r.denominator);
    const int exponent = static_cast<int>(n.size()) - static_cast<int>(d.size()) + r.exponent;
    const std::size_t width = std::max(n.size(), d.size());
    n.resize(width, '0');
    d.resize(width, '0');
    return n < d ? exponent - 1 : exponent;
}

struct PairRatio {
    Date day;
    Ratio ratio;
};

// The days both series have, oldest first.
std::vector<PairRatio> CommonDays(const CurrencySeries& base, const CurrencySeries& quote) {
    std::vector<PairRatio> common;
    if (base.fixed && quote.fixed) return common;
    if (base.fixed) {
        for (const RateDay& q : quote.days) common.push_back({q.day, RatioOf(*base.fixed, q.rate)});
        return common;
    }
    if (quote.fixed) {
        for (const RateDay& b : base.days) common.push_back({b.day, RatioOf(b.rate, *quote.fixed)});
        return common;
    }
    auto b = base.days.begin();
    auto q = quote.days.begin();
    while (b != base.days.end() && q != quote.days.end()) {
        const long long bDay = publications::DayNumber(b->day);
        const long long qDay = publications::DayNumber(q->day);
        if (bDay == qDay) common.push_back({b->day, RatioOf(b->rate, q->rate)});
        if (bDay <= qDay) ++b;
        if (qDay <= bDay) ++q;
    }
    return common;
}

}  // namespace

std::optional<EuroRate> EuroRateOf(std::string_view decimalText) {
    if (!IsDecimalText(decimalText)) return std::nullopt;
    const std::size_t point = decimalText.find('.');
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : decimalText.substr(point + 1);
    std::string digits(decimalText.substr(0, point));
    digits.append(fraction);
    int exponent = -static_cast<int>(fraction.size());
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++exponent;
    }
    if (digits.empty() || digits.size() > static_cast<std::size_t>(kMaxRateDigits)) {
        return std::nullopt;
    }
    return EuroRate{std::stoull(digits), 1, exponent};
}

CurrencySeries FixedSeries(std::string_view unitsPerEuro) {
    const std::optional<EuroRate> rate = EuroRateOf(unitsPerEuro);
    if (!rate) return Failed("the fixed rate '" + std::string(unitsPerEuro) + "' is no rate");
    CurrencySeries series;
    series.ok = true;
    series.fixed = rate;
    return series;
}

CurrencySeries EcbSeries(const feed::ParsedRates& document, std::string_view code) {
    if (!document.ok) return Failed(document.error);
    CurrencySeries series;
    for (const feed::FeedDay& day : document.days) {
        const std::optional<Date> date = publications::IsoDate(day.date);
        if (!date) return Failed(At(day.line, "'" + day.date + "' is not a date YYYY-MM-DD"));
        if (code == kEuro) {
            series.days.push_back({*date, EuroRate{}});
            continue;
        }
        const feed::FeedRate* found = nullptr;
        for (const feed::FeedRate& r : day.rates) {
            if (r.code != code) continue;
            if (found != nullptr) {
                return Failed(At(r.line, std::string(code) + " appears twice on " + day.date));
            }
            found = &r;
        }
        if (found == nullptr) continue;
        const std::optional<EuroRate> rate = EuroRateOf(found->rate);
        if (!rate) return Failed(At(found->line, RateFault("rate", found->rate, code)));
        series.days.push_back({*date, *rate});
    }
    if (!SortByDay(series.days)) return Failed("a day stands twice");
    series.ok = true;
    return series;
}

CurrencySeries NbpSeries(const nbp::Reading& tablesA, const nbp::Reading* tablesB,
                         std::string_view code) {
    if (!tablesA.ok) return Failed("table A: " + tablesA.error);
    if (tablesB != nullptr && !tablesB->ok) return Failed("table B: " + tablesB->error);
    CurrencySeries series;
    std::map<long long, const nbp::Table*> tableAOf;  // by day number
    for (const nbp::Table& a : tablesA.tables) {
        const nbp::Reading alone = Alone(a);
        const nbp::Answer answer = nbp::AnswerOf(&alone, nullptr);
        if (!answer.a) return Failed(answer.aError);
        const Date day = *publications::IsoDate(a.effectiveDate);
        if (!tableAOf.emplace(publications::DayNumber(day), &a).second) {
            return Failed("table A: two tables of " + a.effectiveDate);
        }
        DayRate rate = RateOn(a, nullptr, *answer.a, code);
        if (!rate.error.empty()) return Failed("table A: " + rate.error);
        if (rate.rate) series.days.push_back({day, *rate.rate});
    }
    std::map<long long, const nbp::Table*> tableBOf;
    const std::span<const nbp::Table> tablesOfB = tablesB != nullptr
                                                      ? std::span<const nbp::Table>(tablesB->tables)
                                                      : std::span<const nbp::Table>{};
    for (const nbp::Table& b : tablesOfB) {
        const std::optional<Date> day = publications::IsoDate(b.effectiveDate);
        const auto a = day ? tableAOf.find(publications::DayNumber(*day)) : tableAOf.end();
        if (a == tableAOf.end()) continue;  // no rates per euro that day
        if (!tableBOf.emplace(a->first, &b).second) {
            return Failed("table B: two tables of " + b.effectiveDate);
        }
        const nbp::Reading aloneA = Alone(*a->second), aloneB = Alone(b);
        const nbp::Answer answer = nbp::AnswerOf(&aloneA, &aloneB);
        if (!answer.b) return Failed(answer.bError);
        DayRate rate = RateOn(*a->second, &b, *answer.b, code);
        if (!rate.error.empty()) return Failed("table B: " + rate.error);
        if (rate.rate) series.days.push_back({*day, *rate.rate});
    }
    if (!SortByDay(series.days)) return Failed("a day stands twice");
    series.ok = true;
    return series;
}

std::string PairName(std::string_view base, std::string_view quote) {
    return std::string(quote) + " per " + std::string(base);
}

PairSeries PairOf(std::string_view base, const CurrencySeries& baseRates, std::string_view quote,
                  const CurrencySeries& quoteRates) {
    PairSeries series;
    series.base = base;
    series.quote = quote;
    if (!baseRates.ok || !quoteRates.ok) {
        series.error = !baseRates.ok ? baseRates.error : quoteRates.error;
        return series;
    }
    const std::vector<PairRatio> common = CommonDays(baseRates, quoteRates);
    int decimals = kMinPairDecimals;
    for (const PairRatio& p : common) {
        decimals = std::max(decimals, kPairSignificantDigits - 1 - LeadingExponent(p.ratio));
    }
    const std::string name = PairName(base, quote);
    if (decimals > tk::kMaxDecimals) {
        series.error = "the values of " + name + " are too small to hold";
        return series;
    }
    series.decimals = decimals;
    for (const PairRatio& p : common) {
        const std::optional<std::uint64_t> value = RoundedDigitQuotient(
            std::to_string(p.ratio.numerator), p.ratio.exponent + decimals, p.ratio.denominator,
            static_cast<std::uint64_t>(kMaxPairCount) - 1);
        if (!value) {
            series.days.clear();
            series.error =
                "the value of " + name + " on " + publications::IsoText(p.day) + " is too large";
            return series;
        }
        series.days.push_back({p.day, static_cast<std::int64_t>(*value)});
    }
    series.ok = true;
    return series;
}

Extremes ExtremesOf(std::span<const PairDay> days) {
    Extremes e;
    for (std::size_t i = 0; i < days.size(); ++i) {
        if (days[i].value < days[e.low].value) e.low = i;
        if (days[i].value > days[e.high].value) e.high = i;
    }
    e.last = days.empty() ? 0 : days.size() - 1;
    return e;
}

AxisTicks TicksFor(std::int64_t low, std::int64_t high, int decimals) {
    if (high - low < kNarrowest) {
        const std::int64_t widen = (kNarrowest + 1 - (high - low) + 1) / 2;
        const std::int64_t below = std::min(widen, low);  // the rest goes above
        low -= below;
        high += 2 * widen - below;
    }
    const std::int64_t lo = low * kTenths, hi = high * kTenths;
    AxisTicks ticks;
    for (std::int64_t power = 1;; power *= kTenths) {
        for (const std::int64_t tenths : kStepTenths) {
            const std::int64_t step = tenths * power;
            const std::int64_t first = lo / step, last = (hi + step - 1) / step;
            if (static_cast<std::size_t>(last - first + 1) > kMaxTicks) continue;
            for (std::int64_t k = first; k <= last; ++k) ticks.values.push_back(k * step);
            ticks.decimals = decimals + 1;
            const auto round = [](std::int64_t v) { return v % kTenths == 0; };
            while (ticks.decimals > 0 &&
                   std::all_of(ticks.values.begin(), ticks.values.end(), round)) {
                for (std::int64_t& v : ticks.values) v /= kTenths;
                --ticks.decimals;
            }
            return ticks;
        }
    }
}

AxisTicks TicksOf(const PairSeries& series) {
    if (series.days.empty()) return {};
    const Extremes e = ExtremesOf(series.days);
    return TicksFor(series.days[e.low].value, series.days[e.high].value, series.decimals);
}

Cursor::Cursor(std::span<const PairDay> days) : index_(days.empty() ? 0 : days.size() - 1) {}

bool Cursor::Move(CursorKey key, std::span<const PairDay> days) {
    if (days.empty()) return false;
    const std::size_t last = days.size() - 1;
    std::size_t to = std::min(index_, last);
    const auto number = [](const PairDay& d) { return publications::DayNumber(d.day); };
    const long long today = number(days[to]);
    switch (key) {
        case CursorKey::Left:
            to = to > 0 ? to - 1 : 0;
            break;
        case CursorKey::Right:
            to = std::min(to + 1, last);
            break;
        case CursorKey::Home:
            to = 0;
            break;
        case CursorKey::End:
            to = last;
            break;
        case CursorKey::PageUp: {
            const auto after = std::partition_point(
                days.begin(), days.end(),
                [&](const PairDay& d) { return number(d) <= today - kPageDays; });
            to = after == days.begin() ? 0 : static_cast<std::size_t>(after - days.begin()) - 1;
            break;
        }
        case CursorKey::PageDown: {
            const auto at = std::partition_point(days.begin(), days.end(), [&](const PairDay& d) {
                return number(d) < today + kPageDays;
            });
            to = at == days.end() ? last : static_cast<std::size_t>(at - days.begin());
            break;
        }
    }
    return Set(to, days);
}

bool Cursor::Set(std::size_t index, std::span<const PairDay> days) {
    if (days.empty()) return false;
    const std::size_t to = std::min(index, days.size() - 1);
    const bool moved = to != index_;
    index_ = to;
    return moved;
}

std::string CursorLine(const PairSeries& series, std::size_t index, tk::RegionalService& regional) {
    if (index >= series.days.size()) return {};
    const tk::Separators sep{regional.DecimalSeparator(), regional.ThousandsSeparator()};
    const auto value = [&](std::size_t i) {
        return tk::FormatDecimal(series.days[i].value, series.decimals, sep, true);
    };
    const auto date = [&](std::size_t i) {
        const Date d = series.days[i].day;
        return regional.ShortDate(d.year, d.month, d.day);
    };
    const auto week = static_cast<long long>(kWeekdays.size());
    const long long weekday =
        ((publications::DayNumber(series.days[index].day) + kWeekdayOfDayZero) % week + week) %
        week;
    const Extremes e = ExtremesOf(series.days);
    return std::string(kWeekdays[static_cast<std::size_t>(weekday)]) + " " + date(index) + ": 1 " +
           series.base + " = " + value(index) + " " + series.quote + " (low " + value(e.low) +
           " on " + date(e.low) + ", high " + value(e.high) + " on " + date(e.high) + ")";
}

std::string TabSeparatedText(const PairSeries& series) {
    const tk::Separators point{".", ""};
    std::string text = "Date\t" + PairName(series.base, series.quote) + kLineEnd;
    for (const PairDay& d : series.days) {
        text += publications::IsoText(d.day) + "\t" +
                tk::FormatDecimal(d.value, series.decimals, point, false) + kLineEnd;
    }
    return text;
}

}  // namespace history
