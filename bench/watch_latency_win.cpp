// From a file being created to its entry being searchable, through ReadDirectoryChangesW, the
// batch building, the index service's hand-off and the write-locked apply: the median of 20
// creations in a fresh folder (under Wine: a Z:\tmp folder). Windows build only; run it with
// bench/watch_latency.sh.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "index/scan.h"
#include "service/index_service.h"
#include "wine_bench.h"

using namespace norvik;
using norvik::bench::utf8;

namespace {

constexpr int SAMPLES = 20;

}  // namespace

int wmain() {
    std::error_code error;
    std::filesystem::path folder = bench::fresh_folder("norvik-latency");
    std::filesystem::create_directories(folder / "docs" / "sub");
    std::string root = utf8(folder) + "\\";

    std::mutex mutex;
    std::condition_variable applied;
    Index index;
    std::atomic<uint64_t> items{0};
    std::atomic<bool> quit{false};
    std::atomic<bool> dirty{false};
    ServicePlatform platform = system_service_platform({});
    platform.list_volumes = [&] { return std::vector<std::string>{root}; };
    platform.batch_handled = [&](const std::string&, const std::vector<Change>&, BatchOutcome) {
        std::lock_guard lock(mutex);
        applied.notify_all();
    };
    ServiceOptions options;
    options.index_file = utf8(folder.parent_path() / (folder.filename().string() + "-index.bin"));
    options.items_read = &items;
    options.exit_requested = &quit;
    options.index_dirty = &dirty;

    std::vector<double> samples;
    {
        IndexService service(index, std::move(platform), options);
        service.run_index_service(false);

        // Waits until relative is in the index; false after 5 s.
        auto wait_for = [&](const std::string& relative) {
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            std::unique_lock lock(mutex);
            while (true) {
                {
                    std::shared_lock read(index.lock);
                    std::optional<size_t> at = index.find(root);
                    if (at && index.tables[*at].find_path(relative)) return true;
                }
                if (std::chrono::steady_clock::now() > deadline) return false;
                applied.wait_for(lock, std::chrono::milliseconds(1));
            }
        };
        // The watcher's first read may not have started yet: wait for a first file to arrive.
        for (int attempt = 0;; ++attempt) {
            std::string probe = "probe" + std::to_string(attempt) + ".txt";
            HANDLE h = CreateFileW((folder / probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   0, nullptr);
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
            if (wait_for(probe)) break;
            if (attempt == 5) {
                std::fprintf(stderr, "the watcher reported nothing\n");
                return 1;
            }
        }

        for (int i = 0; i < SAMPLES; ++i) {
            std::string name = "file" + std::to_string(i) + ".txt";
            auto start = std::chrono::steady_clock::now();
            HANDLE h = CreateFileW((folder / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   0, nullptr);
            if (h == INVALID_HANDLE_VALUE) return 1;
            CloseHandle(h);
            if (!wait_for(name)) {
                std::fprintf(stderr, "%s never became searchable\n", name.c_str());
                return 1;
            }
            samples.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
            Sleep(50);
        }
    }
    std::filesystem::remove_all(folder, error);
    std::filesystem::remove(options.index_file, error);

    std::vector<double> sorted = samples;
    std::sort(sorted.begin(), sorted.end());
    double median = (sorted[SAMPLES / 2 - 1] + sorted[SAMPLES / 2]) / 2;
    std::printf("created -> searchable, %d files: median %.2f ms, min %.2f ms, max %.2f ms\n",
                SAMPLES, median, sorted.front(), sorted.back());
    std::printf("samples (ms):");
    for (double s : samples)
        std::printf(" %.2f", s);
    std::printf("\n");
    return 0;
}
