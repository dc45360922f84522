#include "app/core/result_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/core/window_events.h"
#include "query/test_tables.h"
#include "support/app_fixture.h"

namespace norvik {
namespace {

using testing::AppFixture;

// 100 files whose times rise with their entry number, listed newest first: in the ascending
// Date modified order, row r holds entry r + 1. Only the first `ordered` rows are in place.
void show_reversed(AppFixture& f, size_t ordered) {
    VolumeTable table = VolumeTable::with_root("C:\\");
    for (uint32_t i = 1; i <= 100; ++i)
        testing::add_file(table, 0, "f" + std::to_string(i), 1000 + i);
    f.index.replace_all({table});
    f.app.sort_column = SortColumn::DateModified;
    f.app.results.clear();
    for (uint32_t entry = 1; entry <= 100; ++entry)
        f.app.results.push_back(Hit{entry, 0, false});
    std::reverse(f.app.results.begin() + static_cast<ptrdiff_t>(ordered), f.app.results.end());
    f.app.results_ordered = ordered;
    f.app.scroll = 0;
}

bool all_in_order(const App& app) {
    for (uint32_t row = 0; row < app.results.size(); ++row) {
        if (app.results[row].entry != row + 1) return false;
    }
    return app.results_ordered >= app.results.size();
}

TEST(ResultOrderTest, RowsPastTheOrderedFrontAreOrderedWhenReached) {
    AppFixture f;  // 470-pixel list of 32-pixel rows: 15 rows in view, a page of 14

    // Rows in view and a page below lie in the ordered front: nothing moves.
    show_reversed(f, 50);
    clamp_scroll(f.app);
    EXPECT_EQ(f.app.results_ordered, 50u);
    EXPECT_EQ(f.app.results[50].entry, 100u);

    // Scrolling near the front's end orders the rest.
    f.app.scroll = 25 * 32;  // rows 25-39 in view, the page below reaches row 53
    clamp_scroll(f.app);
    EXPECT_TRUE(all_in_order(f.app));

    // End selects the last row of the final order, not the last row delivered.
    show_reversed(f, 50);
    select_row(f.app, f.shell, f.app.results.size() - 1);
    EXPECT_TRUE(all_in_order(f.app));
    EXPECT_EQ(f.app.selected, 99u);
    EXPECT_EQ(f.app.results[*f.app.selected].entry, 100u);

    // A selected row in the unordered rest follows its entry.
    show_reversed(f, 50);
    f.app.selected = 60;  // entry 90
    f.app.scroll = 1e9;
    clamp_scroll(f.app);
    EXPECT_TRUE(all_in_order(f.app));
    EXPECT_EQ(f.app.selected, 89u);
}

// The rows the wheel brings into view are in their final order, as those the keys, the thumb
// and the track bring are.
TEST(ResultOrderTest, TheWheelOrdersTheRowsItBringsIntoView) {
    AppFixture f;
    show_reversed(f, 20);
    for (int notch = 0; notch < 10; ++notch)
        on_mouse_wheel(f.app, f.shell, -120);
    EXPECT_EQ(f.app.scroll, 30 * 32);
    for (uint32_t row = 30; row < 45; ++row)
        EXPECT_EQ(f.app.results[row].entry, row + 1) << row;
}

}  // namespace
}  // namespace norvik
