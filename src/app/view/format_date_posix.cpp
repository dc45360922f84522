#include <ctime>

#include "app/view/format_date.h"

namespace norvik {

std::optional<CivilTime> local_time(uint32_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    // localtime_r applies the zone's rules for that date (daylight saving as it was then), as
    // the Windows twin does.
    if (!localtime_r(&t, &tm)) return std::nullopt;
    return CivilTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min};
}

}  // namespace norvik
