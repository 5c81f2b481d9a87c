// The rates feed: turns the central bank's euro reference rates into the converter's update
// list. Nothing here reads or writes files; main.cpp does that.
//
// The update list, UTF-8 with LF line ends:
//   ECB euro reference rates of YYYY-MM-DD\n
//   EUR\t10000\tEuro\n
//   USD\t11264\tUS Dollar\n            every currency of the day, in the document's order
//   ...
//   ATS\t137603\tAustrian schilling\n  then each former national currency of the euro
//   ...                                that the day does not carry, at its fixed rate
// The rate field is units per euro as a whole count of ten-thousandths.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace feed {

// Currency names by ISO code.
class CurrencyNames {
public:
    // Keeps the first name given for a code.
    void Add(std::string code, std::string name);
    // The name of `code`, or nullptr.
    const std::string* Find(std::string_view code) const;
    std::size_t Size() const { return names_.size(); }

private:
    std::map<std::string, std::string, std::less<>> names_;
};

struct NamesResult {
    bool ok = false;
    CurrencyNames names;
    std::string error;  // when !ok
};

// Reads an ISO 4217 table in the iso-codes JSON shape:
//   {"4217": [{"alpha_3": "PLN", "name": "Zloty", "numeric": "985"}, ...]}
// Every entry must be an object with string members alpha_3 and name; other members are
// ignored. Anything else (not JSON, no "4217" array, a malformed entry) is an error.
NamesResult LoadCurrencyNames(std::string_view jsonText);

// The converter reads the rate field as a double: no count above 2^53 comes through exactly.
inline constexpr std::int64_t kMaxRate = std::int64_t{1} << 53;

// True when text is one or more ASCII digits, optionally followed by a point and one or
// more digits: no sign, blank or exponent.
bool IsDecimalText(std::string_view text);

// The decimal number `decimalText` times 10,000, rounded to a whole count with halves to
// even, computed on the digits themselves (0.84585 gives 8458, 0.787564 gives 7876).
// nullopt when the text is not decimal text (see IsDecimalText) or the count exceeds
// kMaxRate. A result of 0 is returned as such.
std::optional<std::int64_t> RateTenThousandths(std::string_view decimalText);

struct FormerCurrency {
    std::string_view code;
    std::string_view rate;  // units per euro, the irrevocable conversion rate
    std::string_view name;
};

// The national currencies the euro replaced, in the order they are listed. A new member
// country's currency is added at the end.
std::span<const FormerCurrency> FormerCurrencies();

struct FeedResult {
    bool ok = false;
    std::string list;   // the update list, when ok
    std::string error;  // when !ok: what is wrong, with "line N: " where it is known
};

// The update list for the newest day of `xml` (a daily or history document; the days may
// stand in any order). Names: a former national currency takes its built-in name, any other
// code its name in `names`, or the code itself when it has none there (or an empty one).
// Fails, with no list, when the document does not parse (see ParseRatesXml), holds no day,
// or its newest day holds no rate, a code that is not three capital letters A-Z, EUR, a code
// twice, a rate that is not decimal text, rounds to 0 or exceeds kMaxRate, or when a name to
// be written holds a control character (TAB, LF or CR would break the list).
FeedResult MakeUpdateList(std::string_view xml, const CurrencyNames& names);

}  // namespace feed
