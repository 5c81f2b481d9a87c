// The update list: its reading, and its application to the currency table and the options
// dialog's list, all or nothing. A fetched body becomes list text here too, when it is the
// central bank's rates document.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Money.h"

// One record of an update list: code, TAB, rate in ten-thousandths, TAB, name. Views into
// the list's text.
struct UpdateRecord {
    std::string_view code;  // as it stands, not trimmed
    Money rate;
    std::string_view name;  // everything after the second TAB
};

struct UpdateList {
    std::string_view header;
    std::vector<UpdateRecord> records;  // in document order
};

// Reads one record; nullopt when it has fewer than two TABs or its rate does not fit Money.
std::optional<UpdateRecord> ReadListLine(std::string_view record);

// Reads a whole update list: the header line, then every record while at least a code's
// length of characters remain (ShortCode::kLength characters, not bytes of their UTF-8);
// lines end with LF only. nullopt at any format fault.
std::optional<UpdateList> ReadUpdateList(std::string_view text);

// Applies a list that was read, all or nothing. Each record in turn: a known code (matched
// without case against the three characters of the first live entry that has it) gets the
// rate; a new one takes the lowest free entry (else a new one at the end) and a line in
// frmOpt's currency list, which must be loaded. A code added by an earlier record is known
// to the later ones. When a new code finds the table full, returns false and nothing has
// changed. Linear in the sizes of the list, the table and the options list.
bool ApplyUpdate(const UpdateList& list);

// Reads and applies a whole list; false, with nothing changed, at any fault. `header` is set
// on success.
bool ApplyUpdateList(std::string_view text, std::string& header);

// A fetched body as update-list text: the body itself, or, when it is the central bank's
// rates document, the list made of it (names: the built-in table's for its codes, the
// bank's currencies' own, else the code). nullopt when it is the bank's document and breaks
// its rules, or when no list can be had of it.
std::optional<std::string> ListTextOf(std::string body);
