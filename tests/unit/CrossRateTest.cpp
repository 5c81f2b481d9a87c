// The NBP's mids as units per euro: exact on the digits, halves to even, in every build.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "NbpTables.h"
#include "RatesFeed.h"

namespace {

struct CrossCase {
    const char* eurMid;
    const char* mid;
    std::optional<std::int64_t> expected;  // ten-thousandths; nullopt for no rate
};

std::string Show(std::optional<std::int64_t> count) {
    return count ? std::to_string(*count) : "no rate";
}

TEST(CrossRateTest, ExactQuotientRoundedHalfToEven) {
    const CrossCase cases[] = {
        {"4.2722", "0.002612", 16356049},  // NGN 1635.6049
        {"4.2722", "0.00016041", 266330029},
        {"4.2722", "4.0639", 10513},
        {"4.2722", "0.026680", 1601274},
        {"4.2722", "3", 14241},
        {"4.2722", "4.2722", 10000},
        {"4.2722", "1", 42722},
        // halves: 26.70125 down to the even count, 26.70375 up to it
        {"4.2722", "0.16", 267012},
        {"4.2726", "0.16", 267038},
        {"0.1", "2000", 0},
        {"0.3", "2000", 2},
        // the euro's digits past the count decide the rounding, however many there are
        {"0.00025000000000000000000", "1", 2},
        {"0.000250000000000000000001", "1", 3},
        {"0.00024999999999999999999", "1", 2},
        {"4.27220000000000000000000000001", "0.002612", 16356049},
        {"0.00000000000000000000009", "1", 0},
        // zeros before and after the digits count for nothing
        {"004.272200", "0.0026120", 16356049},
        {"4.2722", "8544.4", 5},
        {"4.2722", "85444", 0},
        {"4.2722", "100000", 0},
        {"0", "0.5", 0},
        // up to 2^53 ten-thousandths and 18 digits in the divisor
        {"900719925474.0992", "1", 9007199254740992},
        {"900719925474.09925", "1", 9007199254740992},
        {"4.2722", "0.00000000001", 4272200000000000},
        {"4.2722", "0.123456789012345678", 346048},
        {"4.2722", "0.000000000001", std::nullopt},
        {"900719925474.0993", "1", std::nullopt},
        {"4.2722", "0.1234567890123456789", std::nullopt},
        // no quotient
        {"4.2722", "0", std::nullopt},
        {"4.2722", "0.000", std::nullopt},
        {"4.2722", "-0.5", std::nullopt},
        {"-4.2722", "0.5", std::nullopt},
        {"4,2722", "0.5", std::nullopt},
        {"4.2722", "1e-3", std::nullopt},
        {"4.2722", "", std::nullopt},
        {"", "1", std::nullopt},
        {"4.2722", " 0.5", std::nullopt},
    };
    for (const CrossCase& c : cases) {
        EXPECT_EQ(Show(nbp::CrossRate(c.eurMid, c.mid)), Show(c.expected))
            << c.eurMid << " / " << c.mid;
    }
}

// Divided by 1, a mid is rounded as the list's rates are.
TEST(CrossRateTest, ByOneItIsTheRatesOwnRounding) {
    for (const char* text : {"1.1264", "0.84585", "0.84595", "0.00005", "0.00015", "1.95583",
                             "0.787564", "9.99999", "0.99995", "900719925474.09914", "7"}) {
        EXPECT_EQ(Show(nbp::CrossRate(text, "1")), Show(feed::RateTenThousandths(text))) << text;
    }
}

}  // namespace
