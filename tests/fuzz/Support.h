// What the fuzz targets share: the headless peer, putting the program back to its start
// between inputs, and the invariants of the shared data and of the options list.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Currency.h"
#include "toolkit/ListOrder.h"
#include "toolkit/headless/Headless.h"

namespace fuzz {

// Prints what was violated and aborts: libFuzzer keeps the input as the reproducer.
[[noreturn]] void Fail(const std::string& what);

#define FUZZ_CHECK(cond, what)                                                       \
    do {                                                                             \
        if (!(cond)) ::fuzz::Fail(std::string("check failed: " #cond "\n  ") + (what)); \
    } while (false)

// The headless peer, installed on first use and never taken down.
tk::headless::Platform& Ui();

// Every form discarded, the peer's records and the store emptied, the built-in table.
void ResetProgram();

// The shared data of mdlData.
struct DataState {
    std::vector<CurrencyEntry> table;
    std::array<std::int16_t, 8> slots{};
    std::int16_t base = 0;
    bool minimizeToTray = false;
    bool downloadOnStartup = false;
};
DataState CaptureData();
bool SameTable(const std::vector<CurrencyEntry>& a, const std::vector<CurrencyEntry>& b);
bool SameData(const DataState& a, const DataState& b);
// The first difference between two tables, for messages.
std::string TableDifference(const std::vector<CurrencyEntry>& expected,
                            const std::vector<CurrencyEntry>& actual);

// Every slot and the base currency are table indices, and the table is within its limit.
void CheckIndices(const std::string& when);
// frmOpt's currency list, which must be loaded: every line carries a table index and shows
// that entry's display text, no index is carried by two lines, and every entry with a
// name has exactly one line.
void CheckOptionsList(const std::string& when);
// Saves the shared data and loads it back (no first-run question, no start-up update):
// the same table, slots and base currency must come back. Leaves the reloaded data.
void CheckStoreReload(const std::string& when, bool saveFirst = true);

// Texts for messages: printable, with everything else escaped.
std::string Quote(std::string_view text);
std::string Describe(const CurrencyEntry& e);

// The escapes of the text inputs: \n \r \t \0 \\ and \xHH; any other byte stands for itself.
std::string Unescape(std::string_view text);

}  // namespace fuzz
