#include "Feed.h"

#include <algorithm>
#include <map>
#include <vector>

#include "RatesXml.h"

namespace feed {

namespace {

constexpr std::string_view kBaseCode = "EUR";
constexpr std::int64_t kBaseRate = 10000;
constexpr std::string_view kHeader = "ECB euro reference rates of ";

constexpr FormerCurrency kFormer[] = {
    {"ATS", "13.7603", "Austrian schilling"}, {"BEF", "40.3399", "Belgian franc"},
    {"DEM", "1.95583", "German mark"},        {"ESP", "166.386", "Spanish peseta"},
    {"FIM", "5.94573", "Finnish markka"},     {"FRF", "6.55957", "French franc"},
    {"IEP", "0.787564", "Irish pound"},       {"ITL", "1936.27", "Italian lira"},
    {"LUF", "40.3399", "Luxembourg franc"},   {"NLG", "2.20371", "Dutch guilder"},
    {"PTE", "200.482", "Portuguese escudo"},  {"GRD", "340.750", "Greek drachma"},
    {"SIT", "239.640", "Slovenian tolar"},    {"CYP", "0.585274", "Cypriot pound"},
    {"MTL", "0.429300", "Maltese lira"},      {"SKK", "30.1260", "Slovak koruna"},
    {"EEK", "15.6466", "Estonian kroon"},     {"LVL", "0.702804", "Latvian lats"},
    {"LTL", "3.45280", "Lithuanian litas"},   {"HRK", "7.53450", "Croatian kuna"},
    {"BGN", "1.95583", "Bulgarian lev"},
};

// 10^13 units are already beyond kMaxRate ten-thousandths.
constexpr std::size_t kMaxWholeDigits = 13;

bool IsDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Digit(char c) { return c - '0'; }

// Whether the digits dropped after the kept count push it up, halves going to even.
bool RoundsUp(std::uint64_t kept, std::string_view dropped) {
    if (dropped.empty() || dropped[0] < '5') return false;
    if (dropped[0] > '5') return true;
    if (dropped.find_first_not_of('0', 1) != std::string_view::npos) return true;
    return kept % 2 == 1;
}

bool IsCurrencyCode(std::string_view code) {
    return code.size() == 3 &&
           std::all_of(code.begin(), code.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

const FormerCurrency* FindFormer(std::string_view code) {
    const auto it = std::find_if(std::begin(kFormer), std::end(kFormer),
                                 [code](const FormerCurrency& f) { return f.code == code; });
    return it == std::end(kFormer) ? nullptr : it;
}

std::string NameOf(std::string_view code, const CurrencyNames& names) {
    if (const FormerCurrency* former = FindFormer(code)) return std::string(former->name);
    const std::string* name = names.Find(code);
    return name != nullptr && !name->empty() ? *name : std::string(code);
}

struct Record {
    std::string code;
    std::int64_t rate = 0;
    std::string name;
};

struct RecordResult {
    Record record;
    std::string error;  // empty when the record is good
};

std::string At(const FeedRate& r, const std::string& what) {
    return "line " + std::to_string(r.line) + ": " + what;
}

std::string CheckCode(const FeedRate& r) {
    if (!IsCurrencyCode(r.code)) {
        return At(r, "currency code '" + r.code + "' is not three capital letters A-Z");
    }
    if (r.code == kBaseCode) return At(r, "EUR is the base currency and cannot have a rate");
    return {};
}

RecordResult MakeRecord(const FeedRate& r, const CurrencyNames& names) {
    if (std::string error = CheckCode(r); !error.empty()) return {{}, std::move(error)};
    const std::string rateOf = "rate '" + r.rate + "' of " + r.code;
    if (!IsDecimalText(r.rate)) {
        return {{}, At(r, rateOf + " is not a plain decimal number such as 1.1264")};
    }
    const std::optional<std::int64_t> rate = RateTenThousandths(r.rate);
    if (!rate) return {{}, At(r, rateOf + " exceeds 2^53 ten-thousandths")};
    if (*rate == 0) return {{}, At(r, rateOf + " rounds to 0 ten-thousandths")};
    std::string name = NameOf(r.code, names);
    if (HasControlCharacter(name)) {
        return {{}, At(r, "the name of " + r.code + " holds a control character (TAB, LF, CR...)")};
    }
    return {{r.code, *rate, std::move(name)}, {}};
}

struct RecordsResult {
    std::vector<Record> records;
    std::string error;
};

// The day's records in order, each code once.
RecordsResult DayRecords(const FeedDay& day, const CurrencyNames& names) {
    RecordsResult result;
    std::map<std::string_view, std::uint64_t> seen;
    for (const FeedRate& r : day.rates) {
        RecordResult made = MakeRecord(r, names);
        if (!made.error.empty()) return {{}, std::move(made.error)};
        const auto [it, fresh] = seen.emplace(r.code, r.line);
        if (!fresh) {
            return {{},
                    At(r, r.code + " appears twice in day " + day.date + " (first on line " +
                              std::to_string(it->second) + ")")};
        }
        result.records.push_back(std::move(made.record));
    }
    return result;
}

void AppendMissingFormer(std::vector<Record>& records) {
    for (const FormerCurrency& f : kFormer) {
        const bool carried = std::any_of(records.begin(), records.end(),
                                         [&f](const Record& r) { return r.code == f.code; });
        if (!carried) {
            records.push_back(
                {std::string(f.code), *RateTenThousandths(f.rate), std::string(f.name)});
        }
    }
}

std::string FormatList(std::string_view date, const std::vector<Record>& records) {
    std::string list;
    list.append(kHeader).append(date).push_back('\n');
    for (const Record& r : records) {
        list.append(r.code).append("\t").append(std::to_string(r.rate)).append("\t");
        list.append(r.name).push_back('\n');
    }
    return list;
}

FeedResult Fail(std::string error) { return {false, {}, std::move(error)}; }

}  // namespace

bool IsDecimalText(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    if (whole.empty() || !IsDigits(whole)) return false;
    if (point == std::string_view::npos) return true;
    const std::string_view fraction = text.substr(point + 1);
    return !fraction.empty() && IsDigits(fraction);
}

std::optional<std::int64_t> RateTenThousandths(std::string_view decimalText) {
    if (!IsDecimalText(decimalText)) return std::nullopt;
    const std::size_t point = decimalText.find('.');
    std::string_view whole = decimalText.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : decimalText.substr(point + 1);
    whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.size() > kMaxWholeDigits) return std::nullopt;

    std::uint64_t count = 0;
    for (const char c : whole) count = count * 10 + Digit(c);
    for (std::size_t i = 0; i < 4; ++i) {
        count = count * 10 + (i < fraction.size() ? Digit(fraction[i]) : 0);
    }
    if (fraction.size() > 4 && RoundsUp(count, fraction.substr(4))) ++count;
    if (count > static_cast<std::uint64_t>(kMaxRate)) return std::nullopt;
    return static_cast<std::int64_t>(count);
}

std::span<const FormerCurrency> FormerCurrencies() { return kFormer; }

FeedResult MakeUpdateList(std::string_view xml, const CurrencyNames& names) {
    const ParsedRates parsed = ParseRatesXml(xml);
    if (!parsed.ok) return Fail(parsed.error);
    const FeedDay* day = NewestDay(parsed.days);
    if (day == nullptr) return Fail("the document holds no day of rates (no Cube with a time)");
    if (day->rates.empty()) {
        return Fail("line " + std::to_string(day->line) + ": day " + day->date + " holds no rates");
    }
    RecordsResult feedRecords = DayRecords(*day, names);
    if (!feedRecords.error.empty()) return Fail(std::move(feedRecords.error));

    std::vector<Record> records{{std::string(kBaseCode), kBaseRate, NameOf(kBaseCode, names)}};
    if (HasControlCharacter(records.front().name)) {
        return Fail("the name of EUR holds a control character (TAB, LF, CR...)");
    }
    std::move(feedRecords.records.begin(), feedRecords.records.end(), std::back_inserter(records));
    AppendMissingFormer(records);
    return {true, FormatList(day->date, records), {}};
}

}  // namespace feed
