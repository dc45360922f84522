// The service's native pieces: a plain sleep for the start-up wait, and no window to tell.
#include <chrono>
#include <thread>

#include "service/index_service.h"

namespace norvik {

bool wait_high_resolution(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return true;
}

void wait_refresh_delay() {
    (void)wait_high_resolution(90000);
}

}  // namespace norvik
