// The banks' publication calendars. The ECB publishes its euro reference rates at about
// 16:00 Frankfurt time on every TARGET working day: each day but Saturdays, Sundays,
// 1 January, Good Friday, Easter Monday, 1 May, 25 and 26 December. The NBP publishes at
// about 12:15 Warsaw time (Frankfurt's): table A on every Polish working day, table B on
// Wednesdays.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/Services.h"

namespace publications {

struct Date {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;
    bool operator==(const Date&) const = default;
};

// The Gregorian Easter Sunday of `year` (1583 or later), by the usual computus.
Date EasterSunday(int year);

// Whether the bank publishes on `day`.
bool IsTargetDay(Date day);

// The date of a text that is exactly YYYY-MM-DD and a real day of the Gregorian calendar
// (29 February of leap years only); nullopt otherwise.
std::optional<Date> IsoDate(std::string_view text);

// The ISO date (YYYY-MM-DD) that ends `text`, when it is a real day of the years 1999 (the
// first rates) to 9999; nullopt otherwise.
std::optional<Date> TrailingIsoDate(std::string_view text);

// The count of days from 1970-01-01 to `day` (negative before it): the difference of two
// is the number of days between them.
long long DayNumber(Date day);

// Frankfurt's time at the UTC time `utc`: UTC+1, and UTC+2 from 01:00 UTC on the last Sunday
// of March to 01:00 UTC on the last Sunday of October.
tk::LocalTime FrankfurtTime(const tk::LocalTime& utc);

// The publications made after that of `ratesDay` until `utcNow`: 0 when the rates of
// `ratesDay` are still the latest (also for a day still to come).
int PublicationsSince(Date ratesDay, const tk::LocalTime& utcNow);

// The day `days` days after `day` (before it for a negative count).
Date DaysAfter(Date day, long long days);

// The calendar day of `time`.
Date DayOf(const tk::LocalTime& time);

// `day` as YYYY-MM-DD (a year of four digits).
std::string IsoText(Date day);

// The NBP's tables B published after that of `tableDay` until `utcNow`: the Wednesdays after
// `tableDay`, each from 12:15 Warsaw time. 0 while the table of `tableDay` is the latest.
int NbpTableBWeeksSince(Date tableDay, const tk::LocalTime& utcNow);

// The NBP's tables A published after that of `tableDay` until `utcNow`, counted as the days
// Monday to Friday after `tableDay`, each from 12:15 Warsaw time. The program does not know
// Poland's public holidays: a holiday counts as a working day.
int NbpWorkingDaysSince(Date tableDay, const tk::LocalTime& utcNow);

}  // namespace publications
