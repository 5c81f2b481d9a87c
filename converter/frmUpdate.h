// The rates update dialog: fetches the update list (Rates.h), applies it to the currency
// table and saves it (UpdateList.h), shows the new currencies in frmOpt's list and records
// the update.
#pragma once

#include "toolkit/Form.h"
#include "toolkit/FormSlot.h"

class FrmUpdate : public tk::Form {
public:
    enum : int { lblStatus, cmdOK, cmdClose };
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
    // The load text, with the date of the last update when one is recorded; loads frmOpt
    // (hidden) for the lines that new currencies add to its list.
    void Form_Load() override;

    // The whole update operation, also called directly by start-up whether or not cmdOK is
    // enabled. Its outcome shows in lblStatus (see Failed); nothing escapes it. Afterwards
    // cmdOK is disabled and cmdClose is the default button. A success also records
    // "LastUpdate" and the list's header in "RatesHeader".
    void cmdOK_Click();
    void cmdClose_Click();

    // Whether the status reads as a failure: it holds "Error", as the failure text does (so
    // does a success whose list's header holds the word).
    bool Failed() const;
};

extern tk::FormSlot<FrmUpdate> frmUpdate;
