#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "toolkit/NumberFormat.h"

namespace {

const tk::Separators kUs{".", ","};
const tk::Separators kSwapped{",", "."};
const tk::Separators kWide{"<dec>", "  "};

struct FormatCase {
    std::int64_t raw;
    const char* us;
    const char* swapped;
};

TEST(NumberFormatTest, GroupedPatternRoundsToTwoPlacesHalfAwayFromZero) {
    const FormatCase cases[] = {
        {0, "0.", "0,"},
        {120000, "12.", "12,"},
        {125000, "12.5", "12,5"},
        {40339900, "4,033.99", "4.033,99"},
        {12345670000, "1,234,567.", "1.234.567,"},
        {1955800, "195.58", "195,58"},
        {50, "0.01", "0,01"},
        {49, "0.", "0,"},
        {-40, "0.", "0,"},  // rounds to zero: no sign
        {-50, "-0.01", "-0,01"},
        {-50000, "-5.", "-5,"},
        {123450, "12.35", "12,35"},
        {99995, "10.", "10,"},
        {10000000000000, "1,000,000,000.", "1.000.000.000,"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tk::FormatGrouped2(c.raw, kUs), c.us) << c.raw;
        EXPECT_EQ(tk::FormatGrouped2(c.raw, kSwapped), c.swapped) << c.raw;
    }
    EXPECT_EQ(tk::FormatGrouped2(std::numeric_limits<std::int64_t>::min(), kUs),
              "-922,337,203,685,477.58");
    EXPECT_EQ(tk::FormatGrouped2(std::numeric_limits<std::int64_t>::max(), kUs),
              "922,337,203,685,477.58");
    EXPECT_EQ(tk::FormatGrouped2(12345670000, kWide), "1  234  567<dec>");
}

TEST(NumberFormatTest, FractionPatternShowsUpToFourDecimals) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "."}, {5000, ".5"}, {500, ".05"}, {5, ".0005"}, {1234, ".1234"}, {9990, ".999"},
    };
    for (const auto& [raw, text] : cases) EXPECT_EQ(tk::FormatFraction4(raw, kUs), text) << raw;
    EXPECT_EQ(tk::FormatFraction4(5000, kWide), "<dec>5");
}

TEST(NumberFormatTest, FixedPatternCutsToTheGivenPlaces) {
    EXPECT_EQ(tk::FormatGroupedFixed(123450, 3, kUs), "12.345");
    EXPECT_EQ(tk::FormatGroupedFixed(12340, 4, kUs), "1.2340");
    EXPECT_EQ(tk::FormatGroupedFixed(1, 4, kUs), "0.0001");
    EXPECT_EQ(tk::FormatGroupedFixed(12345678901239, 3, kSwapped), "1.234.567.890,123");
    EXPECT_EQ(tk::FormatGroupedFixed(-51230, 3, kUs), "-5.123");
}

TEST(NumberFormatTest, PlainFormHasNoGroupingAndNoTrailingZeros) {
    const FormatCase cases[] = {
        {0, "0", "0"},
        {125000, "12.5", "12,5"},
        {40339900, "4033.99", "4033,99"},
        {-5000, "-0.5", "-0,5"},
        {12345670000, "1234567", "1234567"},
        {1, "0.0001", "0,0001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tk::FormatPlain(c.raw, kUs), c.us) << c.raw;
        EXPECT_EQ(tk::FormatPlain(c.raw, kSwapped), c.swapped) << c.raw;
    }
}

TEST(NumberFormatTest, DecimalFormTakesAnyScaleGroupedOrNot) {
    const struct {
        std::int64_t count;
        int decimals;
        bool grouped;
        const char* us;
        const char* swapped;
    } cases[] = {
        {271234567, 4, true, "27,123.4567", "27.123,4567"},
        {271234567, 4, false, "27123.4567", "27123,4567"},
        {61139, 8, false, "0.00061139", "0,00061139"},
        {1000000, 0, true, "1,000,000", "1.000.000"},
        {-150000, 5, true, "-1.5", "-1,5"},
        {std::numeric_limits<std::int64_t>::max(), 18, false, "9.223372036854775807",
         "9,223372036854775807"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tk::FormatDecimal(c.count, c.decimals, kUs, c.grouped), c.us) << c.count;
        EXPECT_EQ(tk::FormatDecimal(c.count, c.decimals, kSwapped, c.grouped), c.swapped)
            << c.count;
    }
}

}  // namespace
