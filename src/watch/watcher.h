// The change watcher: one thread per watched root reads the root's change notifications, turns
// each read into a batch (change_batch.h) and hands it to the index service, which applies it to
// the root's table or holds it back while the root is rescanned. A read that lost events, or a
// failed one, asks the service for a rescan of the root.
//
// The loop (run_watcher) and the watched-root set (WatchedRoots) are portable and take the
// system through the function objects below; SystemWatchers supplies ReadDirectoryChangesW on
// Windows. The native build has no system watcher: SystemWatchers::start fails there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "index/changes.h"
#include "watch/change_batch.h"
#include "watch/relist_folders.h"

namespace norvik {

// The change filter: file name, folder name, attributes, size and last write (0x1F). Attributes
// because hiding an item changes nothing else, and Wine reports a change of the date alone
// (touch -d) as one of the attributes.
inline constexpr uint32_t WATCH_FILTER = 0x1F;
// Wine fails a read whose events were lost with this error where Windows returns 0 bytes.
inline constexpr uint32_t ERROR_NOTIFY_ENUM_DIR_CODE = 1022;

enum class ReadStatus {
    Events,   // `bytes` bytes of records are in the buffer
    Lost,     // events were lost (the system's buffer overflowed): the root needs a rescan
    Failed,   // reading is over (the drive went away, the handle broke): rescan, then end
    Stopped,  // the watcher was told to end; no rescan
};

struct ReadOutcome {
    ReadStatus status = ReadStatus::Failed;
    size_t bytes = 0;
};

// ReadDirectoryChangesW's result in the terms above: success with 0 bytes and a failure with
// ERROR_NOTIFY_ENUM_DIR are both lost events; any other failure ends the watcher.
ReadOutcome classify_read(bool succeeded, uint32_t bytes, uint32_t error);

// Where a watcher's work goes: the index service's hand-off of a batch (apply or hold back) and
// its rescan request.
struct WatchSink {
    std::function<void(const std::string& root, std::vector<Change> batch)> deliver;
    std::function<void(const std::string& root)> request_rescan;
    // Optional: the watcher of root stops for good (its read failed). Told before the rescan is
    // asked for, so that the rescan's watch_roots finds the root unwatched and starts a new one.
    std::function<void(const std::string& root)> ended;
    // Optional: the folders below root whose changes are dropped (asked once per read, so an
    // exclusion made while watching holds from the next read on).
    std::function<FolderExclusions(const std::string& root)> excluded;
    // Optional: after a delivered batch, the folders worth listing again once the root has
    // settled (folders_to_relist); told only when there are some.
    std::function<void(const std::string& root, RelistFolders folders)> relist;
};

// The watcher's view of the system. read blocks until changes arrive.
struct WatcherIo {
    std::function<ReadOutcome(std::span<std::byte> buffer)> read;
    FactReader read_facts;
    SubtreeWalker walk;
};

// The watcher thread's loop; returns when a read fails (after saying it ended and asking for a
// rescan) or the watcher is stopped. buffer is the one allocated for this watcher and reused by
// every read.
void run_watcher(const std::string& root, const WatcherIo& io, const WatchSink& sink,
                 std::span<std::byte> buffer);

// Starts the watcher of one root; false when the root cannot be opened (it is not watched then).
using StartWatcherFn = std::function<bool(const std::string& root)>;

// A root whose watchers keep ending (a folder the system opens but cannot watch) is started at
// most this many times in a run: each end asks for a rescan, which would start the next.
inline constexpr int MAX_WATCHER_STARTS = 4;

// The process-wide watched-root set: the roots that have a watcher running. A root is in it from
// the start of its watcher until that watcher ends, so a rescan asked for by a watcher that
// ended (the drive went away and came back, the handle broke) watches the root again.
class WatchedRoots {
  public:
    explicit WatchedRoots(StartWatcherFn start) : start_(std::move(start)) {}

    // For each root in order: skipped when it is watched already, or its watchers were started
    // MAX_WATCHER_STARTS times; else its watcher is started. A root that cannot be opened is
    // not watched, and is tried again next time.
    void watch_roots(const std::vector<std::string>& roots);

    // The watcher of root ended: the next watch_roots that names it starts a new one.
    void watcher_ended(const std::string& root);

    bool contains(const std::string& root) const;

  private:
    // Never held while a watcher is started, since a watcher that ends at once reports it here
    // from its own thread.
    mutable std::mutex mutex_;
    std::set<std::string> watched_;
    std::map<std::string, int> starts_;  // watchers started per root
    StartWatcherFn start_;
};

// The system's watchers: for each started root, the root opened for listing and a thread
// blocked in ReadDirectoryChangesW (subtree, WATCH_FILTER, a NOTIFY_BUFFER_BYTES buffer).
// In the program these live until the process ends. Destroying them (tests) stops every watcher
// from delivering or requesting anything more, and ends its thread where the system lets a
// blocked read be cancelled.
class SystemWatchers {
  public:
    explicit SystemWatchers(WatchSink sink);
    ~SystemWatchers();
    SystemWatchers(const SystemWatchers&) = delete;
    SystemWatchers& operator=(const SystemWatchers&) = delete;

    // Opens root and starts its thread; false when it cannot be opened (always, natively).
    bool start(const std::string& root);

    struct Shared;  // what the threads share with this object; defined by the platform twin

  private:
    std::shared_ptr<Shared> shared_;
};

// The facts of the item at full_path (GetFileAttributesExW); nothing natively.
std::optional<FileFacts> read_file_facts(const std::string& full_path);

}  // namespace norvik
