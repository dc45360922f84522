// Days as a calendar counts them, and where a query's dates are read: today, the start of any day
// in one time zone, and the day a week starts on. The query's parse takes a Calendar as a value,
// so it stays a function of its inputs; local_calendar() is the one that reads the system.
#pragma once

#include <cstdint>
#include <functional>

namespace norvik {

// A date of the proleptic Gregorian calendar.
struct CivilDay {
    int year = 1970;
    int month = 1;  // 1-12
    int day = 1;    // 1-31

    bool operator==(const CivilDay&) const = default;
};

// Days since 1970-01-01 (negative before it), and back.
int64_t days_from_civil(const CivilDay& day);
CivilDay civil_from_days(int64_t days);

// 0 Monday ... 6 Sunday.
int weekday_of(int64_t days);

// Days in the month (28-31); 0 for a month outside 1-12.
int days_in_month(int year, int month);

struct Calendar {
    int64_t today = 0;          // the local date now, in days since 1970-01-01
    uint8_t first_weekday = 0;  // the locale's first day of the week: 0 Monday ... 6 Sunday
    // The moment a local day (days since 1970-01-01) begins, in seconds since 1970 UTC.
    std::function<int64_t(int64_t days)> day_start;
};

// A zone `offset_seconds` east of UTC with no daylight saving, at the moment `now` (seconds since
// 1970 UTC): for tests, and anywhere a fixed zone is wanted.
Calendar fixed_offset_calendar(int64_t now, int32_t offset_seconds, uint8_t first_weekday);

// The system's time zone (with its daylight saving rules for each date, as the Date modified
// column converts), the current time and the user's first day of the week. The POSIX twin reads
// TZ and the LC_TIME locale, the Windows twin the system's zone and the user's locale.
Calendar local_calendar();

}  // namespace norvik
