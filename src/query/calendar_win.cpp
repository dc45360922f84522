#include <windows.h>

#include <cstdint>

#include "query/calendar.h"

namespace norvik {

namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01, both UTC.
constexpr uint64_t UNIX_EPOCH_AS_FILETIME = 116444736000000000ULL;
constexpr int64_t DAY = 86400;

// The user's first day of the week (LOCALE_IFIRSTDAYOFWEEK: "0" Monday ... "6" Sunday).
uint8_t locale_first_weekday() {
    wchar_t value[4] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, value, 4) < 2) return 0;
    return value[0] >= L'0' && value[0] <= L'6' ? static_cast<uint8_t>(value[0] - L'0') : 0;
}

// Local midnight of a day, by the zone's rules for that date: the inverse of the conversion the
// Date modified column makes (SystemTimeToTzSpecificLocalTime), so a day filter takes exactly
// the entries whose shown date is that day.
int64_t local_day_start(int64_t days) {
    const CivilDay date = civil_from_days(days);
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(date.year);
    local.wMonth = static_cast<WORD>(date.month);
    local.wDay = static_cast<WORD>(date.day);
    SYSTEMTIME utc{};
    FILETIME file_time{};
    if (date.year < 1601 || date.year > 30827 ||
        !TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
        !SystemTimeToFileTime(&utc, &file_time))
        return days * DAY;  // a date the system cannot convert is read as UTC
    const uint64_t ticks = (uint64_t{file_time.dwHighDateTime} << 32) | file_time.dwLowDateTime;
    return (static_cast<int64_t>(ticks) - static_cast<int64_t>(UNIX_EPOCH_AS_FILETIME)) /
           10'000'000;
}

}  // namespace

Calendar local_calendar() {
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    GetSystemTime(&utc);
    int64_t today = 0;
    if (SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        today = days_from_civil(CivilDay{local.wYear, local.wMonth, local.wDay});
    return Calendar{today, locale_first_weekday(), local_day_start};
}

}  // namespace norvik
