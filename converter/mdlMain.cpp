#include "mdlMain.h"

#include "frmEdit.h"
#include "frmMain.h"
#include "frmOpt.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/Program.h"
#include "toolkit/Services.h"

namespace mdlMain {

bool Main() {
    InstallStartupUpdate();
    mdlData::LoadSettings();
    if (tk::Services().app->CommandLine() == "/update") {
        frmUpdate.Load();
        frmUpdate().cmdOK_Click();
        frmUpdate.Unload();
        EndProgram();
        return false;
    }
    frmMain.Show(false);
    return true;
}

void EndProgram() {
    frmEdit.Discard();
    frmUpdate.Discard();
    frmOpt.Discard();
    frmMain.Discard();
    tk::RetireUnloaded();
}

}  // namespace mdlMain

namespace tk::program {

bool Start() { return mdlMain::Main(); }
bool MainWindowLoaded() { return frmMain.Loaded(); }
void EndSession() { frmMain.Unload(); }
void End() { mdlMain::EndProgram(); }

}  // namespace tk::program
