// The converter's start-up routine.
#pragma once

namespace mdlMain {

// Loads the settings, then either runs the silent update ("/update") or shows the main
// window. True when the main window was shown: the caller then handles events until
// frmMain is unloaded, and ends the program with tk::DiscardAll.
bool Main();

}  // namespace mdlMain
