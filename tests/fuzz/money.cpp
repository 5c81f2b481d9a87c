// The number reader and Money. The input is read twice: as a text for ParseLeadingNumber
// (checked against the C library's strtod) and, from 16 bytes on, as two raw Money
// values whose arithmetic is checked against 128-bit integers, with a third number of
// decimal places from byte 16.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "Currency.h"
#include "Money.h"
#include "Support.h"
#include "TextHelpers.h"
#include "mdlData.h"

namespace {

using i128 = __int128;
using u128 = unsigned __int128;

constexpr i128 kMin = std::numeric_limits<std::int64_t>::min();
constexpr i128 kMax = std::numeric_limits<std::int64_t>::max();
// Below this magnitude a count of ten-thousandths has at most 15 significant digits, and
// its decimal text comes back from a double exactly.
constexpr std::int64_t kExactThroughDouble = std::int64_t{1} << 51;

std::string Str(i128 v) {
    if (v == 0) return "0";
    const bool negative = v < 0;
    u128 m = negative ? -static_cast<u128>(v) : static_cast<u128>(v);
    std::string digits;
    while (m != 0) {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
        m /= 10;
    }
    return negative ? "-" + digits : digits;
}

bool Fits(i128 v) { return v >= kMin && v <= kMax; }

// Checks a result against the exact value: ok and equal when it fits, an overflow when not.
void ExpectExact(const char* what, const Checked<Money>& got, i128 exact, const std::string& args) {
    if (Fits(exact)) {
        FUZZ_CHECK(got.ok() && got.value.Raw() == exact,
                   std::string(what) + args + " = " + Str(exact) + ", got " +
                       (got.ok() ? Str(got.value.Raw()) : std::string("an error")));
    } else {
        FUZZ_CHECK(got.status == MoneyStatus::Overflow,
                   std::string(what) + args + " = " + Str(exact) + " is outside, got " +
                       (got.ok() ? Str(got.value.Raw()) : std::string("another error")));
    }
}

// floor(n / d) and n minus it times d, for d > 0.
i128 FloorDiv(i128 n, i128 d) {
    i128 q = n / d;
    if (n % d != 0 && n < 0) --q;
    return q;
}

// n / d rounded to the nearest whole number, halves to even, for d > 0.
i128 RoundHalfEven(i128 n, i128 d) {
    const i128 q = FloorDiv(n, d);
    const i128 rem2 = 2 * (n - q * d);  // twice the remainder, 0 <= rem2 < 2d
    if (rem2 > d || (rem2 == d && q % 2 != 0)) return q + 1;
    return q;
}

void CheckArithmetic(std::int64_t a, std::int64_t b, int places) {
    const Money ma = Money::FromRaw(a), mb = Money::FromRaw(b);
    const std::string args = "(" + Str(a) + ", " + Str(b) + ")";
    const i128 A = a, B = b;

    FUZZ_CHECK((ma < mb) == (a < b) && (ma == mb) == (a == b) && (ma > mb) == (a > b),
               "comparison" + args);
    ExpectExact("Add", Add(ma, mb), A + B, args);
    ExpectExact("MulWhole", MulWhole(ma, b), A * B, args);
    ExpectExact("Mul", Mul(ma, mb), RoundHalfEven(A * B, Money::kScale), args);

    const u128 wide = static_cast<u128>(static_cast<std::uint64_t>(a)) * static_cast<std::uint64_t>(b);
    const Product128 p = MultiplyWide(static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(b));
    FUZZ_CHECK(p.high == static_cast<std::uint64_t>(wide >> 64) &&
                   p.low == static_cast<std::uint64_t>(wide),
               "MultiplyWide" + args);

    const i128 whole = FloorDiv(A, Money::kScale) * Money::kScale;
    FUZZ_CHECK(Fraction(ma).Raw() == A - whole, "Fraction(" + Str(a) + ")");

    i128 unit = 1;
    for (int i = places; i < 4; ++i) unit *= 10;
    FUZZ_CHECK(TruncateDecimals(ma, places).Raw() == A / unit * unit,
               "TruncateDecimals(" + Str(a) + ", " + std::to_string(places) + ")");

    const i128 rounded = RoundHalfEven(A, Money::kScale);
    FUZZ_CHECK(RoundedWhole(ma) == rounded, "RoundedWhole(" + Str(a) + ") = " + Str(rounded));

    // Division goes through doubles: each of the four roundings on the way is within
    // 2^-53 of its value, then the count is rounded.
    const Checked<Money> q = Div(ma, mb);
    if (b == 0) {
        FUZZ_CHECK(q.status == MoneyStatus::DivisionByZero, "Div" + args);
    } else {
        const long double exact =
            static_cast<long double>(A * Money::kScale) / static_cast<long double>(B);
        const long double slack = std::fabs(exact) * std::ldexp(1.0L, -49);
        if (q.ok()) {
            FUZZ_CHECK(std::fabs(static_cast<long double>(q.value.Raw()) - exact) <= 0.5L + slack,
                       "Div" + args + " gave " + Str(q.value.Raw()));
        } else {
            FUZZ_CHECK(q.status == MoneyStatus::Overflow &&
                           std::fabs(exact) + slack >= std::ldexp(1.0L, 63) - 0.5L,
                       "Div" + args + " overflows");
        }
    }
}

// The store's text of a value: a blank or a minus sign, the whole digits, and only when
// the fraction is not zero a point and its digits without trailing zeros; its exact
// decimal value is the value, and the store reads it back as such.
void CheckStoreText(std::int64_t raw) {
    const std::string text = mdlData::MoneyStoreText(Money::FromRaw(raw));
    const std::string what = "MoneyStoreText(" + Str(raw) + ") = " + fuzz::Quote(text);
    FUZZ_CHECK(text.size() >= 2 && text[0] == (raw < 0 ? '-' : ' '), what);
    const std::size_t point = text.find('.');
    const std::string_view whole = std::string_view(text).substr(1, point == std::string::npos ? std::string::npos : point - 1);
    FUZZ_CHECK(!whole.empty() && whole.find_first_not_of("0123456789") == std::string_view::npos &&
                   (whole.size() == 1 || whole[0] != '0'),
               what + ": whole digits");
    std::string_view fraction;
    if (point != std::string::npos) {
        fraction = std::string_view(text).substr(point + 1);
        FUZZ_CHECK(!fraction.empty() && fraction.size() <= 4 &&
                       fraction.find_first_not_of("0123456789") == std::string_view::npos &&
                       fraction.back() != '0',
                   what + ": fraction digits");
    }
    i128 value = 0;
    for (const char c : whole) value = value * 10 + (c - '0');
    for (std::size_t i = 0; i < 4; ++i) value = value * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    if (raw < 0) value = -value;
    FUZZ_CHECK(value == raw, what + " reads as " + Str(value));

    const std::optional<Money> back = mdlData::MoneyFromStoreText(text);
    FUZZ_CHECK(back && back->Raw() == raw,
               what + " reads back as " + (back ? Str(back->Raw()) : std::string("nothing")));
    // As any number text: the same value while a double carries its digits.
    if (raw > -kExactThroughDouble && raw < kExactThroughDouble) {
        const Checked<Money> number = MoneyFromDouble(ParseLeadingNumber(text));
        FUZZ_CHECK(number.ok() && number.value.Raw() == raw,
                   what + " reads as the number " + (number.ok() ? Str(number.value.Raw()) : std::string("an error")));
    }
}

// Any text read as a stored value: where a double carries the digits, the same value as
// the leading number it starts with; nothing exactly when that number is outside the range.
void CheckStoreValueText(std::string_view text) {
    const std::optional<Money> stored = mdlData::MoneyFromStoreText(text);
    const Checked<Money> number = MoneyFromDouble(ParseLeadingNumber(text));
    const std::string what = "MoneyFromStoreText(" + fuzz::Quote(text) + ")";
    if (!stored) {
        FUZZ_CHECK(!number.ok(), what + " is nothing, as a number " + Str(number.value.Raw()));
    } else if (number.ok() && number.value.Raw() > -kExactThroughDouble &&
               number.value.Raw() < kExactThroughDouble) {
        FUZZ_CHECK(stored->Raw() == number.value.Raw(),
                   what + " = " + Str(stored->Raw()) + ", as a number " + Str(number.value.Raw()));
    }
}

bool IsNumberCharacter(char c) {
    return (c >= '0' && c <= '9') || std::strchr("+-.eEdD \t\n", c) != nullptr;
}

// ParseLeadingNumber against strtod: the leading characters that can belong to a number,
// without the blanks, tabs and line feeds it skips and with the exponent letter D as E,
// must give the same double (a value too small for a normal double may come out as 0).
void CheckNumberText(std::string_view text) {
    bool found = true;
    const double v = ParseLeadingNumber(text, &found);
    const std::string what = "ParseLeadingNumber(" + fuzz::Quote(text) + ")";
    FUZZ_CHECK(!std::isnan(v), what + " is NaN");
    if (!found) FUZZ_CHECK(v == 0.0, what + " found no number and gave " + std::to_string(v));

    std::string cleaned;
    for (const char c : text) {
        if (!IsNumberCharacter(c)) break;
        if (c == ' ' || c == '\t' || c == '\n') continue;
        cleaned += (c == 'd' || c == 'D') ? 'e' : c;
    }
    char* end = nullptr;
    const double expected = std::strtod(cleaned.c_str(), &end);
    const bool tiny = std::fabs(expected) < DBL_MIN;
    FUZZ_CHECK(v == expected || (tiny && v == 0.0),
               what + " = " + std::to_string(v) + ", strtod of " + fuzz::Quote(cleaned) + " = " +
                   std::to_string(expected));
    FUZZ_CHECK(found == (end != cleaned.c_str()) || (found && tiny),
               what + ": found " + (found ? "a number" : "none"));

    // As an amount or a rate: the count nearest to the double's ten-thousandths.
    const Checked<Money> m = MoneyFromDouble(v);
    const long double count = static_cast<long double>(v) * 10000.0L;
    const long double slack = std::fabs(count) * std::ldexp(1.0L, -52);
    if (m.ok()) {
        FUZZ_CHECK(std::fabs(static_cast<long double>(m.value.Raw()) - count) <= 0.5L + slack,
                   "MoneyFromDouble(" + std::to_string(v) + ") = " + Str(m.value.Raw()));
        CheckStoreText(m.value.Raw());
    } else {
        FUZZ_CHECK(m.status == MoneyStatus::Overflow &&
                       std::fabs(count) + slack >= std::ldexp(1.0L, 63) - 0.5L,
                   "MoneyFromDouble(" + std::to_string(v) + ") overflows");
    }
}

std::int64_t Int64At(const std::uint8_t* data) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | data[i];
    return static_cast<std::int64_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckNumberText(std::string_view(reinterpret_cast<const char*>(data), size));
    CheckStoreValueText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (size >= 16) {
        const std::int64_t a = Int64At(data), b = Int64At(data + 8);
        const int places = size > 16 ? data[16] % 5 : 4;
        CheckArithmetic(a, b, places);
        CheckStoreText(a);
        CheckStoreText(b);
    }
    return 0;
}
