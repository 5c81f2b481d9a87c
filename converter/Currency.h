// A currency of the table, and the text helpers of the currency data.
#pragma once

#include <string>
#include <string_view>

#include "Money.h"

// A currency code: always exactly kLength characters (UTF-8 code points). A text assigned
// to it is cut to its first kLength characters or padded on the right with blanks.
class ShortCode {
public:
    static constexpr int kLength = 3;

    ShortCode() : text_(kLength, ' ') {}
    ShortCode(std::string_view text) : text_(Fit(text)) {}  // NOLINT: implicit on purpose
    ShortCode(const char* text) : ShortCode(std::string_view(text)) {}
    ShortCode(const std::string& text) : ShortCode(std::string_view(text)) {}
    const std::string& str() const { return text_; }
    operator const std::string&() const { return text_; }  // NOLINT
    friend bool operator==(const ShortCode&, const ShortCode&) = default;

    static std::string Fit(std::string_view text);

private:
    std::string text_;
};

struct CurrencyEntry {
    std::string Name;  // empty for a deleted entry
    ShortCode Short;
    Money Value;  // units of this currency worth one unit of the reference currency
};

// The display text of a currency in lists: Name + " (" + Short + ")".
std::string DisplayText(const CurrencyEntry& entry);

// Reads a leading number regardless of the regional settings: leading blanks skipped, an
// optional sign, digits, at most one ".", an optional exponent (E or D, sign, digits);
// blanks, tabs and line feeds inside the number are skipped; reading stops at the first
// character that cannot continue it. No number in front gives 0. A number too large for
// a double gives an infinity of its sign. `found`, if given, tells whether there was a
// number in front.
double ParseLeadingNumber(std::string_view text, bool* found = nullptr);

// Replaces every occurrence of `find` in `text`, searching on after each inserted
// replacement so that it ends for any arguments; an empty `find` changes nothing. Leaves
// the result in `text` and returns it.
std::string ReplaceAll(std::string& text, const std::string& find, const std::string& replacement);

// Upper case of ASCII letters; other characters unchanged.
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
