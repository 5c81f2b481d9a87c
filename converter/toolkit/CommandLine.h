// What follows a program's name in its command line, as Windows writes the line: the name,
// quoted or up to the first blank (space or tab), then the blanks after it. For single-byte
// and wide text alike; setup.exe uses it too.
#pragma once

#include <string_view>

namespace tk {

template <class Char>
constexpr std::basic_string_view<Char> CommandTail(std::basic_string_view<Char> line) {
    const auto blank = [](Char c) { return c == Char(' ') || c == Char('\t'); };
    std::size_t i = 0;
    if (!line.empty() && line[0] == Char('"')) {
        const std::size_t close = line.find(Char('"'), 1);
        i = close == std::basic_string_view<Char>::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && !blank(line[i])) ++i;
    }
    while (i < line.size() && blank(line[i])) ++i;
    // Not substr, which may throw: setup.exe is built without exceptions.
    return std::basic_string_view<Char>(line.data() + i, line.size() - i);
}

}  // namespace tk
