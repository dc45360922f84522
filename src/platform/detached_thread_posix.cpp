#include <system_error>
#include <thread>

#include "platform/detached_thread.h"

namespace norvik {

bool start_detached_thread(std::function<void()> work) {
    try {
        std::thread(std::move(work)).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

}  // namespace norvik
