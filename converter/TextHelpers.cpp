#include "TextHelpers.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Reads the characters of a number, skipping blanks, tabs and line feeds between them.
class NumberReader {
public:
    explicit NumberReader(std::string_view text) : text_(text) {}

    char Peek() {
        while (pos_ < text_.size() && IsSkipped(text_[pos_])) ++pos_;
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    void Take() { ++pos_; }
    std::size_t Pos() const { return pos_; }
    void Rewind(std::size_t pos) { pos_ = pos; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// The decimal exponent of the number's first significant digit, for telling overflow
// from underflow when the parse is out of range.
long Magnitude(const std::string& mantissa, long exponent) {
    std::size_t point = mantissa.find('.');
    if (point == std::string::npos) point = mantissa.size();
    std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string::npos) return 0;
    long digitPos =
        first < point ? static_cast<long>(point - first) : -static_cast<long>(first - point - 1);
    return digitPos + exponent;
}

}  // namespace

double ParseLeadingNumber(std::string_view text, bool* found) {
    NumberReader in(text);
    bool negative = false;
    if (in.Peek() == '+' || in.Peek() == '-') {
        negative = in.Peek() == '-';
        in.Take();
    }
    std::string mantissa;
    bool point = false;
    bool digits = false;
    for (char c = in.Peek(); IsDigit(c) || (c == '.' && !point); c = in.Peek()) {
        point = point || c == '.';
        digits = digits || IsDigit(c);
        mantissa += c;
        in.Take();
    }
    if (found != nullptr) *found = digits;
    if (!digits) return 0.0;

    long exponent = 0;
    const std::size_t beforeExponent = in.Pos();
    if (char e = in.Peek(); e == 'E' || e == 'e' || e == 'D' || e == 'd') {
        in.Take();
        bool negativeExponent = false;
        if (in.Peek() == '+' || in.Peek() == '-') {
            negativeExponent = in.Peek() == '-';
            in.Take();
        }
        if (!IsDigit(in.Peek())) {
            in.Rewind(beforeExponent);
        }
        for (char c = in.Peek(); IsDigit(c); c = in.Peek()) {
            if (exponent < 100000) exponent = exponent * 10 + (c - '0');
            in.Take();
        }
        if (negativeExponent) exponent = -exponent;
    }

    std::string number = mantissa + "e" + std::to_string(exponent);
    double value = 0.0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        value = Magnitude(mantissa, exponent) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

bool IsDecimalText(std::string_view text) {
    const auto isDigits = [](std::string_view t) {
        return !t.empty() && std::all_of(t.begin(), t.end(), IsDigit);
    };
    const std::size_t point = text.find('.');
    if (!isDigits(text.substr(0, point))) return false;
    return point == std::string_view::npos || isDigits(text.substr(point + 1));
}

std::string ReplaceAll(std::string& text, const std::string& find, const std::string& replacement) {
    if (find.empty()) return text;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(find, from)) != std::string::npos;) {
        text.replace(at, find.size(), replacement);
        from = at + replacement.size();
    }
    return text;
}
