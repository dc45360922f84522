#include "app/view/format_date.h"

#include <cstdio>

namespace norvik {

std::string format_civil_time(const CivilTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", time.year, time.month, time.day,
                  time.hour, time.minute);
    return text;
}

std::string format_date(uint32_t mtime) {
    if (mtime == 0) return {};
    std::optional<CivilTime> time = local_time(mtime);
    return time ? format_civil_time(*time) : std::string();
}

}  // namespace norvik
