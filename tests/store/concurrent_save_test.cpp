// Saves that overlap (a rescan finishing while the program quits) must each leave a complete
// index file behind, while a writer keeps changing the index.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "store/index_file.h"
#include "support/temp_folder.h"

namespace norvik {
namespace {

TEST(ConcurrentSave, OverlappingSavesAlwaysLeaveALoadableFile) {
    testing::TempFolder folder;
    const std::string path = folder.root() + "index.bin";
    Index index;
    VolumeTable table = VolumeTable::with_root("C:\\");
    for (int i = 0; i < 20000; ++i)
        table.add_entry(0, "file-" + std::to_string(i) + ".txt", FileFacts{.size = 1}, 0);
    index.replace_or_insert(std::move(table));
    std::atomic<bool> dirty{true};
    std::atomic<bool> stop{false};
    std::atomic<int> damaged{0};
    std::atomic<int> written{0};

    std::thread writer([&] {
        for (int i = 0; i < 200 && !stop; ++i) {
            {
                std::unique_lock lock(index.lock);
                index.tables[0].add_entry(0, "late-" + std::to_string(i), FileFacts{}, 0);
            }
            dirty = true;
            std::this_thread::yield();
        }
    });
    auto saver = [&] {
        for (int i = 0; i < 15; ++i) {
            dirty = true;
            if (save_index(index, dirty, path) == SaveOutcome::Written) {
                ++written;
                if (load_index_file(path).status != LoadStatus::Loaded) ++damaged;
            }
        }
    };
    std::vector<std::thread> savers;
    for (int i = 0; i < 3; ++i)
        savers.emplace_back(saver);
    for (std::thread& t : savers)
        t.join();
    stop = true;
    writer.join();

    EXPECT_GT(written.load(), 0);
    EXPECT_EQ(damaged.load(), 0);
    dirty = true;
    ASSERT_EQ(save_index(index, dirty, path), SaveOutcome::Written);
    LoadResult loaded = load_index_file(path);
    ASSERT_EQ(loaded.status, LoadStatus::Loaded);
    EXPECT_EQ(loaded.tables[0].size(), index.tables[0].size());
}

// Two runs of norvik-cli writing the same output at once must both succeed: each writes a
// temporary file of its own, and the last rename wins with a whole file.
TEST(ConcurrentSave, WritersOfOneOutputDoNotCollide) {
    testing::TempFolder folder;
    const std::string path = folder.root() + "shared.idx";
    std::vector<VolumeTable> tables;
    tables.push_back(VolumeTable::with_root("C:\\"));
    for (int i = 0; i < 5000; ++i)
        tables[0].add_entry(0, "f" + std::to_string(i), FileFacts{}, 0);
    std::mutex errors_mutex;
    std::vector<std::string> errors;
    std::vector<std::thread> writers;
    for (int w = 0; w < 6; ++w) {
        writers.emplace_back([&] {
            for (int i = 0; i < 10; ++i) {
                if (IoStatus written = write_index_file(path, tables); !written) {
                    std::lock_guard lock(errors_mutex);
                    errors.push_back(written.error());
                }
            }
        });
    }
    for (std::thread& t : writers)
        t.join();
    EXPECT_TRUE(errors.empty()) << errors.size() << " failed, first: " << errors.front();
    EXPECT_EQ(load_index_file(path).status, LoadStatus::Loaded);
    size_t files = 0;
    for (const auto& item : std::filesystem::directory_iterator(folder.path()))
        files += item.is_regular_file();
    EXPECT_EQ(files, 1u) << "no temporary file is left";
}

}  // namespace
}  // namespace norvik
