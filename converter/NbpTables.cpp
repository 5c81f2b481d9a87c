#include "NbpTables.h"

#include <algorithm>
#include <map>
#include <span>

#include "Money.h"
#include "Publications.h"
#include "RatesFeed.h"

namespace nbp {

namespace {

constexpr std::string_view kRoot = "ArrayOfExchangeRatesTable";
constexpr std::string_view kEuro = "EUR";
constexpr std::string_view kZloty = "PLN";
// The divisor and ten times a remainder below it stay inside 64 bits.
constexpr std::size_t kMaxDivisorDigits = 18;
constexpr int kRateDecimals = 4;
constexpr int kDecimalBase = 10;

std::optional<std::int64_t> TenThousandths(std::string_view text) {
    return feed::RateTenThousandths(text);
}

// ---- the reading ----

// Element depths inside the document.
enum Depth { kArray = 1, kTable, kField, kRate, kRateField };

class TablesHandler : public tk::XmlHandler {
public:
    bool StartElement(std::string_view, std::string_view name, std::span<const tk::XmlAttribute>,
                      std::uint64_t line) override {
        ++depth_;
        line_ = line;
        if (depth_ == kArray) {
            if (name == kRoot) return true;
            error = "line " + std::to_string(line) + ": the root element is <" + std::string(name) +
                    ">, not <" + std::string(kRoot) + ">";
            return false;
        }
        if (depth_ == kTable && name == "ExchangeRatesTable") {
            StartTable(line);
        } else if (depth_ == kField && inTable_) {
            StartField(name);
        } else if (depth_ == kRate && inRates_ && name == "Rate") {
            result.tables.back().rates.push_back({{}, {}, line});
            haveCode_ = haveMid_ = false;
            inRate_ = true;
        } else if (depth_ == kRateField && inRate_) {
            StartRateField(name);
        }
        return true;
    }

    bool EndElement() override {
        if (depth_ == fieldDepth_) {
            field_ = nullptr;
            fieldDepth_ = 0;
        }
        if (depth_ == kRate && inRate_) EndRate();
        if (depth_ == kField) inRates_ = false;
        if (depth_ == kTable) inTable_ = false;
        --depth_;
        return true;
    }

    bool Text(std::string_view text) override {
        if (field_ != nullptr && depth_ == fieldDepth_) field_->append(text);
        return true;
    }

    Reading result;
    std::string error;

private:
    void Fault(const std::string& what) {
        std::string& fault = result.tables.back().fault;
        if (fault.empty()) fault = "line " + std::to_string(line_) + ": " + what;
    }

    // The text of the element just opened goes to `target`.
    void Capture(std::string& target, bool& seen, std::string_view name) {
        if (seen) Fault("a second <" + std::string(name) + ">");
        seen = true;
        target.clear();
        field_ = &target;
        fieldDepth_ = depth_;
    }

    void StartTable(std::uint64_t line) {
        result.tables.push_back({});
        result.tables.back().line = line;
        inTable_ = true;
        haveLetter_ = haveNumber_ = haveDate_ = haveRates_ = false;
    }

    void StartField(std::string_view name) {
        Table& table = result.tables.back();
        if (name == "Table") Capture(table.letter, haveLetter_, name);
        if (name == "No") Capture(table.number, haveNumber_, name);
        if (name == "EffectiveDate") Capture(table.effectiveDate, haveDate_, name);
        if (name == "Rates") {
            if (haveRates_) Fault("a second <Rates>");
            haveRates_ = inRates_ = true;
        }
    }

    void StartRateField(std::string_view name) {
        Rate& rate = result.tables.back().rates.back();
        if (name == "Code") Capture(rate.code, haveCode_, name);
        if (name == "Mid") Capture(rate.mid, haveMid_, name);
    }

    void EndRate() {
        inRate_ = false;
        line_ = result.tables.back().rates.back().line;
        if (!haveCode_) Fault("a Rate without a Code");
        if (!haveMid_) Fault("a Rate without a Mid");
    }

    std::string* field_ = nullptr;  // the field whose text is being read, or nullptr
    int fieldDepth_ = 0;
    int depth_ = 0;
    std::uint64_t line_ = 0;
    bool inTable_ = false, inRates_ = false, inRate_ = false;
    bool haveLetter_ = false, haveNumber_ = false, haveDate_ = false, haveRates_ = false;
    bool haveCode_ = false, haveMid_ = false;
};

// ---- the cross rate ----

// A decimal as its significant digits times a power of ten.
struct Decimal {
    std::string digits;  // no leading or trailing zeros; empty for zero
    std::int64_t exponent = 0;
};

Decimal DecimalOf(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    Decimal d;
    d.digits.append(text.substr(0, point)).append(fraction);
    d.exponent = -static_cast<std::int64_t>(fraction.size());
    d.digits.erase(0, std::min(d.digits.find_first_not_of('0'), d.digits.size()));
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
        ++d.exponent;
    }
    return d;
}

// The value of up to kMaxDivisorDigits digits.
std::optional<std::uint64_t> SmallValue(const std::string& digits) {
    if (digits.size() > kMaxDivisorDigits) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) value = value * kDecimalBase + static_cast<unsigned>(c - '0');
    return value;
}

// ---- the checks ----

std::string At(const Rate& r, const std::string& what) {
    return "line " + std::to_string(r.line) + ": " + what;
}

// The newest table of a reading (the last of equals), or nullptr when it holds none.
const Table* Newest(const Reading& reading) {
    const Table* newest = nullptr;
    for (const Table& t : reading.tables) {
        if (newest == nullptr || t.effectiveDate >= newest->effectiveDate) newest = &t;
    }
    return newest;
}

// A table's own checks: form, letter, number, date, codes and mids. Empty when it passes.
std::string FormFault(const Table& t, std::string_view letter) {
    if (!t.fault.empty()) return t.fault;
    const std::string at = "line " + std::to_string(t.line) + ": ";
    if (t.letter != letter) {
        return at + "the table is '" + t.letter + "', not " + std::string(letter);
    }
    if (!IsTableNumber(t.number)) {
        return at + "the table's number '" + t.number + "' is not 1 to " +
               std::to_string(kMaxNumberLength) + " printable characters";
    }
    if (!publications::IsoDate(t.effectiveDate)) {
        return at + "the effective date '" + t.effectiveDate + "' is not a date YYYY-MM-DD";
    }
    if (t.rates.empty()) return at + "the table holds no rates";
    std::map<std::string_view, std::uint64_t> seen;
    for (const Rate& r : t.rates) {
        if (!feed::IsCurrencyCode(r.code)) {
            return At(r, "currency code '" + r.code + "' is not three capital letters A-Z");
        }
        const auto [it, fresh] = seen.emplace(r.code, r.line);
        if (!fresh) {
            return At(r,
                      r.code + " appears twice (first on line " + std::to_string(it->second) + ")");
        }
        if (!IsDecimalText(r.mid)) {
            return At(r, "mid '" + r.mid + "' of " + r.code +
                             " is not a plain decimal number such as 4.2722");
        }
        if (DecimalOf(r.mid).digits.empty()) {
            return At(r, "mid '" + r.mid + "' of " + r.code + " is zero");
        }
    }
    return {};
}

const Rate* FindRate(const Table& t, std::string_view code) {
    const auto it = std::find_if(t.rates.begin(), t.rates.end(),
                                 [code](const Rate& r) { return r.code == code; });
    return it == t.rates.end() ? nullptr : &*it;
}

struct Converted {
    std::optional<AnsweredTable> table;
    std::string error;
};

// The table's currencies as units per euro from the euro's mid `eurMid`, in order, leaving
// out PLN and the codes `skip` names. In table A the euro's own record gives PLN's.
template <class Skip>
Converted Convert(const Table& t, std::string_view eurMid, bool euroGivesZloty, Skip skip) {
    AnsweredTable answered{t.number, t.effectiveDate, {}};
    for (const Rate& r : t.rates) {
        if (r.code == kEuro && euroGivesZloty) {
            const std::optional<std::int64_t> zloty = TenThousandths(eurMid);
            if (!zloty || *zloty == 0) {
                return {std::nullopt, At(r, "the euro's mid '" + r.mid + "' gives no PLN rate")};
            }
            answered.rates.push_back({std::string(kZloty), *zloty});
            continue;
        }
        if (r.code == kZloty || skip(r.code)) continue;
        const std::optional<std::int64_t> rate = CrossRate(eurMid, r.mid);
        if (!rate || *rate == 0) {
            return {std::nullopt, At(r, "mid '" + r.mid + "' of " + r.code +
                                            " gives no rate per euro from 1 to 2^53 "
                                            "ten-thousandths")};
        }
        answered.rates.push_back({r.code, *rate});
    }
    return {std::move(answered), {}};
}

std::string Described(const Table& t) { return t.number + " of " + t.effectiveDate; }

// Table A's fault against table B's date, or empty.
std::string DateFault(const Table& a, const Table& b) {
    const long long days = publications::DayNumber(*publications::IsoDate(b.effectiveDate)) -
                           publications::DayNumber(*publications::IsoDate(a.effectiveDate));
    if (days < 0) return "table A " + Described(a) + " is newer than table B " + Described(b);
    if (days > kMaxDaysBeforeB) {
        return "table A " + Described(a) + " is more than " + std::to_string(kMaxDaysBeforeB) +
               " days older than table B " + Described(b);
    }
    return {};
}

// The table to use of a reading, checked for its form; or why there is none.
struct Chosen {
    const Table* table = nullptr;
    std::string error;
};

Chosen Choose(const Reading* reading, std::string_view letter) {
    if (reading == nullptr) return {};
    if (!reading->ok) return {nullptr, reading->error};
    const Table* table = Newest(*reading);
    if (table == nullptr) return {nullptr, "the answer holds no table"};
    if (std::string fault = FormFault(*table, letter); !fault.empty()) {
        return {nullptr, std::move(fault)};
    }
    return {table, {}};
}

std::string Labelled(std::string_view letter, const std::string& error) {
    return error.empty() ? error : "table " + std::string(letter) + ": " + error;
}

}  // namespace

bool IsTableNumber(std::string_view text) {
    return !text.empty() && text.size() <= kMaxNumberLength &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < '\x7F'; });
}

std::optional<std::string> TableBDate(const Reading* tableB) {
    const Chosen chosen = Choose(tableB, "B");
    if (chosen.table == nullptr) return std::nullopt;
    return chosen.table->effectiveDate;
}

Reading ReadTables(std::string_view xml, tk::XmlReader& reader) {
    TablesHandler handler;
    const tk::XmlResult read = reader.Read(xml, handler);
    Reading result = std::move(handler.result);
    result.ok = read.ok;
    if (!read.ok) {
        result.tables.clear();
        result.error = handler.error.empty() ? read.error : handler.error;
    }
    return result;
}

std::optional<std::int64_t> CrossRate(std::string_view eurMid, std::string_view mid) {
    if (!IsDecimalText(eurMid) || !IsDecimalText(mid)) return std::nullopt;
    const Decimal euro = DecimalOf(eurMid), currency = DecimalOf(mid);
    if (currency.digits.empty()) return std::nullopt;
    if (euro.digits.empty()) return 0;
    const std::optional<std::uint64_t> divisor = SmallValue(currency.digits);
    if (!divisor) return std::nullopt;

    // eurMid / mid in ten-thousandths is the euro's digits, shifted by the exponents and the
    // four decimals, divided by the currency's digits.
    const std::int64_t shift = euro.exponent - currency.exponent + kRateDecimals;
    const std::optional<std::uint64_t> count = RoundedDigitQuotient(
        euro.digits, shift, *divisor, static_cast<std::uint64_t>(feed::kMaxRate));
    if (!count) return std::nullopt;
    return static_cast<std::int64_t>(*count);
}

Answer AnswerOf(const Reading* tableA, const Reading* tableB) {
    Answer answer;
    const Chosen a = Choose(tableA, "A");
    const Chosen b = Choose(tableB, "B");
    answer.bError = Labelled("B", b.error);
    answer.aError = Labelled("A", a.error);
    const Rate* euro = a.table != nullptr ? FindRate(*a.table, kEuro) : nullptr;
    if (a.table != nullptr && euro == nullptr) {
        answer.aError = "table A: " + Described(*a.table) + " has no EUR";
    } else if (a.table != nullptr && b.table != nullptr) {
        answer.aError = Labelled("A", DateFault(*a.table, *b.table));
    }
    if (answer.aError.empty() && a.table != nullptr) {
        Converted converted =
            Convert(*a.table, euro->mid, true, [](std::string_view) { return false; });
        answer.a = std::move(converted.table);
        answer.aError = Labelled("A", converted.error);
    }
    if (b.table == nullptr) return answer;
    if (!answer.a) {
        answer.bError = "table B: there is no table A to convert it with";
        return answer;
    }
    const Table& aTable = *a.table;
    Converted converted = Convert(*b.table, euro->mid, false, [&aTable](std::string_view code) {
        return code == kEuro || FindRate(aTable, code) != nullptr;
    });
    answer.b = std::move(converted.table);
    answer.bError = Labelled("B", converted.error);
    return answer;
}

bool IsTableBNumber(std::string_view number) {
    const std::size_t first = number.find('/');
    if (first == std::string_view::npos) return false;
    const std::size_t second = number.find('/', first + 1);
    return second != std::string_view::npos && number.substr(first + 1, second - first - 1) == "B";
}

}  // namespace nbp
