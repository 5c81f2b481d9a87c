#include "RatesFeed.h"

#include <algorithm>
#include <map>
#include <vector>

#include "Money.h"
#include "Publications.h"

namespace feed {

namespace {

constexpr std::string_view kBaseCode = "EUR";
constexpr std::int64_t kBaseRate = Money::kScale;  // one
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

constexpr std::string_view kGesmesNamespace = "http://www.gesmes.org/xml/2002-08-01";

const FormerCurrency* FindFormer(std::string_view code) {
    const auto it = std::find_if(std::begin(kFormer), std::end(kFormer),
                                 [code](const FormerCurrency& f) { return f.code == code; });
    return it == std::end(kFormer) ? nullptr : it;
}

struct RecordResult {
    ListRecord record;
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

RecordResult MakeRecord(const FeedRate& r, const RateSource& source, const CurrencyNames& names) {
    if (std::string error = CheckCode(r); !error.empty()) return {{}, std::move(error)};
    const std::string rateOf = "rate '" + r.rate + "' of " + r.code;
    if (!IsDecimalText(r.rate)) {
        return {{}, At(r, rateOf + " is not a plain decimal number such as 1.1264")};
    }
    const std::optional<std::int64_t> rate = RateTenThousandths(r.rate);
    if (!rate) return {{}, At(r, rateOf + " exceeds 2^53 ten-thousandths")};
    if (*rate == 0) return {{}, At(r, rateOf + " rounds to 0 ten-thousandths")};
    NamedRecord named = MakeNamedRecord(r.code, *rate, source, names);
    if (!named.record) return {{}, At(r, named.error)};
    return {std::move(*named.record), {}};
}

struct RecordsResult {
    std::vector<ListRecord> records;
    std::string error;
};

// The day's records in order, each code once.
RecordsResult DayRecords(const FeedDay& day, const CurrencyNames& names) {
    RecordsResult result;
    const RateSource source{RateSourceKind::Ecb, day.date, {}};
    std::map<std::string_view, std::uint64_t> seen;
    for (const FeedRate& r : day.rates) {
        RecordResult made = MakeRecord(r, source, names);
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

FeedResult Fail(std::string error) { return {false, {}, std::move(error)}; }

}  // namespace

std::optional<std::int64_t> RateTenThousandths(std::string_view decimalText) {
    const std::optional<Money> rate = MoneyFromDecimalText(decimalText);
    if (!rate || rate->Raw() > kMaxRate) return std::nullopt;
    return rate->Raw();
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

std::string ListName(std::string_view code, const CurrencyNames& names) {
    if (const FormerCurrency* former = FindFormer(code)) return std::string(former->name);
    const std::string* name = names.Find(code);
    return name != nullptr && !name->empty() ? *name : std::string(code);
}

NamedRecord MakeNamedRecord(std::string_view code, std::int64_t rate, RateSource source,
                            const CurrencyNames& names) {
    std::string name = ListName(code, names);
    if (HasControlCharacter(name)) {
        return {std::nullopt,
                "the name of " + std::string(code) + " holds a control character (TAB, LF, CR...)"};
    }
    return {ListRecord{std::string(code), rate, std::move(name), std::move(source)}, {}};
}

NamedRecord EuroRecord(const CurrencyNames& names) {
    return MakeNamedRecord(kBaseCode, kBaseRate, {}, names);
}

void AppendFormerCurrencies(std::vector<ListRecord>& records) {
    for (const FormerCurrency& f : kFormer) {
        const bool carried = std::any_of(records.begin(), records.end(),
                                         [&f](const ListRecord& r) { return r.code == f.code; });
        if (!carried) {
            records.push_back(
                {std::string(f.code), *RateTenThousandths(f.rate), std::string(f.name), {}});
        }
    }
}

std::string EcbHeader(std::string_view date) { return std::string(kHeader).append(date); }

std::string FormatUpdateList(std::string_view header, std::span<const ListRecord> records) {
    std::string list(header);
    list.push_back('\n');
    for (const ListRecord& r : records) {
        list.append(r.code).append("\t").append(std::to_string(r.rate)).append("\t");
        list.append(r.name).push_back('\n');
    }
    return list;
}

std::span<const FormerCurrency> FormerCurrencies() { return kFormer; }

EcbRecords EcbRecordsOf(const ParsedRates& parsed, const CurrencyNames& names) {
    const auto fail = [](std::string error) { return EcbRecords{false, {}, {}, std::move(error)}; };
    if (!parsed.ok) return fail(parsed.error);
    const FeedDay* day = NewestDay(parsed.days);
    if (day == nullptr) return fail("the document holds no day of rates (no Cube with a time)");
    if (day->rates.empty()) {
        return fail("line " + std::to_string(day->line) + ": day " + day->date + " holds no rates");
    }
    RecordsResult feedRecords = DayRecords(*day, names);
    if (!feedRecords.error.empty()) return fail(std::move(feedRecords.error));

    NamedRecord euro = EuroRecord(names);
    if (!euro.record) return fail(std::move(euro.error));
    EcbRecords result{true, day->date, {std::move(*euro.record)}, {}};
    std::move(feedRecords.records.begin(), feedRecords.records.end(),
              std::back_inserter(result.records));
    return result;
}

FeedResult UpdateListOf(const ParsedRates& parsed, const CurrencyNames& names) {
    EcbRecords ecb = EcbRecordsOf(parsed, names);
    if (!ecb.ok) return Fail(std::move(ecb.error));
    AppendFormerCurrencies(ecb.records);
    return {true, FormatUpdateList(EcbHeader(ecb.date), ecb.records), {}};
}

FeedResult MakeUpdateList(std::string_view xml, tk::XmlReader& reader, const CurrencyNames& names) {
    return UpdateListOf(ParseRatesXml(xml, reader), names);
}

void CurrencyNames::Add(std::string code, std::string name) {
    names_.emplace(std::move(code), std::move(name));
}

const std::string* CurrencyNames::Find(std::string_view code) const {
    const auto it = names_.find(code);
    return it == names_.end() ? nullptr : &it->second;
}

namespace {

std::optional<std::string> Attribute(std::span<const tk::XmlAttribute> attributes,
                                     std::string_view wanted) {
    for (const tk::XmlAttribute& a : attributes) {
        if (a.ns.empty() && a.name == wanted) return std::string(a.value);
    }
    return std::nullopt;
}

class RatesHandler : public tk::XmlHandler {
public:
    bool StartElement(std::string_view ns, std::string_view name,
                      std::span<const tk::XmlAttribute> attributes, std::uint64_t line) override {
        line_ = line;
        ++depth_;
        if (depth_ == 1) envelope_ = ns == kGesmesNamespace && name == "Envelope";
        if (name != "Cube") return true;
        result.centralBankRoot = envelope_;
        if (auto time = Attribute(attributes, "time")) return StartDay(std::move(*time));
        auto code = Attribute(attributes, "currency");
        auto rate = Attribute(attributes, "rate");
        if (code || rate) return AddRate(std::move(code), std::move(rate));
        return true;
    }

    bool EndElement() override {
        if (depth_ == dayDepth_) dayDepth_ = 0;
        --depth_;
        return true;
    }

    ParsedRates result;
    std::string error;

private:
    bool Fail(const std::string& what) {
        error = "line " + std::to_string(line_) + ": " + what;
        return false;
    }

    bool StartDay(std::string date) {
        if (dayDepth_ != 0) return Fail("a dated Cube inside another dated Cube");
        if (!publications::IsoDate(date)) {
            return Fail("time '" + date + "' is not a date YYYY-MM-DD");
        }
        const auto [it, fresh] = dayLines_.emplace(date, line_);
        if (!fresh) {
            return Fail("day " + date + " appears twice (first on line " +
                        std::to_string(it->second) + ")");
        }
        dayDepth_ = depth_;
        result.days.push_back({std::move(date), line_, {}});
        return true;
    }

    bool AddRate(std::optional<std::string> code, std::optional<std::string> rate) {
        if (!code) return Fail("a Cube with a rate and no currency");
        if (!rate) return Fail("currency " + *code + " has no rate");
        if (dayDepth_ == 0) return Fail("currency " + *code + " outside a dated Cube");
        result.days.back().rates.push_back({std::move(*code), std::move(*rate), line_});
        return true;
    }

    std::map<std::string, std::uint64_t, std::less<>> dayLines_;
    std::uint64_t line_ = 0;
    int depth_ = 0;
    int dayDepth_ = 0;  // depth of the open dated Cube, 0 outside one
    bool envelope_ = false;
};

// The first character of the body past a byte order mark and blanks is the markup's.
bool BeginsWithMarkup(std::string_view body) {
    if (body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);
    const std::size_t first = body.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && body[first] == '<';
}

}  // namespace

ParsedRates ParseRatesXml(std::string_view xml, tk::XmlReader& reader) {
    RatesHandler handler;
    const tk::XmlResult read = reader.Read(xml, handler);
    ParsedRates result = std::move(handler.result);
    result.ok = read.ok;
    if (!read.ok) {
        result.days.clear();
        result.error = handler.error.empty() ? read.error : handler.error;
    }
    return result;
}

const FeedDay* NewestDay(const std::vector<FeedDay>& days) {
    const auto newest =
        std::max_element(days.begin(), days.end(),
                         [](const FeedDay& a, const FeedDay& b) { return a.date < b.date; });
    return newest == days.end() ? nullptr : &*newest;
}

BodyReading ReadRatesBody(std::string_view body, tk::XmlReader& reader,
                          const CurrencyNames& names) {
    if (!BeginsWithMarkup(body)) return {};
    const ParsedRates parsed = ParseRatesXml(body, reader);
    if (!parsed.centralBankRoot) return {};
    return {true, UpdateListOf(parsed, names)};
}

}  // namespace feed
