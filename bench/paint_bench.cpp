// One frame of the results view on the recording canvas, with 10 to 1,000,000 results over a
// generated 1,000,000-entry table: only the rows on screen are touched, so every size should
// cost the same once the rows fill the window (10 results leave it partly empty). The counter
// text_layouts is what a frame asks the renderer to lay out: texts, glyphs and measurements;
// layouts_built what the renderer, keeping layouts across frames, must make anew.
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

// The layouts a frame makes anew once the renderer keeps them, for the three frames a user
// causes most: a full redraw (the first frame, or after a DPI change: nothing is kept), the
// selection moved one row back and forth, and the list scrolled down by one row. Counter
// layouts_built is per frame.
enum class FrameKind { FullRedraw, SelectionMove, OneRowScroll };

void BM_LayoutsPerFrame(benchmark::State& state) {
    const auto kind = static_cast<FrameKind>(state.range(0));
    PaintedWindow window(100'000);
    App& app = window.app;
    const float row = metrics(app).row_height;
    benchmark::DoNotOptimize(paint(app));  // the layouts of the frame before
    size_t built = 0;
    size_t frames = 0;
    bool forward = true;
    for (auto _ : state) {
        switch (kind) {
            case FrameKind::FullRedraw:
                // As after a DPI change, or the first frame: nothing is kept.
                window.canvas->forget_layouts();
                break;
            case FrameKind::SelectionMove:
                *app.selected += forward ? 1 : -1;
                break;
            case FrameKind::OneRowScroll:
                // Always on down the list (scrolling back would find the row still kept).
                app.scroll = app.scroll + row <= metrics(app).max_scroll ? app.scroll + row : 0;
                break;
        }
        forward = !forward;
        benchmark::DoNotOptimize(paint(app));
        built += window.canvas->layouts_built;
        ++frames;
    }
    state.counters["layouts_built"] =
        static_cast<double>(built) / static_cast<double>(std::max<size_t>(frames, 1));
    state.counters["text_layouts"] = static_cast<double>(window.canvas->text_layouts());
}
BENCHMARK(BM_LayoutsPerFrame)
    ->ArgName("full_selection_scroll")
    ->Arg(static_cast<int>(FrameKind::FullRedraw))
    ->Arg(static_cast<int>(FrameKind::SelectionMove))
    ->Arg(static_cast<int>(FrameKind::OneRowScroll))
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace norvik

BENCHMARK_MAIN();
