#include "Money.h"

#include <cmath>
#include <limits>

#include "toolkit/NumberFormat.h"

namespace {

using tk::Magnitude;

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr double kTwo63 = 9223372036854775808.0;

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

}  // namespace

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

Checked<Money> MoneyFromDouble(double x) { return MoneyFromCount(x * 10000.0); }

Checked<Money> MoneyFromCount(double count) {
    const double r = std::nearbyint(count);  // default rounding: halves to even
    if (!(r >= -kTwo63 && r < kTwo63)) return Overflow();
    return {Money::FromRaw(static_cast<std::int64_t>(r))};
}

double ToDouble(Money m) { return static_cast<double>(m.Raw()) / 10000.0; }

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
    const std::uint32_t rem = DivideWide(p, 10000);
    if (p.high != 0) return Overflow();
    std::uint64_t q = p.low;
    if (q > Magnitude(kMin)) return Overflow();
    if (rem > 5000 || (rem == 5000 && (q & 1) != 0)) ++q;
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
    for (int i = places; i < 4; ++i) unit *= 10;
    return Money::FromRaw(m.Raw() / unit * unit);
}

std::int64_t RoundedWhole(Money m) {
    const std::int64_t raw = m.Raw();
    std::int64_t whole = raw / Money::kScale;  // towards zero
    const std::int64_t rem = raw % Money::kScale;
    if (rem > 5000 || (rem == 5000 && (whole & 1) != 0)) ++whole;
    if (rem < -5000 || (rem == -5000 && (whole & 1) != 0)) --whole;
    return whole;
}

