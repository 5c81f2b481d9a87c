#include "mdlMain.h"

#include "Identity.h"
#include "frmMain.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/FormSlot.h"
#include "toolkit/Program.h"
#include "toolkit/Services.h"

namespace mdlMain {

bool Main() {
    mdlData::LoadSettings();
    if (tk::Services().app->CommandLine() == "/update") {
        frmUpdate.Load();
        frmUpdate().cmdOK_Click();
        frmUpdate.Unload();
        tk::DiscardAll();
        return false;
    }
    frmMain.Show(false);
    return true;
}

}  // namespace mdlMain

namespace tk::program {

const ProgramIdentity& Identity() {
    static constexpr ProgramIdentity identity{.title = ::program::kTitle,
                                              .classPrefix = ::program::kClassPrefix};
    return identity;
}

bool Start() { return mdlMain::Main(); }
bool MainWindowLoaded() { return frmMain.Loaded(); }
void EndSession() { frmMain.Unload(); }
void End() { tk::DiscardAll(); }

}  // namespace tk::program
