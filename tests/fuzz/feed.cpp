// The reading of the central bank's rates document, pecun-feed's and the converter's. The input is the XML; after a
// NUL byte, optionally a names table in the iso-codes JSON shape to use instead of the
// built-in one below. The outcome is either an update list that the converter reads and
// applies, with every rate arriving as the count written, or an error with no list.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "Names.h"
#include "RatesFeed.h"
#include "Support.h"
#include "frmOpt.h"
#include "Rates.h"
#include "UpdateList.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/expat/ExpatXml.h"

namespace {

constexpr std::string_view kHeader = "ECB euro reference rates of ";

const feed::CurrencyNames& BuiltInNames() {
    static const feed::CurrencyNames names = [] {
        feed::CurrencyNames n;
        n.Add("EUR", "Euro");
        n.Add("USD", "US Dollar");
        n.Add("JPY", "Yen");
        n.Add("GBP", "Pound Sterling");
        n.Add("CHF", "Swiss Franc");
        n.Add("DEM", "Deutsche Mark");         // a former currency: its built-in name wins
        n.Add("XEM", "");                      // an empty name: the code stands for it
        n.Add("XUT", "Z\xC3\xBCrich Franc");   // UTF-8
        n.Add("XTB", "Tab\there");             // would break the list
        n.Add("XLF", "Line\nfeed");            // would break the list
        return n;
    }();
    return names;
}

bool IsCapitalCode(std::string_view code) {
    return code.size() == 3 && std::all_of(code.begin(), code.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

void CheckList(const std::string& list, const std::string& what) {
    const std::optional<UpdateList> read = ReadUpdateList(list);
    FUZZ_CHECK(read.has_value(), what + ": the converter does not read the list");
    FUZZ_CHECK(read->header.starts_with(kHeader) && read->header.size() == kHeader.size() + 10,
               what + ": header " + fuzz::Quote(read->header));
    FUZZ_CHECK(!read->records.empty() && read->records[0].code == "EUR" &&
                   read->records[0].rate == Money::FromRaw(10000),
               what + ": the list does not start with the euro");

    // The record lines as written, beside what the converter read of them.
    std::string_view rest = std::string_view(list).substr(list.find('\n') + 1);
    std::set<std::string_view> codes;
    for (const UpdateRecord& r : read->records) {
        const std::string_view line = rest.substr(0, rest.find('\n'));
        rest.remove_prefix(line.size() + 1);
        const std::string where = what + ": record " + fuzz::Quote(line);
        FUZZ_CHECK(IsCapitalCode(r.code), where + ": code");
        FUZZ_CHECK(codes.insert(r.code).second, where + ": the code comes twice");
        FUZZ_CHECK(!HasControlCharacter(r.name), where + ": name");
        const std::size_t tab1 = line.find('\t');
        const std::string_view field = line.substr(tab1 + 1, line.find('\t', tab1 + 1) - tab1 - 1);
        std::int64_t count = 0;
        const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), count);
        FUZZ_CHECK(ec == std::errc() && end == field.data() + field.size() && count >= 1 &&
                       count <= feed::kMaxRate,
                   where + ": rate field");
        // Every count up to 2^53 reaches the converter as it was written.
        FUZZ_CHECK(r.rate.Raw() == count, where + ": the converter read " + std::to_string(r.rate.Raw()));
    }
    FUZZ_CHECK(rest.empty(), what + ": text after the records");
    for (const feed::FormerCurrency& f : feed::FormerCurrencies()) {
        FUZZ_CHECK(codes.count(f.code) == 1, what + ": " + std::string(f.code) + " is missing");
    }

    // And the converter applies it: every code has its rate.
    fuzz::ResetProgram();
    frmOpt.Load();
    std::string header;
    std::optional<UpdateChanges> changes = ApplyUpdateList(list, header);
    FUZZ_CHECK(changes.has_value(), what + ": the converter does not apply the list");
    frmOpt().ShowEntries(std::move(changes->added));
    fuzz::CheckIndices(what);
    fuzz::CheckOptionsList(what);
    for (const UpdateRecord& r : read->records) {
        const auto entry = std::find_if(
            mdlData::CurrencyTable.begin(), mdlData::CurrencyTable.end(),
            [&](const CurrencyEntry& e) { return !e.Name.empty() && e.Short.str() == r.code; });
        FUZZ_CHECK(entry != mdlData::CurrencyTable.end() && entry->Value == r.rate,
                   what + ": " + std::string(r.code) + " was not applied");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string_view xml = input.substr(0, nul);

    feed::NamesResult loaded;
    const feed::CurrencyNames* names = &BuiltInNames();
    if (nul != std::string_view::npos) {
        loaded = feed::LoadCurrencyNames(input.substr(nul + 1));
        FUZZ_CHECK(loaded.ok == loaded.error.empty(), "names: " + fuzz::Quote(loaded.error));
        if (loaded.ok) names = &loaded.names;
    }

    tk::ExpatXmlReader reader;
    const feed::FeedResult result = feed::MakeUpdateList(xml, reader, *names);
    const std::string what = "feed " + fuzz::Quote(xml.substr(0, 300));
    // The converter reads a fetched body that is the bank's document to the very same list.
    const feed::BodyReading body = feed::ReadRatesBody(xml, reader, *names);
    if (body.isRatesDocument) {
        FUZZ_CHECK(body.list.ok == result.ok && body.list.list == result.list,
                   what + ": read as a fetched body it gives another outcome");
    }
    if (!result.ok) {
        FUZZ_CHECK(!result.error.empty() && result.list.empty(),
                   what + ": failed with " + fuzz::Quote(result.error) + " and a list of " +
                       std::to_string(result.list.size()) + " bytes");
        return 0;
    }
    FUZZ_CHECK(result.error.empty(), what + ": an error beside the list");
    CheckList(result.list, what);
    return 0;
}
