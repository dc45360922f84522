// The index service's second look after a burst: the folders a burst touched are listed again
// once their root has settled, and what the table lacks or holds too much is applied through
// the watcher's own path.
#include <shared_mutex>
#include <utility>

#include "service/index_service.h"

namespace norvik {

void IndexService::relist_after_settle(const std::string& root,
                                       const std::vector<std::string>& folders) {
    if (!platform_.list_folder || folders.empty()) return;
    bool fresh = false;
    {
        std::lock_guard lock(relist_mutex_);
        if (relist_stop_) return;
        auto [it, added] = relists_.try_emplace(root);
        it->second.add(folders);
        it->second.last_activity = std::chrono::steady_clock::now();
        fresh = added;
    }
    if (!fresh) return;  // the root's settle thread runs already and takes these too
    if (!start_detached([this, root] { settle_and_relist(root); })) {
        std::lock_guard lock(relist_mutex_);
        relists_.erase(root);
    }
}

void IndexService::note_watcher_activity(const std::string& root) {
    std::lock_guard lock(relist_mutex_);
    if (auto it = relists_.find(root); it != relists_.end())
        it->second.last_activity = std::chrono::steady_clock::now();
}

void IndexService::settle_and_relist(const std::string& root) {
    RelistRequest due;
    {
        std::unique_lock lock(relist_mutex_);
        // Only this thread erases the root's entry.
        RelistRequest& request = relists_.at(root);
        while (true) {
            auto settled = request.last_activity + options_.relist_quiet;
            if (relist_stop_ || options_.exit_requested->load()) {
                relists_.erase(root);
                return;
            }
            if (std::chrono::steady_clock::now() < settled) {
                relist_wake_.wait_until(lock, settled);
                continue;
            }
            // A rescan replaces the table: its folders are compared with the new one, once
            // that is published and quiet.
            if (is_rescanning(root)) {
                request.last_activity = std::chrono::steady_clock::now();
                continue;
            }
            break;
        }
        due = std::move(request);
        relists_.erase(root);
    }
    relist(root, due);
}

void IndexService::relist(const std::string& root, const RelistRequest& request) {
    if (request.over_cap) {
        // Too much to look at folder by folder: the whole root is walked again.
        (void)request_rescan(root);
        return;
    }
    std::vector<Change> batch;
    std::vector<size_t> to_walk;
    std::vector<ListedItem> listing;
    for (const std::string& folder : request.folders) {
        if (options_.exit_requested->load()) return;
        // Listed with no lock held; a folder gone or unreadable is left to its parent's listing
        // and to the watcher.
        if (platform_.list_folder(root, folder, listing) != ListStatus::Listed) continue;
        ListingDiff diff;
        {
            std::shared_lock read(index_.lock);
            std::optional<size_t> at = index_.find(root);
            if (!at) return;
            diff = diff_listing(index_.tables[*at], folder, listing);
        }
        for (size_t position : diff.to_walk)
            to_walk.push_back(batch.size() + position);
        batch.insert(batch.end(), std::make_move_iterator(diff.changes.begin()),
                     std::make_move_iterator(diff.changes.end()));
    }
    // Folders the table lacks arrive with their contents, walked with no lock held.
    bool complete = true;
    for (size_t position : to_walk) {
        if (!platform_.walk_new_folder) break;
        SubtreeWalk walk = platform_.walk_new_folder(root, batch[position].path);
        batch[position].walked = std::move(walk.items);
        complete = complete && walk.complete;
    }
    if (!batch.empty()) apply_watcher_batch(root, std::move(batch));
    if (!complete) (void)request_rescan(root);
}

}  // namespace norvik
