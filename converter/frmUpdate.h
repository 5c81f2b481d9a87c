// The rates update dialog, and the reading of an update list. The dialog's fetch is not
// there yet: its update operation does nothing for now.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/Form.h"
#include "toolkit/FormSlot.h"

class FrmUpdate : public tk::Form {
public:
    enum : int { lblStatus, cmdOK, cmdClose };
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
    void Click(int control) override;

    // The whole update operation; its outcome shows only in lblStatus.
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

// Connects the start-up routine's update steps to this dialog.
void InstallStartupUpdate();
