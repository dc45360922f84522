#include "app/input/mouse.h"

#include <optional>
#include <string>
#include <utility>
#include <variant>

#include <gtest/gtest.h>

#include "app/core/commands.h"
#include "app/core/menus.h"
#include "app/view/layout.h"
#include "index/changes.h"
#include "support/canvas_window.h"

namespace norvik {
namespace {

using testing::CanvasWindow;

// Header points of a 960-pixel window: Name 46-379, Folder 379-712, Size 712-798, Date 798-934.
constexpr Point NAME_HEADER{100, 120};
constexpr Point FOLDER_HEADER{400, 120};
constexpr Point SIZE_HEADER{750, 120};
constexpr Point DATE_HEADER{850, 120};

void click(CanvasWindow& w, Point at) {
    on_left_button_down(w.app, w.shell, at, false);
    on_left_button_up(w.app, w.shell, at);
}

// The search box's x for caret position n (text from 60 pixels, nothing scrolled).
float box_x(const CanvasWindow& w, uint32_t n) {
    return 60 + static_cast<float>(n) * w.input_advance();
}

TEST(MouseTest, HeaderClicksSortByTheFirstDirectionOfEachColumn) {
    struct Step {
        Point header;
        SortColumn column;
        bool descending;
    };
    const Step steps[] = {
        {SIZE_HEADER, SortColumn::Size, true},
        {SIZE_HEADER, SortColumn::Size, false},
        {NAME_HEADER, SortColumn::Name, false},
        {NAME_HEADER, SortColumn::Name, true},
        {FOLDER_HEADER, SortColumn::Folder, false},
        {DATE_HEADER, SortColumn::DateModified, true},
        {DATE_HEADER, SortColumn::DateModified, false},
        {Point{20, 120}, SortColumn::Name, false},  // the icon column belongs to Name
    };
    CanvasWindow w;
    uint64_t searches = 0;
    for (const Step& step : steps) {
        click(w, step.header);
        EXPECT_EQ(w.app.sort_column, step.column);
        EXPECT_EQ(w.app.sort_descending, step.descending);
        const std::optional<SearchRequest> request = w.worker.pending_request();
        EXPECT_EQ(request->sort_column, static_cast<uint8_t>(step.column));
        EXPECT_EQ(request->descending, step.descending);
        EXPECT_EQ(w.worker.query_generation().load(), ++searches);
    }
}

// Right-clicking the header offers every order, the current one checked; choosing one sorts by
// it from its first direction, and Best match returns to the relevance order.
TEST(MouseTest, TheHeaderMenuSortsAndLeadsBackToBestMatch) {
    CanvasWindow w;
    click(w, SIZE_HEADER);
    click(w, SIZE_HEADER);  // Size, ascending
    uint64_t searches = w.worker.query_generation().load();

    on_right_button_up(w.app, w.shell, FOLDER_HEADER);
    ASSERT_EQ(w.shell.deferred.size(), 1u);
    const auto* menu = std::get_if<MenuRequest>(&w.shell.deferred[0]);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->kind, MenuKind::Header);
    EXPECT_EQ(menu->at_client, FOLDER_HEADER);
    EXPECT_EQ(menu->items, header_menu(SortColumn::Size));
    EXPECT_EQ(w.worker.query_generation().load(), searches);  // opening it sorts nothing

    struct Step {
        uint32_t command;
        SortColumn column;
        bool descending;
        bool searched;
    };
    const Step steps[] = {
        {0, SortColumn::Size, false, false},            // dismissed
        {HEADER_SIZE, SortColumn::Size, false, false},  // the order shown stays
        {HEADER_DATE_MODIFIED, SortColumn::DateModified, true, true},
        {HEADER_BEST_MATCH, SortColumn::Relevance, false, true},
        {HEADER_BEST_MATCH, SortColumn::Relevance, false, false},
        {HEADER_DATE_MODIFIED + 1, SortColumn::Relevance, false, false},  // no such command
        {HEADER_FOLDER, SortColumn::Folder, false, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        w.app.reset_selection = false;
        on_menu_command(w.app, w.shell, MenuKind::Header, step.command);
        EXPECT_EQ(w.app.sort_column, step.column);
        EXPECT_EQ(w.app.sort_descending, step.descending);
        searches += step.searched;
        EXPECT_EQ(w.worker.query_generation().load(), searches);
        if (!step.searched) continue;
        const std::optional<SearchRequest> request = w.worker.pending_request();
        ASSERT_TRUE(request.has_value());
        EXPECT_EQ(request->sort_column, static_cast<uint8_t>(step.column));
        EXPECT_EQ(request->descending, step.descending);
        EXPECT_TRUE(w.app.reset_selection);  // a new order starts at its first row
    }
}

TEST(MouseTest, TabsAndTheSettingsButton) {
    CanvasWindow w;
    const std::vector<TabRect> tabs = tab_rects(w.app);
    const RectF archives = tabs.at(6).rect;
    click(w, Point{archives.x + 2, archives.y + 2});
    EXPECT_EQ(w.app.filter, 6);
    EXPECT_EQ(w.worker.pending_request()->filter, 6);
    EXPECT_TRUE(w.app.reset_selection);

    click(w, Point{920, 30});
    ASSERT_EQ(w.shell.deferred.size(), 1u);
    const auto* menu = std::get_if<MenuRequest>(&w.shell.deferred[0]);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->kind, MenuKind::Settings);
    EXPECT_EQ(menu->at_client, (Point{920, 30}));
    EXPECT_EQ(menu->items, settings_menu(w.shell.settings()));
}

TEST(MouseTest, TextDragSelectsAndEndsOnButtonUpOrLostCapture) {
    for (bool capture_lost : {false, true}) {
        SCOPED_TRACE(capture_lost ? "capture lost" : "button up");
        CanvasWindow w;
        w.app.text = U"보고서 2026.hwp";
        on_left_button_down(w.app, w.shell, Point{box_x(w, 2), 30}, false);
        EXPECT_TRUE(w.shell.captured);
        on_mouse_move(w.app, w.shell, Point{box_x(w, 6) + 2, 300});  // y does not matter
        EXPECT_EQ(w.app.caret, 6u);
        EXPECT_EQ(w.app.anchor, 2u);

        if (capture_lost) {
            w.shell.captured = false;  // Alt+Tab: the system took the capture
            on_capture_lost(w.app, w.shell);
        } else {
            on_left_button_up(w.app, w.shell, Point{box_x(w, 6), 30});
        }
        EXPECT_FALSE(w.app.text_drag);
        EXPECT_FALSE(w.shell.captured);
        on_mouse_move(w.app, w.shell, Point{box_x(w, 9), 30});  // no longer selects
        EXPECT_EQ(w.app.caret, 6u);
        EXPECT_EQ(w.app.hover.kind, HitKind::SearchBox);
    }
}

TEST(MouseTest, ClicksInTheBoxPlaceOrExtendAndAHeaderDuringADragDoesNotSort) {
    CanvasWindow w;
    w.app.text = U"abcdef";
    w.app.caret = w.app.anchor = 1;
    on_left_button_down(w.app, w.shell, Point{box_x(w, 4), 30}, true);
    EXPECT_EQ(w.app.caret, 4u);
    EXPECT_EQ(w.app.anchor, 1u);
    on_left_button_up(w.app, w.shell, NAME_HEADER);  // the drag ends over a header
    EXPECT_EQ(w.app.sort_column, SortColumn::Relevance);
    EXPECT_EQ(w.worker.query_generation().load(), 0u);

    on_left_button_down(w.app, w.shell, Point{20, 30}, false);  // left of the text
    EXPECT_EQ(w.app.caret, 0u);
    EXPECT_EQ(w.app.anchor, 0u);
}

TEST(MouseTest, AClickInAMillionCharactersLaysTheTextOutOnce) {
    size_t measures[2] = {};
    const size_t lengths[2] = {10, 1'000'000};
    for (int i = 0; i < 2; ++i) {
        CanvasWindow w;
        w.app.text = std::u32string(lengths[i], U'가');
        w.app.caret = w.app.anchor = static_cast<uint32_t>(lengths[i]);
        w.canvas->measures = 0;
        on_left_button_down(w.app, w.shell, Point{box_x(w, 1), 30}, false);
        on_mouse_move(w.app, w.shell, Point{box_x(w, 0), 30});
        measures[i] = w.canvas->measures;
    }
    EXPECT_EQ(measures[0], measures[1]);
    EXPECT_LE(measures[1], 12u);  // the hit test's tab labels, the scroll offset, one layout each
}

TEST(MouseTest, ThumbDragAndTrackClicks) {
    // 100 rows of 32 pixels in a 470-pixel list: the track is 466 high from y 142, the thumb
    // 470 x 466 / 3,200 high, and the list scrolls up to 2,730 pixels.
    const float thumb = 470.0f * 466 / 3200;
    const float travel = 466 - thumb;
    for (bool capture_lost : {false, true}) {
        CanvasWindow w(1, 100);
        on_left_button_down(w.app, w.shell, Point{951, 150}, false);
        EXPECT_TRUE(w.app.thumb_drag.active);
        on_mouse_move(w.app, w.shell, Point{951, 150 + travel / 2});
        EXPECT_FLOAT_EQ(w.app.scroll, 1365);
        on_mouse_move(w.app, w.shell, Point{951, 2000});
        EXPECT_FLOAT_EQ(w.app.scroll, 2730);  // clamped
        if (capture_lost) {
            on_capture_lost(w.app, w.shell);
        } else {
            on_left_button_up(w.app, w.shell, Point{951, 2000});
        }
        EXPECT_FALSE(w.app.thumb_drag.active);
        on_mouse_move(w.app, w.shell, Point{951, 150});
        EXPECT_FLOAT_EQ(w.app.scroll, 2730);
    }

    CanvasWindow w(1, 100);
    click(w, Point{951, 500});  // below the thumb: down by 0.9 of the list
    EXPECT_FLOAT_EQ(w.app.scroll, 423);
    click(w, Point{951, 143});  // above it: back up, not past the top
    EXPECT_FLOAT_EQ(w.app.scroll, 0);
    EXPECT_EQ(w.worker.query_generation().load(), 0u);
}

TEST(MouseTest, HoverRequestsTheLeaveNoticeOnceAndRepaintsOnChange) {
    CanvasWindow w(1, 5);
    on_mouse_move(w.app, w.shell, Point{300, 150});
    EXPECT_EQ(w.app.hover, (HitTarget{HitKind::ResultRow, 0}));
    const int repaints = w.shell.invalidations;
    on_mouse_move(w.app, w.shell, Point{310, 160});  // the same row
    EXPECT_EQ(w.shell.invalidations, repaints);
    on_mouse_move(w.app, w.shell, Point{300, 150 + 32});
    EXPECT_EQ(w.app.hover, (HitTarget{HitKind::ResultRow, 1}));
    EXPECT_EQ(w.shell.invalidations, repaints + 1);
    EXPECT_EQ(w.shell.mouse_leave_requests, 1);

    w.app.mouse_tracked = false;  // WM_MOUSELEAVE came
    on_mouse_move(w.app, w.shell, Point{300, 150});
    EXPECT_EQ(w.shell.mouse_leave_requests, 2);
}

TEST(MouseTest, DoubleClicksAndTheRowContextMenu) {
    CanvasWindow w(1, 5);
    w.app.text = U"보고서";
    on_left_double_click(w.app, w.shell, Point{box_x(w, 1), 30});
    EXPECT_EQ(w.app.anchor, 0u);
    EXPECT_EQ(w.app.caret, 3u);

    // Rows that no longer resolve select but open nothing (the actions' own tests open files).
    on_left_double_click(w.app, w.shell, Point{300, 150 + 2 * 32});
    EXPECT_EQ(w.app.selected, 2u);

    on_right_button_up(w.app, w.shell, Point{300, 20});  // not a row
    EXPECT_TRUE(w.shell.deferred.empty());
    on_right_button_up(w.app, w.shell, Point{300, 150 + 4 * 32});
    EXPECT_EQ(w.app.selected, 4u);
    ASSERT_EQ(w.shell.deferred.size(), 1u);
    const auto* menu = std::get_if<MenuRequest>(&w.shell.deferred[0]);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->kind, MenuKind::Context);
    EXPECT_EQ(menu->at_client, (Point{300, 150 + 4 * 32}));
    EXPECT_EQ(menu->items, context_menu());

    // A folder's row also offers to exclude it; a drive's root does not.
    VolumeTable table = VolumeTable::with_root("C:\\");
    const uint32_t folder = add_path(table, "Games", {.attributes = ATTRIBUTE_DIRECTORY})->index;
    table.table_id = 4;
    w.index.tables.push_back(std::move(table));
    w.app.table_ids = {4};
    w.app.results[0] = Hit{0, 0, false};
    w.app.results[1] = Hit{folder, 0, false};
    for (const auto& [row, offered] : {std::pair{0, false}, std::pair{1, true}}) {
        w.shell.deferred.clear();
        on_right_button_up(w.app, w.shell, Point{300, 150.0f + static_cast<float>(row) * 32});
        ASSERT_EQ(w.shell.deferred.size(), 1u);
        EXPECT_EQ(std::get<MenuRequest>(w.shell.deferred[0]).items, context_menu(offered)) << row;
    }
}

}  // namespace
}  // namespace norvik
