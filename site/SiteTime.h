#pragma once
// The site's clock and the moments it compares. Records carry the player's local time
// without a zone; the site keeps its own moments in UTC.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "DateTime.h"

namespace qob::site {

using TimePoint = std::chrono::system_clock::time_point;
// The site's clock: the system clock, or a fixed moment in tests.
using SiteClock = std::function<TimePoint()>;

// Seconds since 1970-01-01 00:00:00 of a date and time read as UTC.
std::int64_t secondsOf(const DateTime& t);
DateTime utcDateTime(TimePoint t);
// The moment in the zone the site runs in (TZ).
DateTime localDateTime(TimePoint t);

// "YYYY-MM-DD HH:MM:SS", which sorts as the moments do; what the database keeps.
std::string sortableText(const DateTime& t);

// The start of the day and of the week (Monday) that t lies in.
DateTime startOfDay(const DateTime& t);
DateTime startOfWeek(const DateTime& t);

}  // namespace qob::site
