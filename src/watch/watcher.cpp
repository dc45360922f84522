#include "watch/watcher.h"

#include <algorithm>
#include <utility>

namespace norvik {

ReadOutcome classify_read(bool succeeded, uint32_t bytes, uint32_t error) {
    if (succeeded) {
        if (bytes == 0) return {ReadStatus::Lost, 0};
        return {ReadStatus::Events, bytes};
    }
    if (error == ERROR_NOTIFY_ENUM_DIR_CODE) return {ReadStatus::Lost, 0};
    return {ReadStatus::Failed, 0};
}

void run_watcher(const std::string& root, const WatcherIo& io, const WatchSink& sink,
                 std::span<std::byte> buffer) {
    while (true) {
        ReadOutcome outcome = io.read(buffer);
        switch (outcome.status) {
            case ReadStatus::Stopped:
                return;
            case ReadStatus::Failed:
                if (sink.ended) sink.ended(root);
                sink.request_rescan(root);
                return;
            case ReadStatus::Lost:
                // Watching goes on; the rescan brings back what was missed.
                sink.request_rescan(root);
                continue;
            case ReadStatus::Events:
                break;
        }
        // A read never claims more than the buffer it was given.
        size_t bytes = std::min(outcome.bytes, buffer.size());
        std::vector<RawEvent> events = parse_notify_records(buffer.first(bytes));
        // Facts and subtree walks happen here, on the watcher thread, with no lock held.
        const FolderExclusions excluded = sink.excluded ? sink.excluded(root) : FolderExclusions{};
        Batch batch = build_batch(root, events, io.read_facts, io.walk, excluded);
        RelistFolders relist;
        if (sink.relist)
            relist = folders_to_relist(batch.changes,
                                       is_burst_read(events.size(), bytes, buffer.size()));
        if (!batch.changes.empty()) sink.deliver(root, std::move(batch.changes));
        if (!relist.empty()) sink.relist(root, std::move(relist));
        // A folder came whose contents could not be read: what was read is applied, the rescan
        // brings the rest.
        if (batch.incomplete) sink.request_rescan(root);
    }
}

void WatchedRoots::watch_roots(const std::vector<std::string>& roots) {
    for (const std::string& root : roots) {
        {
            std::lock_guard lock(mutex_);
            if (watched_.contains(root) || starts_[root] >= MAX_WATCHER_STARTS) continue;
            // Claimed before starting: a watch_roots on another thread now skips it.
            watched_.insert(root);
            ++starts_[root];
        }
        if (start_(root)) continue;
        std::lock_guard lock(mutex_);
        watched_.erase(root);
        --starts_[root];  // never opened: no watcher was started
    }
}

void WatchedRoots::watcher_ended(const std::string& root) {
    std::lock_guard lock(mutex_);
    watched_.erase(root);
}

bool WatchedRoots::contains(const std::string& root) const {
    std::lock_guard lock(mutex_);
    return watched_.contains(root);
}

}  // namespace norvik
