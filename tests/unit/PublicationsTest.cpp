// The central bank's publication calendar: Easter, the TARGET holidays, Frankfurt's summer
// time and the count of publications since a day's rates.
#include <gtest/gtest.h>

#include <string>

#include "Publications.h"

namespace {

using publications::Date;

std::string Show(const Date& d) {
    return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}

TEST(PublicationsTest, EasterByTheComputus) {
    const Date cases[] = {
        {1999, 4, 4},  {2000, 4, 23}, {2008, 3, 23}, {2011, 4, 24}, {2019, 4, 21},
        {2024, 3, 31}, {2025, 4, 20}, {2026, 4, 5},  {2038, 4, 25}, {2285, 3, 22},
    };
    for (const Date& easter : cases) {
        EXPECT_EQ(Show(publications::EasterSunday(easter.year)), Show(easter));
    }
}

TEST(PublicationsTest, TargetHolidaysAndWeekends) {
    const struct {
        Date day;
        bool publishes;
    } cases[] = {
        {{2026, 12, 4}, true},   // a Friday
        {{2026, 12, 5}, false},  // Saturday
        {{2026, 12, 6}, false},  // Sunday
        {{2026, 4, 2}, true},    // the Thursday before Easter
        {{2026, 4, 3}, false},   // Good Friday
        {{2026, 4, 6}, false},   // Easter Monday
        {{2026, 4, 7}, true},
        {{2019, 4, 19}, false},  // Good Friday
        {{2019, 4, 22}, false},  // Easter Monday
        {{2026, 5, 1}, false},
        {{2026, 12, 24}, true},
        {{2026, 12, 25}, false},
        {{2025, 12, 26}, false},
        {{2026, 12, 31}, true},
        {{2027, 1, 1}, false},
        {{2024, 2, 29}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(publications::IsTargetDay(c.day), c.publishes) << Show(c.day);
    }
}

TEST(PublicationsTest, AnIsoDateEndsTheHeader) {
    const struct {
        const char* header;
        Date date;  // year 0: none
    } cases[] = {
        {"ECB euro reference rates of 2019-04-11", {2019, 4, 11}},
        {"2024-02-29", {2024, 2, 29}},
        {"Rates of today", {}},
        {"Rates of 2019-02-30", {}},
        {"Rates of 2023-02-29", {}},
        {"Rates of 1998-12-31", {}},
        {"Rates of 2019-4-11", {}},
        {"Rates of 2019-04-11 ", {}},
        {"Rates of 2019/04/11", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        const std::optional<Date> got = publications::TrailingIsoDate(c.header);
        EXPECT_EQ(got ? Show(*got) : "none", c.date.year ? Show(c.date) : "none") << c.header;
    }
}

TEST(PublicationsTest, PublicationsMissedSinceTheRatesDay) {
    const struct {
        const char* what;
        Date rates;
        tk::LocalTime utcNow;
        int behind;
    } cases[] = {
        {"Friday's on Saturday", {2026, 12, 4}, {2026, 12, 5, 12, 0, 0}, 0},
        {"Friday's on Monday 00:30 CET", {2026, 12, 4}, {2026, 12, 6, 23, 30, 0}, 0},
        {"Friday's on Monday 10:00 CET", {2026, 12, 4}, {2026, 12, 7, 9, 0, 0}, 0},
        {"Friday's on Monday 15:59 CET", {2026, 12, 4}, {2026, 12, 7, 14, 59, 0}, 0},
        {"Friday's on Monday 16:00 CET", {2026, 12, 4}, {2026, 12, 7, 15, 0, 0}, 1},
        {"Friday's on Monday 17:00 CET", {2026, 12, 4}, {2026, 12, 7, 16, 0, 0}, 1},
        {"a week's", {2026, 11, 30}, {2026, 12, 7, 16, 30, 0}, 5},
        {"the same day before 16:00", {2026, 12, 7}, {2026, 12, 7, 12, 0, 0}, 0},
        {"the same day after 16:00", {2026, 12, 7}, {2026, 12, 7, 18, 0, 0}, 0},
        {"a day still to come", {2026, 12, 9}, {2026, 12, 8, 18, 0, 0}, 0},
        {"summer: 16:00 CEST is 14:00 UTC", {2026, 7, 3}, {2026, 7, 6, 14, 0, 0}, 1},
        {"summer: 15:59 CEST", {2026, 7, 3}, {2026, 7, 6, 13, 59, 0}, 0},
        {"the Monday after summer time begins", {2026, 3, 27}, {2026, 3, 30, 14, 30, 0}, 1},
        {"the Monday after summer time ends", {2026, 10, 23}, {2026, 10, 26, 14, 30, 0}, 0},
        {"the Monday after summer time ends, 16:30", {2026, 10, 23}, {2026, 10, 26, 15, 30, 0}, 1},
        {"over Easter, Tuesday morning", {2026, 4, 2}, {2026, 4, 7, 8, 0, 0}, 0},
        {"over Easter, Tuesday evening", {2026, 4, 2}, {2026, 4, 7, 15, 0, 0}, 1},
        {"over 1 May", {2026, 4, 30}, {2026, 5, 4, 9, 0, 0}, 0},
        {"over Christmas", {2026, 12, 24}, {2026, 12, 28, 8, 0, 0}, 0},
        {"over Christmas, Monday evening", {2026, 12, 24}, {2026, 12, 28, 16, 0, 0}, 1},
        {"over New Year", {2026, 12, 31}, {2027, 1, 4, 16, 0, 0}, 1},
        {"a year's", {2025, 12, 31}, {2026, 12, 31, 16, 0, 0}, 256},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(publications::PublicationsSince(c.rates, c.utcNow), c.behind) << c.what;
    }
}

}  // namespace
