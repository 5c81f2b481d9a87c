#include <cstring>

#include "Text.h"
#include "Win32.h"

namespace tk::win32 {
namespace {

// Closes the clipboard when it goes.
struct Opened {
    ~Opened() { CloseClipboard(); }
};

}  // namespace

bool Clipboard::Open() {
    // Another program may hold the clipboard for a moment.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(owner_)) return true;
        Sleep(10);
    }
    return false;
}

bool Clipboard::HasText() {
    return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
}

std::string Clipboard::GetText() {
    if (!HasText() || !Open()) return {};
    Opened closer;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) return {};
    const auto* p = static_cast<const wchar_t*>(GlobalLock(data));
    if (p == nullptr) return {};
    const std::size_t limit = GlobalSize(data) / sizeof(wchar_t);
    std::size_t n = 0;
    while (n < limit && p[n] != L'\0') ++n;
    std::string text = Narrow(std::wstring_view(p, n));
    GlobalUnlock(data);
    return text;
}

void Clipboard::Clear() {
    if (!Open()) return;
    Opened closer;
    EmptyClipboard();
}

void Clipboard::SetText(std::string_view text) {
    const std::wstring wide = Widen(text);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (mem == nullptr) return;
    if (void* p = GlobalLock(mem)) {
        std::memcpy(p, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(mem);
    }
    if (!Open()) {
        GlobalFree(mem);
        return;
    }
    Opened closer;
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, mem) == nullptr) GlobalFree(mem);
}

}  // namespace tk::win32
