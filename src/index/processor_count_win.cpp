#include <windows.h>

#include "index/processor_count.h"

namespace norvik {

unsigned processor_count() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

}  // namespace norvik
