#include <windows.h>

#include "index/scan.h"

namespace norvik {

// Wine refuses THREAD_MODE_BACKGROUND_BEGIN with error 87; either way the scan goes on.
void begin_background_mode() {
    SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_BEGIN);
}

void end_background_mode() {
    SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_END);
}

}  // namespace norvik
