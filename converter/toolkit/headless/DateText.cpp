#include "DateText.h"

#include <cstddef>

namespace tk {
namespace {

enum class Field { Literal, Day, Month, ShortYear, Year, Unread };

// One piece of a date form: a field, or literal text.
struct Piece {
    Field field;
    std::string text;  // the literal, or the letters of a field that is not read
};

Field FieldOf(char letter, std::size_t run) {
    switch (letter) {
        case 'd':
            return run <= 2 ? Field::Day : Field::Unread;
        case 'M':
            return run <= 2 ? Field::Month : Field::Unread;
        case 'y':
            return run <= 2 ? Field::ShortYear : Field::Year;
        default:
            return Field::Unread;  // 'g': the era
    }
}

// Splits a form into its fields and literals; run widths (d or dd) only matter to writing.
template <class Visit>
void ForEachPiece(std::string_view form, Visit visit) {
    std::size_t i = 0;
    while (i < form.size()) {
        const char c = form[i];
        if (c == '\'') {
            std::string literal;
            ++i;
            while (i < form.size()) {
                if (form[i] == '\'') {
                    if (i + 1 < form.size() && form[i + 1] == '\'') {
                        literal += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += form[i++];
            }
            visit(Piece{Field::Literal, literal}, 0);
        } else if (c == 'd' || c == 'M' || c == 'y' || c == 'g') {
            std::size_t run = 1;
            while (i + run < form.size() && form[i + run] == c) ++run;
            visit(Piece{FieldOf(c, run), std::string(form.substr(i, run))}, run);
            i += run;
        } else {
            visit(Piece{Field::Literal, std::string(1, c)}, 0);
            ++i;
        }
    }
}

std::string Digits(int value, std::size_t width) {
    std::string s = std::to_string(value);
    if (s.size() < width) s.insert(0, width - s.size(), '0');
    return s;
}

// Reads 1 to `most` digits at `pos`; nullopt when there is no digit.
std::optional<int> ReadNumber(std::string_view text, std::size_t& pos, std::size_t most) {
    int value = 0;
    std::size_t n = 0;
    while (n < most && pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++n;
    }
    if (n == 0) return std::nullopt;
    return value;
}

int WindowedYear(int twoDigits) { return twoDigits < 30 ? 2000 + twoDigits : 1900 + twoDigits; }

}  // namespace

bool IsValidDate(const Date& d) {
    if (d.year < 100 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    const int last = kDays[d.month - 1] + (d.month == 2 && leap ? 1 : 0);
    return d.day <= last;
}

std::string FormatDate(std::string_view form, const Date& date) {
    std::string out;
    ForEachPiece(form, [&](const Piece& p, std::size_t run) {
        switch (p.field) {
            case Field::Day:
                out += Digits(date.day, run);
                break;
            case Field::Month:
                out += Digits(date.month, run);
                break;
            case Field::ShortYear:
                out += Digits(date.year % 100, run);
                break;
            case Field::Year:
                out += Digits(date.year, 4);
                break;
            case Field::Literal:
            case Field::Unread:
                out += p.text;
                break;
        }
    });
    return out;
}

std::optional<Date> ParseDate(std::string_view form, std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    std::optional<int> day, month, year;
    bool ok = true;
    ForEachPiece(form, [&](const Piece& p, std::size_t) {
        if (!ok) return;
        switch (p.field) {
            case Field::Day:
                ok = (day = ReadNumber(text, pos, 2)).has_value();
                break;
            case Field::Month:
                ok = (month = ReadNumber(text, pos, 2)).has_value();
                break;
            case Field::ShortYear:
            case Field::Year: {
                const std::size_t start = pos;
                year = ReadNumber(text, pos, p.field == Field::Year ? 4 : 2);
                if (year && pos - start <= 2) year = WindowedYear(*year);
                ok = year.has_value();
                break;
            }
            case Field::Literal:
                ok = text.substr(pos, p.text.size()) == p.text;
                if (ok) pos += p.text.size();
                break;
            case Field::Unread:
                ok = false;
                break;
        }
    });
    if (!ok || !day || !month || !year) return std::nullopt;
    if (pos < text.size() && text[pos] != ' ') return std::nullopt;
    const Date date{*year, *month, *day};
    if (!IsValidDate(date)) return std::nullopt;
    return date;
}

}  // namespace tk
