#include <windows.h>

#include "app/view/format_date.h"

namespace norvik {

namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01, both UTC.
constexpr uint64_t UNIX_EPOCH_AS_FILETIME = 116444736000000000ULL;

}  // namespace

std::optional<CivilTime> local_time(uint32_t seconds) {
    const uint64_t ticks = uint64_t{seconds} * 10'000'000 + UNIX_EPOCH_AS_FILETIME;
    FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    FILETIME local{};
    SYSTEMTIME time{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time))
        return std::nullopt;
    return CivilTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute};
}

}  // namespace norvik
