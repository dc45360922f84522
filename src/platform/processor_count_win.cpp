#include <windows.h>

#include "platform/processor_count.h"

namespace norvik {

unsigned processor_count() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

}  // namespace norvik
