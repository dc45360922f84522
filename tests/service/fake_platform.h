// A ServicePlatform made of fakes: drives are FakeTrees, scans of a root can be held at a gate
// until the test lets them go, and every call the service makes is logged in order.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "service/index_service.h"
#include "support/fake_tree.h"

namespace norvik::testing {

// "A" -> "/a/" natively, "A:\" in the Windows build: a root as the fake scan takes it.
inline std::string drive(char letter) {
#ifdef _WIN32
    return std::string(1, letter) + ":\\";
#else
    return std::string("/") + char(letter - 'A' + 'a') + "/";
#endif
}

class FakePlatform {
  public:
    // One drive: a tree with a file "<letter>.txt" and a folder "docs" holding "d.txt".
    FakeTree& add_drive(char letter) {
        auto tree = std::make_unique<FakeTree>(drive(letter));
        tree->add_file(std::string(1, letter) + ".txt", 1, 100);
        tree->add_folder("docs");
        tree->add_file("docs\\d.txt", 2, 200);
        FakeTree& ref = *tree;
        std::lock_guard lock(mutex_);
        drives_[drive(letter)] = std::move(tree);
        volumes_.push_back(drive(letter));
        return ref;
    }

    // Scans of root wait at the gate until released (or until the scan sees exit_requested,
    // after the test released the gate).
    void hold(const std::string& root) {
        std::lock_guard lock(mutex_);
        held_.insert(root);
    }
    void release(const std::string& root) {
        std::lock_guard lock(mutex_);
        held_.erase(root);
        changed_.notify_all();
    }

    // Runs inside the scan of root, after its walk and before it returns: the moment to change
    // the disk behind the walk's back. Called with no lock of the fake held.
    void after_walk(const std::string& root, std::function<void()> action) {
        std::lock_guard lock(mutex_);
        after_walk_[root] = std::move(action);
    }

    // Walks of folders included again stop after this many items, as the real one does after
    // WALK_LIMIT.
    void limit_walks(size_t items) {
        std::lock_guard lock(mutex_);
        walk_limit_ = items;
    }
    // The threads those walks ran on, in order.
    std::vector<std::thread::id> walk_threads() const {
        std::lock_guard lock(mutex_);
        return walk_threads_;
    }

    // The start-up wait of a logon start runs this instead of waiting 90 seconds.
    void on_wait(std::function<void()> action) { on_wait_ = std::move(action); }

    // Makes the next scan of root throw, as an allocation failure mid-scan would.
    void fail_scan(const std::string& root) {
        std::lock_guard lock(mutex_);
        failing_.insert(root);
    }

    // Makes the next watch_roots throw, as an allocation failure while starting watchers would.
    void fail_next_watch() {
        std::lock_guard lock(mutex_);
        fail_watch_ = true;
    }

    // Changes a drive's tree under the lock the fake scans list it with.
    void change_disk(const std::string& root, const std::function<void(FakeTree&)>& change) {
        std::lock_guard lock(disk_mutex_);
        change(*drives_.at(root));
    }

    // Waits (up to 20 s) until predicate holds; predicate runs under the fake's lock, where the
    // log and the notifications can be read. It is checked whenever the fake records something,
    // and every few milliseconds for state the fake does not see change (the service's own).
    [[nodiscard]] bool wait_until(const std::function<bool()>& predicate) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        std::unique_lock lock(mutex_);
        while (!predicate()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            changed_.wait_for(lock, std::chrono::milliseconds(5));
        }
        return true;
    }

    std::vector<std::string> log() const {
        std::lock_guard lock(mutex_);
        return log_;
    }
    std::vector<IndexChange> notes() const {
        std::lock_guard lock(mutex_);
        return notes_;
    }
    // Log lines starting with prefix, under the fake's lock (for wait_until predicates).
    size_t count_locked(std::string_view prefix) const {
        size_t n = 0;
        for (const std::string& line : log_)
            n += line.rfind(prefix, 0) == 0;
        return n;
    }
    size_t count(std::string_view prefix) const {
        std::lock_guard lock(mutex_);
        return count_locked(prefix);
    }

    // Log lines: "watch R", "scan R bg|fg N" (N workers), "scanned R", "wait", "batch R outcome",
    // "walk R<relative path>" (a folder included again).
    ServicePlatform make() {
        ServicePlatform platform;
        platform.list_volumes = [this] {
            std::lock_guard lock(mutex_);
            return volumes_;
        };
        platform.scan_root = [this](const std::string& root, const ScanOptions& options) {
            return scan(root, options);
        };
        platform.worker_count = [](size_t roots) { return roots == 1 ? 3u : 2u; };
        platform.watch_roots = [this](IndexService&, const std::vector<std::string>& roots) {
            std::lock_guard lock(mutex_);
            if (std::exchange(fail_watch_, false)) throw std::bad_alloc();
            for (const std::string& root : roots)
                log_.push_back("watch " + root);
            changed_.notify_all();
        };
        platform.wait_before_refresh = [this] {
            {
                std::lock_guard lock(mutex_);
                log_.push_back("wait");
            }
            if (on_wait_) on_wait_();
        };
        platform.notify = [this](IndexChange change) {
            std::lock_guard lock(mutex_);
            notes_.push_back(change);
            changed_.notify_all();
        };
        platform.walk_folder =
            [this](const std::string& root, const std::string& relative,
                   const FolderExclusions& excluded) -> std::optional<WalkedFolder> {
            size_t limit = WALK_LIMIT;
            {
                std::lock_guard lock(mutex_);
                log_.push_back("walk " + root + relative);
                walk_threads_.push_back(std::this_thread::get_id());
                limit = walk_limit_;
                changed_.notify_all();
            }
            std::lock_guard disk(disk_mutex_);
            auto it = drives_.find(root);
            if (it == drives_.end()) return std::nullopt;
            FakeTree& tree = *it->second;
            std::optional<FileFacts> facts = tree.facts(relative);
            if (!facts) return std::nullopt;
            SubtreeWalk walk =
                walk_subtree(tree.full_path(relative), relative, tree.lister(), limit, excluded);
            return WalkedFolder{Change::added(relative, facts, std::move(walk.items)),
                                walk.complete};
        };
        platform.batch_handled = [this](const std::string& root, const std::vector<Change>&,
                                        BatchOutcome outcome) {
            static const char* names[] = {"applied", "held back", "no table"};
            std::lock_guard lock(mutex_);
            log_.push_back("batch " + root + " " + names[static_cast<int>(outcome)]);
            changed_.notify_all();
        };
        return platform;
    }

  private:
    std::optional<VolumeTable> scan(const std::string& root, const ScanOptions& options) {
        std::function<void()> after;
        {
            std::unique_lock lock(mutex_);
            log_.push_back("scan " + root + (options.background ? " bg " : " fg ") +
                           std::to_string(options.workers));
            changed_.notify_all();
            changed_.wait(lock, [&] { return !held_.contains(root); });
            if (failing_.erase(root)) throw std::bad_alloc();
            if (auto it = after_walk_.find(root); it != after_walk_.end()) {
                after = std::move(it->second);
                after_walk_.erase(it);
            }
        }
        ScanOptions fake = options;
        FakeTree& tree = *drives_.at(root);
        fake.list = [this, &tree](const NativePath& folder, std::vector<ListedItem>& out) {
            std::lock_guard lock(disk_mutex_);
            return tree.lister()(folder, out);
        };
        std::optional<VolumeTable> table = scan_root(root, fake);
        if (after) after();
        std::lock_guard lock(mutex_);
        log_.push_back("scanned " + root);
        changed_.notify_all();
        return table;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> log_;
    std::vector<IndexChange> notes_;
    std::vector<std::string> volumes_;
    std::set<std::string> held_;
    std::set<std::string> failing_;
    bool fail_watch_ = false;
    size_t walk_limit_ = WALK_LIMIT;
    std::vector<std::thread::id> walk_threads_;
    std::map<std::string, std::function<void()>> after_walk_;
    std::function<void()> on_wait_;

    std::mutex disk_mutex_;  // the trees, while scans list them
    std::map<std::string, std::unique_ptr<FakeTree>> drives_;
};

}  // namespace norvik::testing
