// The core's text helpers: the locale-independent number reading of stored, pasted and
// downloaded numbers, the decimal-text shape, the replacement the editor uses and the UTF-8
// character boundary. The case rules are the toolkit's (tk::AsciiUpperCase, tk::UpperCase).
#pragma once

#include <string>
#include <string_view>

// Reads a leading number regardless of the regional settings: leading blanks skipped, an
// optional sign, digits, at most one ".", an optional exponent (E or D, sign, digits);
// blanks, tabs and line feeds inside the number are skipped; reading stops at the first
// character that cannot continue it. No number in front gives 0. A number too large for
// a double gives an infinity of its sign. `found`, if given, tells whether there was a
// number in front.
double ParseLeadingNumber(std::string_view text, bool* found = nullptr);

// True when text is one or more ASCII digits, optionally followed by a point and one or
// more digits: no sign, blank or exponent.
bool IsDecimalText(std::string_view text);

// Replaces every occurrence of `find` in `text`, searching on after each inserted
// replacement so that it ends for any arguments; an empty `find` changes nothing. Leaves
// the result in `text` and returns it.
std::string ReplaceAll(std::string& text, const std::string& find, const std::string& replacement);

// Whether byte `c` of a UTF-8 text continues the character before it: a character begins at
// every other byte.
constexpr bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
