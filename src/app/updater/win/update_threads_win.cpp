#include <atomic>
#include <mutex>

#include "app/text/text.h"
#include "app/updater/manifest.h"
#include "app/updater/update_slots.h"
#include "app/updater/win/update_tasks.h"
#include "app/updater/win/update_threads.h"
#include "platform/detached_thread.h"
#include "vendor.h"

namespace norvik {

namespace {

struct CheckState {
    std::mutex mutex;  // taken before the slot's own lock
    bool running = false;
    bool manual = false;  // some request for the running check came from the menu
};

CheckState& check_state() {
    static CheckState state;
    return state;
}

std::atomic<bool>& download_running() {
    static std::atomic<bool> running{false};
    return running;
}

}  // namespace

void start_update_check_thread(bool manual, UpdateFinished finished) {
    CheckState& state = check_state();
    {
        std::lock_guard lock(state.mutex);
        if (state.running) {
            state.manual = state.manual || manual;
            return;
        }
        state.running = true;
        state.manual = manual;
    }
    // The language is fixed once chosen, so the thread's address can be made here.
    const std::string url = manifest_request_url(vendor::MANIFEST_URL, vendor::PROGRAM_VERSION,
                                                 language_code(current_language()));
    const bool started = start_detached_thread([url, finished] {
        UpdateCheckResult result{check_for_update(url), false};
        CheckState& state = check_state();
        {
            std::lock_guard lock(state.mutex);
            result.manual = state.manual;
            state.running = false;
            update_check_slot().store(std::move(result));
        }
        finished();
    });
    if (!started) {
        std::lock_guard lock(state.mutex);
        state.running = false;
    }
}

void start_update_download_thread(const UpdateInfo& info, UpdateFinished finished) {
    if (download_running().exchange(true)) return;
    const bool started = start_detached_thread([info, finished] {
        update_download_slot().store(
            download_update(info, {vendor::PUBLISHER_NAME, vendor::SIGNER_SHA256}));
        download_running() = false;
        finished();
    });
    if (!started) download_running() = false;
}

}  // namespace norvik
