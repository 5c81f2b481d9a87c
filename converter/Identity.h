// The program's identity: its title and where it keeps its settings. Below every form, so
// that a form, the core and the program's entry all take them from here.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace program {

// The texts `parts` one after the other, as a zero-ended array of characters.
template <std::size_t... N>
constexpr auto Join(const char (&... parts)[N]) {
    std::array<char, (N + ...) - sizeof...(N) + 1> text{};
    std::size_t at = 0;
    ((std::copy_n(parts, N - 1, text.begin() + static_cast<std::ptrdiff_t>(at)), at += N - 1), ...);
    return text;
}

// The main window's caption, the notification icon's tip, the title of the message boxes,
// and the program's name to the peers (debugger reports, the HTTP user agent).
inline constexpr char kTitle[] = "Pecunor";
// The prefix of the program's window classes ("PecunForm", ...).
inline constexpr std::string_view kClassPrefix = "Pecun";

// Every value of the settings store lives under this application and section.
inline constexpr std::string_view kSettingsApp = "Pecun";
inline constexpr std::string_view kSettingsSection = "Settings";

}  // namespace program
