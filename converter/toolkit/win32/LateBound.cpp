#include "LateBound.h"

// Needs the types of windows.h.
#include <objbase.h>

namespace tk::win32 {
namespace {

constexpr wchar_t kOle32[] = L"ole32.dll";

bool joined = false;

}  // namespace

FARPROC LateProc(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (module == nullptr) module = LoadLibraryW(dll);
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

bool JoinComApartment() {
    if (joined) return true;
    static const auto initialize =
        LateFunction<decltype(&CoInitializeEx)>(kOle32, "CoInitializeEx");
    joined = initialize != nullptr && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
    return joined;
}

void LeaveComApartment() {
    if (!joined) return;
    joined = false;
    if (const auto uninitialize = LateFunction<decltype(&CoUninitialize)>(kOle32, "CoUninitialize"))
        uninitialize();
}

}  // namespace tk::win32
