// The converter's entry point on Windows: the services, the start-up routine, the main
// message loop while the main window is loaded, and the end of the program.
#include <windows.h>

#include "../FormSlot.h"
#include "../Program.h"
#include "Text.h"
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
    if (tk::FormSlotBase* slot = tk::SlotOf(form)) slot->Unload();
}

// What the program reports for developers goes to the debugger output.
void ReportToDebugger(std::string_view what) {
    const std::string_view program = tk::program::Identity().title;
    std::wstring text = tk::win32::Widen(program) + L": " + tk::win32::Widen(what) + L"\n";
    OutputDebugStringW(text.c_str());
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DeclareDpiAware();
    tk::win32::Platform platform(instance, tk::program::Identity());
    platform.windows.onClose = UnloadByClose;
    // A log-off ends the program as its close box does, so the unload saves what it saves.
    platform.windows.onEndSession = tk::program::EndSession;
    tk::InstallReporter(ReportToDebugger);

    bool shown = false;
    platform.windows.Call([&shown] { shown = tk::program::Start(); });
    if (shown) platform.windows.MessageLoop(tk::program::MainWindowLoaded);
    tk::program::End();
    return 0;
}
