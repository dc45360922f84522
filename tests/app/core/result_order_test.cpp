#include "app/core/result_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "app/core/window_events.h"
#include "app/input/keys.h"
#include "app/input/mouse.h"
#include "query/test_tables.h"
#include "search/search.h"
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
    f.app.table_ids = {f.index.tables[0].table_id};
    f.app.results_ordered = ordered;
    f.app.result_generation = f.app.query_generation = 3;
    f.app.scroll = 0;
}

bool all_in_order(const App& app) {
    for (uint32_t row = 0; row < app.results.size(); ++row) {
        if (app.results[row].entry != row + 1) return false;
    }
    return app.results_ordered >= app.results.size();
}

// What the search worker does when the window asks (SearchWorker::order_rest): the rows past
// the front, ordered, as a second delivery. False when nothing was asked for.
bool deliver_rest(AppFixture& f) {
    const std::optional<uint64_t> asked = f.worker.pending_rest();
    if (!asked) return false;
    SearchResult rest;
    rest.first_row = f.app.results_ordered;
    rest.hits.assign(f.app.results.begin() + static_cast<ptrdiff_t>(rest.first_row),
                     f.app.results.end());
    size_t ordered = 0;
    order_rest(rest.hits, ordered, static_cast<uint8_t>(f.app.sort_column), false, f.index.tables);
    rest.table_ids = f.app.table_ids;
    rest.generation = *asked;
    rest.sort_column = static_cast<uint8_t>(f.app.sort_column);
    accept_search_result(f.app, f.shell, std::move(rest));
    return true;
}

// However the list goes past the ordered front, the window's thread only asks the search
// worker for the rest (once): it orders nothing itself, and the rows it lacks are neither shown
// nor acted on until they come, in order.
TEST(ResultOrderTest, RowsPastTheOrderedFrontAreAskedOfTheSearchWorker) {
    struct Case {
        const char* how;
        std::function<void(AppFixture&)> go;
        uint32_t selected_after;  // row
    };
    const Case cases[] = {
        {"ten wheel notches",
         [](AppFixture& f) {
             for (int notch = 0; notch < 10; ++notch)
                 on_mouse_wheel(f.app, f.shell, -120);
         },
         0},
        {"Ctrl+End",
         [](AppFixture& f) {
             on_key_down(f.app, f.shell, {VK_KEY_END, true});
         },
         99},
        {"Page Down twice",
         [](AppFixture& f) {
             on_key_down(f.app, f.shell, {VK_KEY_NEXT});
             on_key_down(f.app, f.shell, {VK_KEY_NEXT});
         },
         28},
        {"a click on the track",
         [](AppFixture& f) {
             on_left_button_down(f.app, f.shell, Point{953, 560}, false);
         },
         0},
        {"a taller window", [](AppFixture& f) { on_size(f.app, f.shell, 960, 1400); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        AppFixture f;  // 470-pixel list of 32-pixel rows: 15 rows in view, a page of 14
        show_reversed(f, 40);
        select_row(f.app, f.shell, 0);
        const std::vector<Hit> delivered = f.app.results;
        c.go(f);
        EXPECT_EQ(f.app.results, delivered);
        EXPECT_EQ(f.worker.pending_rest(), 3u);
        EXPECT_EQ(f.app.selected, c.selected_after);
        if (c.selected_after >= 40) {
            // Not in order yet: nothing to act on.
            EXPECT_EQ(entry_of_row(f.app, c.selected_after), std::nullopt);
            EXPECT_EQ(f.app.chosen, std::nullopt);
        }
        ASSERT_TRUE(deliver_rest(f));
        EXPECT_TRUE(all_in_order(f.app));
        EXPECT_EQ(f.app.selected, c.selected_after);
        ASSERT_TRUE(f.app.chosen.has_value());
        EXPECT_EQ(f.app.chosen->entry.entry, c.selected_after + 1);
        EXPECT_EQ(f.app.chosen->relative, "f" + std::to_string(c.selected_after + 1));
    }
}

// The rows in view and a page below lie in the ordered front: the wheel and the keys there ask
// for nothing, and clamping the scroll is geometry only.
TEST(ResultOrderTest, NothingIsAskedWhileTheViewStaysInTheFront) {
    AppFixture f;
    show_reversed(f, 60);
    on_mouse_wheel(f.app, f.shell, -120);
    on_key_down(f.app, f.shell, {VK_KEY_DOWN});
    f.app.scroll = 1e9;
    clamp_scroll(f.app);
    EXPECT_EQ(f.app.scroll, 100 * 32 - 470);
    EXPECT_EQ(f.worker.pending_rest(), std::nullopt);
    EXPECT_EQ(f.app.results_ordered, 60u);
}

// A refresh whose answer holds the selected file past its ordered front keeps it chosen and
// asks for the rest, though the view is far from it; when the rest comes, the highlight follows
// it to its place and into view. A rest that comes for an answer no longer shown is dropped.
TEST(ResultOrderTest, ASelectedItemAmongTheRestFollowsItsEntry) {
    AppFixture f;
    show_reversed(f, 100);
    select_row(f.app, f.shell, 89);  // entry 90
    f.app.scroll = 0;                // the wheel took the view back to the top
    std::vector<Hit> refreshed = f.app.results;
    std::reverse(refreshed.begin() + 60, refreshed.end());  // entry 90 now at row 70
    SearchResult result;
    result.hits = refreshed;
    result.ordered = 60;
    result.table_ids = f.app.table_ids;
    result.generation = f.app.query_generation = 4;
    result.sort_column = static_cast<uint8_t>(SortColumn::DateModified);
    accept_search_result(f.app, f.shell, result);
    EXPECT_EQ(f.app.selected, 70u);
    ASSERT_TRUE(f.app.chosen.has_value());
    EXPECT_EQ(f.app.chosen->entry.entry, 90u);
    EXPECT_EQ(f.worker.pending_rest(), 4u);

    // Another refresh before the rest comes keeps it as well.
    result.generation = f.app.query_generation = 5;
    accept_search_result(f.app, f.shell, result);
    EXPECT_EQ(f.app.selected, 70u);
    EXPECT_EQ(f.worker.pending_rest(), 5u);

    SearchResult stale;
    stale.first_row = 60;
    stale.hits.assign(40, Hit{1, 0, false});
    stale.generation = 4;
    stale.sort_column = result.sort_column;
    accept_search_result(f.app, f.shell, stale);
    EXPECT_EQ(f.app.results, refreshed);

    ASSERT_TRUE(deliver_rest(f));
    EXPECT_TRUE(all_in_order(f.app));
    EXPECT_EQ(f.app.selected, 89u);
    EXPECT_GE(89 * 32, f.app.scroll);
    EXPECT_LE(90 * 32, f.app.scroll + 470);
}

// The search threads ran out of memory ordering the rest: the toast says so, as for a search,
// and the rows past the front stay lacking.
TEST(ResultOrderTest, ARestThatCouldNotBeOrderedIsToldInAToast) {
    AppFixture f;
    show_reversed(f, 20);
    SearchResult failed;
    failed.failed = true;
    failed.first_row = 20;
    failed.generation = 3;
    failed.sort_column = static_cast<uint8_t>(SortColumn::DateModified);
    accept_search_result(f.app, f.shell, failed);
    ASSERT_TRUE(f.app.toast.has_value());
    EXPECT_EQ(f.app.toast->text,
              "Not enough memory to finish this search. Add words to narrow it.");
    EXPECT_EQ(f.app.results_ordered, 20u);
}

}  // namespace
}  // namespace norvik
