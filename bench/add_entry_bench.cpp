// Building a table the way a scan does: one add_entry per item, children of a folder in one run.
// Goals for a 1,000,000-entry table: at most 150 ns per entry, and at most 24 + the average name
// length + 4 bytes of memory per entry once built.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "index/volume_table.h"
#include "table_generator.h"

namespace norvik {
namespace {

constexpr uint64_t GOAL_ENTRIES = 1'000'000;
constexpr double GOAL_NS_PER_ENTRY = 150;
constexpr double GOAL_OVERHEAD_BYTES = 24 + 4;  // plus the average name length

const GeneratedSteps& steps_for(uint64_t entries) {
    static std::map<uint64_t, GeneratedSteps> cache;
    auto it = cache.find(entries);
    if (it == cache.end()) {
        GeneratorOptions options;
        options.entries = entries;
        it = cache.emplace(entries, generate_steps(options)).first;
    }
    return it->second;
}

// Heap bytes of the side maps, counted as libstdc++ lays them out: the bucket array, one node
// per item (next pointer and the pair; the hash of an integer key is not cached) and the
// out-of-line string or vector storage.
size_t map_bytes(const VolumeTable& table) {
    size_t bytes = table.display_names.bucket_count() * sizeof(void*);
    for (const auto& [index, name] : table.display_names) {
        bytes += sizeof(void*) + sizeof(std::pair<const uint32_t, std::string>);
        if (name.capacity() > 15) bytes += name.capacity() + 1;
    }
    bytes += table.late_children.bucket_count() * sizeof(void*);
    for (const auto& [index, list] : table.late_children) {
        bytes += sizeof(void*) + sizeof(std::pair<const uint32_t, std::vector<uint32_t>>);
        bytes += list.capacity() * sizeof(uint32_t);
    }
    return bytes;
}

// CPU time of this thread: on a busy machine the wall time also counts the waits for a core.
double thread_cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Figures {
    double ns_per_entry = 0;
    double cpu_ns_per_entry = 0;
    double bytes_per_entry = 0;
    double average_name_bytes = 0;
    bool measured = false;
};
std::map<uint64_t, Figures> figures_by_size;

// range(0): entries; range(1): 1 to reserve the final capacity first, which leaves out the cost
// of the growth steps (the copies of the entries and the arena) and shows the per-entry work.
void BM_AddEntry(benchmark::State& state) {
    const uint64_t entries = static_cast<uint64_t>(state.range(0));
    const bool reserved = state.range(1) != 0;
    const GeneratedSteps& generated = steps_for(entries);
    double total_seconds = 0;
    double total_cpu_seconds = 0;
    uint64_t added = 0;
    Figures figures;
    for (auto _ : state) {
        VolumeTable table = VolumeTable::with_root("C:\\");
        if (reserved) {
            table.entries.reserve(entries);
            table.names.reserve(generated.names.size() + 65536);
        }
        double cpu_start = thread_cpu_seconds();
        auto start = std::chrono::steady_clock::now();
        for (const AddStep& step : generated.steps) {
            benchmark::DoNotOptimize(
                table.add_entry(step.parent, generated.name(step), step.facts, step.reparse_tag));
        }
        auto stop = std::chrono::steady_clock::now();
        total_cpu_seconds += thread_cpu_seconds() - cpu_start;
        double seconds = std::chrono::duration<double>(stop - start).count();
        state.SetIterationTime(seconds);
        total_seconds += seconds;
        added += generated.steps.size();

        apply_spans(table, generated);
        size_t bytes =
            table.entries.capacity() * sizeof(Entry) + table.names.capacity() + map_bytes(table);
        figures.bytes_per_entry = static_cast<double>(bytes) / table.entries.size();
        figures.average_name_bytes = static_cast<double>(table.names.size()) / table.entries.size();
        benchmark::ClobberMemory();
    }
    figures.ns_per_entry = added ? total_seconds * 1e9 / added : 0;
    figures.cpu_ns_per_entry = added ? total_cpu_seconds * 1e9 / added : 0;
    figures.measured = added > 0;
    if (!reserved) figures_by_size[entries] = figures;

    state.counters["ns_per_entry"] = figures.ns_per_entry;
    state.counters["cpu_ns_per_entry"] = figures.cpu_ns_per_entry;
    state.counters["bytes_per_entry"] = figures.bytes_per_entry;
    state.counters["avg_name_bytes"] = figures.average_name_bytes;
    state.counters["goal_bytes_per_entry"] = GOAL_OVERHEAD_BYTES + figures.average_name_bytes;
    state.SetItemsProcessed(static_cast<int64_t>(added));
}
BENCHMARK(BM_AddEntry)
    ->ArgNames({"entries", "reserved"})
    ->Args({100'000, 0})
    ->Args({GOAL_ENTRIES, 0})
    ->Args({GOAL_ENTRIES, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// What the generated table looks like, so the figures above can be read against it.
void print_table_profile() {
    GeneratorOptions options;
    options.entries = GOAL_ENTRIES;
    VolumeTable table = generate_table(options);
    TableProfile p = profile(table);
    auto share = [&p](uint64_t n) { return 100.0 * static_cast<double>(n) / p.entries; };
    std::printf(
        "table: %llu entries, %.1f%% folders, %.1f%% Hangul names, %llu display names, %llu "
        "non-ASCII capitals, %llu links, depth %u, names %.1f bytes on average\n",
        static_cast<unsigned long long>(p.entries), share(p.folders), share(p.hangul_names),
        static_cast<unsigned long long>(p.display_names),
        static_cast<unsigned long long>(p.unicode_upper), static_cast<unsigned long long>(p.links),
        p.max_depth, p.average_name_bytes);
}

void print_goals() {
    auto it = figures_by_size.find(GOAL_ENTRIES);
    if (it == figures_by_size.end() || !it->second.measured) return;
    const Figures& f = it->second;
    double goal_bytes = GOAL_OVERHEAD_BYTES + f.average_name_bytes;
    std::printf("add_entry, %llu entries: %.1f ns per entry (goal <= %.0f): %s\n",
                static_cast<unsigned long long>(GOAL_ENTRIES), f.ns_per_entry, GOAL_NS_PER_ENTRY,
                f.ns_per_entry <= GOAL_NS_PER_ENTRY ? "met" : "MISSED");
    std::printf("add_entry, %llu entries: %.1f ns of CPU time per entry\n",
                static_cast<unsigned long long>(GOAL_ENTRIES), f.cpu_ns_per_entry);
    std::printf(
        "add_entry, %llu entries: %.1f bytes per entry (goal <= 24 + %.1f + 4 = %.1f): %s\n",
        static_cast<unsigned long long>(GOAL_ENTRIES), f.bytes_per_entry, f.average_name_bytes,
        goal_bytes, f.bytes_per_entry <= goal_bytes ? "met" : "MISSED");
}

}  // namespace
}  // namespace norvik

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    norvik::print_table_profile();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    norvik::print_goals();
    return 0;
}
