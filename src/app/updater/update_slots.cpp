#include "app/updater/update_slots.h"

namespace norvik {

Slot<UpdateCheckResult>& update_check_slot() {
    static Slot<UpdateCheckResult> slot;
    return slot;
}

Slot<UpdateDownloadResult>& update_download_slot() {
    static Slot<UpdateDownloadResult> slot;
    return slot;
}

}  // namespace norvik
