// One frame of the results view on the recording canvas, with 10 to 1,000,000 results over a
// generated 1,000,000-entry table: only the rows on screen are touched, so every size should
// cost the same once the rows fill the window (10 results leave it partly empty). The counter
// text_layouts is what a frame asks the renderer to lay out: texts, glyphs and measurements.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "app/view/paint.h"
#include "query/query.h"
#include "support/canvas_window.h"
#include "table_generator.h"

namespace norvik {
namespace {

using testing::CanvasWindow;

// A 960 x 640 window over the generated table, showing `results` rows scrolled to the middle.
struct PaintedWindow : CanvasWindow {
    explicit PaintedWindow(size_t results) {
        app.hot_key_ok = true;
        service.index_ready = true;
        index.tables.push_back(generate_table(GeneratorOptions{}));
        const uint32_t entries = index.tables[0].size();

        app.text = U"report 보고서";
        app.caret = app.anchor = static_cast<uint32_t>(app.text.size());
        app.result_query = parse("report 보고서", false, 0);
        app.table_ids = {index.tables[0].table_id};
        // Rows repeat a cycle of entries spread over the table, and the view is scrolled to a
        // row at the start of a cycle: every size shows the same rows, so only the count
        // differs between the runs.
        constexpr uint32_t CYCLE = 256;
        const uint32_t stride = (entries - 1) / CYCLE;
        app.results.reserve(results);
        for (size_t i = 0; i < results; ++i)
            app.results.push_back(Hit{static_cast<uint32_t>(1 + (i % CYCLE) * stride), 0, false});
        const size_t first_row = results / 2 / CYCLE * CYCLE;
        app.selected = static_cast<uint32_t>(first_row + 1);
        app.scroll = std::min(static_cast<double>(first_row) * metrics(app).row_height,
                              metrics(app).max_scroll);
    }
};

void BM_PaintFrame(benchmark::State& state) {
    PaintedWindow window(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(paint(window.app));
    }
    state.counters["text_layouts"] = static_cast<double>(window.canvas->text_layouts());
    state.counters["calls"] = static_cast<double>(window.canvas->calls.size());
}
BENCHMARK(BM_PaintFrame)
    ->Arg(10)
    ->Arg(1'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace norvik

BENCHMARK_MAIN();
