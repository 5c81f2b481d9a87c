// The options dialog: the currency list, the eight slot boxes and the base box with their
// set buttons, add/edit/delete, restoring the defaults, the rates update and the two
// options. Every change goes to the shared data at once; the store is written on unload.
#pragma once

#include <cstdint>

#include "toolkit/Form.h"
#include "toolkit/FormSlot.h"

class FrmOpt : public tk::Form {
public:
    // Control ids, in the order of the control table. cmdSet0 + k and txtCur0 + k for
    // k = 0 to 8 (8 is the base currency).
    enum : int {
        Frame1,
        Label1,
        lstCur,
        cmdAdd,
        cmdEdit,
        cmdDelete,
        cmdDefault,
        cmdUpdate,
        cmdOK,
        Label2,
        Label3,
        cmdSet0,
        txtCur0 = cmdSet0 + 9,
        chkMinTray = txtCur0 + 9,
        chkDlStartup,
    };
    static const tk::FormSpec kSpec;

    const tk::FormSpec& Layout() const override { return kSpec; }
    void Form_Load() override;
    void Form_Unload() override;
    void Click(int control) override;
    void DblClick(int control) override;

    void cmdSet_Click(std::int16_t index);
    void cmdAdd_Click();
    void cmdEdit_Click();
    void lstCur_DblClick();
    void cmdDelete_Click();
    void cmdDefault_Click();
    void cmdUpdate_Click();
    void cmdOK_Click();
};

extern tk::FormSlot<FrmOpt> frmOpt;
