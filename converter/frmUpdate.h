// The rates update dialog. For now a stand-in: its update operation does nothing yet.
#pragma once

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

// Connects the start-up routine's update steps to this dialog.
void InstallStartupUpdate();
