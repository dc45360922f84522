// An App wired to a real Index, an unstarted SearchWorker (requests stay in its slot, where tests
// read them back with take_request) and an idle IndexService, plus a FakeShell. The window's
// native tests build on it.
#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "app/core/app.h"
#include "service/index_service.h"
#include "support/fake_shell.h"

namespace norvik::testing {

// A platform that lists no drives and does nothing: the service is only read (its generation and
// status values) or asked to rebuild.
inline ServicePlatform idle_platform() {
    ServicePlatform platform;
    platform.list_volumes = [] { return std::vector<std::string>{}; };
    platform.scan_root = [](const std::string&, const ScanOptions&) {
        return std::optional<VolumeTable>{};
    };
    platform.worker_count = [](size_t) { return 1u; };
    platform.watch_roots = [](IndexService&, const std::vector<std::string>&) {};
    platform.wait_before_refresh = [] {};
    platform.notify = [](IndexChange) {};
    return platform;
}

struct AppFixture {
    Index index;
    std::atomic<uint64_t> items_read{0};
    std::atomic<bool> exit_requested{false};
    std::atomic<bool> index_dirty{false};
    SearchWorker worker{index, [] {}};
    IndexService service{index, idle_platform(),
                         ServiceOptions{"", &items_read, &exit_requested, &index_dirty}};
    FakeShell shell;
    App app;

    // A 960 x 640 window at 96 DPI.
    AppFixture() {
        app.engine = Engine{&index, &worker, &service, &exit_requested, &index_dirty};
        app.client_width = 960;
        app.client_height = 640;
    }
};

}  // namespace norvik::testing
