#include <langinfo.h>
#include <locale.h>

#include <cstdint>
#include <ctime>

#include "query/calendar.h"

namespace norvik {

namespace {

// The LC_TIME locale's first day of the week, 0 Monday ... 6 Sunday. glibc gives a date of the
// locale's reference week (19971130, a Sunday, for most) and the first day as 1-7 counted from
// it; elsewhere, or when the locale cannot be opened, weeks start on Monday.
uint8_t locale_first_weekday() {
#if defined(__GLIBC__)
    locale_t locale = newlocale(LC_TIME_MASK, "", locale_t{});
    if (locale == locale_t{}) locale = newlocale(LC_TIME_MASK, "C", locale_t{});
    if (locale == locale_t{}) return 0;
    const auto reference =
        static_cast<int>(reinterpret_cast<intptr_t>(nl_langinfo_l(_NL_TIME_WEEK_1STDAY, locale)));
    const int first = nl_langinfo_l(_NL_TIME_FIRST_WEEKDAY, locale)[0];
    freelocale(locale);
    const CivilDay day{reference / 10000, reference / 100 % 100, reference % 100};
    if (first < 1 || first > 7 || days_in_month(day.year, day.month) < day.day) return 0;
    return static_cast<uint8_t>((weekday_of(days_from_civil(day)) + first - 1) % 7);
#else
    return 0;
#endif
}

}  // namespace

Calendar local_calendar() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    int64_t today = 0;
    if (localtime_r(&now, &tm))
        today = days_from_civil(CivilDay{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday});
    // Opening the locale reads its files: once per process, as the locale is set at its start.
    static const uint8_t first_weekday = locale_first_weekday();
    return Calendar{today, first_weekday, [](int64_t days) {
                        const CivilDay date = civil_from_days(days);
                        std::tm midnight{};
                        midnight.tm_year = date.year - 1900;
                        midnight.tm_mon = date.month - 1;
                        midnight.tm_mday = date.day;
                        midnight.tm_isdst = -1;  // the zone's rule for that date decides
                        const std::time_t start = std::mktime(&midnight);
                        // A date the system cannot convert is read as UTC.
                        return start == std::time_t(-1) ? days * 86400 : int64_t{start};
                    }};
}

}  // namespace norvik
