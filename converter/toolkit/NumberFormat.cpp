#include "NumberFormat.h"

#include "Services.h"

namespace tk {
namespace {

constexpr std::uint64_t kDecimalBase = 10;

std::string Grouped(std::uint64_t whole, const std::string& thousands) {
    std::string digits = std::to_string(whole);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += thousands;
        out += digits[i];
    }
    return out;
}

// The decimals of `fraction` (below 10^places) as `places` digits, trailing zeros dropped.
std::string Decimals(std::uint64_t fraction, int places) {
    std::string d = std::to_string(fraction);
    d.insert(0, static_cast<std::size_t>(places) - d.size(), '0');
    while (!d.empty() && d.back() == '0') d.pop_back();
    return d;
}

}  // namespace

std::string FormatGrouped2(std::int64_t tenThousandths, const Separators& sep) {
    std::uint64_t hundredths = Magnitude(tenThousandths) / 100;
    if (Magnitude(tenThousandths) % 100 >= 50) ++hundredths;
    std::string out = (tenThousandths < 0 && hundredths != 0) ? "-" : "";
    out += Grouped(hundredths / 100, sep.thousands);
    out += sep.decimal;
    out += Decimals(hundredths % 100, 2);
    return out;
}

std::string FormatFraction4(std::int64_t tenThousandths, const Separators& sep) {
    return sep.decimal + Decimals(Magnitude(tenThousandths) % kAmountScale, kAmountDecimals);
}

std::string FormatGroupedFixed(std::int64_t tenThousandths, int places, const Separators& sep) {
    const std::uint64_t m = Magnitude(tenThousandths);
    std::string out = tenThousandths < 0 ? "-" : "";
    out += Grouped(m / kAmountScale, sep.thousands);
    out += sep.decimal;
    out +=
        std::to_string(m % kAmountScale + kAmountScale).substr(1, static_cast<std::size_t>(places));
    return out;
}

std::string FormatPlain(std::int64_t tenThousandths, const Separators& sep) {
    return FormatDecimal(tenThousandths, kAmountDecimals, sep, false);
}

std::string FormatDecimal(std::int64_t count, int decimals, const Separators& sep, bool grouped) {
    std::uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= kDecimalBase;
    const std::uint64_t m = Magnitude(count);
    std::string out = count < 0 ? "-" : "";
    out += grouped ? Grouped(m / scale, sep.thousands) : std::to_string(m / scale);
    if (m % scale != 0) out += sep.decimal + Decimals(m % scale, decimals);
    return out;
}

Separators UserSeparators() {
    RegionalService* regional = Services().regional;
    if (regional == nullptr) return {};
    return {regional->DecimalSeparator(), regional->ThousandsSeparator()};
}

}  // namespace tk
