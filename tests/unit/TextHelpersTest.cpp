// The core's text helpers: the leading-number reading and the replacement.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "TextHelpers.h"

namespace {

struct ParseCase {
    const char* text;
    double value;
    bool found;
};

TEST(ParseLeadingNumberTest, ReadsTheLeadingNumberOnly) {
    const ParseCase cases[] = {
        {"1,5", 1, true},
        {"abc", 0, false},
        {" 40.3399", 40.3399, true},
        {".5", 0.5, true},
        {"1 0613", 10613, true},
        {"-5", -5, true},
        {"+3", 3, true},
        {"- 3", -3, true},
        {"1e3", 1000, true},
        {"1D2", 100, true},
        {"1d-2", 0.01, true},
        {"1E+2x", 100, true},
        {"1e", 1, true},
        {"1e+", 1, true},
        {"1.2.3", 1.2, true},
        {"\t\n 7", 7, true},
        {"12,50", 12, true},
        {"10613.4", 10613.4, true},
        {"", 0, false},
        {".", 0, false},
        {"-", 0, false},
        {"1e-400", 0, true},
        {"0.78756", 0.78756, true},
        {"  0x10", 0, true},
        {"\r5", 0, false},
        {"5.", 5, true},
        {"1 . 5", 1.5, true},
    };
    for (const auto& c : cases) {
        bool found = !c.found;
        EXPECT_EQ(ParseLeadingNumber(c.text, &found), c.value) << "text \"" << c.text << "\"";
        EXPECT_EQ(found, c.found) << "text \"" << c.text << "\"";
    }
}

TEST(ParseLeadingNumberTest, NumbersTooLargeForADoubleAreInfinite) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ParseLeadingNumber("1e400"), inf);
    EXPECT_EQ(ParseLeadingNumber("-1e400"), -inf);
    EXPECT_EQ(ParseLeadingNumber(std::string(400, '9')), inf);
    EXPECT_EQ(ParseLeadingNumber(std::string(400, '9') + "e-10"), inf);
    EXPECT_EQ(ParseLeadingNumber("1e99999999999999999999"), inf);
    EXPECT_EQ(ParseLeadingNumber("0.000001e-99999999999"), 0.0);
}

struct ReplaceCase {
    const char* text;
    const char* find;
    const char* replacement;
    const char* result;
};

TEST(ReplaceAllTest, ReplacesEveryOccurrenceAndAlwaysEnds) {
    const ReplaceCase cases[] = {
        {"1,234,5", ",", ".", "1.234.5"}, {"12.5", ",", ".", "12.5"}, {"", ",", ".", ""},
        {"abc", "", "x", "abc"},          {"a", "a", "aa", "aa"},     {"aaa", "a", "ba", "bababa"},
        {"Aa", "a", "b", "Ab"},           {",,", ",", "", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        std::string returned = ReplaceAll(text, c.find, c.replacement);
        EXPECT_EQ(returned, c.result) << "ReplaceAll(\"" << c.text << "\", \"" << c.find << "\")";
        EXPECT_EQ(text, c.result) << "the text passed in holds the result too";
    }
}

}  // namespace
