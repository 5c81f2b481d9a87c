// Where the rates come from and how old they are: the update's sources and the fetch of
// each within the update's one time limit, the banks' answers merged into one update list,
// and the source and age of each currency's rate as the currency buttons' tips tell it. No
// form: the update dialog calls the fetch and shows its outcome; the main window's tips call
// OriginText.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Currency.h"
#include "Publications.h"
#include "UpdateList.h"
#include "toolkit/Services.h"

namespace rates {

inline constexpr std::string_view kCentralBankUrl =
    "https://www.ecb.europa.eu/stats/eurofxref/eurofxref-daily.xml";
// The base of the NBP's table addresses.
inline constexpr std::string_view kNbpBaseUrl = "https://api.nbp.pl/api/exchangerates/";
// The whole update, from its start to the result shown, however many addresses it tries.
inline constexpr int kUpdateTimeLimitMs = 50000;

// The list server this program was built for (the build's PECUN_UPDATE_URL); empty for none,
// as in the program we ship.
std::string_view BuiltListServer();

// Where an update looks for rates.
struct Sources {
    // Addresses of update lists, tried in turn, the first that gives a list standing alone:
    // the settings value "UpdateUrl" when set (an administrator's choice, never bypassed),
    // else the built list server, if any. Any of them may give the ECB's file instead.
    std::vector<std::string> lists;
    // Then, unless "UpdateUrl" is set, the banks: the ECB's daily file, or the settings value
    // "FallbackUrl" in its place when set (which may give an update list instead: it then
    // stands alone), then the NBP's latest table B, then its tables A of the seven days up to
    // table B's effective date (of the seven days up to today's UTC date when table B did
    // not come), their addresses on `nbpBase`: the settings value "NbpUrl" when set, else
    // kNbpBaseUrl. What the banks gave is merged (feed::MergeRates). Without an XML reader
    // the ECB's address is read as a list only, and the NBP is not asked.
    bool banks = true;
    std::string ecb;
    std::string nbpBase;  // ends in "/"
};

// The banks' addresses as the settings name them now, whether or not "UpdateUrl" is set:
// `ecb` is the settings value "FallbackUrl", else kCentralBankUrl; `nbpBase` (ending in "/")
// is "NbpUrl", else kNbpBaseUrl.
struct BankAddresses {
    std::string ecb;
    std::string nbpBase;
};
BankAddresses BankAddressesNow();

// The sources as the settings name them now, with `listServer` as the built list server.
// The program never writes the settings named.
Sources SourcesOf(std::string_view listServer);

// NBP addresses on `base` (ending in "/"): the latest table B, and the tables A of the seven
// days up to `to`.
std::string NbpTableBUrl(std::string_view base);
std::string NbpTableAUrl(std::string_view base, publications::Date to);
// Every table of letter `table` ("A" or "B") from `from` to `to`, both included (the bank
// takes at most 93 days).
std::string NbpRangeUrl(std::string_view base, std::string_view table, publications::Date from,
                        publications::Date to);

// The body `url` gives in what is left of the update's time limit counted from `start` (a
// ClockService::Ticks value); false, with `body` untouched, when nothing came in time or the
// HTTP or clock service is not installed.
bool FetchInTime(const std::string& url, std::uint64_t start, std::string& body);

// The list the sources give, each fetched within the update's time from `start` (a
// ClockService::Ticks value). `text` holds what `list` views; `origins` is one per record of
// the list, the origin of its rate, or empty for a list that names none (a list server's).
// False when no source gave rates in time, or the services it needs (HTTP, clock, settings)
// are not installed.
bool FetchList(const Sources& sources, std::uint64_t start, std::string& text, UpdateList& list,
               std::vector<RateOrigin>& origins);
// FetchList of SourcesOf(BuiltListServer()).
bool FetchList(std::uint64_t start, std::string& text, UpdateList& list,
               std::vector<RateOrigin>& origins);

// A successful update is recorded: the list's header in "RatesHeader", then the local time
// in "LastUpdate" as the user's short date and long time. False when either write failed.
bool RecordUpdate(std::string_view header);

// Whether an update was ever recorded ("RatesHeader" or "LastUpdate" set): an entry whose
// origin is not recorded then has the rate of that update.
bool UpdateEverRecorded();

// The date and time of the last update recorded in "LastUpdate", read back as the user's
// settings wrote it; nullopt when none is recorded (no key, "0") or the text does not read.
std::optional<tk::LocalTime> LastUpdateDate();

// Where the rates of the last update came from and how old they are: the recorded
// "RatesHeader", the date of "LastUpdate" in the user's short form, and, when the header ends
// in an ISO date, the ECB's publications made since that day ("ECB euro reference rates of
// 2019-04-11, updated 4/12/2019: latest", "...: 3 publications behind"). "Built-in rates,
// never updated" when no update was ever recorded.
std::string RatesAgeText();

// Where a rate of `origin` came from, of what day and how old it is, counted by its source's
// calendar (publications), as the third line of a currency button's tip:
//   ECB      "Source: ECB euro reference rates of 2024-12-11: latest" (or "1 publication
//            behind", "3 publications behind")
//   NBP, B   "Source: NBP table 050/B/NBP/2024 of 2024-12-11: latest" (or "1 week behind",
//            "2 weeks behind"), a table B being a table whose number's second part is "B"
//   NBP, A   "Source: NBP table 242/A/NBP/2024 of 2024-12-11: latest" (or "1 working day
//            behind", "3 working days behind"), and any other table
//   Euro     "Fixed rate to the euro"
//   Hand     "Rate set by hand on 12/9/2026" (the user's short date; "Rate set by hand"
//            without a date)
//   BuiltIn  "Built-in rate"
//   Unknown  RatesAgeText() when an update was recorded, else "Built-in rate".
std::string OriginText(const RateOrigin& origin);

}  // namespace rates
