#include <unistd.h>

#include "index/scan.h"

namespace norvik {

unsigned system_processor_count() {
    long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<unsigned>(count) : 0;
}

// Natively the scan only serves tools and tests, which want their answer now; a lowered nice
// value could not be raised again without privileges anyway.
void begin_background_mode() {}
void end_background_mode() {}

}  // namespace norvik
