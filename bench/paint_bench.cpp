// One frame of the results view on the recording canvas, with 10 to 1,000,000 results over a
// generated 1,000,000-entry table: only the rows on screen are touched, so every size should
// cost the same. The counter text_layouts is what a frame asks the renderer to lay out (texts,
// glyphs and measurements).
#include <benchmark/benchmark.h>

#include <memory>

#include "app/paint.h"
#include "query/query.h"
#include "support/app_fixture.h"
#include "support/recording_canvas.h"
#include "table_generator.h"

namespace norvik {
namespace {

using testing::AppFixture;
using testing::RecordingCanvas;

// A 960 x 640 window over the generated table, showing `results` rows scrolled to the middle.
struct PaintedWindow : AppFixture {
    RecordingCanvas* canvas;

    explicit PaintedWindow(size_t results) {
        auto owned = std::make_unique<RecordingCanvas>();
        canvas = owned.get();
        app.renderer = std::move(owned);
        app.hot_key_ok = true;
        service.index_ready = true;
        index.tables.push_back(generate_table(GeneratorOptions{}));
        const uint32_t entries = index.tables[0].size();

        app.text = U"report 보고서";
        app.caret = app.anchor = static_cast<uint32_t>(app.text.size());
        app.result_query = parse("report 보고서", false, 0);
        app.table_ids = {index.tables[0].table_id};
        app.results.reserve(results);
        for (size_t i = 0; i < results; ++i)
            app.results.push_back(Hit{static_cast<uint32_t>(1 + i % (entries - 1)), 0, false});
        app.selected = static_cast<uint32_t>(results / 2);
        app.scroll = metrics(app).max_scroll / 2;
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
BENCHMARK(BM_PaintFrame)->Arg(10)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace norvik

BENCHMARK_MAIN();
