#include <windows.h>

#include "index/scan.h"

namespace norvik {
namespace {

// The priority a worker had before it was lowered in place of the background mode; unset while
// the thread runs in the background mode or at its own priority.
thread_local int priority_before = THREAD_PRIORITY_ERROR_RETURN;

}  // namespace

// Wine refuses THREAD_MODE_BACKGROUND_BEGIN with error 87. A rescan at full priority then
// slows every search made while it runs, so the worker lowers its priority instead: idle if
// that is granted, else the lowest. Either way the scan goes on.
void begin_background_mode() {
    const HANDLE thread = GetCurrentThread();
    if (SetThreadPriority(thread, THREAD_MODE_BACKGROUND_BEGIN)) return;
    const int before = GetThreadPriority(thread);
    if (before == THREAD_PRIORITY_ERROR_RETURN) return;
    if (SetThreadPriority(thread, THREAD_PRIORITY_IDLE) ||
        SetThreadPriority(thread, THREAD_PRIORITY_LOWEST))
        priority_before = before;
}

void end_background_mode() {
    const HANDLE thread = GetCurrentThread();
    if (priority_before == THREAD_PRIORITY_ERROR_RETURN) {
        SetThreadPriority(thread, THREAD_MODE_BACKGROUND_END);
        return;
    }
    SetThreadPriority(thread, priority_before);
    priority_before = THREAD_PRIORITY_ERROR_RETURN;
}

}  // namespace norvik
