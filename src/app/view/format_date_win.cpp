#include <windows.h>

#include "app/view/format_date.h"

namespace norvik {

namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01, both UTC.
constexpr uint64_t UNIX_EPOCH_AS_FILETIME = 116444736000000000ULL;

}  // namespace

std::optional<CivilTime> local_time(uint32_t seconds) {
    const uint64_t ticks = uint64_t{seconds} * 10'000'000 + UNIX_EPOCH_AS_FILETIME;
    const FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc_time{};
    SYSTEMTIME time{};
    // With the zone's rules for that date, as Explorer shows it: a summer date keeps its summer
    // offset in winter. FileTimeToLocalFileTime would apply today's offset to every date.
    if (!FileTimeToSystemTime(&utc, &utc_time) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc_time, &time))
        return std::nullopt;
    return CivilTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute};
}

}  // namespace norvik
