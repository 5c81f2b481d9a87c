// A currency of the table: its code, its entry and its display text.
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
