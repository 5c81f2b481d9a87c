// Reading the central bank's euro reference rates document: the daily file and the 90-day
// and full history files share one shape,
//
//   <Envelope><Cube><Cube time='2019-04-11'><Cube currency='USD' rate='1.1264'/>...
//
// with one dated Cube per day. Elements are matched by the local name "Cube" in any
// namespace; attributes by their unprefixed names. The reader keeps the attribute text as it
// stands: checking codes and rates is the caller's business, with the line numbers kept here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace feed {

struct FeedRate {
    std::string code;
    std::string rate;
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
};

// Parses the document. It fails when the text is not well-formed XML, holds a document type
// declaration, a dated Cube whose time is not a YYYY-MM-DD date or that lies inside another
// dated Cube, the same day twice, a currency Cube outside a dated Cube, or a Cube with a
// currency and no rate or a rate and no currency. A document without any dated Cube parses
// to no days.
ParsedRates ParseRatesXml(std::string_view xml);

// The day with the greatest date, wherever it stands; nullptr when there is none.
const FeedDay* NewestDay(const std::vector<FeedDay>& days);

// True for YYYY-MM-DD with a month 01-12 and a day 01-31.
bool IsIsoDate(std::string_view text);

}  // namespace feed
