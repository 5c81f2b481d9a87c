// Money: a signed 64-bit count of ten-thousandths (four decimal places), the type of every
// amount and rate. The arithmetic is exact where it can be and gives the same result in
// every build; results outside the range, and divisions by zero, come back as an error
// status for the caller to act on.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>

class Money {
public:
    static constexpr int kDecimals = 4;            // decimal places
    static constexpr std::int64_t kScale = 10000;  // counts in one unit: 10 to the kDecimals

    constexpr Money() = default;
    static constexpr Money FromRaw(std::int64_t tenThousandths) { return Money(tenThousandths); }
    static constexpr Money Whole(std::int32_t units) { return Money(units * kScale); }
    constexpr std::int64_t Raw() const { return raw_; }

    friend constexpr bool operator==(Money, Money) = default;
    friend constexpr auto operator<=>(Money, Money) = default;

private:
    constexpr explicit Money(std::int64_t raw) : raw_(raw) {}
    std::int64_t raw_ = 0;
};

enum class MoneyStatus : std::uint8_t { Ok, Overflow, DivisionByZero };

template <typename T>
struct Checked {
    T value{};
    MoneyStatus status = MoneyStatus::Ok;
    constexpr bool ok() const { return status == MoneyStatus::Ok; }
};

// x times 10,000, rounded to the nearest count, halves to even. NaN and results outside
// the range are an overflow.
Checked<Money> MoneyFromDouble(double x);
// The count of ten-thousandths of magnitude `magnitude`, negative when `negative`; outside
// the range is an overflow.
Checked<Money> MoneyFromMagnitude(std::uint64_t magnitude, bool negative);
// A count of ten-thousandths, rounded to the nearest whole count, halves to even: exact for
// every whole count a double holds (all up to 2^53). NaN and counts outside the range are an
// overflow.
Checked<Money> MoneyFromCount(double count);
// The value of decimal text (see IsDecimalText: digits, optionally a point and digits),
// negative when `negative`, computed on the digits themselves: exact up to kDecimals
// decimals, further decimals rounded away with halves to even (0.84585 gives 0.8458,
// 0.787564 gives 0.7876). nullopt when the text is not decimal text or the value lies outside
// the range.
std::optional<Money> MoneyFromDecimalText(std::string_view text, bool negative = false);
// The nearest double (exact for counts up to 2^53 in magnitude).
double ToDouble(Money m);

Checked<Money> Add(Money a, Money b);
// a minus b, exact (also where b has no positive counterpart, the least Money).
Checked<Money> Sub(Money a, Money b);
Checked<Money> MulWhole(Money a, std::int64_t n);
// The exact product rounded to the nearest ten-thousandth, halves to even.
Checked<Money> Mul(Money a, Money b);
// a / b in doubles, the quotient brought back with MoneyFromDouble.
Checked<Money> Div(Money a, Money b);

// m minus the largest whole value not above it (12.75 gives 0.75, -12.25 gives 0.75): from
// 0 up to 1, always representable.
Money Fraction(Money m);
// m cut towards zero to `places` decimals (0 to kDecimals), exactly.
Money TruncateDecimals(Money m, int places);
// Rounded to the nearest whole number, halves to even; always fits.
std::int64_t RoundedWhole(Money m);

// An unsigned 64x64-bit product in two halves, from 32-bit limbs (no 128-bit type needed).
struct Product128 {
    std::uint64_t high;
    std::uint64_t low;
};
Product128 MultiplyWide(std::uint64_t a, std::uint64_t b);

// The whole number written by the decimal digits `digits` (no sign, no point), times
// 10^shift, divided by `divisor` (1 up to 10^18), rounded to a whole count with halves to
// even, exactly, by long division on the digits. 0 for a quotient below a tenth; nullopt above
// `limit` (at most 10^18).
std::optional<std::uint64_t> RoundedDigitQuotient(std::string_view digits, std::int64_t shift,
                                                  std::uint64_t divisor, std::uint64_t limit);
