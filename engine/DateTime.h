#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qob {

// A local date and time to the second. The default value is the "never" moment
// (a game that has not been saved yet); its text is "0".
struct DateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool isNull() const { return year == 0; }

    // "yyyy-M-d H:mm:ss", e.g. "2005-6-1 10:04:31"; "0" for the null moment.
    std::string toText() const;

    // Parses exactly the form toText() writes (the null moment excepted); anything
    // else, or a date that does not exist, gives nothing.
    static std::optional<DateTime> parse(std::string_view text);

    // Whole seconds since midnight as a fraction of a day, 0 <= f < 1.
    double timeOfDayFraction() const;

    friend bool operator==(const DateTime&, const DateTime&) = default;
};

}  // namespace qob
