// The central bank's euro reference rates as an update list: the one reading of the bank's
// document, shared by pecun-feed, which serves the list, and the converter, which reads the
// bank's file itself when that is what it fetched. The XML comes through tk::XmlReader
// (expat natively, XmlLite on Windows), so both give the same list for the same file.
//
// The document, daily and in the 90-day and full history files alike:
//
//   <gesmes:Envelope><Cube><Cube time='2019-04-11'><Cube currency='USD' rate='1.1264'/>...
//
// with one dated Cube per day. Elements are matched by the local name "Cube" in any
// namespace; attributes by their unprefixed names.
//
// The update list made of it, UTF-8 with LF line ends:
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
#include <vector>

#include "TextHelpers.h"
#include "toolkit/Xml.h"

namespace feed {

// Currency names by ISO code.
class CurrencyNames {
public:
    // Keeps the first name given for a code.
    void Add(std::string code, std::string name);
    // The name of `code`, or nullptr.
    const std::string* Find(std::string_view code) const;
    std::size_t Size() const { return names_.size(); }
    // Code and name pairs, by code.
    auto begin() const { return names_.begin(); }
    auto end() const { return names_.end(); }

private:
    std::map<std::string, std::string, std::less<>> names_;
};

struct FeedRate {
    std::string code;
    std::string rate;  // the attribute's text as it stands
    std::uint64_t line = 0;
};

struct FeedDay {
    std::string date;  // YYYY-MM-DD
    std::uint64_t line = 0;
    std::vector<FeedRate> rates;  // in document order
};

struct ParsedRates {
    bool ok = false;
    std::vector<FeedDay> days;  // in document order
    std::string error;          // when !ok: "line N: what is wrong"
    // Whether the root element is the bank's gesmes Envelope and a Cube stands in it; known
    // also when the reading failed after it.
    bool centralBankRoot = false;
};

// Parses the document. It fails when the text is not well-formed XML, holds a document type
// declaration, a dated Cube whose time is not a real day YYYY-MM-DD (publications::IsoDate) or
// that lies inside another dated Cube, the same day twice, a currency Cube outside a dated
// Cube, or a Cube with a currency and no rate or a rate and no currency. A document without
// any dated Cube parses to no days.
ParsedRates ParseRatesXml(std::string_view xml, tk::XmlReader& reader);

// The day with the greatest date, wherever it stands; nullptr when there is none.
const FeedDay* NewestDay(const std::vector<FeedDay>& days);

// The converter reads the rate field as a double: no count above 2^53 comes through exactly.
inline constexpr std::int64_t kMaxRate = std::int64_t{1} << 53;

// The decimal number `decimalText` as a whole count of ten-thousandths, read as
// MoneyFromDecimalText reads it (halves to even on the digits: 0.84585 gives 8458, 0.787564
// gives 7876). nullopt when the text is not decimal text (see IsDecimalText) or the count
// exceeds kMaxRate. A result of 0 is returned as such.
std::optional<std::int64_t> RateTenThousandths(std::string_view decimalText);

struct FormerCurrency {
    std::string_view code;
    std::string_view rate;  // units per euro, the irrevocable conversion rate
    std::string_view name;
};

// The national currencies the euro replaced, in the order they are listed. A new member
// country's currency is added at the end.
std::span<const FormerCurrency> FormerCurrencies();

// Where a record's rate came from.
enum class RateSourceKind : std::uint8_t {
    Euro,  // fixed by the euro: EUR itself and the irrevocable rates of its former currencies
    Ecb,   // the ECB's euro reference rates of `date`
    Nbp,   // the NBP's table `table` of `date` (units per euro through table A's euro)
};
struct RateSource {
    RateSourceKind kind = RateSourceKind::Euro;
    std::string date;   // YYYY-MM-DD; empty for Euro
    std::string table;  // the NBP table's number, such as "050/B/NBP/2024"; empty otherwise
    bool operator==(const RateSource&) const = default;
};

// One record of an update list.
struct ListRecord {
    std::string code;       // three capital letters A-Z
    std::int64_t rate = 0;  // units per euro as a whole count of ten-thousandths, 1 to kMaxRate
    std::string name;
    RateSource source;
};

// True for three capital letters A-Z.
bool IsCurrencyCode(std::string_view code);

// True when `text` holds a control character (below 0x20, or DEL): a TAB, LF or CR would
// break the list.
bool HasControlCharacter(std::string_view text);

// The name a record of `code` is written with: a former national currency's built-in name,
// else its name in `names`, else (no name there, or an empty one) the code itself.
std::string ListName(std::string_view code, const CurrencyNames& names);

// A record named by ListName; no record, and the error "the name of USD holds a control
// character (TAB, LF, CR...)", when that name holds one.
struct NamedRecord {
    std::optional<ListRecord> record;
    std::string error;
};
NamedRecord MakeNamedRecord(std::string_view code, std::int64_t rate, RateSource source,
                            const CurrencyNames& names);
// The euro's record: EUR at 1, its source Euro.
NamedRecord EuroRecord(const CurrencyNames& names);

// Appends, in FormerCurrencies' order, each former national currency that `records` does
// not carry, at its fixed rate, its source Euro.
void AppendFormerCurrencies(std::vector<ListRecord>& records);

// The update list's text: `header` (no LF in it) and its LF, then one line per record.
std::string FormatUpdateList(std::string_view header, std::span<const ListRecord> records);

// "ECB euro reference rates of " + date: the header of a list of the ECB's rates alone.
std::string EcbHeader(std::string_view date);

struct FeedResult {
    bool ok = false;
    std::string list;   // the update list, when ok
    std::string error;  // when !ok: what is wrong, with "line N: " where it is known
};

// The update list for the newest day of a parsed document (a daily or history document; the
// days may stand in any order). Names: a former national currency takes its built-in name,
// any other code its name in `names`, or the code itself when it has none there (or an empty
// one). Fails, with no list, when the document did not parse, holds no day, or its newest
// day holds no rate, a code that is not three capital letters A-Z, EUR, a code twice, a rate
// that is not decimal text, rounds to 0 or exceeds kMaxRate, or when a name to be written
// holds a control character (TAB, LF or CR would break the list).
FeedResult UpdateListOf(const ParsedRates& parsed, const CurrencyNames& names);

// The records UpdateListOf writes before the former currencies: the euro, then the newest
// day's currencies in the document's order, each from the ECB of that day. Fails, with no
// records, as UpdateListOf does.
struct EcbRecords {
    bool ok = false;
    std::string date;  // the newest day, YYYY-MM-DD
    std::vector<ListRecord> records;
    std::string error;  // when !ok
};
EcbRecords EcbRecordsOf(const ParsedRates& parsed, const CurrencyNames& names);

// ParseRatesXml, then UpdateListOf.
FeedResult MakeUpdateList(std::string_view xml, tk::XmlReader& reader, const CurrencyNames& names);

// A fetched body read as the bank's document. `isRatesDocument` is false when the body is
// something else (it does not begin with markup, or its root element is not the bank's
// Envelope holding Cube elements): the caller then reads it as an update list. Otherwise
// `list` is the document's update list, or failed by the rules above.
struct BodyReading {
    bool isRatesDocument = false;
    FeedResult list;
};
BodyReading ReadRatesBody(std::string_view body, tk::XmlReader& reader, const CurrencyNames& names);

}  // namespace feed
