#include <memory>
#include <mutex>

#include "index/scan.h"
#include "index/volumes.h"
#include "service/index_service.h"
#include "watch/change_batch.h"
#include "watch/watcher.h"

namespace norvik {

namespace {

// The watched-root set and the system watchers of one service, made when it first asks to
// watch something: their batches and rescan requests go to that service.
class ServiceWatchers {
  public:
    void watch(IndexService& service, const std::vector<std::string>& roots) {
        {
            std::lock_guard lock(mutex_);
            if (!watched_) {
                watched_ = std::make_unique<WatchedRoots>(
                    [this](const std::string& root) { return system_->start(root); });
                WatchSink sink;
                sink.deliver = [&service](const std::string& root, std::vector<Change> batch) {
                    service.apply_watcher_batch(root, std::move(batch));
                };
                sink.request_rescan = [&service](const std::string& root) {
                    // A rescan that cannot be started leaves the table as it is until the
                    // next one; the watcher goes on either way.
                    (void)service.request_rescan(root);
                };
                sink.ended = [watched = watched_.get()](const std::string& root) {
                    watched->watcher_ended(root);
                };
                sink.excluded = [&service](const std::string& root) {
                    return service.exclusions_for(root);
                };
                sink.relist = [&service](const std::string& root, RelistFolders folders) {
                    service.relist_after_settle(root, folders);
                };
                system_ = std::make_unique<SystemWatchers>(std::move(sink));
            }
        }
        watched_->watch_roots(roots);
    }

  private:
    std::mutex mutex_;
    // The watchers report their end to watched_, which starts them through system_: system_ is
    // destroyed first, and stops every report before watched_ goes.
    std::unique_ptr<WatchedRoots> watched_;
    std::unique_ptr<SystemWatchers> system_;
};

}  // namespace

ServicePlatform system_service_platform(std::function<void(IndexChange)> notify) {
    ServicePlatform platform;
    platform.list_volumes = [] { return list_volumes(); };
    platform.scan_root = [](const std::string& root, const ScanOptions& options) {
        return scan_root(root, options);
    };
    platform.worker_count = [](size_t roots) { return worker_count(roots); };
    platform.list_folder = [](const std::string& root, const std::string& relative,
                              std::vector<ListedItem>& out) {
        return list_directory(native_path(event_full_path(root, relative)), out);
    };
    platform.walk_new_folder = [](const std::string& root, const std::string& relative,
                                  const FolderExclusions& excluded) {
        return walk_subtree(event_full_path(root, relative), relative, {}, WALK_LIMIT, excluded);
    };
    auto watchers = std::make_shared<ServiceWatchers>();
    platform.watch_roots = [watchers](IndexService& service,
                                      const std::vector<std::string>& roots) {
        watchers->watch(service, roots);
    };
    platform.walk_folder = [](const std::string& root, const std::string& relative,
                              const FolderExclusions& excluded) -> std::optional<WalkedFolder> {
        const std::string full = event_full_path(root, relative);
        std::optional<FileFacts> facts = read_file_facts(full);
        if (!facts) return std::nullopt;
        SubtreeWalk walk;
        if (facts->attributes & ATTRIBUTE_DIRECTORY)
            walk = walk_subtree(full, relative, {}, WALK_LIMIT, excluded);
        return WalkedFolder{Change::added(relative, facts, std::move(walk.items)), walk.complete};
    };
    platform.wait_before_refresh = wait_refresh_delay;
    platform.notify = std::move(notify);
    return platform;
}

}  // namespace norvik
