// The arithmetic gives the same results, to the last bit, in every build: native, the 32-bit
// Linux build under emulation, and both Windows builds. Fixed expected values would miss a
// last-bit difference in cases nobody thought of, so a seeded stream of random cases runs
// through the parse, the double-to-Money rounding, the product, the quotient and the display
// texts, and the digest of every result is compared with one constant.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "Currency.h"
#include "Money.h"
#include "toolkit/NumberFormat.h"

namespace {

// splitmix64: the same stream on every platform, unlike the standard distributions.
class Stream {
public:
    explicit Stream(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }

private:
    std::uint64_t state_;
};

// FNV-1a over everything the cases produce.
class Digest {
public:
    void Add(std::string_view text) {
        for (unsigned char c : text) hash_ = (hash_ ^ c) * 0x100000001B3ULL;
        hash_ = (hash_ ^ 0xFF) * 0x100000001B3ULL;  // keeps "ab","c" apart from "a","bc"
    }
    void Add(std::uint64_t value) { Add(std::to_string(value)); }
    void Add(double value) {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        Add(bits);
    }
    void Add(const Checked<Money>& m) {
        Add(static_cast<std::uint64_t>(m.status));
        Add(static_cast<std::uint64_t>(m.value.Raw()));
    }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xCBF29CE484222325ULL;
};

// A number text as a server, the store or the clipboard might hold one.
std::string RandomNumberText(Stream& s) {
    std::string text;
    if (s.Below(4) == 0) text += s.Below(2) ? "-" : "+";
    const std::uint64_t whole = s.Below(17);
    for (std::uint64_t i = 0; i < whole; ++i) text += static_cast<char>('0' + s.Below(10));
    if (s.Below(3) != 0) {
        text += '.';
        const std::uint64_t decimals = 1 + s.Below(8);
        for (std::uint64_t i = 0; i < decimals; ++i) text += static_cast<char>('0' + s.Below(10));
    }
    if (s.Below(10) == 0) {
        text += 'e';
        text.append(std::to_string(static_cast<int>(s.Below(30)) - 15));
    }
    return text;
}

// A raw count of any magnitude, from a few ten-thousandths to the whole range.
Money RandomMoney(Stream& s) {
    const auto raw = static_cast<std::int64_t>(s.Next() >> (1 + s.Below(63)));
    return Money::FromRaw(s.Below(2) ? -raw : raw);
}

std::uint64_t DigestOfRandomCases(int count) {
    Stream s(20261208);
    Digest d;
    const tk::Separators sep{.decimal = ",", .thousands = "."};
    for (int i = 0; i < count; ++i) {
        const std::string text = RandomNumberText(s);
        const double parsed = ParseLeadingNumber(text);
        d.Add(parsed);
        d.Add(MoneyFromDouble(parsed));
        d.Add(MoneyFromDouble(parsed / 10000.0));

        const Money a = RandomMoney(s), b = RandomMoney(s);
        const Checked<Money> product = Mul(a, b);
        const Checked<Money> quotient = Div(a, b);
        d.Add(product);
        d.Add(quotient);
        d.Add(tk::FormatGrouped2(product.value.Raw(), sep));
        d.Add(tk::FormatPlain(quotient.value.Raw(), sep));
        d.Add(tk::FormatGroupedFixed(a.Raw(), static_cast<int>(s.Below(5)), sep));
    }
    return d.Value();
}

TEST(ArithmeticDigestTest, RandomCasesGiveTheSameResultsInEveryBuild) {
    constexpr std::uint64_t kExpected = 0xCF563CC2F2ED011EULL;
    const std::uint64_t digest = DigestOfRandomCases(100000);
    EXPECT_EQ(digest, kExpected) << "digest of 100,000 cases: 0x" << std::hex << digest
                                 << ", expected 0x" << kExpected;
}

}  // namespace
