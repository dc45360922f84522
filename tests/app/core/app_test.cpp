#include "app/core/app.h"

#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace norvik {
namespace {

using testing::AppFixture;

TEST(MetricsTest, DerivedLengthsAtOneAndOneAndAHalfScale) {
    struct Case {
        float scale, width, height;
        float list_height, row_height, status_height, box_width, text_width;
        uint32_t page;
    };
    const Case cases[] = {
        {1.0f, 960, 640, 470, 32, 30, 882, 824, 14},
        {1.5f, 1440, 960, 705, 48, 45, 1323, 1236, 14},
        {1.0f, 300, 100, 0, 32, 30, 222, 164, 1},  // no room for the list: page stays 1
    };
    for (const Case& c : cases) {
        AppFixture f;
        f.app.scale = c.scale;
        f.app.client_width = c.width;
        f.app.client_height = c.height;
        const Metrics m = metrics(f.app);
        EXPECT_FLOAT_EQ(m.list_top, 140 * c.scale);
        EXPECT_FLOAT_EQ(m.list_height, c.list_height);
        EXPECT_FLOAT_EQ(m.row_height, c.row_height);
        EXPECT_FLOAT_EQ(m.status_height, c.status_height);
        EXPECT_FLOAT_EQ(m.status_top, c.height - c.status_height);
        EXPECT_FLOAT_EQ(m.box_width, c.box_width);
        EXPECT_FLOAT_EQ(m.text_width, c.text_width);
        EXPECT_EQ(m.page, c.page);
    }
}

TEST(RerunSearchTest, SendsTheDisplayedQueryWithANewGeneration) {
    AppFixture f;
    f.app.text = U"보고서.hwp";
    f.app.caret = 3;
    f.app.composition = "ㅅ";
    f.app.filter = 2;
    f.app.sort_column = SortColumn::Size;
    f.app.sort_descending = true;
    f.service.index_generation = 7;

    rerun_search(f.app, f.shell, true);
    std::optional<SearchRequest> request = f.worker.pending_request();
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->text, "보고서ㅅ.hwp");
    EXPECT_TRUE(request->composing);
    EXPECT_EQ(request->filter, 2);
    EXPECT_EQ(request->sort_column, static_cast<uint8_t>(SortColumn::Size));
    EXPECT_TRUE(request->descending);
    EXPECT_EQ(request->generation, f.app.query_generation);
    EXPECT_EQ(f.app.index_generation_at_search, 7u);
    EXPECT_TRUE(f.app.reset_selection);
    // No frame of the old rows: the results bring it, or the caret's deadline does.
    EXPECT_EQ(f.shell.invalidations, 0);
    EXPECT_EQ(f.shell.timers[Timer::Caret], CARET_MS);

    // A later request without reset keeps a reset still owed, supersedes the first, and keeps
    // the deadline the first key set rather than starting it again.
    f.shell.timers.clear();
    const uint64_t first = f.app.query_generation;
    rerun_search(f.app, f.shell, false);
    EXPECT_GT(f.app.query_generation, first);
    EXPECT_EQ(f.worker.pending_request()->generation, f.app.query_generation);
    EXPECT_TRUE(f.app.reset_selection);
    EXPECT_EQ(f.shell.timers.count(Timer::Caret), 0u);
}

TEST(SelectRowTest, ScrollsJustEnoughToShowTheRow) {
    AppFixture f;  // 470-pixel list of 32-pixel rows
    f.app.results.resize(100);
    select_row(f.app, f.shell, 20);  // bottom 672 -> the last visible row
    EXPECT_EQ(f.app.selected, 20u);
    EXPECT_FLOAT_EQ(f.app.scroll, 672 - 470);
    select_row(f.app, f.shell, 19);  // already visible: no scroll
    EXPECT_FLOAT_EQ(f.app.scroll, 672 - 470);
    select_row(f.app, f.shell, 2);  // above: scrolled to its top
    EXPECT_FLOAT_EQ(f.app.scroll, 64);
    select_row(f.app, f.shell, 500);  // past the end: the last row
    EXPECT_EQ(f.app.selected, 99u);
    EXPECT_FLOAT_EQ(f.app.scroll, 3200 - 470);

    f.app.results.clear();
    f.app.selected.reset();
    select_row(f.app, f.shell, 0);
    EXPECT_FALSE(f.app.selected.has_value());
}

TEST(ToastTest, ArmsTheToastTimer) {
    AppFixture f;
    f.shell.clock += std::chrono::seconds(5);
    set_toast(f.app, f.shell, "Path copied");
    ASSERT_TRUE(f.app.toast.has_value());
    EXPECT_EQ(f.app.toast->text, "Path copied");
    EXPECT_EQ(f.app.toast->set_at, f.shell.clock);
    EXPECT_EQ(f.shell.timers.at(Timer::Toast), 2500u);
}

}  // namespace
}  // namespace norvik
