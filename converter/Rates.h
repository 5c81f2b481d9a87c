// Where the rates come from and how old they are: the update's sources and the fetch of
// each within the update's one time limit, a fetched body as an update list, and the age of
// the rates in the table as the currency buttons' tips tell it. No form: the update dialog
// calls the fetch and shows its outcome; the main window's tips call RatesAgeText.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UpdateList.h"
#include "toolkit/Services.h"

namespace rates {

// Where the update looks for rates, in order, each address only when the one before it gave
// no list (no transfer, an empty or non-2xx answer, a body that does not read):
// - the settings value "UpdateUrl", when set, alone: an administrator's choice is never
//   bypassed;
// - else kUpdateBaseUrl, the list's own server, which gives the list as the folder's default
//   document, then the central bank's daily file, or the settings value "FallbackUrl" in its
//   place when that is set.
// Any address may give an update list or the bank's rates document. The program never writes
// either setting.
inline constexpr std::string_view kUpdateBaseUrl = "https://rates.pecunor.net/pecunup/";
inline constexpr std::string_view kCentralBankUrl =
    "https://www.ecb.europa.eu/stats/eurofxref/eurofxref-daily.xml";
// The whole update, from its start to the result shown, however many addresses it tries.
inline constexpr int kUpdateTimeLimitMs = 50000;

// The addresses an update tries, in order, as the settings name them now.
std::vector<std::string> Sources();

// The first list any source gives, fetched within the update's time from `start` (a
// ClockService::Ticks value); `text` holds what `list` views. False when no source gave one
// in time, or the services it needs (HTTP, clock, settings) are not installed.
bool FetchList(std::uint64_t start, std::string& text, UpdateList& list);

// A fetched body as update-list text: the body itself, or, when it is the central bank's
// rates document, the list made of it (names: the built-in table's for its codes, the
// bank's currencies' own, else the code). nullopt when it is the bank's document and breaks
// its rules.
std::optional<std::string> ListTextOf(std::string body);

// A successful update is recorded: the list's header in "RatesHeader", then the local time
// in "LastUpdate" as the user's short date and long time. False when either write failed.
bool RecordUpdate(std::string_view header);

// The date and time of the last update recorded in "LastUpdate", read back as the user's
// settings wrote it; nullopt when none is recorded (no key, "0") or the text does not read.
std::optional<tk::LocalTime> LastUpdateDate();

// Where the rates came from and how old they are, as the currency buttons' tips say it: the
// recorded "RatesHeader", the date of "LastUpdate" in the user's short form, and, when the
// header ends in an ISO date, the central bank's publications made since that day ("ECB euro
// reference rates of 2019-04-11, updated 4/12/2019: latest", "...: 3 publications behind").
// "Built-in rates, never updated" when no update was ever recorded.
std::string RatesAgeText();

}  // namespace rates
