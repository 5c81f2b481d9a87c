// The headless peer's dates: written and read back by a date picture, as the user's short
// date form would be. A form is a Windows date picture: d and dd the day, M and MM the month, y and yy the year's last two digits, yyyy
// the whole year; text in single quotes and every other character stand for themselves.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tk {

struct Date {
    int year = 0;   // 100 to 9999
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to the month's last day
    bool operator==(const Date&) const = default;
};

// Whether the date exists in the Gregorian calendar, within years 100 to 9999.
bool IsValidDate(const Date& date);

// The date written in `form`. Letters of the form that are no field listed above (day and
// month names, eras) are copied as they are.
std::string FormatDate(std::string_view form, const Date& date);

// Reads the date at the start of `text` by `form`, skipping leading blanks. Day and month
// take one or two digits whatever their field's width, yyyy takes up to four, y and yy up to
// two (00-29 are 2000-2029, 30-99 are 1930-1999). Separators must match exactly. What
// follows the date (after a blank, such as a time of day) is ignored. nullopt when the text
// does not read as an existing date or the form holds a field that is not read (names,
// eras).
std::optional<Date> ParseDate(std::string_view form, std::string_view text);

}  // namespace tk
