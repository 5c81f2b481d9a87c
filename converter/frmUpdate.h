// The rates update dialog: fetches the update list from the update server, applies it to
// the currency table, saves the table and records the time in "LastUpdate". Also the
// reading of an update list.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/DateText.h"
#include "toolkit/Form.h"
#include "toolkit/FormSlot.h"

// The one address the update fetches; the server gives the list as the folder's default
// document.
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

// Applies one record of an update list: code, TAB, rate in ten-thousandths, TAB, name. A
// known code (matched without case against the three characters of a live entry's code)
// gets the rate; a new one takes a new entry and a line in frmOpt's currency list. False,
// with nothing changed, when the record has fewer than two TABs, the rate does not fit
// Money, or the table is full.
bool ApplyListLine(std::string_view record);

// Reads an update list: the header line (returned in `header`), then every record in
// document order while at least 3 characters remain. Lines end with LF only. False on a
// format fault; the records applied before it stay applied.
bool ApplyUpdateList(std::string_view text, std::string& header);

// The date of the last update recorded in "LastUpdate", read by the user's short date form;
// nullopt when none is recorded (no key, "0") or the text does not read as a date.
std::optional<tk::Date> LastUpdateDate();

// Connects the start-up routine's update steps to this dialog.
void InstallStartupUpdate();
