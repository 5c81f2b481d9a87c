// The currency editor: adds a currency or changes one entry's name, code and rate. The rate
// is shown and read relative to the base currency; the table keeps it relative to the
// reference currency. On OK it writes the entry and the entry's line in frmOpt's list.
#pragma once

#include <cstdint>

#include "toolkit/Form.h"
#include "toolkit/FormSlot.h"

class FrmEdit : public tk::Form {
public:
    // Control ids, in the order of the control table.
    enum : int { Label1, txtName, Label2, txtShort, lblBase, txtValue, cmdOK, cmdCancel, lblDo };
    static const tk::FormSpec kSpec;

    const tk::FormSpec& Layout() const override { return kSpec; }

    // Prepares the dialog for entry `entry` at list position `listPos` of frmOpt's lstCur,
    // or for a new currency when both are -1. Reads the table only. An entry index outside
    // the table is taken as a new currency.
    void Form_Init(std::int16_t& entry, std::int16_t& listPos);

    void cmdOK_Click();
    void cmdCancel_Click();
    void txtName_GotFocus();
    void txtShort_GotFocus();
    void txtValue_GotFocus();

    std::int16_t EditIndex = -1;      // table index of the entry, -1 for a new one
    std::int16_t EditListIndex = -1;  // its line in frmOpt's lstCur, -1 for a new one
};

extern tk::FormSlot<FrmEdit> frmEdit;
