// The program a peer runs. The program defines these (mdlMain does); a peer's entry point
// calls them and includes nothing else of the program.
#pragma once

#include <string_view>

namespace tk {

// What a peer puts in the program's name, handed to it when its platform is made.
struct ProgramIdentity {
    std::string_view title;        // the debugger reports' prefix and the HTTP user agent
    std::string_view classPrefix;  // the Win32 peer's window classes: "<prefix>Form", ...
};

}  // namespace tk

namespace tk::program {

const ProgramIdentity& Identity();
// Start-up. True when the main window was shown: the peer then handles events while
// MainWindowLoaded() holds, and calls End().
bool Start();
bool MainWindowLoaded();
// The user's session ends (log-off, shutdown): the program closes as by its main window.
void EndSession();
// Destroys every window that is still loaded, without running its Form_Unload.
void End();

}  // namespace tk::program
