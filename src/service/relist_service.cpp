// The index service's second look after a burst: the folders a burst touched are listed again
// once their root has settled, and what the table lacks or holds too much is applied through
// the watcher's own path.
#include <set>
#include <shared_mutex>
#include <utility>

#include "service/index_service.h"

namespace norvik {

void IndexService::relist_after_settle(const std::string& root, const RelistFolders& folders) {
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

uint64_t IndexService::writes_to(const std::string& root) const {
    std::lock_guard deferred(deferred_mutex_);
    auto it = root_writes_.find(root);
    return it == root_writes_.end() ? 0 : it->second;
}

void IndexService::relist(const std::string& root, const RelistRequest& request) {
    if (request.over_cap) {
        // Too much to look at folder by folder: the whole root is walked again.
        (void)request_rescan(root);
        return;
    }
    std::set<std::string> folders = request.folders;
    if (request.whole_arrivals) {
        // Each folder inside the arrived ones, as the table holds it now: one listing per
        // folder, as the walk of a new folder makes; anything new the listings find is walked.
        std::shared_lock read(index_.lock);
        std::optional<size_t> at = index_.find(root);
        if (!at) return;
        for (const std::string& arrived : request.arrived) {
            for (std::string& folder : folders_within(index_.tables[*at], arrived))
                folders.insert(std::move(folder));
        }
    }
    auto started = std::chrono::steady_clock::now();
    size_t listed = 0;
    size_t applied = 0;
    bool complete = true;
    RelistFolders again;  // a write to the root came between listing and applying
    std::vector<ListedItem> listing;
    for (const std::string& folder : folders) {
        if (options_.exit_requested->load()) return;
        // Read for each folder: one excluded meanwhile is not brought back by a listing.
        const FolderExclusions excluded = exclusions_for(root);
        if (excluded.covers(folder)) continue;
        uint64_t writes = writes_to(root);
        // Listed with no lock held; a folder gone or unreadable is left to its parent's listing
        // and to the watcher.
        if (platform_.list_folder(root, folder, listing) != ListStatus::Listed) continue;
        ++listed;
        // The excluded folders stay out of the table, though the disk has them.
        const FolderExclusions inside = excluded.below_path(folder);
        std::erase_if(listing,
                      [&](const ListedItem& item) { return inside.excludes_child(item.name); });
        ListingDiff diff;
        {
            std::shared_lock read(index_.lock);
            std::optional<size_t> at = index_.find(root);
            if (!at) return;
            diff = diff_listing(index_.tables[*at], folder, listing);
        }
        if (diff.changes.empty()) continue;
        // Folders the table lacks arrive with their contents, walked with no lock held.
        for (size_t position : diff.to_walk) {
            if (!platform_.walk_new_folder) break;
            const std::string& path = diff.changes[position].path;
            SubtreeWalk walk = platform_.walk_new_folder(root, path, excluded.below_path(path));
            diff.changes[position].walked = std::move(walk.items);
            complete = complete && walk.complete;
        }
        size_t count = diff.changes.size();
        if (apply_listing_changes(root, std::move(diff.changes), writes) ==
            BatchOutcome::HeldBack) {
            again.folders.push_back(folder);
        } else {
            applied += count;
        }
    }
    if (platform_.relisted)
        platform_.relisted(root, listed, applied,
                           std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - started));
    if (!again.folders.empty()) {
        // Still inside the arrived folders: if as many wait again, they are listed whole again.
        if (request.whole_arrivals)
            again.arrived.assign(request.arrived.begin(), request.arrived.end());
        relist_after_settle(root, again);
    }
    if (!complete) (void)request_rescan(root);
}

BatchOutcome IndexService::apply_listing_changes(const std::string& root,
                                                 std::vector<Change> changes,
                                                 uint64_t writes_before) {
    BatchOutcome outcome = BatchOutcome::NoTable;
    {
        std::lock_guard deferred(deferred_mutex_);
        // A watcher batch or a new table of this root since the listing began may be newer than
        // the listing, which would undo it. A root being rescanned gets a new table the listing
        // was not compared with.
        auto writes = root_writes_.find(root);
        if ((writes == root_writes_.end() ? 0 : writes->second) != writes_before ||
            deferred_changes_.contains(root))
            return BatchOutcome::HeldBack;
        std::unique_lock write(index_.lock);
        if (std::optional<size_t> at = index_.find(root)) {
            apply_changes(index_.tables[*at], changes);
            options_.index_dirty->store(true);
            outcome = BatchOutcome::Applied;
        }
    }
    index_generation.fetch_add(1);
    notify(IndexChange::Debounced);
    if (platform_.batch_handled) platform_.batch_handled(root, changes, outcome);
    return outcome;
}

}  // namespace norvik
