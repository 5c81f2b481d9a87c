// The National Bank of Poland's exchange-rate tables: the reading of its XML answer, the
// checks a table passes before its rates are used, and its mids as units per euro. The XML
// comes through tk::XmlReader, so the converter and pecun-feed read a table alike.
//
// The answer, one table for the latest table B, every table of the days asked for (oldest
// first) for table A over a range:
//
//   <ArrayOfExchangeRatesTable>
//     <ExchangeRatesTable>
//       <Table>B</Table><No>050/B/NBP/2024</No><EffectiveDate>2024-12-11</EffectiveDate>
//       <Rates>
//         <Rate><Currency>naira (Nigeria)</Currency><Code>NGN</Code><Mid>0.002612</Mid></Rate>
//         ...
//
// A mid is the złoty price of one unit of the currency, as decimal text. Elements are
// matched by their local names in any namespace, and others are passed over; the Polish
// Currency names are never read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Xml.h"

namespace nbp {

// The longest table number a table may have.
inline constexpr std::size_t kMaxNumberLength = 40;
// Table A is of the seven days up to table B's effective date: at most this many days older.
inline constexpr long long kMaxDaysBeforeB = 6;

// Whether `text` is a table number a table may have: 1 to kMaxNumberLength printable ASCII
// characters, blanks excluded, such as "050/B/NBP/2024".
bool IsTableNumber(std::string_view text);

// Whether the table number ("050/B/NBP/2024") is a table B's: its second part is "B".
bool IsTableBNumber(std::string_view number);

struct Rate {
    std::string code;  // <Code>, as written
    std::string mid;   // <Mid>, as written
    std::uint64_t line = 0;
};

struct Table {
    std::string letter;         // <Table>, as written: "A" or "B" in a good table
    std::string number;         // <No>, such as "050/B/NBP/2024"
    std::string effectiveDate;  // <EffectiveDate>, as written
    std::vector<Rate> rates;    // in document order
    std::uint64_t line = 0;     // where <ExchangeRatesTable> opens
    // The first fault of form met while reading, such as "line 7: a Rate without a Mid" or a
    // field given twice; empty when there was none. A table with one is never used.
    std::string fault;
};

struct Reading {
    bool ok = false;            // the document is well-formed and its root is the table array
    std::vector<Table> tables;  // in document order; empty when !ok
    std::string error;          // when !ok: "line N: what is wrong" where the line is known
};

// Reads an answer of the bank. Fails when the text is not well-formed XML, holds a document
// type declaration or its root element is not ArrayOfExchangeRatesTable. An array without
// tables reads as no tables. The text of a field is taken as it stands, blanks included.
Reading ReadTables(std::string_view xml, tk::XmlReader& reader);

// Units per euro as a whole count of ten-thousandths: eurMid / mid, both złoty as decimal
// text (feed::IsDecimalText), computed exactly on their digits and rounded to the nearest
// count, halves to even: 4.2722 / 0.002612 gives 16356049, that is 1635.6049. nullopt when
// either is not decimal text, mid is zero or has more than 18 significant digits (the bank's
// have at most eight), or the count exceeds feed::kMaxRate. A count of 0 comes back as such.
std::optional<std::int64_t> CrossRate(std::string_view eurMid, std::string_view mid);

// A currency of an answered table: units per euro as a count of ten-thousandths, 1 to
// feed::kMaxRate.
struct CrossRateOf {
    std::string code;
    std::int64_t rate = 0;
};

// A table whose rates are used.
struct AnsweredTable {
    std::string number;         // <No>
    std::string effectiveDate;  // YYYY-MM-DD
    // Table A: PLN (the euro's mid, rounded as a rate) in EUR's place, and every other
    // currency in the table's order. Table B: its currencies in order, leaving out EUR, PLN
    // and any code table A gives.
    std::vector<CrossRateOf> rates;
};

// What the bank's two answers give: table A alone, both, or neither. Table B is used only
// with a table A, whose euro mid its cross rates need.
struct Answer {
    std::optional<AnsweredTable> a;
    std::optional<AnsweredTable> b;
    // Why a table that was given adds nothing ("table A: line 9: NGN appears twice (first on
    // line 5)"); empty when it was used or not given.
    std::string aError;
    std::string bError;
};

// The tables to use from the readings of table A over a range and of the latest table B
// (either nullptr when that fetch brought nothing). Table B is the newest table of its
// answer. Table A is the newest of its answer: with table B, it must be of the seven days up
// to table B's effective date (the same day when Poland worked then), else it is not used.
//
// A table adds nothing when its reading failed or it is: of another letter; without a number
// of 1 to 40 printable ASCII characters, blanks excluded; without a real YYYY-MM-DD date
// (publications::TrailingIsoDate's reading); without rates; with a fault of form, a code
// that is not three capital letters A-Z, a code twice, or a mid that is not decimal text or
// is zero; a cross rate of 0 or above feed::kMaxRate. Table A also when it has no EUR, or
// with table B, when it is newer than table B or more than six days older. A table that
// lists PLN (the bank's own currency) is read without that record.
Answer AnswerOf(const Reading* tableA, const Reading* tableB);

// The effective date (YYYY-MM-DD) of the table B that AnswerOf would take from `tableB` when
// given a table A with it, checked as AnswerOf checks a table B on its own; nullopt when
// there is none (nullptr included).
std::optional<std::string> TableBDate(const Reading* tableB);

}  // namespace nbp
