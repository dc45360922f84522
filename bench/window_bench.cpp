// How long the window's thread is held when the user goes past the ordered front of a huge list:
// Ctrl+End, and the wheel from the top to the front's end, over about 2,020,000 hits (every name of
// a generated table, the "." word), delivered as the search worker delivers them (only the first
// rows in order), in the Name, Folder and Best match orders. Each figure is the time one handler
// call takes on the calling thread (the frozen window). Goal: at most 16 ms (one frame at 60 Hz).
// Beside them, BM_RestDelivered: how long the search worker (two search threads) takes from the
// window's ask to the delivery of the ordered rest, the time those rows stay blank.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <shared_mutex>

#include "app/core/window_events.h"
#include "app/input/keys.h"
#include "query/query.h"
#include "search/search.h"
#include "search/worker.h"
#include "support/app_fixture.h"
#include "table_generator.h"

namespace norvik {
namespace {

constexpr uint64_t ENTRIES = 2'550'000;
constexpr const char* QUERY = ".";

// The worker's answer for the column (ordered front only), made once per column.
const SearchResult& delivered(testing::AppFixture& f, SortColumn column) {
    static std::optional<SearchResult> cached[SORT_COLUMN_COUNT];
    std::optional<SearchResult>& slot = cached[static_cast<int>(column)];
    if (!slot) {
        SearchRequest request;
        request.text = QUERY;
        request.sort_column = static_cast<uint8_t>(column);
        request.descending = false;
        std::shared_lock lock(f.index.lock);
        slot = execute_search(f.index.tables, parse(QUERY, false, 0), request, 2, Generation{});
    }
    return *slot;
}

testing::AppFixture& fixture() {
    static testing::AppFixture* f = [] {
        auto* made = new testing::AppFixture;
        GeneratorOptions options;
        options.entries = ENTRIES;
        made->index.replace_all({generate_table(options)});
        return made;
    }();
    return *f;
}

// Shows the delivered result as the window takes it: sorted by `column`, first row selected.
void show(testing::AppFixture& f, SortColumn column) {
    f.app.sort_column = column;
    f.app.sort_descending = false;
    SearchResult result = delivered(f, column);
    f.app.query_generation = result.generation;
    f.app.reset_selection = true;
    f.app.selected.reset();
    accept_search_result(f.app, f.shell, std::move(result));
}

template <class Act>
void run(benchmark::State& state, SortColumn column, Act act) {
    testing::AppFixture& f = fixture();
    double worst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        show(f, column);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        act(f);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        worst = std::max(worst, ms);
    }
    state.counters["hits"] = static_cast<double>(f.app.results.size());
    state.counters["worst_ms"] = worst;
}

void BM_CtrlEnd(benchmark::State& state) {
    run(state, static_cast<SortColumn>(state.range(0)), [](testing::AppFixture& f) {
        on_key_down(f.app, f.shell, KeyEvent{VK_KEY_END, true, false, false});
    });
}

// Notches down until the view passes the ordered front.
void BM_WheelPastFront(benchmark::State& state) {
    run(state, static_cast<SortColumn>(state.range(0)), [](testing::AppFixture& f) {
        const double front_end =
            std::min(1100.0 * metrics(f.app).row_height, metrics(f.app).max_scroll);
        while (f.app.scroll < front_end)
            on_mouse_wheel(f.app, f.shell, -120);
    });
}

void BM_RestDelivered(benchmark::State& state) {
    testing::AppFixture& f = fixture();
    std::mutex mutex;
    std::condition_variable ready;
    int deliveries = 0;
    SearchWorker worker(
        f.index,
        [&] {
            std::lock_guard lock(mutex);
            ++deliveries;
            ready.notify_all();
        },
        2);
    if (!worker.start()) return;
    const auto wait = [&](int count) {
        std::unique_lock lock(mutex);
        ready.wait(lock, [&] { return deliveries >= count; });
        return *worker.take_result();
    };
    size_t rest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SearchRequest request;
        request.text = QUERY;
        request.sort_column = static_cast<uint8_t>(state.range(0));
        request.generation = worker.next_generation();
        const int before = deliveries;
        worker.submit(request);
        (void)wait(before + 1);
        state.ResumeTiming();
        worker.order_rest(request.generation);
        rest = wait(before + 2).hits.size();
    }
    state.counters["rest"] = static_cast<double>(rest);
}

void orders(benchmark::internal::Benchmark* b) {
    b->ArgName("column");
    for (SortColumn column : {SortColumn::Name, SortColumn::Folder, SortColumn::Relevance})
        b->Arg(static_cast<int>(column));
    b->Iterations(3)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_CtrlEnd)->Apply(orders);
BENCHMARK(BM_WheelPastFront)->Apply(orders);
BENCHMARK(BM_RestDelivered)->Apply(orders)->UseRealTime();

}  // namespace
}  // namespace norvik

BENCHMARK_MAIN();
