#include "SiteTime.h"

#include <cstdio>
#include <ctime>

namespace qob::site {

namespace {

using std::chrono::days;
using std::chrono::sys_days;

sys_days dayOf(const DateTime& t) {
    return sys_days{std::chrono::year{t.year} / t.month / t.day};
}

DateTime fromTm(const std::tm& tm) {
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace

std::int64_t secondsOf(const DateTime& t) {
    return static_cast<std::int64_t>(dayOf(t).time_since_epoch().count()) * 86400 + t.hour * 3600 +
           t.minute * 60 + t.second;
}

DateTime utcDateTime(TimePoint t) {
    const std::time_t s = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    gmtime_r(&s, &tm);
    return fromTm(tm);
}

DateTime localDateTime(TimePoint t) {
    const std::time_t s = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    localtime_r(&s, &tm);
    return fromTm(tm);
}

std::string sortableText(const DateTime& t) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

DateTime startOfDay(const DateTime& t) {
    return DateTime{t.year, t.month, t.day, 0, 0, 0};
}

DateTime startOfWeek(const DateTime& t) {
    const sys_days day = dayOf(t);
    const std::chrono::weekday weekday{day};
    const sys_days monday = day - days{(weekday.c_encoding() + 6) % 7};
    const std::chrono::year_month_day ymd{monday};
    return DateTime{static_cast<int>(ymd.year()),
                    static_cast<int>(static_cast<unsigned>(ymd.month())),
                    static_cast<int>(static_cast<unsigned>(ymd.day())),
                    0,
                    0,
                    0};
}

}  // namespace qob::site
