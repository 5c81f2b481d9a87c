#include "Publications.h"

#include <cstdio>

namespace publications {
namespace {

constexpr int kPublicationHour = 16;
// The NBP publishes its tables at about 12:15, Warsaw time (which is Frankfurt's).
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
};
constexpr TimeOfDay kNbpPublication = {12, 15};
constexpr int kSunday = 0;
constexpr int kWednesday = 3;
constexpr int kSaturday = 6;
constexpr int kFirstRatesYear = 1999;
constexpr std::size_t kIsoDateLength = 10;  // YYYY-MM-DD

// Days since 1970-01-01 (proleptic Gregorian).
long long DaysFromCivil(Date d) {
    const int y = d.year - (d.month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (d.month + (d.month > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<long long>(era) * 146097 + doe - 719468;
}

Date CivilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = static_cast<int>(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int day = doy - (153 * mp + 2) / 5 + 1;
    const int month = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(yoe + era * 400) + (month <= 2 ? 1 : 0), month, day};
}

// 0 Sunday to 6 Saturday.
int Weekday(long long days) { return static_cast<int>(((days % 7) + 11) % 7); }

int DaysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

long long LastSunday(int year, int month) {
    const long long last = DaysFromCivil({year, month, DaysInMonth(year, month)});
    return last - Weekday(last);
}

bool IsTargetDay(long long days) {
    const int weekday = Weekday(days);
    if (weekday == kSunday || weekday == kSaturday) return false;
    const Date d = CivilFromDays(days);
    if ((d.month == 1 && d.day == 1) || (d.month == 5 && d.day == 1) ||
        (d.month == 12 && (d.day == 25 || d.day == 26))) {
        return false;
    }
    if (d.month == 3 || d.month == 4) {
        const long long easter = DaysFromCivil(EasterSunday(d.year));
        if (days == easter - 2 || days == easter + 1) return false;
    }
    return true;
}

// The publication days after `ratesDay` up to the local time `now`, today's once its time of
// publication has come: 0 while the rates of `ratesDay` are the latest.
template <class IsPublicationDay>
int PublishedSince(Date ratesDay, const tk::LocalTime& now, TimeOfDay at,
                   IsPublicationDay isPublicationDay) {
    const long long today = DaysFromCivil(DayOf(now));
    const long long first = DaysFromCivil(ratesDay) + 1;
    int count = 0;
    for (long long day = first; day < today; ++day) {
        if (isPublicationDay(day)) ++count;
    }
    const bool publishedToday =
        now.hour > at.hour || (now.hour == at.hour && now.minute >= at.minute);
    if (today >= first && isPublicationDay(today) && publishedToday) ++count;
    return count;
}

}  // namespace

Date EasterSunday(int year) {
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return {year, month, day};
}

bool IsTargetDay(Date day) { return IsTargetDay(DaysFromCivil(day)); }

long long DayNumber(Date day) { return DaysFromCivil(day); }

std::optional<Date> IsoDate(std::string_view text) {
    if (text.size() != kIsoDateLength) return std::nullopt;
    int fields[3] = {};
    const std::size_t widths[3] = {4, 2, 2};
    std::size_t at = 0;
    for (int f = 0; f < 3; ++f) {
        if (f > 0 && text[at++] != '-') return std::nullopt;
        for (std::size_t k = 0; k < widths[f]; ++k, ++at) {
            if (text[at] < '0' || text[at] > '9') return std::nullopt;
            fields[f] = fields[f] * 10 + (text[at] - '0');
        }
    }
    const Date d{fields[0], fields[1], fields[2]};
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month)) {
        return std::nullopt;
    }
    return d;
}

std::optional<Date> TrailingIsoDate(std::string_view text) {
    if (text.size() < kIsoDateLength) return std::nullopt;
    const std::optional<Date> d = IsoDate(text.substr(text.size() - kIsoDateLength));
    if (!d || d->year < kFirstRatesYear) return std::nullopt;
    return d;
}

tk::LocalTime FrankfurtTime(const tk::LocalTime& utc) {
    const long long days = DaysFromCivil(DayOf(utc));
    const long long hours = days * 24 + utc.hour;
    const bool summer =
        hours >= LastSunday(utc.year, 3) * 24 + 1 && hours < LastSunday(utc.year, 10) * 24 + 1;
    const long long local = hours + (summer ? 2 : 1);
    const Date d = CivilFromDays(local >= 0 ? local / 24 : (local - 23) / 24);
    const int hour = static_cast<int>(local - DaysFromCivil(d) * 24);
    return {d.year, d.month, d.day, hour, utc.minute, utc.second};
}

int PublicationsSince(Date ratesDay, const tk::LocalTime& utcNow) {
    return PublishedSince(ratesDay, FrankfurtTime(utcNow), {kPublicationHour, 0},
                          [](long long day) { return IsTargetDay(day); });
}

Date DaysAfter(Date day, long long days) { return CivilFromDays(DaysFromCivil(day) + days); }

Date DayOf(const tk::LocalTime& time) { return {time.year, time.month, time.day}; }

std::string IsoText(Date day) {
    char text[kIsoDateLength + 1] = {};
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
    return text;
}

int NbpTableBWeeksSince(Date tableDay, const tk::LocalTime& utcNow) {
    return PublishedSince(tableDay, FrankfurtTime(utcNow), kNbpPublication,
                          [](long long day) { return Weekday(day) == kWednesday; });
}

int NbpWorkingDaysSince(Date tableDay, const tk::LocalTime& utcNow) {
    return PublishedSince(tableDay, FrankfurtTime(utcNow), kNbpPublication, [](long long day) {
        const int weekday = Weekday(day);
        return weekday != kSunday && weekday != kSaturday;
    });
}

}  // namespace publications
