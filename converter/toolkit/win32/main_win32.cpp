// The converter's entry point on Windows: the services, the start-up routine, the main
// message loop while the main window is loaded, and the end of the program.
#include <windows.h>
// Needs the types of windows.h.
#include <commctrl.h>

#include "../../frmEdit.h"
#include "../../frmMain.h"
#include "../../frmOpt.h"
#include "../../frmUpdate.h"
#include "../../mdlMain.h"
#include "Win32.h"

namespace {

// Pixels, not scaled bitmaps, at every DPI (the manifest says the same on newer systems).
void DeclareDpiAware() {
    using Fn = BOOL(WINAPI*)();
    if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
        if (auto fn = reinterpret_cast<Fn>(
                reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDPIAware")))) {
            fn();
        }
    }
}

// A form's close box unloads it through the slot that holds it.
void UnloadByClose(tk::Form& form) {
    tk::FormSlotBase* slots[] = {&frmMain, &frmOpt, &frmEdit, &frmUpdate};
    for (tk::FormSlotBase* slot : slots) {
        if (slot->Get() == &form) {
            slot->Unload();
            return;
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DeclareDpiAware();
    InitCommonControls();
    tk::win32::Platform platform(instance);
    platform.windows.onClose = UnloadByClose;
    // A log-off ends the program as its close box does, so the unload saves what it saves.
    platform.windows.onEndSession = [] { frmMain.Unload(); };

    bool shown = false;
    platform.windows.Call([&shown] { shown = mdlMain::Main(); });
    if (shown) platform.windows.MessageLoop([] { return frmMain.Loaded(); });
    mdlMain::EndProgram();
    return 0;
}
