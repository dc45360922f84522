#include "service/index_service.h"

#include <algorithm>
#include <iterator>
#include <shared_mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/detached_thread.h"
#include "store/index_file.h"

namespace norvik {

std::vector<VolumeTable> keep_current_tables(std::vector<VolumeTable> saved,
                                             const std::vector<std::string>& current_roots,
                                             bool keep_others) {
    std::vector<VolumeTable> kept;
    for (VolumeTable& table : saved) {
        bool current = keep_others || std::find(current_roots.begin(), current_roots.end(),
                                                table.root) != current_roots.end();
        // The Index holds one table per root in root order; a damaged file that repeats or
        // misorders roots must not break either rule.
        bool repeated = std::any_of(kept.begin(), kept.end(),
                                    [&](const VolumeTable& k) { return k.root == table.root; });
        if (current && !repeated) kept.push_back(std::move(table));
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const VolumeTable& a, const VolumeTable& b) { return a.root < b.root; });
    return kept;
}

IndexService::IndexService(Index& index, ServicePlatform platform, ServiceOptions options)
    : index_(index),
      platform_(std::move(platform)),
      options_(options),
      excluded_folders_(options_.excluded_folders) {
    if (!options_.index_dirty) options_.index_dirty = &norvik::index_dirty;
    index_file_ = options_.index_file.empty() ? index_path() : options_.index_file;
}

IndexService::~IndexService() {
    {
        std::lock_guard lock(threads_->mutex);
        threads_->closing = true;
    }
    {
        std::lock_guard lock(relist_mutex_);
        relist_stop_ = true;
    }
    relist_wake_.notify_all();
    wait_for_rescans();
    // The system watchers live in watch_roots and call back into this service: end them first,
    // while everything they use is whole. (They only read the other platform members.)
    platform_.watch_roots = nullptr;
}

FolderExclusions IndexService::exclusions_for(const std::string& root) const {
    std::lock_guard lock(excluded_mutex_);
    return exclusions_under(root, excluded_folders_);
}

void IndexService::set_excluded_folders(std::vector<std::string> full_paths) {
    std::lock_guard order(exclusion_order_mutex_);
    std::vector<std::string> before;
    {
        std::lock_guard lock(excluded_mutex_);
        before = std::exchange(excluded_folders_, full_paths);
    }
    auto missing_from = [](const std::vector<std::string>& paths,
                           const std::vector<std::string>& others) {
        std::vector<std::string> missing;
        for (const std::string& path : paths) {
            if (std::find(others.begin(), others.end(), path) == others.end())
                missing.push_back(path);
        }
        return missing;
    };
    const std::vector<std::string> excluded = missing_from(full_paths, before);
    const std::vector<std::string> included = missing_from(before, full_paths);
    std::vector<std::pair<std::string, std::string>> walks;  // root, relative path
    for (const std::string& root : known_roots()) {
        std::vector<Change> batch;
        for (const std::string& path : excluded) {
            if (std::optional<std::string> relative = path_below(root, path))
                batch.push_back(Change::removed(*relative));
        }
        if (!batch.empty()) apply_watcher_batch(root, std::move(batch));
        // What lies in a folder still excluded inside it stays out.
        const FolderExclusions still = exclusions_for(root);
        for (const std::string& path : included) {
            std::optional<std::string> relative = path_below(root, path);
            if (relative && platform_.walk_folder && !still.covers(*relative))
                walks.emplace_back(root, std::move(*relative));
        }
    }
    // A walk may take minutes (up to WALK_LIMIT items), and the caller is the window.
    if (!walks.empty())
        (void)start_detached([this, walks = std::move(walks)] { include_again(walks); });
}

std::vector<std::string> IndexService::known_roots() const {
    std::set<std::string> roots;
    std::lock_guard deferred(deferred_mutex_);
    for (const auto& [root, held] : deferred_changes_)
        roots.insert(root);
    std::shared_lock read(index_.lock);
    for (const VolumeTable& table : index_.tables)
        roots.insert(table.root);
    return {roots.begin(), roots.end()};
}

void IndexService::include_again(const std::vector<std::pair<std::string, std::string>>& folders) {
    for (const auto& [root, relative] : folders) {
        if (options_.exit_requested->load()) return;
        // Walked with no lock held.
        std::optional<WalkedFolder> walked =
            platform_.walk_folder(root, relative, exclusions_for(root).below_path(relative));
        if (!walked) continue;
        {
            std::lock_guard order(exclusion_order_mutex_);
            const FolderExclusions now = exclusions_for(root);
            if (now.covers(relative)) continue;  // excluded again during the walk
            if (!now.empty()) {
                std::erase_if(walked->change.walked,
                              [&](const WalkedItem& item) { return now.covers(item.path); });
            }
            std::vector<Change> batch;
            batch.push_back(std::move(walked->change));
            apply_watcher_batch(root, std::move(batch));
        }
        // Bigger than one walk takes, or something in it unreadable: the rest comes with a
        // rescan, as for a folder that arrives so.
        if (!walked->complete) (void)request_rescan(root);
    }
}

void IndexService::notify(IndexChange change) {
    if (platform_.notify) platform_.notify(change);
}

void IndexService::run_index_service(bool tray) {
    std::vector<std::string> roots = platform_.list_volumes();
    std::vector<VolumeTable> saved = load_index_file(index_file_).tables;
    bool had_saved_tables = !saved.empty();
    // A file saved before a folder was excluded still holds it.
    for (VolumeTable& table : saved)
        drop_excluded(table, exclusions_for(table.root));

    std::vector<std::string> kept_roots;  // current roots with a saved table
    {
        std::unique_lock lock(index_.lock);
        index_.replace_all(keep_current_tables(std::move(saved), roots, options_.keep_other_roots));
        for (const VolumeTable& table : index_.tables) {
            if (std::find(roots.begin(), roots.end(), table.root) != roots.end())
                kept_roots.push_back(table.root);
        }
        index_ready.store(!index_.tables.empty());
    }
    index_generation.fetch_add(1);
    notify(IndexChange::Now);  // from here on the saved index is searchable

    if (!tray || kept_roots.empty()) {
        // The very first build runs at normal priority; a refresh of a saved index in the
        // background.
        rescan(roots, had_saved_tables);
        return;
    }

    // At logon: keep the saved index current from now on, scan new drives at once, and leave
    // the known drives alone until the logon rush is over.
    platform_.watch_roots(*this, kept_roots);
    std::vector<std::string> new_roots;
    for (const std::string& root : roots) {
        if (std::find(kept_roots.begin(), kept_roots.end(), root) == kept_roots.end())
            new_roots.push_back(root);
    }
    if (!new_roots.empty()) rescan(new_roots, false);

    platform_.wait_before_refresh();

    std::set<std::string> completed = completed_roots();
    std::vector<std::string> refresh;
    for (const std::string& root : kept_roots) {
        if (!completed.contains(root)) refresh.push_back(root);
    }
    if (options_.exit_requested->load()) return;
    if (!refresh.empty()) rescan(refresh, true);
}

void IndexService::rescan(std::vector<std::string> roots, bool background) {
    rescan(std::move(roots), background, WhileRescanning::Skip);
}

void IndexService::rescan(std::vector<std::string> roots, bool background,
                          WhileRescanning running) {
    {
        std::lock_guard lock(deferred_mutex_);
        std::vector<std::string> fresh;
        for (std::string& root : roots) {
            // A root named twice is scanned once (a second publication would drop the changes
            // applied after the first).
            if (std::find(fresh.begin(), fresh.end(), root) != fresh.end()) continue;
            if (deferred_changes_.contains(root)) {
                // Being rescanned: left to that rescan, or marked to be scanned once more
                // after it.
                if (running == WhileRescanning::Again) rescan_again_.insert(root);
                continue;
            }
            deferred_changes_.emplace(root, std::vector<Change>{});
            fresh.push_back(std::move(root));
        }
        roots = std::move(fresh);
    }
    // From here the watchers hold back changes for these roots.
    if (roots.empty()) return;

    scans_in_progress.fetch_add(roots.size());
    index_generation.fetch_add(1);

    // Every root given a deferred_changes entry above must reach publish_table, or its entry
    // would stay: its changes held back for good, and no rescan of it ever run again.
    size_t handed = 0;  // roots whose scan has started, on a thread of its own or here
    std::vector<std::thread> threads;
    try {
        notify(IndexChange::Debounced);
        // Watching starts before the walk, so no change made during the walk is lost.
        platform_.watch_roots(*this, roots);
        unsigned workers = platform_.worker_count(roots.size());
        threads.reserve(roots.size());
        for (const std::string& root : roots) {
            ++handed;
            try {
                threads.emplace_back([this, root, workers, background] {
                    scan_and_publish(root, workers, background);
                });
            } catch (...) {
                // No thread for this root: scan it here, after the others started.
                scan_and_publish(root, workers, background);
            }
        }
    } catch (...) {
        // Out of memory, or a platform piece failed, before every root had its scan: the rest
        // end as failed scans do, keeping their old tables with the changes held for them.
        for (size_t i = handed; i < roots.size(); ++i) {
            if (publish_table(roots[i], std::nullopt))
                scan_and_publish(roots[i], 1, background, true);
        }
    }
    for (std::thread& thread : threads)
        thread.join();

    if (scans_in_progress.load() == 0) {
        options_.items_read->store(0);
        // The program's own folder keeps its index.tmp; a file a tool named gets a temporary
        // file no one else uses.
        (void)save_index(
            index_, *options_.index_dirty, index_file_,
            options_.index_file.empty() ? TemporaryName::Beside : TemporaryName::Unique);
    }
}

void IndexService::scan_and_publish(const std::string& root, unsigned workers, bool background,
                                    bool again) {
    ScanOptions options;
    options.workers = workers;
    options.background = background;
    options.searches_running = &index_.searches_running;
    options.items_read = options_.items_read;
    options.exit_requested = options_.exit_requested;
    do {
        options.excluded = exclusions_for(root);
        std::optional<VolumeTable> table;
        try {
            if (again) {
                // The root never left deferred_changes: this scan starts as a rescan does,
                // and watches the root again if its watcher ended.
                scans_in_progress.fetch_add(1);
                index_generation.fetch_add(1);
                notify(IndexChange::Debounced);
                platform_.watch_roots(*this, {root});
            }
            table = platform_.scan_root(root, options);
        } catch (...) {
            // Out of memory mid-scan: the old table stays, with the changes held back meanwhile.
            table.reset();
        }
        again = publish_table(root, std::move(table));
    } while (again);
}

bool IndexService::publish_table(const std::string& root, std::optional<VolumeTable> table) {
    bool again = false;
    {
        std::lock_guard deferred(deferred_mutex_);
        std::vector<Change> held;
        if (auto it = deferred_changes_.find(root); it != deferred_changes_.end()) {
            held = std::move(it->second);
            // Asked for again meanwhile: the root stays marked as being rescanned, so the
            // changes that arrive before the next walk are held back for it too.
            again = rescan_again_.erase(root) > 0 && !options_.exit_requested->load();
            if (again) {
                it->second.clear();
            } else {
                deferred_changes_.erase(it);
            }
        }
        if (table || !held.empty()) ++root_writes_[root];
        if (table) {
            {
                std::lock_guard completed(completed_mutex_);
                completed_roots_.insert(root);
            }
            // Still private to this thread: no index lock needed to patch it.
            apply_changes(*table, held);
            {
                // deferred_changes is held: a watcher batch cannot slip in between the replay
                // above and the swap below.
                std::unique_lock write(index_.lock);
                index_.replace_or_insert(std::move(*table));
                index_ready.store(true);
            }
            options_.index_dirty->store(true);
        } else if (!held.empty() && !options_.exit_requested->load()) {
            // The scan failed (not stopped for quitting): the old table stays published, so the
            // changes held back meanwhile belong to it, or they would be lost until the next
            // rescan of this root.
            std::unique_lock write(index_.lock);
            if (std::optional<size_t> at = index_.find(root)) {
                apply_changes(index_.tables[*at], held);
                options_.index_dirty->store(true);
            }
        }
    }
    scans_in_progress.fetch_sub(1);
    index_generation.fetch_add(1);
    notify(IndexChange::Now);
    return again;
}

BatchOutcome IndexService::apply_watcher_batch(const std::string& root, std::vector<Change> batch) {
    note_watcher_activity(root);
    BatchOutcome outcome = BatchOutcome::NoTable;
    std::vector<Change> seen;
    {
        std::lock_guard deferred(deferred_mutex_);
        ++root_writes_[root];
        if (auto it = deferred_changes_.find(root); it != deferred_changes_.end()) {
            // The rescan replays these before it publishes; the window hears of them then.
            if (platform_.batch_handled) seen = batch;
            std::move(batch.begin(), batch.end(), std::back_inserter(it->second));
            outcome = BatchOutcome::HeldBack;
        } else {
            // deferred_changes stays locked while the index lock is taken: the lock order.
            std::unique_lock write(index_.lock);
            if (std::optional<size_t> at = index_.find(root)) {
                apply_changes(index_.tables[*at], batch);
                options_.index_dirty->store(true);
                outcome = BatchOutcome::Applied;
            }
        }
    }
    if (outcome == BatchOutcome::HeldBack) {
        if (platform_.batch_handled) platform_.batch_handled(root, seen, outcome);
        return outcome;
    }
    index_generation.fetch_add(1);
    notify(IndexChange::Debounced);
    if (platform_.batch_handled) platform_.batch_handled(root, batch, outcome);
    return outcome;
}

bool IndexService::rebuild_all() {
    return start_detached([this] { rescan(platform_.list_volumes(), true); });
}

bool IndexService::request_rescan(const std::string& root) {
    return start_detached([this, root] { rescan({root}, true, WhileRescanning::Again); });
}

bool IndexService::start_detached(std::function<void()> work) {
    {
        std::lock_guard lock(threads_->mutex);
        if (threads_->closing) return false;
        ++threads_->running;
    }
    auto finished = [](DetachedThreads& threads) {
        std::lock_guard lock(threads.mutex);
        if (--threads.running == 0) threads.done.notify_all();
    };
    bool started =
        start_detached_thread([threads = threads_, finished, work = std::move(work)]() mutable {
            try {
                std::function<void()> task = std::move(work);
                task();
            } catch (...) {
                // Nothing leaves a thread entry; a rescan that failed leaves the old tables.
            }
            finished(*threads);
        });
    if (!started) finished(*threads_);
    return started;
}

void IndexService::wait_for_rescans() {
    std::unique_lock lock(threads_->mutex);
    threads_->done.wait(lock, [this] { return threads_->running == 0; });
}

size_t IndexService::rescans_running() {
    std::lock_guard lock(threads_->mutex);
    return threads_->running;
}

std::set<std::string> IndexService::completed_roots() const {
    std::lock_guard lock(completed_mutex_);
    return completed_roots_;
}

bool IndexService::is_rescanning(const std::string& root) const {
    std::lock_guard lock(deferred_mutex_);
    return deferred_changes_.contains(root);
}

}  // namespace norvik
