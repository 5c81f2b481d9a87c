// What the program needs of some system DLLs only now and then (the shell, WinHTTP, WinINet,
// OLE Automation, COM): their functions are found when first used, so that the start does not
// pay for loading those DLLs and the ones they load in turn.
#pragma once

#include <windows.h>

namespace tk::win32 {

// The address of the export `name` of the system DLL `dll`, which is loaded at the first call
// and stays loaded; null when either is missing.
FARPROC LateProc(const wchar_t* dll, const char* name);

// LateProc as a pointer of the function's own type: LateFunction<decltype(&ShellExecuteW)>.
template <typename Fn>
Fn LateFunction(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(LateProc(dll, name)));
}

// Joins the calling thread, the one that runs the windows, to a single-threaded apartment,
// once; what needs COM on that thread (the accessible objects, the shell) calls it first.
// False when COM is not there.
bool JoinComApartment();
// Leaves the apartment JoinComApartment joined, if it did; at the end of the windows.
void LeaveComApartment();

}  // namespace tk::win32
