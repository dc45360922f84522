#include <windows.h>

#include "search/search.h"

namespace norvik {

unsigned processor_count() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

}  // namespace norvik
