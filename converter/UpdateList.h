// The update list: its reading, and its application to the currency table, all or nothing.
// What the application changed comes back, so that the form that shows the table's lines can
// follow.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Currency.h"
#include "Money.h"
#include "toolkit/ListOrder.h"

// One record of an update list: code, TAB, rate in ten-thousandths, TAB, name. Views into
// the list's text.
struct UpdateRecord {
    std::string_view code;  // as it stands, not trimmed
    Money rate;             // above zero
    std::string_view name;  // everything after the second TAB
};

struct UpdateList {
    std::string_view header;            // the first line, without the CR of a CR LF
    std::vector<UpdateRecord> records;  // in document order
};

// Reads one record; nullopt when it has fewer than two TABs, when its rate does not fit Money
// or is not above zero (a field with no number in front reads as 0), or when its code, once
// trailing blanks and CRs are removed, is empty or longer than ShortCode::kLength characters:
// the table would cut it into another code. A shorter code stays valid: the table pads it.
std::optional<UpdateRecord> ReadListLine(std::string_view record);

// Reads a whole update list: the header line, then every record while at least a code's
// length of characters remain (ShortCode::kLength characters, not bytes of their UTF-8);
// lines end with LF only. nullopt at any format fault, and for a text holding a NUL byte.
std::optional<UpdateList> ReadUpdateList(std::string_view text);

// What applying a list changed in the table.
struct UpdateChanges {
    std::vector<std::int16_t> updated;  // known entries given a new rate, in list order
    // The entries new codes took, each with its display line (text and table index), in the
    // order a list shows them one by one: an entry taken twice has its last line only.
    std::vector<tk::ListLine> added;
};

// Applies a list that was read to the table, all or nothing. Each record in turn: a known
// code (matched without case against the three characters of the first live entry that has
// it) gets the rate; a new one takes the lowest free entry, else a new one at the end. A code
// added by an earlier record is known to the later ones. Either way the entry takes the
// record's origin: origins[k] for record k, or, when `origins` is empty (a list server's list
// names none), RateOrigin::Kind::Unknown. When a new code finds the table full, or `origins`
// is given with another count than the records', returns nullopt and nothing has changed.
// Linear in the sizes of the list and the table.
std::optional<UpdateChanges> ApplyUpdate(const UpdateList& list,
                                         std::span<const RateOrigin> origins = {});

// ApplyUpdate, then SaveSettings. When the save fails, the table is put back and saved again
// (if that fails too, memory keeps the old table and the store whatever the writes left) and
// the result is nullopt, as for a list that does not apply.
std::optional<UpdateChanges> ApplyAndSave(const UpdateList& list,
                                          std::span<const RateOrigin> origins = {});

// Reads and applies a whole list; nullopt, with nothing changed, at any fault. `header` is
// set on success.
std::optional<UpdateChanges> ApplyUpdateList(std::string_view text, std::string& header);
