// The currency data every window shares for the whole run, its defaults and its
// persistence in the settings store. Plain module state: read and written directly, on the
// user-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Currency.h"

namespace mdlData {

// Index = a currency's identity; entries never move. At most kMaxCurrencies entries.
extern std::vector<CurrencyEntry> CurrencyTable;
// The slots: slot j = main-window button cmdCur j.
inline constexpr int kSlotCount = 8;
// A table index for each slot. Always valid indices.
extern std::array<std::int16_t, kSlotCount> SelectedSlots;
// The table index the currency editor shows rates in. Always a valid index.
extern std::int16_t BaseCurrency;
extern bool MinimizeToTray;
extern bool DownloadOnStartup;

inline constexpr int kMaxCurrencies = 32767;

// The number of entries, deleted ones included (signed 16-bit).
inline std::int16_t CurrencyCount() { return static_cast<std::int16_t>(CurrencyTable.size()); }
inline bool IsIndex(int i) { return i >= 0 && i < CurrencyCount(); }

// The stored text of `key` in the program's settings, `fallback` when the key is absent or
// no store is installed.
std::string ReadSetting(std::string_view key, std::string_view fallback);
// Creates or replaces the key's text; false when the store could not be written or there is
// none.
bool WriteSetting(std::string_view key, std::string_view text);

// The built-in resources of the default table: the number of entries, then at the base id
// plus j the table index of slot j, and plus i the name, the code and the rate of entry i.
enum DefaultResourceId : int {
    kCountResource = 101,
    kSlotResource = 150,
    kNameResource = 200,
    kCodeResource = 300,
    kValueResource = 400,
};

// The text of built-in resource `id` (a DefaultResourceId, plus j or i); empty if none.
std::string_view DefaultResource(int id);

// `amount` of currency `from` in currency `to` (valid table indices): the product with
// Value(to) rounded to Money, divided in doubles by Value(from). Overflow and division by
// zero come back as the status.
Checked<Money> Convert(Money amount, int from, int to);

// The reference currency, the euro, every rate's unit: the table's first entry coded "EUR",
// else an entry made for it (named "Euro", rate 1, fixed by the euro).
CurrencyEntry ReferenceEntry();

// Puts back the built-in table, slots and base currency, then saves.
void RestoreDefaults();

// The index a new currency takes in `table`: the lowest deleted entry at `from` or above,
// else a new entry at the end (the table grows by one, with an empty entry). nullopt when
// the table is full at kMaxCurrencies: nothing is added.
std::optional<std::int16_t> NewEntryIndex(std::vector<CurrencyEntry>& table, std::size_t from = 0);
// NewEntryIndex of CurrencyTable.
std::optional<std::int16_t> TakeNewEntryIndex();

// Fills the shared data from the store; on a first run restores and saves the defaults.
// True on a first run.
bool ReadSettings();
// ReadSettings, then what start-up does with the result: on a first run it asks whether to
// download the latest rates, and Yes shows the update dialog and runs the update; with
// DownloadOnStartup it runs the update in the dialog and closes it unless it failed.
//
// When the start asks and updates nothing (no first run, no DownloadOnStartup), `slotsRead`
// runs as soon as the slots' entries are read, before the table's others, so that the main
// window shows without waiting for the whole table. It must not use, change or save any
// other entry: they read as empty until it has returned. Otherwise it does not run.
void LoadSettings(const std::function<void()>& slotsRead = {});
// Writes every key, also after a failed write; true when every write succeeded.
bool SaveSettings();

// Each entry's rate origin is kept under "R" + i, for the entries below the count kept under
// "RN" only: the origin of the entries from "RN" on is not stored, and reads as not recorded
// (RateOrigin::Kind::Unknown), as does every entry of a store written without them. "RN"
// never shrinks; a save writes "R" + i for every entry below it, so that an origin no longer
// known is cleared, and raises it to just past the last entry whose origin is known. A table
// whose origins are all unknown (a list server's rates) thus costs no writes or reads.
inline constexpr std::string_view kOriginCountKey = "RN";

// The store's text forms.
std::string MoneyStoreText(Money value);  // " 40.3399", "-2", " 0.7876"
// A value text read back: the exact value of a text in the form above (an optional blank or
// minus sign, then decimal text with at most four decimals, read by MoneyFromDecimalText)
// within the range, also where a double would lose its last digits; any other text as a
// leading number through MoneyFromDouble. nullopt when that is outside the range.
std::optional<Money> MoneyFromStoreText(std::string_view text);
bool ParseBool(std::string_view text, bool fallback);
// An entry's rate origin ("R" + i): "Built-in", "Euro", "ECB 2024-12-11",
// "NBP 050/B/NBP/2024 2024-12-11", "Hand 2026-12-09" ("Hand" when the day is not known);
// empty for Unknown.
std::string OriginStoreText(const RateOrigin& origin);
// An origin text read back: any text not in a form above (a date that is no real day, a
// table number nbp::IsTableNumber refuses, empty) reads as Unknown.
RateOrigin OriginFromStoreText(std::string_view text);

}  // namespace mdlData
