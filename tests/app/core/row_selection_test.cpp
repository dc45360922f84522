#include "app/core/row_selection.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/window_events.h"
#include "app/input/keys.h"
#include "app/input/mouse.h"
#include "query/query.h"
#include "query/test_tables.h"
#include "support/app_fixture.h"

namespace norvik {
namespace {

// Rows a.txt .. e.txt (0-4) in C:\Docs, row 0 selected; the search box holds "x".
struct FiveRows : testing::AppFixture {
    std::vector<Hit> hits;
    FiveRows() {
        VolumeTable table = VolumeTable::with_root("C:\\");
        const uint32_t folder = testing::add_folder(table, 0, "Docs");
        for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
            hits.push_back(Hit{testing::add_file(table, folder, name), 0});
        table.table_id = 2;
        index.tables.push_back(std::move(table));
        app.results = hits;
        app.table_ids = {2};
        app.text.assign(1, U'x');
        app.caret = app.anchor = 1;
        select_row(app, shell, 0);
    }
    void key(uint32_t code, bool ctrl = false, bool shift = false) {
        on_key_down(app, shell, KeyEvent{code, ctrl, shift});
    }
    void click(uint32_t row, bool shift, bool ctrl) {
        const Point at{300, 156.0f + 32 * row};
        on_left_button_down(app, shell, at, shift, ctrl);
        on_left_button_up(app, shell, at);
    }
    // A refresh delivering rows `rows` of the first list, in that order.
    void refresh(std::vector<size_t> rows) {
        SearchResult result;
        for (size_t row : rows)
            result.hits.push_back(hits[row]);
        result.table_ids = {2};
        result.generation = app.query_generation;
        result.sort_column = static_cast<uint8_t>(app.sort_column);
        result.descending = app.sort_descending;
        accept_search_result(app, shell, std::move(result));
    }
};

TEST(RowSelectionTest, ClicksKeysAndRefreshesSelectRows) {
    struct Case {
        const char* what;
        std::function<void(FiveRows&)> act;
        std::vector<uint32_t> rows;  // selected_rows afterwards
        uint32_t focus;
    };
    const Case cases[] = {
        {"Ctrl+click adds a row", [](FiveRows& f) { f.click(2, false, true); }, {0, 2}, 2},
        {"Ctrl+click twice takes it out again",
         [](FiveRows& f) {
             f.click(2, false, true);
             f.click(3, false, true);
             f.click(2, false, true);
         },
         {0, 3},
         2},
        {"Shift+click selects from the anchor",
         [](FiveRows& f) { f.click(3, true, false); },
         {0, 1, 2, 3},
         3},
        {"Shift+click after Ctrl+click ranges from the Ctrl-clicked row",
         [](FiveRows& f) {
             f.click(2, false, true);
             f.click(4, true, false);
         },
         {2, 3, 4},
         4},
        {"a plain click selects one row again",
         [](FiveRows& f) {
             f.click(3, true, false);
             f.click(1, false, false);
         },
         {1},
         1},
        {"Shift+Down twice",
         [](FiveRows& f) {
             f.key(VK_KEY_DOWN, false, true);
             f.key(VK_KEY_DOWN, false, true);
         },
         {0, 1, 2},
         2},
        {"Shift+Down then Shift+Up shrinks back",
         [](FiveRows& f) {
             f.key(VK_KEY_DOWN, false, true);
             f.key(VK_KEY_DOWN, false, true);
             f.key(VK_KEY_UP, false, true);
         },
         {0, 1},
         1},
        {"Ctrl+Shift+End", [](FiveRows& f) { f.key(VK_KEY_END, true, true); }, {0, 1, 2, 3, 4}, 4},
        {"a plain Down selects one row again",
         [](FiveRows& f) {
             f.key(VK_KEY_END, true, true);
             f.key(VK_KEY_DOWN);
         },
         {4},
         4},
        {"Shift+End stays the search box's",
         [](FiveRows& f) { f.key(VK_KEY_END, false, true); },
         {0},
         0},
        {"a refresh in another order keeps the items",
         [](FiveRows& f) {
             f.click(1, false, true);
             f.click(3, false, true);
             f.refresh({4, 3, 2, 1, 0});
         },
         {1, 3, 4},
         1},
        {"items that left the results leave the selection",
         [](FiveRows& f) {
             f.click(2, true, false);
             f.refresh({0, 2, 4});
         },
         {0, 1},
         1},
    };
    for (const Case& c : cases) {
        FiveRows f;
        c.act(f);
        EXPECT_EQ(selected_rows(f.app), c.rows) << c.what;
        EXPECT_EQ(f.app.selected, c.focus) << c.what;
    }
}

}  // namespace
}  // namespace norvik
