#include <thread>

#include "search/search.h"

namespace norvik {

unsigned processor_count() {
    return std::thread::hardware_concurrency();
}

}  // namespace norvik
