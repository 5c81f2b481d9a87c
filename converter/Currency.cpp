#include "Currency.h"

#include "TextHelpers.h"

std::string ShortCode::Fit(std::string_view text) {
    std::string out;
    int chars = 0;
    for (char c : text) {
        if (!IsUtf8Continuation(c)) {
            if (chars == ShortCode::kLength) break;
            ++chars;
        }
        out += c;
    }
    out.append(static_cast<std::size_t>(ShortCode::kLength - chars), ' ');
    return out;
}

std::string DisplayText(const CurrencyEntry& entry) {
    return entry.Name + " (" + entry.Short.str() + ")";
}
