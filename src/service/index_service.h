// The index service: owns the life of the Index. At start-up it loads the saved index and
// publishes it at once, then builds the index from scratch or refreshes it in the background;
// later it rescans roots on request (the user's rebuild, a watcher that lost events), publishes
// each finished table in place of the old one, replays the watcher changes held back while the
// table was built, saves the index file and tells the window what happened.
//
// The logic is portable. The system comes in through ServicePlatform (volumes, the scan, the
// watchers, the start-up wait, the window notification), so the whole life cycle runs in tests
// with fakes, and in the program with system_service_platform().
//
// Lock order, everywhere: the deferred_changes mutex, then the completed_roots mutex (taken and
// released inside), then the index lock.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "index/changes.h"
#include "index/index.h"
#include "index/scan.h"
#include "index/volume_table.h"
#include "service/relist.h"

namespace norvik {

// What the window should do about a change (the program posts it as WM_APP_INDEX_CHANGED's
// wParam): search again at once (1: the index was loaded, or a
// root's scan ended) or after a debounce (0: a rescan started, or a watcher batch was applied).
enum class IndexChange : uintptr_t { Debounced = 0, Now = 1 };

// What became of a watcher's batch.
enum class BatchOutcome {
    Applied,   // applied to the root's table under the write lock
    HeldBack,  // the root is being rescanned; the rescan applies it before it publishes
    NoTable,   // no table has this root; nothing changed
};

class IndexService;

// A folder included again, as read from the disk: the change that adds it with the walk below
// it, and whether that walk found all of it (it stops at WALK_LIMIT items, and a folder in it
// may be unreadable).
struct WalkedFolder {
    Change change;
    bool complete = true;
};

// The system as the service sees it. Every member but batch_handled must be set.
struct ServicePlatform {
    std::function<std::vector<std::string>()> list_volumes;
    // Builds a root's table; nothing when the scan stopped because the program is quitting.
    std::function<std::optional<VolumeTable>(const std::string& root, const ScanOptions& options)>
        scan_root;
    std::function<unsigned(size_t roots)> worker_count;
    // Optional, both or neither: a folder of root listed again after a burst (relative path,
    // "" for the root), and the walk of a folder that listing found missing from the table
    // (leaving out `excluded`, relative to that folder).
    // Without them nothing is listed again.
    std::function<ListStatus(const std::string& root, const std::string& relative,
                             std::vector<ListedItem>& out)>
        list_folder;
    std::function<SubtreeWalk(const std::string& root, const std::string& relative,
                              const FolderExclusions& excluded)>
        walk_new_folder;
    // Optional: told after each second look at root: the folders listed, the changes applied,
    // and how long it took (norvik-cli watch prints it).
    std::function<void(const std::string& root, size_t folders, size_t changes,
                       std::chrono::milliseconds took)>
        relisted;
    // Starts watching the roots not watched yet; their batches go to service.
    std::function<void(IndexService& service, const std::vector<std::string>& roots)> watch_roots;
    // The 90 seconds a start at logon waits before refreshing the known drives.
    std::function<void()> wait_before_refresh;
    // Tells the window the index changed (the program posts a window message); must not block.
    std::function<void(IndexChange)> notify;
    // Optional: what a folder included again brings back, read from the disk (leaving out
    // `excluded`, relative to it), or nothing when it is not there. Without it such a folder
    // returns with its root's next rescan.
    std::function<std::optional<WalkedFolder>(const std::string& root,
                                              const std::string& relative_path,
                                              const FolderExclusions& excluded)>
        walk_folder;
    // Optional: told about every watcher batch after it was handled (norvik-cli watch prints it).
    std::function<void(const std::string& root, const std::vector<Change>& batch, BatchOutcome)>
        batch_handled;
};

struct ServiceOptions {
    std::string index_file;  // empty: index_path()
    // The process-wide values unless a test or a tool brings its own.
    std::atomic<uint64_t>* items_read = &norvik::items_read;
    std::atomic<bool>* exit_requested = &norvik::exit_requested;
    std::atomic<bool>* index_dirty = nullptr;  // nullptr: norvik::index_dirty
    // How long a root goes without watcher batches before its burst's folders are listed again.
    std::chrono::milliseconds relist_quiet = RELIST_QUIET;
    // Saved tables of roots that are not current stay in the index as they were (never scanned
    // or watched) and are saved again, for a tool that follows some folders of an index file
    // it shares with others (norvik-cli watch). Off: they are dropped, as for drives gone.
    bool keep_other_roots = false;
    // Full paths of the folders kept out of the index: never scanned, their changes never
    // applied, their subtrees dropped from the saved tables as they are loaded.
    std::vector<std::string> excluded_folders{};
};

// The saved tables whose root is one of the current roots (every saved table with
// keep_others), in root order, one per root (a file naming a root twice keeps the first).
std::vector<VolumeTable> keep_current_tables(std::vector<VolumeTable> saved,
                                             const std::vector<std::string>& current_roots,
                                             bool keep_others = false);

class IndexService {
  public:
    IndexService(Index& index, ServicePlatform platform, ServiceOptions options = {});
    // Starts no more rescans, waits for the ones running, then stops the watchers it started.
    // The program never destroys its service; tests do.
    ~IndexService();
    IndexService(const IndexService&) = delete;
    IndexService& operator=(const IndexService&) = delete;

    // The body of the index service thread: load, publish, then build or refresh (with `tray`,
    // watch first, scan new drives at once and refresh the rest after the wait). Returns when
    // its start-up work is done.
    void run_index_service(bool tray);

    // Scans the roots together and returns when each was published or dropped. A root already
    // being rescanned is left to that rescan.
    void rescan(std::vector<std::string> roots, bool background);

    // rescan(list_volumes(), background) on a detached thread: "Rebuild the file list" and F5.
    // False when the thread could not be started or the service is shutting down.
    bool rebuild_all();
    // rescan({root}, background) on a detached thread: a watcher that lost events or failed.
    // A root being rescanned is scanned once more when that rescan has published it, since
    // its walk may have passed what the lost events named; many such requests during one
    // rescan give one more scan.
    bool request_rescan(const std::string& root);

    // The last step of a root's scan: replays the held-back changes into table and swaps it in
    // for the root's old table (or inserts it). Nothing: the scan was stopped for quitting, and
    // the held-back changes are dropped with it; or it failed, and they are applied to the old
    // table, which stays. True when the root was asked to be rescanned meanwhile: it stays
    // marked as being rescanned, its changes still held back, and the caller scans it again.
    bool publish_table(const std::string& root, std::optional<VolumeTable> table);

    // A watcher's batch for root: held back while the root is rescanned, else applied to its
    // table in one write-locked step; then index_generation goes up and the window is told.
    BatchOutcome apply_watcher_batch(const std::string& root, std::vector<Change> batch);

    // Folders of root (relative paths) that a watcher wants listed again. Once root has had no
    // watcher batch for relist_quiet (and is not being rescanned), a detached thread lists them
    // and applies what differs from the table as a watcher batch. Asked for more than
    // MAX_RELIST_FOLDERS folders before that, it lists the arrived folders whole instead of
    // each folder inside them; still more, and it requests a rescan of root instead.
    void relist_after_settle(const std::string& root, const RelistFolders& folders);

    // Blocks until every rescan started by rebuild_all and request_rescan has ended. The
    // threads stay detached; this only counts them (tests, tools).
    void wait_for_rescans();
    // How many of those are running now.
    size_t rescans_running();

    // State the window reads without locks.
    std::atomic<bool> index_ready{false};
    std::atomic<uint64_t> scans_in_progress{0};
    std::atomic<uint64_t> index_generation{0};

    Index& index() { return index_; }
    uint64_t items_read() const { return options_.items_read->load(); }
    bool index_dirty() const { return options_.index_dirty->load(); }
    const std::string& index_file() const { return index_file_; }
    // A copy of completed_roots: roots whose scan was published during this run.
    std::set<std::string> completed_roots() const;
    // True while root has an entry in deferred_changes (a rescan of it is running).
    bool is_rescanning(const std::string& root) const;
    // The excluded folders below root, relative to it.
    FolderExclusions exclusions_for(const std::string& root) const;
    // Replaces the excluded folders (full paths) and applies the difference as a batch of
    // changes per root (held back like a watcher's while the root is rescanned, so a table
    // published later loses them too): folders newly excluded leave at once with all they hold;
    // folders no longer excluded are walked back in on a detached thread, and their root is
    // rescanned when such a walk could not find everything. Entry indexes stay. Reads no disk.
    void set_excluded_folders(std::vector<std::string> full_paths);

  private:
    // What a request for a root that is being rescanned does.
    enum class WhileRescanning { Skip, Again };
    void rescan(std::vector<std::string> roots, bool background, WhileRescanning running);
    bool start_detached(std::function<void()> work);
    // Scans root and publishes it, again as long as publish_table asks; with `again` the first
    // scan is such a repeat (the root already counted as being rescanned).
    void scan_and_publish(const std::string& root, unsigned workers, bool background,
                          bool again = false);
    void notify(IndexChange change);
    // A watcher batch came for root: its settle starts over.
    void note_watcher_activity(const std::string& root);
    // The roots with a table or a scan running, read under deferred_changes: a root is in one
    // or the other from the start of its first scan on.
    std::vector<std::string> known_roots() const;
    // The detached walk of set_excluded_folders: each (root, relative path) included again.
    void include_again(const std::vector<std::pair<std::string, std::string>>& folders);
    // Watcher batches and published tables of root so far (root_writes_).
    uint64_t writes_to(const std::string& root) const;
    // The thread of relist_after_settle: waits for root to settle, then lists its folders.
    void settle_and_relist(const std::string& root);
    void relist(const std::string& root, const RelistRequest& request);
    // Applies one folder's listing changes as a watcher batch would be, unless a watcher batch
    // or a new table came for root since the listing began (writes_to was writes_before) or the
    // root is being rescanned: then nothing is applied and the outcome is HeldBack.
    BatchOutcome apply_listing_changes(const std::string& root, std::vector<Change> changes,
                                       uint64_t writes_before);

    Index& index_;
    ServicePlatform platform_;
    ServiceOptions options_;
    std::string index_file_;

    // deferred_changes: root -> batches held back while that root is rescanned, in arrival
    // order. An entry exists exactly while the root is rescanned. Locked before the index lock.
    mutable std::mutex deferred_mutex_;
    std::map<std::string, std::vector<Change>> deferred_changes_;
    // Roots being rescanned that a watcher asked to rescan meanwhile: each is scanned once more
    // when its current scan has published. Guarded by deferred_mutex_.
    std::set<std::string> rescan_again_;
    // Per root, the watcher batches taken and the tables published so far. Guarded by
    // deferred_mutex_. A listing compared with the table is applied only if its root's count
    // has not moved since the listing began: anything counted may be newer than the listing.
    std::map<std::string, uint64_t> root_writes_;

    mutable std::mutex completed_mutex_;
    std::set<std::string> completed_roots_;

    // The excluded folders' full paths; taken alone, or inside exclusion_order_mutex_.
    mutable std::mutex excluded_mutex_;
    std::vector<std::string> excluded_folders_;
    // Held while the list changes and its removals are applied, and while a folder included
    // again is applied after its walk: a walk that ends after its folder was excluded anew sees
    // the new list then. Taken first of all, before excluded_mutex_ and deferred_changes.
    std::mutex exclusion_order_mutex_;
    // Roots waiting to settle, each with a thread of settle_and_relist. Taken alone, or before
    // deferred_changes; relist_stop_ ends the waits (the destructor).
    std::mutex relist_mutex_;
    std::condition_variable relist_wake_;
    std::map<std::string, RelistRequest> relists_;
    bool relist_stop_ = false;

    // Detached rescan threads still running, for wait_for_rescans and the destructor.
    // Shared with each thread, which still releases the mutex after the waiter in the destructor
    // has seen the count reach zero and gone on to free the service.
    struct DetachedThreads {
        std::mutex mutex;
        std::condition_variable done;
        size_t running = 0;
        bool closing = false;
    };
    std::shared_ptr<DetachedThreads> threads_ = std::make_shared<DetachedThreads>();
};

// The platform's own pieces: list_volumes, scan_root and worker_count of the drive scan, the
// system watchers (ReadDirectoryChangesW on Windows; none natively), the 90-second wait on a
// high-resolution waitable timer with Sleep as the fallback, and `notify` as given (start-up
// passes one that posts a message to the main window).
ServicePlatform system_service_platform(std::function<void(IndexChange)> notify);

// Waits milliseconds on a high-resolution waitable timer (Windows) or a sleep (natively); false
// when the timer could not be made, set or waited for.
[[nodiscard]] bool wait_high_resolution(uint32_t milliseconds);

// The wait of a start at logon: 90 seconds with wait_high_resolution, or Sleep(90,000) when that
// fails.
void wait_refresh_delay();

}  // namespace norvik
