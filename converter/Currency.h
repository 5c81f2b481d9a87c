// A currency of the table: its code, its entry and its display text.
#pragma once

#include <cstdint>
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

// Where an entry's rate came from, and of what day.
struct RateOrigin {
    enum class Kind : std::uint8_t {
        Unknown,  // not recorded: the built-in table, or the update of "RatesHeader" if any
        BuiltIn,  // the built-in table, put back by RestoreDefaults
        Euro,     // fixed by the euro: the euro itself and its former national currencies
        Ecb,      // the ECB's euro reference rates of `date`
        Nbp,      // the NBP's table `table` of `date`, through table A's euro mid
        Hand,     // typed into the currency editor on `date`, the local date of the edit
    };
    Kind kind = Kind::Unknown;
    std::string date = {};   // YYYY-MM-DD for Ecb, Nbp and Hand (Hand: empty when not known)
    std::string table = {};  // Nbp: the table's number, such as "050/B/NBP/2024"; else empty
    bool operator==(const RateOrigin&) const = default;
};

struct CurrencyEntry {
    std::string Name;  // empty for a deleted entry
    ShortCode Short;
    Money Value;  // units of this currency worth one unit of the reference currency
    RateOrigin Origin = {};
};

// The display text of a currency in lists: Name + " (" + Short + ")".
std::string DisplayText(const CurrencyEntry& entry);
