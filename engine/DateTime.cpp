#include "DateTime.h"

#include <charconv>
#include <cstdio>

namespace qob {

namespace {

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : kDays[m - 1];
}

// Reads an unsigned decimal number of minDigits..maxDigits digits from the front
// of text; a number of two or more digits must not start with 0 unless minDigits
// asks for a fixed width.
bool takeNumber(std::string_view& text, int minDigits, int maxDigits, int& out) {
    std::size_t n = 0;
    while (n < text.size() && n < static_cast<std::size_t>(maxDigits) && text[n] >= '0' &&
           text[n] <= '9')
        ++n;
    if (n < static_cast<std::size_t>(minDigits) || n == 0) return false;
    if (minDigits != maxDigits && n > 1 && text[0] == '0') return false;
    std::from_chars(text.data(), text.data() + n, out);
    text.remove_prefix(n);
    return true;
}

bool takeChar(std::string_view& text, char c) {
    if (text.empty() || text.front() != c) return false;
    text.remove_prefix(1);
    return true;
}

}  // namespace

std::string DateTime::toText() const {
    if (isNull()) return "0";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%d-%d %d:%02d:%02d", year, month, day, hour, minute,
                  second);
    return buf;
}

std::optional<DateTime> DateTime::parse(std::string_view text) {
    DateTime t;
    if (!takeNumber(text, 4, 4, t.year) || !takeChar(text, '-') ||
        !takeNumber(text, 1, 2, t.month) || !takeChar(text, '-') ||
        !takeNumber(text, 1, 2, t.day) || !takeChar(text, ' ') || !takeNumber(text, 1, 2, t.hour) ||
        !takeChar(text, ':') || !takeNumber(text, 2, 2, t.minute) || !takeChar(text, ':') ||
        !takeNumber(text, 2, 2, t.second) || !text.empty())
        return std::nullopt;
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > daysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

double DateTime::timeOfDayFraction() const {
    return (hour * 3600 + minute * 60 + second) / 86400.0;
}

}  // namespace qob
