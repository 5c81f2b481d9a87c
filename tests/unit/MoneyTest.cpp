#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "Money.h"

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

Money M(std::int64_t raw) { return Money::FromRaw(raw); }

struct FromDoubleCase {
    double x;
    std::int64_t raw;
};

TEST(MoneyTest, FromDoubleRoundsToNearestHalvesToEven) {
    const FromDoubleCase cases[] = {
        {1.95583, 19558}, {6.55957, 65596},
        {0.78756, 7876},  {2.20371, 22037},
        {5.94573, 59457}, {40.3399, 403399},
        {116.0, 1160000}, {-1.95583, -19558},
        {0.03125, 312},   {0.09375, 938},
        {-0.03125, -312}, {-0.09375, -938},
        {0.0, 0},         {922337203685477.0, 9223372036854769664}  // the nearest double,
    };
    for (const auto& c : cases) {
        Checked<Money> m = MoneyFromDouble(c.x);
        EXPECT_TRUE(m.ok()) << c.x;
        EXPECT_EQ(m.value.Raw(), c.raw) << "MoneyFromDouble(" << c.x << ")";
    }
}

TEST(MoneyTest, FromDoubleOutsideTheRangeIsAnOverflow) {
    for (double x :
         {1e15, -1e15, 922337203685477.6, std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(MoneyFromDouble(x).status, MoneyStatus::Overflow) << x;
    }
    EXPECT_EQ(MoneyFromDouble(-922337203685477.5808).value.Raw(), kMin);
}

TEST(MoneyTest, FromCountIsExactForEveryWholeCountADoubleHolds) {
    // Through x / 10,000 and back, 4317010590304885 would come back as ...886.
    const FromDoubleCase cases[] = {
        {4317010590304885.0, 4317010590304885},   {9007199254740992.0, 9007199254740992},
        {-9007199254740991.0, -9007199254740991}, {11264.5, 11264},
        {11265.5, 11266},                          {-0.5, 0},
        {9223372036854774784.0, 9223372036854774784}, {-9223372036854775808.0, kMin},
    };
    for (const auto& c : cases) {
        Checked<Money> m = MoneyFromCount(c.x);
        EXPECT_TRUE(m.ok()) << c.x;
        EXPECT_EQ(m.value.Raw(), c.raw) << "MoneyFromCount(" << c.x << ")";
    }
    for (double x : {9223372036854775808.0, -9223372036854777856.0,
                     std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(MoneyFromCount(x).status, MoneyStatus::Overflow) << x;
    }
}

TEST(MoneyTest, DecimalTextIsReadOnItsDigitsToTheEdgesOfTheRange) {
    const struct {
        const char* text;
        bool negative;
        std::optional<std::int64_t> raw;  // nullopt: no value
    } cases[] = {
        {"40.3399", false, 403399},
        {"1.95583", true, -19558},
        {"0.00015", false, 2},
        {"922337203685477.5807", false, kMax},
        {"922337203685477.58074999", false, kMax},
        {"922337203685477.58075", false, std::nullopt},
        {"922337203685477.5808", false, std::nullopt},
        {"922337203685477.5808", true, kMin},
        {"922337203685477.58085", true, kMin},
        {"922337203685477.5809", true, std::nullopt},
        {"99999999999999999999", false, std::nullopt},
        {"-1", false, std::nullopt},
        {"1.", false, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<Money> got = MoneyFromDecimalText(c.text, c.negative);
        EXPECT_EQ(got ? std::optional(got->Raw()) : std::nullopt, c.raw)
            << (c.negative ? "minus " : "") << c.text;
    }
}

TEST(MoneyTest, SumDifferenceAndWholeProductAreExactAndChecked) {
    EXPECT_EQ(Add(M(1), M(2)).value.Raw(), 3);
    EXPECT_EQ(Add(M(kMax), M(1)).status, MoneyStatus::Overflow);
    EXPECT_EQ(Add(M(kMin), M(-1)).status, MoneyStatus::Overflow);
    EXPECT_EQ(Sub(M(1), M(3)).value.Raw(), -2);
    // The least Money has no positive counterpart to add instead.
    EXPECT_EQ(Sub(M(-1), M(kMin)).value.Raw(), kMax);
    EXPECT_EQ(Sub(M(0), M(kMin)).status, MoneyStatus::Overflow);
    EXPECT_EQ(Sub(M(kMin), M(1)).status, MoneyStatus::Overflow);
    EXPECT_EQ(MulWhole(M(123456789), 10).value.Raw(), 1234567890);
    EXPECT_EQ(MulWhole(M(kMax / 10 + 1), 10).status, MoneyStatus::Overflow);
    EXPECT_EQ(MulWhole(M(kMin), -1).status, MoneyStatus::Overflow);
}

struct MulCase {
    std::int64_t a, b, product;
};

TEST(MoneyTest, ProductIsExactRoundedHalvesToEven) {
    const MulCase cases[] = {
        {1000000, 403399, 40339900},  // 100 x 40.3399 = 4033.99
        {10613, 10613, 11264},        // 1.12635769
        {1, 5000, 0},                 // 0.00005 to even
        {3, 5000, 2},                 // 0.00015 to even
        {-3, 5000, -2},
        {-1, -15000, 2},             // 0.00015
        {kMax, 1, 922337203685478},  // the 128-bit product, divided back
        {kMin, 10000, kMin},
        {kMin, 1, -922337203685478},
        {kMax, -10000, -kMax},
        {4000000000000000000, 20000, 8000000000000000000},
    };
    for (const auto& c : cases) {
        Checked<Money> p = Mul(M(c.a), M(c.b));
        EXPECT_TRUE(p.ok()) << c.a << " x " << c.b;
        EXPECT_EQ(p.value.Raw(), c.product) << "Mul(" << c.a << ", " << c.b << ")";
    }
}

TEST(MoneyTest, ProductOutsideTheRangeIsAnOverflow) {
    EXPECT_EQ(Mul(M(kMin), M(-10000)).status, MoneyStatus::Overflow);
    EXPECT_EQ(Mul(M(kMax), M(20000)).status, MoneyStatus::Overflow);
    EXPECT_EQ(Mul(M(kMax), M(kMax)).status, MoneyStatus::Overflow);
    EXPECT_EQ(Mul(M(kMin), M(kMin)).status, MoneyStatus::Overflow);
    EXPECT_EQ(Mul(M(5000000000000000000), M(-20000)).status, MoneyStatus::Overflow);
}

TEST(MoneyTest, WideProductMatchesKnownValues) {
    const std::uint64_t all = std::numeric_limits<std::uint64_t>::max();
    Product128 p = MultiplyWide(all, all);  // 2^128 - 2^65 + 1
    EXPECT_EQ(p.high, all - 1);
    EXPECT_EQ(p.low, 1u);
    p = MultiplyWide(1ull << 32, 1ull << 32);
    EXPECT_EQ(p.high, 1u);
    EXPECT_EQ(p.low, 0u);
    p = MultiplyWide(0xFFFFFFFFull, 0xFFFFFFFFull);
    EXPECT_EQ(p.high, 0u);
    EXPECT_EQ(p.low, 0xFFFFFFFE00000001ull);
}

TEST(MoneyTest, DivisionGoesThroughDoublesAndReportsZero) {
    EXPECT_EQ(Div(M(40339900), M(10000)).value.Raw(), 40339900);
    EXPECT_EQ(Div(M(40339900), M(403399)).value.Raw(), 1000000);
    EXPECT_EQ(Div(M(1), M(0)).status, MoneyStatus::DivisionByZero);
    EXPECT_EQ(Div(M(kMax), M(1)).status, MoneyStatus::Overflow);
}

TEST(MoneyTest, FractionIsAboveTheWholePartBelow) {
    EXPECT_EQ(Fraction(M(127500)).Raw(), 7500);
    EXPECT_EQ(Fraction(M(-120000)).Raw(), 0);
    EXPECT_EQ(Fraction(M(kMax)).Raw(), 5807);
    EXPECT_EQ(Fraction(M(-122500)).Raw(), 7500);
    EXPECT_EQ(Fraction(M(kMin)).Raw(), 10000 - 5808);
}

TEST(MoneyTest, TruncateCutsTowardsZero) {
    EXPECT_EQ(TruncateDecimals(M(123456), 2).Raw(), 123400);
    EXPECT_EQ(TruncateDecimals(M(-53000), 0).Raw(), -50000);
    EXPECT_EQ(TruncateDecimals(M(kMin), 0).Raw(), kMin + 5808);
    EXPECT_EQ(TruncateDecimals(M(2900), 2).Raw(), 2900);
}

TEST(MoneyTest, RoundedWholeHalvesToEvenAndAlwaysFits) {
    const struct {
        std::int64_t raw;
        std::int64_t whole;
    } cases[] = {
        {25000, 2},   {35000, 4},   {-25000, -2},
        {-35000, -4}, {127500, 13}, {21474836475000, 2147483648},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundedWhole(M(c.raw)), c.whole) << c.raw;
    EXPECT_EQ(RoundedWhole(M(kMax)), 922337203685478);
    EXPECT_EQ(RoundedWhole(M(kMin)), -922337203685478);
}

}  // namespace
