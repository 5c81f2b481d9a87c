#include "Money.h"

#include <cmath>
#include <limits>

#include "TextHelpers.h"
#include "toolkit/NumberFormat.h"

namespace {

using tk::Magnitude;

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr double kTwo63 = 9223372036854775808.0;
constexpr std::int64_t kHalf = Money::kScale / 2;

// The formats take the same counts.
static_assert(Money::kDecimals == tk::kAmountDecimals && Money::kScale == tk::kAmountScale);

constexpr Checked<Money> Overflow() { return {Money(), MoneyStatus::Overflow}; }

// 128 by 32-bit long division: quotient in place, remainder returned.
std::uint32_t DivideWide(Product128& n, std::uint32_t d) {
    std::uint64_t limbs[4] = {n.high >> 32, n.high & 0xffffffffu, n.low >> 32, n.low & 0xffffffffu};
    std::uint64_t rem = 0;
    for (std::uint64_t& limb : limbs) {
        std::uint64_t cur = (rem << 32) | limb;
        limb = cur / d;
        rem = cur % d;
    }
    n.high = (limbs[0] << 32) | limbs[1];
    n.low = (limbs[2] << 32) | limbs[3];
    return static_cast<std::uint32_t>(rem);
}

// Whether the digits dropped after the kept count push it up, halves going to even.
bool RoundsUp(std::uint64_t kept, std::string_view dropped) {
    if (dropped.empty() || dropped[0] < '5') return false;
    if (dropped[0] > '5') return true;
    if (dropped.find_first_not_of('0', 1) != std::string_view::npos) return true;
    return kept % 2 == 1;
}

// magnitude * 10 + the digit, false when that leaves 64 bits.
bool AppendDigit(std::uint64_t& magnitude, char digit) {
    return !__builtin_mul_overflow(magnitude, 10u, &magnitude) &&
           !__builtin_add_overflow(magnitude, static_cast<unsigned>(digit - '0'), &magnitude);
}

}  // namespace

std::optional<Money> MoneyFromDecimalText(std::string_view text, bool negative) {
    if (!IsDecimalText(text)) return std::nullopt;
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    constexpr auto kDecimals = static_cast<std::size_t>(Money::kDecimals);
    std::uint64_t magnitude = 0;  // in ten-thousandths
    for (const char c : whole) {
        if (!AppendDigit(magnitude, c)) return std::nullopt;
    }
    for (std::size_t i = 0; i < kDecimals; ++i) {
        if (!AppendDigit(magnitude, i < fraction.size() ? fraction[i] : '0')) return std::nullopt;
    }
    if (fraction.size() > kDecimals && RoundsUp(magnitude, fraction.substr(kDecimals)) &&
        __builtin_add_overflow(magnitude, 1u, &magnitude)) {
        return std::nullopt;
    }
    const Checked<Money> value = MoneyFromMagnitude(magnitude, negative);
    return value.ok() ? std::optional<Money>(value.value) : std::nullopt;
}

Checked<Money> MoneyFromMagnitude(std::uint64_t magnitude, bool negative) {
    if (negative) {
        if (magnitude > Magnitude(kMin)) return Overflow();
        return {Money::FromRaw(static_cast<std::int64_t>(~magnitude + 1))};
    }
    if (magnitude > static_cast<std::uint64_t>(kMax)) return Overflow();
    return {Money::FromRaw(static_cast<std::int64_t>(magnitude))};
}

Product128 MultiplyWide(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t aLo = a & 0xffffffffu, aHi = a >> 32;
    const std::uint64_t bLo = b & 0xffffffffu, bHi = b >> 32;
    const std::uint64_t ll = aLo * bLo, lh = aLo * bHi, hl = aHi * bLo, hh = aHi * bHi;
    const std::uint64_t mid = (ll >> 32) + (lh & 0xffffffffu) + (hl & 0xffffffffu);
    return {hh + (lh >> 32) + (hl >> 32) + (mid >> 32), (mid << 32) | (ll & 0xffffffffu)};
}

Checked<Money> MoneyFromDouble(double x) {
    return MoneyFromCount(x * static_cast<double>(Money::kScale));
}

Checked<Money> MoneyFromCount(double count) {
    const double r = std::nearbyint(count);  // default rounding: halves to even
    if (!(r >= -kTwo63 && r < kTwo63)) return Overflow();
    return {Money::FromRaw(static_cast<std::int64_t>(r))};
}

double ToDouble(Money m) {
    return static_cast<double>(m.Raw()) / static_cast<double>(Money::kScale);
}

Checked<Money> Add(Money a, Money b) {
    std::int64_t sum;
    if (__builtin_add_overflow(a.Raw(), b.Raw(), &sum)) return Overflow();
    return {Money::FromRaw(sum)};
}

Checked<Money> Sub(Money a, Money b) {
    std::int64_t difference;
    if (__builtin_sub_overflow(a.Raw(), b.Raw(), &difference)) return Overflow();
    return {Money::FromRaw(difference)};
}

Checked<Money> MulWhole(Money a, std::int64_t n) {
    std::int64_t product;
    if (__builtin_mul_overflow(a.Raw(), n, &product)) return Overflow();
    return {Money::FromRaw(product)};
}

Checked<Money> Mul(Money a, Money b) {
    Product128 p = MultiplyWide(Magnitude(a.Raw()), Magnitude(b.Raw()));
    const std::uint32_t rem = DivideWide(p, static_cast<std::uint32_t>(Money::kScale));
    if (p.high != 0) return Overflow();
    std::uint64_t q = p.low;
    if (q > Magnitude(kMin)) return Overflow();
    if (rem > kHalf || (rem == kHalf && (q & 1) != 0)) ++q;
    return MoneyFromMagnitude(q, (a.Raw() < 0) != (b.Raw() < 0));
}

Checked<Money> Div(Money a, Money b) {
    if (b.Raw() == 0) return {Money(), MoneyStatus::DivisionByZero};
    return MoneyFromDouble(ToDouble(a) / ToDouble(b));
}

Money Fraction(Money m) {
    std::int64_t rem = m.Raw() % Money::kScale;
    return Money::FromRaw(rem < 0 ? rem + Money::kScale : rem);
}

Money TruncateDecimals(Money m, int places) {
    std::int64_t unit = 1;
    for (int i = places; i < Money::kDecimals; ++i) unit *= 10;
    return Money::FromRaw(m.Raw() / unit * unit);
}

std::int64_t RoundedWhole(Money m) {
    const std::int64_t raw = m.Raw();
    std::int64_t whole = raw / Money::kScale;  // towards zero
    const std::int64_t rem = raw % Money::kScale;
    if (rem > kHalf || (rem == kHalf && (whole & 1) != 0)) ++whole;
    if (rem < -kHalf || (rem == -kHalf && (whole & 1) != 0)) --whole;
    return whole;
}

std::optional<std::uint64_t> RoundedDigitQuotient(std::string_view digits, std::int64_t shift,
                                                  std::uint64_t divisor, std::uint64_t limit) {
    constexpr std::uint64_t kBase = 10;
    constexpr unsigned kHalfDigit = 5;
    const auto size = static_cast<std::int64_t>(digits.size());
    const std::int64_t countDigits = size + shift;  // the dividend's digits before its point
    if (countDigits < 0) return 0;
    std::uint64_t remainder = 0;
    // Brings down the dividend's next digit (0 past its end); gives the quotient's next digit.
    const auto next = [&](std::int64_t i) {
        const unsigned digit =
            i < size ? static_cast<unsigned>(digits[static_cast<std::size_t>(i)] - '0') : 0u;
        remainder = remainder * kBase + digit;
        const std::uint64_t q = remainder / divisor;
        remainder %= divisor;
        return q;
    };
    std::uint64_t count = 0;
    for (std::int64_t i = 0; i < countDigits; ++i) {
        count = count * kBase + next(i);
        if (count > limit) return std::nullopt;
    }
    bool up = false;
    if (countDigits >= size) {
        const std::uint64_t twice = remainder * 2;
        up = twice > divisor || (twice == divisor && count % 2 == 1);
    } else {
        const std::uint64_t first = next(countDigits);
        bool pastHalf = false;
        for (std::int64_t i = countDigits + 1; i < size && !pastHalf; ++i) pastHalf = next(i) != 0;
        pastHalf = pastHalf || remainder != 0;
        up = first > kHalfDigit || (first == kHalfDigit && (pastHalf || count % 2 == 1));
    }
    if (up) ++count;
    if (count > limit) return std::nullopt;
    return count;
}
