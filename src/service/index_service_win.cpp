// The service's Windows pieces: the start-up wait and the window notification.
#include <windows.h>

#include "platform/win_handles.h"
#include "service/index_service.h"

// Missing from MinGW-w64's headers.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace norvik {

bool wait_high_resolution(uint32_t milliseconds) {
    KernelHandle timer(CreateWaitableTimerExW(
        nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS));
    if (!timer) return false;
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(milliseconds) * 10000;  // relative, 100 ns units
    if (!SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE)) return false;
    return WaitForSingleObject(timer.get(), INFINITE) == WAIT_OBJECT_0;
}

void wait_refresh_delay() {
    if (!wait_high_resolution(90000)) Sleep(90000);
}

}  // namespace norvik
