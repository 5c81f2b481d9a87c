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
    const bool silentUpdate = tk::Services().app->CommandLine() == "/update";
    // The main window needs only the slots' entries: it shows, painted, before the others are
    // read (no input is handled before the start has returned).
    bool shown = false;
    mdlData::LoadSettings([&] {
        if (silentUpdate) return;
        frmMain.Show(false);
        frmMain().Peer().Refresh();
        shown = true;
    });
    if (silentUpdate) {
        frmUpdate.Load();
        frmUpdate().cmdOK_Click();
        frmUpdate.Unload();
        tk::DiscardAll();
        return false;
    }
    if (!shown) frmMain.Show(false);
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
