// The rates update dialog: fetches the update list from the update server, applies it to
// the currency table, saves the table and records the time in "LastUpdate". Also the
// reading of an update list.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Money.h"
#include "toolkit/DateText.h"
#include "toolkit/Form.h"
#include "toolkit/FormSlot.h"

// The address the update fetches unless the settings value "UpdateUrl" names another (http or
// https); the server gives the list as the folder's default document.
inline constexpr std::string_view UpdateBaseUrl = "http://rates.pecunor.net/pecunup/";

class FrmUpdate : public tk::Form {
public:
    enum : int { lblStatus, cmdOK, cmdClose };
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
    // The load text, with the date of the last update when one is recorded; loads frmOpt
    // (hidden) for the lines that new currencies add to its list.
    void Form_Load() override;
    void Click(int control) override;

    // The whole update operation, also called directly by start-up whether or not cmdOK is
    // enabled. Its outcome shows only in lblStatus ("Error" in it means failure); nothing
    // escapes it. Afterwards cmdOK is disabled and cmdClose is the default button.
    void cmdOK_Click();
    void cmdClose_Click();
};

extern tk::FormSlot<FrmUpdate> frmUpdate;

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

// Reads a whole update list: the header line, then every record while at least 3 characters
// remain; lines end with LF only. nullopt at any format fault.
std::optional<UpdateList> ReadUpdateList(std::string_view text);

// Applies a list that was read, all or nothing. Each record in turn: a known code (matched
// without case against the three characters of the first live entry that has it) gets the
// rate; a new one takes the lowest free entry (else a new one at the end) and a line in
// frmOpt's currency list, which must be loaded. A code added by an earlier record is known
// to the later ones. When a new code finds the table full, returns false and nothing has
// changed. Linear in the sizes of the list, the table and the options list.
bool ApplyUpdate(const UpdateList& list);

// One record applied on its own, as ApplyUpdate of a list holding only it.
bool ApplyListLine(std::string_view record);

// Reads and applies a whole list; false, with nothing changed, at any fault. `header` is set
// on success.
bool ApplyUpdateList(std::string_view text, std::string& header);

// The date of the last update recorded in "LastUpdate", read by the user's short date form;
// nullopt when none is recorded (no key, "0") or the text does not read as a date.
std::optional<tk::Date> LastUpdateDate();

// Connects the start-up routine's update steps to this dialog.
void InstallStartupUpdate();
