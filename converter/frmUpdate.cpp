#include "frmUpdate.h"

#include "mdlData.h"

tk::FormSlot<FrmUpdate> frmUpdate;

namespace {

using tk::Kind;

constexpr tk::ControlSpec kControls[] = {
    {Kind::Label, "lblStatus", -1, "", {120, 120, 2655, 1335}, 0, tk::kWordWrap},
    {Kind::Button, "cmdOK", -1, "Update", {240, 1560, 1095, 375}, 1, tk::kDefault},
    {Kind::Button, "cmdClose", -1, "Close", {1560, 1560, 1095, 375}, 2, tk::kCancel},
};

}  // namespace

const tk::FormSpec FrmUpdate::kSpec = {
    "frmUpdate", "Update", 2985, 2025, tk::kDialogFrame | tk::kCenterOnOwner, kControls, {},
};

void FrmUpdate::Click(int control) {
    if (control == cmdOK) cmdOK_Click();
    if (control == cmdClose) cmdClose_Click();
}

void FrmUpdate::cmdOK_Click() {}

void FrmUpdate::cmdClose_Click() { frmUpdate.Unload(); }

void InstallStartupUpdate() {
    mdlData::StartupUpdate.showAndRun = [] {
        frmUpdate.Show(false);
        frmUpdate().cmdOK_Click();
    };
    mdlData::StartupUpdate.failed = [] {
        FrmUpdate* f = frmUpdate.IfLoaded();
        return f != nullptr && f->Text(FrmUpdate::lblStatus).find("Error") != std::string::npos;
    };
    mdlData::StartupUpdate.unload = [] { frmUpdate.Unload(); };
}
