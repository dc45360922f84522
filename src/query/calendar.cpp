#include "query/calendar.h"

namespace norvik {

// The civil-from-days and days-from-civil algorithms count in eras of 400 years (146,097 days),
// in which the Gregorian calendar repeats, with years starting in March so that the leap day
// ends the year.
int64_t days_from_civil(const CivilDay& date) {
    const int64_t year = date.month <= 2 ? int64_t{date.year} - 1 : date.year;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t year_of_era = year - era * 400;
    const int64_t month = date.month > 2 ? date.month - 3 : date.month + 9;
    const int64_t day_of_year = (153 * month + 2) / 5 + date.day - 1;
    const int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

CivilDay civil_from_days(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t day_of_era = days - era * 146097;
    const int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const int64_t day_of_year =
        day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int64_t month = (5 * day_of_year + 2) / 153;
    const int day = static_cast<int>(day_of_year - (153 * month + 2) / 5 + 1);
    const int civil_month = static_cast<int>(month < 10 ? month + 3 : month - 9);
    const int64_t year = year_of_era + era * 400 + (civil_month <= 2 ? 1 : 0);
    return CivilDay{static_cast<int>(year), civil_month, day};
}

int weekday_of(int64_t days) {
    // 1970-01-01 was a Thursday (3).
    const int64_t shifted = (days + 3) % 7;
    return static_cast<int>(shifted < 0 ? shifted + 7 : shifted);
}

int days_in_month(int year, int month) {
    static constexpr int DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : DAYS[month - 1];
}

Calendar fixed_offset_calendar(int64_t now, int32_t offset_seconds, uint8_t first_weekday) {
    constexpr int64_t DAY = 86400;
    const int64_t local = now + offset_seconds;
    const int64_t today = local >= 0 ? local / DAY : (local - DAY + 1) / DAY;
    return Calendar{today, first_weekday,
                    [offset_seconds](int64_t days) { return days * DAY - offset_seconds; }};
}

}  // namespace norvik
