// The currency data every window shares for the whole run, its defaults and its
// persistence in the settings store. Plain module state: read and written directly, on the
// user-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Currency.h"

namespace mdlData {

// Index = a currency's identity; entries never move. At most kMaxCurrencies entries.
extern std::vector<CurrencyEntry> CurrencyTable;
// Eight table indices, slot j = main-window button cmdCur j. Always valid indices.
extern std::array<std::int16_t, 8> SelectedSlots;
// The table index the currency editor shows rates in. Always a valid index.
extern std::int16_t BaseCurrency;
extern bool MinimizeToTray;
extern bool DownloadOnStartup;

inline constexpr int kMaxCurrencies = 32767;

// The number of entries, deleted ones included (signed 16-bit).
inline std::int16_t CurrencyCount() { return static_cast<std::int16_t>(CurrencyTable.size()); }
inline bool IsIndex(int i) { return i >= 0 && i < CurrencyCount(); }

// Settings store addresses.
inline constexpr std::string_view kApp = "Pecun";
inline constexpr std::string_view kSection = "Settings";

// The text of built-in resource `id` (101, 150-157, 200+i, 300+i, 400+i); empty if none.
std::string_view DefaultResource(int id);

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
void LoadSettings();
// Writes every key, also after a failed write; true when every write succeeded.
bool SaveSettings();

// The store's text forms.
std::string MoneyStoreText(Money value);  // " 40.3399", "-2", " 0.7876"
// A value text read back: the exact value of a text in the form above (an optional blank or
// minus sign, then decimal text with at most four decimals, read by MoneyFromDecimalText)
// within the range, also where a double would lose its last digits; any other text as a
// leading number through MoneyFromDouble. nullopt when that is outside the range.
std::optional<Money> MoneyFromStoreText(std::string_view text);
bool ParseBool(std::string_view text, bool fallback);

}  // namespace mdlData
