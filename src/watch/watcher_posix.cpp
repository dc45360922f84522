// The native build has no system watcher: nothing is watched, the index changes only by rescans.
// The watcher's logic is tested natively through run_watcher with a scripted WatcherIo.
#include "watch/watcher.h"

namespace norvik {

struct SystemWatchers::Shared {
    WatchSink sink;
};

SystemWatchers::SystemWatchers(WatchSink sink) : shared_(std::make_shared<Shared>()) {
    shared_->sink = std::move(sink);
}

SystemWatchers::~SystemWatchers() = default;

bool SystemWatchers::start(const std::string&) {
    return false;
}

std::optional<FileFacts> read_file_facts(const std::string&) {
    return std::nullopt;
}

}  // namespace norvik
