#include "app/input/mouse.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/commands.h"
#include "app/core/menus.h"
#include "app/core/settings.h"
#include "app/core/window_events.h"
#include "app/input/keys.h"
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

TEST(MouseTest, OnlyAClickOnOneLabelSorts) {
    // Borders of a 960-pixel window: 379 (Name|Folder), 712 (Folder|Size), 798 (Size|Date).
    enum class Between { Nothing, CaptureLost };
    struct Case {
        const char* what;
        Point down;
        std::vector<Point> moves;
        Point up;
        Between between;
        bool sorts;
    };
    const Case cases[] = {
        {"a click", NAME_HEADER, {}, NAME_HEADER, Between::Nothing, true},
        {"a jitter within the threshold",
         NAME_HEADER,
         {{104, 123}},
         {103, 121},
         Between::Nothing,
         true},
        {"out and back", NAME_HEADER, {{130, 120}}, NAME_HEADER, Between::Nothing, false},
        {"down and up on two labels", NAME_HEADER, {}, FOLDER_HEADER, Between::Nothing, false},
        {"from a border onto a label", {379, 120}, {}, FOLDER_HEADER, Between::Nothing, false},
        {"a border dragged and back",
         {712, 120},
         {{600, 120}},
         {712, 120},
         Between::Nothing,
         false},
        {"from a row onto a label", {300, 150}, {}, NAME_HEADER, Between::Nothing, false},
        {"capture taken away", NAME_HEADER, {}, NAME_HEADER, Between::CaptureLost, false},
    };
    for (const Case& c : cases) {
        CanvasWindow w(1, 5);
        on_left_button_down(w.app, w.shell, c.down, false);
        for (const Point& move : c.moves)
            on_mouse_move(w.app, w.shell, move);
        if (c.between == Between::CaptureLost) on_capture_lost(w.app, w.shell);
        on_left_button_up(w.app, w.shell, c.up);
        EXPECT_EQ(w.app.sort_column != SortColumn::Relevance, c.sorts) << c.what;
        EXPECT_EQ(w.worker.pending_request().has_value(), c.sorts) << c.what;
        EXPECT_FALSE(w.app.header_press.has_value()) << c.what;
    }

    // A double click on a label sorts twice (the second press comes as the double click).
    CanvasWindow w;
    click(w, SIZE_HEADER);
    on_left_double_click(w.app, w.shell, SIZE_HEADER);
    on_left_button_up(w.app, w.shell, SIZE_HEADER);
    EXPECT_EQ(w.app.sort_column, SortColumn::Size);
    EXPECT_FALSE(w.app.sort_descending);
    EXPECT_EQ(w.worker.query_generation().load(), 2u);
}

TEST(MouseTest, DraggingABorderSizesTheColumnsStoresThemAndADoubleClickResets) {
    for (const float s : {1.0f, 1.5f}) {
        CanvasWindow w(s);
        const Point border{712 * s, 120 * s};  // Folder|Size
        EXPECT_FALSE(on_set_cursor(w.app, w.shell, Point{700 * s, 120 * s}));
        on_left_button_down(w.app, w.shell, border, false);
        EXPECT_TRUE(w.shell.captured);
        const Point to{(712 - 33) * s, 300 * s};
        on_mouse_move(w.app, w.shell, to);
        // The border follows the pointer (to the pixel the rounded widths allow), and the
        // pointer keeps the west-east arrows wherever it is until the drag ends.
        EXPECT_NEAR(column_specs(w.app)[2].x, to.x, 1) << s;
        EXPECT_TRUE(on_set_cursor(w.app, w.shell, Point{10, 10}));
        EXPECT_EQ(w.shell.cursors, std::vector<CursorShape>{CursorShape::ResizeColumn});
        EXPECT_TRUE(w.shell.memory_settings.binaries.empty());  // stored when the drag ends
        if (s == 1) {
            on_left_button_up(w.app, w.shell, to);
        } else {
            on_capture_lost(w.app, w.shell);
        }
        EXPECT_FALSE(w.app.column_drag.active);
        EXPECT_EQ(saved_column_widths(w.shell.settings()), (ColumnWidths{300, 119, 136}));
        EXPECT_EQ(w.app.sort_column, SortColumn::Relevance);

        // A press on a border that does not move writes nothing; a double click resets.
        w.shell.memory_settings.binaries.clear();
        click(w, Point{379 * s, 115 * s});
        EXPECT_TRUE(w.shell.memory_settings.binaries.empty());
        on_left_double_click(w.app, w.shell, Point{379 * s, 115 * s});
        EXPECT_EQ(w.app.column_widths, std::nullopt);
        EXPECT_EQ(saved_column_widths(w.shell.settings()), std::nullopt);
        EXPECT_NEAR(column_specs(w.app)[2].x, 712 * s, 1);
    }
}

TEST(MouseTest, TheToastsUndoButtonIncludesTheExcludedFolderAgain) {
    CanvasWindow w;
    const std::vector<std::string> excluded = {"C:\\Games"};
    ASSERT_TRUE(w.shell.settings().write_multi_string(SETTING_EXCLUDED_FOLDERS, excluded));
    set_exclusion_toast(w.app, w.shell, "Excluded from Norvik: C:\\Games", "C:\\Games");
    const RectF button = *toast_geometry(w.app)->button;
    const Point middle{button.x + button.width / 2, button.y + button.height / 2};
    on_mouse_move(w.app, w.shell, middle);
    EXPECT_EQ(w.app.hover, (HitTarget{HitKind::ToastButton, 0}));
    click(w, middle);
    EXPECT_FALSE(w.app.toast.has_value());
    EXPECT_TRUE(excluded_folders_setting(w.shell.settings()).empty());
}

TEST(MouseTest, HoverFollowsThePointerWhenTheListMovesUnderIt) {
    struct Case {
        const char* what;
        void (*scroll)(CanvasWindow&);
        HitTarget hover;
    };
    const Case cases[] = {
        {"Page Down twice",  // to row 27, its bottom at the list's: scrolled by 426 pixels
         [](CanvasWindow& w) {
             on_key_down(w.app, w.shell, KeyEvent{VK_KEY_NEXT});
             on_key_down(w.app, w.shell, KeyEvent{VK_KEY_NEXT});
         },
         {HitKind::ResultRow, 15}},
        {"Ctrl+End",
         [](CanvasWindow& w) {
             on_key_down(w.app, w.shell, KeyEvent{VK_KEY_END, true});
         },
         {HitKind::ResultRow, 87}},
        {"a wheel notch down",
         [](CanvasWindow& w) { on_mouse_wheel_at_pointer(w.app, w.shell, -120); },
         {HitKind::ResultRow, 5}},
        {"a click on the track that brings the thumb under the pointer",
         [](CanvasWindow& w) {
             click(w, Point{951, 230});
         },
         {HitKind::ScrollThumb, 0}},
    };
    for (const Case& c : cases) {
        CanvasWindow w(1, 100);
        on_mouse_move(w.app, w.shell, Point{300, 150 + 2 * 32});
        ASSERT_EQ(w.app.hover, (HitTarget{HitKind::ResultRow, 2})) << c.what;
        const int repaints = w.shell.invalidations;
        c.scroll(w);
        EXPECT_EQ(w.app.hover, c.hover) << c.what;
        EXPECT_GT(w.shell.invalidations, repaints) << c.what;
    }

    // Once the pointer left the window, nothing is hovered, however the list moves.
    CanvasWindow w(1, 100);
    on_mouse_move(w.app, w.shell, Point{300, 150});
    on_mouse_leave(w.app, w.shell);
    on_mouse_wheel_at_pointer(w.app, w.shell, -120);
    EXPECT_EQ(w.app.hover, HitTarget{});
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

// The tooltip is due after the pointer rests TOOLTIP_MS on a row, and whatever moves the
// pointer, the list or the query takes it down again.
TEST(MouseTest, TheTooltipComesAfterARestOnARowAndGoesOnAnyChange) {
    struct Case {
        const char* what;
        void (*change)(CanvasWindow&);
    };
    const Case cases[] = {
        {"pointer moved",
         [](CanvasWindow& w) {
             on_mouse_move(w.app, w.shell, Point{305, 150});
         }},
        {"pointer left", [](CanvasWindow& w) { on_mouse_leave(w.app, w.shell); }},
        {"wheel", [](CanvasWindow& w) { on_mouse_wheel(w.app, w.shell, -120); }},
        {"typed", [](CanvasWindow& w) { rerun_search(w.app, w.shell, true); }},
        {"click",
         [](CanvasWindow& w) {
             on_left_button_down(w.app, w.shell, Point{300, 150}, false);
         }},
        {"keyboard selection", [](CanvasWindow& w) { select_row(w.app, w.shell, 4); }},
    };
    for (const Case& c : cases) {
        CanvasWindow w(1, 40);
        on_mouse_move(w.app, w.shell, Point{300, 150});
        EXPECT_EQ(w.shell.timers.at(Timer::Tooltip), TOOLTIP_MS) << c.what;
        EXPECT_FALSE(w.app.rest.tooltip) << c.what;
        on_timer(w.app, w.shell, Timer::Tooltip);
        EXPECT_TRUE(w.app.rest.tooltip) << c.what;
        EXPECT_FALSE(w.shell.timers.contains(Timer::Tooltip)) << c.what;

        const int repaints = w.shell.invalidations;
        c.change(w);
        EXPECT_FALSE(w.app.rest.tooltip) << c.what;
        EXPECT_GT(w.shell.invalidations, repaints) << c.what;
        if (c.change != cases[0].change) {
            EXPECT_FALSE(w.shell.timers.contains(Timer::Tooltip)) << c.what;
        }
    }

    // A repeated notice without a move changes nothing; off the rows nothing is due.
    CanvasWindow w(1, 40);
    on_mouse_move(w.app, w.shell, Point{300, 150});
    on_timer(w.app, w.shell, Timer::Tooltip);
    on_mouse_move(w.app, w.shell, Point{300, 150});
    EXPECT_TRUE(w.app.rest.tooltip);
    on_mouse_move(w.app, w.shell, Point{300, 30});  // the search box
    EXPECT_FALSE(w.app.rest.tooltip);
    EXPECT_FALSE(w.shell.timers.contains(Timer::Tooltip));
    on_timer(w.app, w.shell, Timer::Tooltip);  // a late tick off the rows
    EXPECT_FALSE(w.app.rest.tooltip);
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

    // A folder's row also offers to exclude it; a drive's root does not. Neither offers the
    // "Open with" chooser, which is for files.
    VolumeTable table = VolumeTable::with_root("C:\\");
    const uint32_t folder = add_path(table, "Games", {.attributes = ATTRIBUTE_DIRECTORY})->index;
    table.table_id = 4;
    w.index.tables.push_back(std::move(table));
    w.app.table_ids = {4};
    w.app.results[0] = Hit{0, 0, false};
    w.app.results[1] = Hit{folder, 0, false};
    for (const auto& [row, exclude] : {std::pair{0, false}, std::pair{1, true}}) {
        w.shell.deferred.clear();
        on_right_button_up(w.app, w.shell, Point{300, 150.0f + static_cast<float>(row) * 32});
        ASSERT_EQ(w.shell.deferred.size(), 1u);
        EXPECT_EQ(std::get<MenuRequest>(w.shell.deferred[0]).items,
                  context_menu(RowMenu{.open_with = false, .exclude = exclude}))
            << row;
    }
}

}  // namespace
}  // namespace norvik
