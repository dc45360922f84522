// Saving and loading a generated 1,000,000-entry index: the file written once through its 1 MiB
// buffer and synced to the disk, read once and validated in one pass. Goal: each under 100 ms.
// The encode/decode pair measures the same work without the file system.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "hangul/utf8.h"
#include "store/index_codec.h"
#include "store/index_file.h"
#include "table_generator.h"

namespace norvik {
namespace {

const std::vector<VolumeTable>& million_entries() {
    static const std::vector<VolumeTable> tables = [] {
        std::vector<VolumeTable> t;
        t.push_back(generate_table(GeneratorOptions{.entries = 1'000'000}));
        return t;
    }();
    return tables;
}

// Next to the build, on a real disk (not a tmpfs), so the sync before the rename costs what it
// costs.
std::string bench_file() {
    std::filesystem::path folder = std::filesystem::current_path() / "store_bench_files";
    std::filesystem::create_directories(folder);
    return (folder / "index.bin").string();
}

void set_counters(benchmark::State& state, size_t file_bytes) {
    state.counters["entries"] = static_cast<double>(million_entries()[0].entries.size());
    state.counters["MB"] = static_cast<double>(file_bytes) / 1e6;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file_bytes));
}

void BM_SaveIndexFile(benchmark::State& state) {
    const auto& tables = million_entries();
    std::string path = bench_file();
    for (auto _ : state) {
        bool written = static_cast<bool>(write_index_file(path, tables));
        if (!written) state.SkipWithError("cannot write the index file");
    }
    set_counters(state, std::filesystem::file_size(path));
}
BENCHMARK(BM_SaveIndexFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// save_index as the program runs it: how long the index lock is held (the encoding, which every
// watcher batch and publication waits for) against the whole save with its sync and rename.
void BM_SaveIndexLockHeld(benchmark::State& state) {
    static Index index;
    if (index.tables.empty()) index.replace_all(million_entries());
    std::string path = bench_file();
    std::atomic<bool> dirty{true};
    double held_ms = 0;
    double total_ms = 0;
    for (auto _ : state) {
        dirty = true;
        auto start = std::chrono::steady_clock::now();
        std::chrono::steady_clock::time_point released;
        IndexBytesWriter write = [&](const std::string& to, std::string_view bytes,
                                     TemporaryName temporary) {
            released = std::chrono::steady_clock::now();  // the lock is free from here
            return write_index_bytes(to, bytes, temporary);
        };
        if (save_index(index, dirty, path, TemporaryName::Unique, write) != SaveOutcome::Written)
            state.SkipWithError("cannot save");
        auto end = std::chrono::steady_clock::now();
        held_ms += std::chrono::duration<double, std::milli>(released - start).count();
        total_ms += std::chrono::duration<double, std::milli>(end - start).count();
    }
    state.counters["lock_held_ms"] = held_ms / static_cast<double>(state.iterations());
    state.counters["save_ms"] = total_ms / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SaveIndexLockHeld)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadIndexFile(benchmark::State& state) {
    std::string path = bench_file();
    if (!write_index_file(path, million_entries())) state.SkipWithError("cannot write");
    for (auto _ : state) {
        LoadResult loaded = load_index_file(path);
        if (loaded.status != LoadStatus::Loaded) state.SkipWithError("the file did not load");
        benchmark::DoNotOptimize(loaded.tables.data());
    }
    set_counters(state, std::filesystem::file_size(path));
}
BENCHMARK(BM_LoadIndexFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EncodeIndex(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        std::string encoded = encode_index(million_entries());
        bytes = encoded.size();
        benchmark::DoNotOptimize(encoded.data());
    }
    set_counters(state, bytes);
}
BENCHMARK(BM_EncodeIndex)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeIndex(benchmark::State& state) {
    std::string encoded = encode_index(million_entries());
    for (auto _ : state) {
        auto tables = decode_index(
            std::span(reinterpret_cast<const uint8_t*>(encoded.data()), encoded.size()));
        if (!tables) state.SkipWithError("the bytes did not decode");
        benchmark::DoNotOptimize(tables->data());
    }
    set_counters(state, encoded.size());
}
BENCHMARK(BM_DecodeIndex)->Unit(benchmark::kMillisecond)->UseRealTime();

// The UTF-8 check of the name arena, a part of every load.
void BM_ValidateNames(benchmark::State& state) {
    const VolumeTable& table = million_entries()[0];
    const std::string_view names(table.names.data(), table.names.size());
    for (auto _ : state) {
        bool valid = is_valid_utf8(names);
        if (!valid) state.SkipWithError("the generated names are not valid UTF-8");
        benchmark::DoNotOptimize(valid);
    }
    set_counters(state, names.size());
}
BENCHMARK(BM_ValidateNames)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace norvik

BENCHMARK_MAIN();
