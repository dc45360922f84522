#include <thread>

#include "platform/processor_count.h"

namespace norvik {

unsigned processor_count() {
    return std::thread::hardware_concurrency();
}

}  // namespace norvik
