// The converter's start-up routine.
#pragma once

namespace mdlMain {

// The program's title: the main window's caption, the notification icon's tip, the title of
// its message boxes, and its name to the peers (tk::program::Identity).
inline constexpr char kAppTitle[] = "Pecunor";

// Loads the settings, then either runs the silent update ("/update") or shows the main
// window. True when the main window was shown: the caller then handles events until
// frmMain is unloaded, and ends the program with tk::DiscardAll.
bool Main();

}  // namespace mdlMain
