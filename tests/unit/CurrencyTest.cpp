#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "Currency.h"

namespace {

TEST(ShortCodeTest, AlwaysThreeCharacters) {
    const std::pair<const char*, const char*> cases[] = {
        {"EUR", "EUR"},
        {"AB", "AB "},
        {"ABCD", "ABC"},
        {"", "   "},
        {"\xE2\x82\xACUR", "\xE2\x82\xACUR"},  // a euro sign is one character
        {"\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC",
         "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"},
        {"a\r", "a\r "},
    };
    for (const auto& [in, out] : cases) {
        ShortCode code = in;
        EXPECT_EQ(code.str(), out) << "ShortCode(\"" << in << "\")";
    }
    CurrencyEntry e{"Rand", "ZA", Money::Whole(1)};
    EXPECT_EQ(DisplayText(e), "Rand (ZA )");
}

}  // namespace
