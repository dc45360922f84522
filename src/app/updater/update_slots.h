// The two process-wide slots through which the updater's threads hand their outcome to the UI
// thread: each holds at most one value, a new one replacing what was not taken yet. The lock of
// each is held only to put a value in or take it out.
#pragma once

#include <mutex>
#include <optional>
#include <utility>

#include "app/updater/update_results.h"

namespace norvik {

template <class T>
class Slot {
  public:
    void store(T value) {
        std::lock_guard lock(mutex_);
        value_ = std::move(value);
    }
    // The value, leaving the slot empty; nothing when it was empty.
    std::optional<T> take() {
        std::lock_guard lock(mutex_);
        return std::exchange(value_, std::nullopt);
    }

  private:
    std::mutex mutex_;
    std::optional<T> value_;
};

// Filled by the check thread before it posts WM_APP_UPDATE_INFO.
Slot<UpdateCheckResult>& update_check_slot();
// Filled by the download thread before it posts WM_APP_UPDATE_READY.
Slot<UpdateDownloadResult>& update_download_slot();

}  // namespace norvik
