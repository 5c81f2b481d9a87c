// Text at the Win32 edge: the program keeps UTF-8, the wide API takes UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace tk::win32 {

// UTF-8 to UTF-16. A text that is not valid UTF-8 is read in the ANSI code page instead,
// so that no byte is silently replaced.
std::wstring Widen(std::string_view text);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Narrow(std::wstring_view text);
bool IsValidUtf8(std::string_view text);

}  // namespace tk::win32
