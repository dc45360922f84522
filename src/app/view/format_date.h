// The Date modified cell: an entry's modification time in the user's local time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace norvik {

// A moment as a wall clock shows it.
struct CivilTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// "2026-03-05 09:07": a four-digit year, then two-digit month, day, hour (24-hour clock) and
// minute.
std::string format_civil_time(const CivilTime& time);

// seconds since 1970 UTC in the local time zone, by the zone's rules for that moment (its daylight
// saving then, not today's); nothing when the system cannot convert it.
std::optional<CivilTime> local_time(uint32_t seconds);

// The cell text for Entry::mtime: empty for 0 (unknown, or before 1970) and for a time that
// cannot be converted.
std::string format_date(uint32_t mtime);

}  // namespace norvik
