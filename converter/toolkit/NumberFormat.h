// The number texts the converter shows and copies. Amounts come as counts of
// ten-thousandths (the raw value of Money), so every rounding works on the exact decimal
// value. Separators are texts and may be longer than one character.
#pragma once

#include <cstdint>
#include <string>

namespace tk {

// The counts the formats take: kAmountScale counts in one unit, kAmountDecimals places.
inline constexpr int kAmountDecimals = 4;
inline constexpr std::uint64_t kAmountScale = 10000;

// The magnitude of a count, also of the most negative one.
constexpr std::uint64_t Magnitude(std::int64_t v) {
    return v < 0 ? ~static_cast<std::uint64_t>(v) + 1 : static_cast<std::uint64_t>(v);
}

struct Separators {
    std::string decimal = ".";
    std::string thousands = ",";
};

// Pattern "##########,0.##": the whole part grouped by three with at least one digit, the
// decimal separator always, then up to two decimals (a half rounds away from zero,
// trailing zeros dropped); a minus sign in front of a negative amount unless it rounds to
// zero.
std::string FormatGrouped2(std::int64_t tenThousandths, const Separators& sep);

// Pattern ".####" for a fraction from 0 up to 1: the decimal separator, then up to four
// decimals without trailing zeros, no digit before the separator.
std::string FormatFraction4(std::int64_t tenThousandths, const Separators& sep);

// The whole part grouped as above, the decimal separator, then exactly `places` (0 to 4)
// decimals of the exact value, cut (not rounded); a minus sign if negative.
std::string FormatGroupedFixed(std::int64_t tenThousandths, int places, const Separators& sep);

// The plain regional form: a minus sign if negative, the whole digits without grouping
// ("0" for a zero whole part), and only if the fraction is not zero the decimal separator
// and the fraction's digits without trailing zeros. "0" for zero.
std::string FormatPlain(std::int64_t tenThousandths, const Separators& sep);

// The most decimals FormatDecimal takes: 10 to that many is a 64-bit count.
inline constexpr int kMaxDecimals = 18;

// count x 10^-decimals (0 to kMaxDecimals) in the plain form above, its whole part grouped
// by three when `grouped`: FormatPlain is FormatDecimal(count, kAmountDecimals, sep, false).
std::string FormatDecimal(std::int64_t count, int decimals, const Separators& sep, bool grouped);

// The separators of the user's regional settings, from the installed regional service.
Separators UserSeparators();

}  // namespace tk
