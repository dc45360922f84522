// What a storm of 10,000 changes of the date alone costs the watcher (touch -d over a tree, a
// backup tool resetting times, an unpacker fixing them afterwards), beside a storm of 10,000
// writes: the time until every entry shows its new facts, until the second look after the
// burst is done, and the processor time of every thread but the one making the storm. Windows
// build only; run it with bench/attribute_storm.sh (under Wine: a Z:\tmp folder).
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <shared_mutex>
#include <string>
#include <thread>

#include "index/scan.h"
#include "platform/win_handles.h"
#include "service/index_service.h"
#include "wine_bench.h"

using namespace norvik;
using norvik::bench::utf8;

namespace {

constexpr int FOLDERS = 20;
constexpr int FILES = 500;  // per folder
constexpr uint32_t NEW_DATE = 1'500'000'000;

std::string relative_file(int folder, int file) {
    return "f" + std::to_string(folder) + "\\" + std::to_string(file) + ".txt";
}

double milliseconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Processor time (user and kernel) of the process and of the calling thread, in milliseconds.
double cpu_ms(bool thread_only) {
    FILETIME created, ended, kernel, user;
    BOOL ok = thread_only ? GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)
                          : GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    if (!ok) return 0;
    auto ticks = [](FILETIME t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e4;
}

}  // namespace

int wmain() {
    std::error_code error;
    std::filesystem::path folder = bench::fresh_folder("norvik-storm");
    for (int f = 0; f < FOLDERS; ++f) {
        std::filesystem::create_directories(folder / ("f" + std::to_string(f)));
        for (int i = 0; i < FILES; ++i)
            std::ofstream(folder / ("f" + std::to_string(f)) / (std::to_string(i) + ".txt")) << 'x';
    }
    std::string root = utf8(folder) + "\\";

    Index index;
    std::atomic<uint64_t> items{0};
    std::atomic<bool> quit{false};
    std::atomic<bool> dirty{false};
    std::atomic<size_t> batches{0}, changes{0}, looks{0}, looked_at{0};
    ServicePlatform platform = system_service_platform({});
    platform.list_volumes = [&] { return std::vector<std::string>{root}; };
    platform.batch_handled = [&](const std::string&, const std::vector<Change>& batch,
                                 BatchOutcome) {
        batches.fetch_add(1);
        changes.fetch_add(batch.size());
    };
    platform.relisted = [&](const std::string&, size_t folders, size_t, std::chrono::milliseconds) {
        looked_at.fetch_add(folders);
        looks.fetch_add(1);
    };
    ServiceOptions options;
    options.index_file = utf8(folder.parent_path() / (folder.filename().string() + "-index.bin"));
    options.items_read = &items;
    options.exit_requested = &quit;
    options.index_dirty = &dirty;
    {
        IndexService service(index, std::move(platform), options);
        service.run_index_service(false);
        // Wine watches a folder that was there before the watch only once a handle is opened in
        // it after the watch began.
        (void)walk_subtree(root, "");
        std::this_thread::sleep_for(std::chrono::seconds(2));

        // Every file shows what the storm gave it; false after 60 s.
        auto wait_all = [&](const std::function<bool(const Entry&)>& changed) {
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (std::chrono::steady_clock::now() < deadline) {
                size_t done = 0;
                {
                    std::shared_lock read(index.lock);
                    const VolumeTable& table = index.tables.at(*index.find(root));
                    for (int f = 0; f < FOLDERS; ++f) {
                        for (int i = 0; i < FILES; ++i) {
                            std::optional<uint32_t> at = table.find_path(relative_file(f, i));
                            done += at && changed(table.entries[*at]);
                        }
                    }
                }
                if (done == size_t{FOLDERS} * FILES) return true;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            return false;
        };
        struct Storm {
            const char* name;
            std::function<void(const std::filesystem::path&)> change;
            std::function<bool(const Entry&)> seen;
        };
        const Storm storms[] = {
            {"dates",
             [](const std::filesystem::path& file) {
                 FileHandle handle(CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
                 uint64_t ticks = (uint64_t{NEW_DATE} + 11'644'473'600ull) * 10'000'000ull;
                 FILETIME date{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
                 SetFileTime(handle.get(), nullptr, nullptr, &date);
             },
             [](const Entry& e) { return e.mtime == NEW_DATE; }},
            {"writes",
             [](const std::filesystem::path& file) { std::ofstream(file, std::ios::app) << 'y'; },
             [](const Entry& e) { return e.size == 2; }},
        };
        std::printf("%d changes per storm (%d folders of %d files)\n", FOLDERS * FILES, FOLDERS,
                    FILES);
        for (const Storm& storm : storms) {
            batches = 0;
            changes = 0;
            looks = 0;
            looked_at = 0;
            double cpu_before = cpu_ms(false) - cpu_ms(true);
            auto start = std::chrono::steady_clock::now();
            for (int f = 0; f < FOLDERS; ++f) {
                for (int i = 0; i < FILES; ++i)
                    storm.change(folder / ("f" + std::to_string(f)) / (std::to_string(i) + ".txt"));
            }
            double made = milliseconds_since(start);
            bool all = wait_all(storm.seen);
            double seen = milliseconds_since(start);
            // The second look starts once the root has been quiet for a second; a storm whose
            // reads were never bursts has none.
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (looks.load() == 0 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            double settled = milliseconds_since(start);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            double cpu = cpu_ms(false) - cpu_ms(true) - cpu_before;
            std::string second_look = "no second look (no read was a burst)";
            if (looks.load() != 0) {
                second_look = "second look (" + std::to_string(looked_at.load()) +
                              " folders) done after " + std::to_string(std::lround(settled)) +
                              " ms";
            }
            std::printf(
                "%-6s made in %6.0f ms; all seen%s after %6.0f ms; %s; %zu batches, %zu changes; "
                "processor time of the watcher and service: %.0f ms\n",
                storm.name, made, all ? "" : " NOT", seen, second_look.c_str(), batches.load(),
                changes.load(), cpu);
        }
        quit.store(true);
    }
    std::filesystem::remove_all(folder, error);
    std::filesystem::remove(options.index_file, error);
    return 0;
}
