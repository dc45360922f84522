#include "index/scan.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/processor_count.h"

namespace norvik {

std::atomic<uint64_t> items_read{0};
std::atomic<bool> exit_requested{false};

namespace {

struct WorkItem {
    uint32_t index;
    NativePath path;
    FolderExclusions excluded;  // below this folder; empty for nearly every folder
};

// The shared state of one root's scan. The queue mutex and the table mutex are never held
// together, and no lock is held while a folder is listed.
struct Scan {
    Scan(const ScanOptions& o, const ListDirectoryFn& l, VolumeTable t)
        : options(o), list(l), table(std::move(t)) {}

    const ScanOptions& options;
    const ListDirectoryFn& list;

    std::mutex table_mutex;
    VolumeTable table;  // guarded by table_mutex
    ScanReport report;  // guarded by table_mutex

    std::mutex queue_mutex;
    std::condition_variable queue_changed;  // idle workers sleep here
    std::vector<WorkItem> queue;            // a stack: last in, first out keeps it short
    unsigned active = 0;                    // workers listing a folder right now
    bool done = false;
};

// Takes the next folder, or nothing when the walk is complete or stopped.
std::optional<WorkItem> next_work(Scan& scan) {
    std::unique_lock lock(scan.queue_mutex);
    while (true) {
        if (scan.done) return std::nullopt;
        if (scan.options.exit_requested->load(std::memory_order_relaxed)) {
            scan.done = true;
            scan.queue_changed.notify_all();
            return std::nullopt;
        }
        if (!scan.queue.empty()) {
            WorkItem item = std::move(scan.queue.back());
            scan.queue.pop_back();
            ++scan.active;
            return item;
        }
        if (scan.active == 0) {
            // Nothing queued and nobody listing: nothing more can be queued.
            scan.done = true;
            scan.queue_changed.notify_all();
            return std::nullopt;
        }
        scan.queue_changed.wait(lock);
    }
}

// Drops the excluded items from a folder's listing, as if they were not there.
void leave_out_excluded(std::vector<ListedItem>& listing, const FolderExclusions& excluded) {
    if (excluded.excludes_everything()) {
        listing.clear();
        return;
    }
    std::erase_if(listing,
                  [&](const ListedItem& item) { return excluded.excludes_child(item.name); });
}

// A scan in the background waits before its next folder while a search runs; a search takes
// milliseconds, and however many follow each other, the scan goes on after STEP_ASIDE_AT_MOST.
void step_aside_for_searches(const Scan& scan) {
    constexpr auto STEP_ASIDE_AT_MOST = std::chrono::milliseconds(500);
    const auto until = std::chrono::steady_clock::now() + STEP_ASIDE_AT_MOST;
    while (scan.options.searches_running->load(std::memory_order_relaxed) > 0 &&
           !scan.options.exit_requested->load(std::memory_order_relaxed) &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void run_worker(Scan& scan) {
    if (scan.options.background) begin_background_mode();
    std::vector<ListedItem> listing;
    std::vector<WorkItem> found;
    while (std::optional<WorkItem> work = next_work(scan)) {
        if (scan.options.background && scan.options.searches_running) step_aside_for_searches(scan);
        // A folder that cannot be listed is an entry without children.
        ListStatus status = scan.list(work->path, listing);
        if (status != ListStatus::Listed) listing.clear();
        if (!work->excluded.empty()) leave_out_excluded(listing, work->excluded);

        found.clear();
        {
            // One locked step per folder keeps its children one contiguous run.
            std::lock_guard lock(scan.table_mutex);
            VolumeTable& table = scan.table;
            ScanReport& report = scan.report;
            if (status == ListStatus::Unreadable) report.unreadable_folders.push_back(work->index);
            uint32_t first = table.size();
            uint32_t added = 0;
            for (ListedItem& item : listing) {
                uint32_t index =
                    table.add_entry(work->index, item.name, item.facts, item.reparse_tag);
                if (index == NO_ENTRY) {
                    ++report.left_out;  // the table is full
                    continue;
                }
                ++added;
                if (is_walkable_folder(item.facts.attributes, item.reparse_tag))
                    found.push_back({index, join_native(work->path, item.native_name),
                                     work->excluded.below(item.name)});
            }
            if (added != 0) table.entries[work->index].set_child_span(first, added);
        }
        scan.options.items_read->fetch_add(listing.size(), std::memory_order_relaxed);

        std::lock_guard lock(scan.queue_mutex);
        for (WorkItem& item : found)
            scan.queue.push_back(std::move(item));
        --scan.active;
        scan.queue_changed.notify_all();
    }
    if (scan.options.background) end_background_mode();
}

}  // namespace

std::optional<VolumeTable> scan_root(const std::string& root, const ScanOptions& options) {
    static const ListDirectoryFn system_listing = list_directory;
    Scan scan(options, options.list ? options.list : system_listing,
              VolumeTable::with_root(root, options.limits));
    scan.queue.push_back({0, native_path(root), options.excluded});

    unsigned workers = std::max(options.workers, 1u);
    std::vector<std::thread> threads;
    threads.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) {
        try {
            threads.emplace_back(run_worker, std::ref(scan));
        } catch (const std::system_error&) {
            break;  // fewer workers than asked: the ones running finish the walk
        }
    }
    if (threads.empty()) run_worker(scan);
    for (std::thread& t : threads)
        t.join();

    if (options.exit_requested->load()) return std::nullopt;
    if (options.report) *options.report = std::move(scan.report);
    return std::move(scan.table);
}

std::optional<VolumeTable> scan_root(const std::string& root, unsigned workers, bool background) {
    ScanOptions options;
    options.workers = workers;
    options.background = background;
    return scan_root(root, options);
}

SubtreeWalk walk_subtree(std::string_view full_path, std::string_view relative_path,
                         const ListDirectoryFn& list, size_t limit,
                         const FolderExclusions& excluded) {
    struct Folder {
        NativePath path;
        std::string relative;
        FolderExclusions excluded;
    };
    SubtreeWalk walk;
    std::vector<WalkedItem>& out = walk.items;
    std::vector<Folder> stack{{native_path(full_path), std::string(relative_path), excluded}};
    std::vector<ListedItem> listing;
    while (!stack.empty()) {
        if (out.size() >= limit) {
            walk.complete = false;  // folders left unlisted
            break;
        }
        Folder folder = std::move(stack.back());
        stack.pop_back();
        ListStatus status =
            list ? list(folder.path, listing) : list_directory(folder.path, listing);
        // A folder removed since its parent was listed hides nothing; one that is there and
        // cannot be read does.
        if (status == ListStatus::Unreadable) walk.complete = false;
        if (status != ListStatus::Listed) continue;
        if (!folder.excluded.empty()) leave_out_excluded(listing, folder.excluded);
        for (ListedItem& item : listing) {
            if (out.size() >= limit) {
                walk.complete = false;
                break;
            }
            std::string relative = folder.relative;
            if (!relative.empty()) relative.push_back('\\');
            relative += item.name;
            if (is_walkable_folder(item.facts.attributes, item.reparse_tag))
                stack.push_back({join_native(folder.path, item.native_name), relative,
                                 folder.excluded.below(item.name)});
            out.push_back({std::move(relative), item.facts});
        }
    }
    return walk;
}

unsigned worker_count_for(unsigned processors, size_t roots) {
    unsigned budget = processors == 0 ? 4 : processors == 1 ? 2 : std::min(processors, 8u);
    roots = std::max<size_t>(roots, 1);
    unsigned per_root = budget >= roots ? static_cast<unsigned>(budget / roots) : 0;
    return std::max(per_root, 2u);
}

unsigned worker_count(size_t roots) {
    return worker_count_for(processor_count(), roots);
}

}  // namespace norvik
