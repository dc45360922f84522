#include "app/input/keys.h"

#include <optional>
#include <string>
#include <variant>

#include <gtest/gtest.h>

#include "app/core/commands.h"
#include "app/core/menus.h"
#include "app/input/mouse.h"
#include "support/app_fixture.h"

namespace norvik {
namespace {

using testing::AppFixture;

constexpr KeyEvent key(uint32_t vk, bool ctrl = false, bool shift = false, bool alt = false) {
    return KeyEvent{vk, ctrl, shift, alt};
}

uint64_t searches(const AppFixture& f) {
    return f.worker.query_generation().load();
}

// A 960 x 640 window shows 14 whole rows, so a page is 14.
TEST(KeysTest, ResultListMoves) {
    struct Case {
        const char* name;
        size_t rows;
        std::optional<uint32_t> selected;
        KeyEvent event;
        std::optional<uint32_t> expected;
    };
    const Case cases[] = {
        {"down from none", 5, std::nullopt, key(VK_KEY_DOWN), 0},
        {"down stops at the last row", 5, 4, key(VK_KEY_DOWN), 4},
        {"up from none", 5, std::nullopt, key(VK_KEY_UP), 0},
        {"up stays at row 0", 5, 0, key(VK_KEY_UP), 0},
        {"up", 5, 3, key(VK_KEY_UP), 2},
        {"page up from row 2", 50, 2, key(VK_KEY_PRIOR), 0},
        {"page up", 50, 30, key(VK_KEY_PRIOR), 16},
        {"page down from none", 50, std::nullopt, key(VK_KEY_NEXT), 13},
        {"page down near the end", 50, 40, key(VK_KEY_NEXT), 49},
        {"ctrl+home", 50, 30, key(VK_KEY_HOME, true), 0},
        {"ctrl+end", 50, std::nullopt, key(VK_KEY_END, true), 49},
        {"no results: down", 0, std::nullopt, key(VK_KEY_DOWN), std::nullopt},
        {"no results: page down", 0, std::nullopt, key(VK_KEY_NEXT), std::nullopt},
        {"no results: ctrl+end", 0, std::nullopt, key(VK_KEY_END, true), std::nullopt},
        {"no results: enter", 0, std::nullopt, key(VK_KEY_RETURN), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppFixture f;
        f.app.results.resize(c.rows);
        f.app.selected = c.selected;
        f.app.text = U"query";
        EXPECT_TRUE(on_key_down(f.app, f.shell, c.event));
        EXPECT_EQ(f.app.selected, c.expected);
        EXPECT_EQ(searches(f), 0u);
        EXPECT_TRUE(f.shell.opened_paths.empty());
        EXPECT_TRUE(f.app.toast == std::nullopt);
    }
}

TEST(KeysTest, SearchBoxKeysAndTheQueryChangedCheck) {
    struct Case {
        const char* name;
        std::u32string text;
        uint32_t caret, anchor;
        KeyEvent event;
        std::u32string after;
        uint32_t caret_after, anchor_after;
        bool searched;
    };
    const Case cases[] = {
        {"backspace at 0", U"ab", 0, 0, key(VK_KEY_BACK), U"ab", 0, 0, false},
        {"backspace", U"ab", 2, 2, key(VK_KEY_BACK), U"a", 1, 1, true},
        {"ctrl+backspace", U"foo bar  ", 9, 9, key(VK_KEY_BACK, true), U"foo ", 4, 4, true},
        {"delete", U"ab", 0, 0, key(VK_KEY_DELETE), U"b", 0, 0, true},
        {"left collapses a selection to its start", U"abcd", 3, 1, key(VK_KEY_LEFT), U"abcd", 1, 1,
         false},
        {"right collapses a selection to its end", U"abcd", 1, 3, key(VK_KEY_RIGHT), U"abcd", 3, 3,
         false},
        {"shift+left extends a selection", U"abcd", 1, 3, key(VK_KEY_LEFT, false, true), U"abcd", 0,
         3, false},
        {"left stops at 0", U"ab", 0, 0, key(VK_KEY_LEFT), U"ab", 0, 0, false},
        {"right stops at the end", U"ab", 2, 2, key(VK_KEY_RIGHT), U"ab", 2, 2, false},
        {"ctrl+right", U"foo  bar", 1, 1, key(VK_KEY_RIGHT, true), U"foo  bar", 5, 5, false},
        {"ctrl+shift+left", U"foo bar", 7, 7, key(VK_KEY_LEFT, true, true), U"foo bar", 4, 7,
         false},
        {"home", U"abc", 2, 2, key(VK_KEY_HOME), U"abc", 0, 0, false},
        {"shift+end", U"abc", 1, 1, key(VK_KEY_END, false, true), U"abc", 3, 1, false},
        {"ctrl+a", U"abc", 1, 1, key(VK_KEY_A, true), U"abc", 3, 0, false},
        {"altgr+a is left to WM_CHAR", U"abc", 1, 1, key(VK_KEY_A, true, false, true), U"abc", 1, 1,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppFixture f;
        f.app.text = c.text;
        f.app.caret = c.caret;
        f.app.anchor = c.anchor;
        f.app.results.resize(3);  // the box keys act on the box even with results
        const bool handled = on_key_down(f.app, f.shell, c.event);
        EXPECT_EQ(handled, c.event.alt == false);
        EXPECT_EQ(f.app.text, c.after);
        EXPECT_EQ(f.app.caret, c.caret_after);
        EXPECT_EQ(f.app.anchor, c.anchor_after);
        EXPECT_EQ(searches(f), c.searched ? 1u : 0u);
        EXPECT_EQ(f.app.reset_selection, c.searched);
    }
}

TEST(KeysTest, CtrlShortcutsWaitForAltToBeUp) {
    // Polish and similar layouts type letters with AltGr, which arrives as Ctrl+Alt.
    for (bool alt : {false, true}) {
        SCOPED_TRACE(alt ? "altgr" : "ctrl");
        AppFixture f;
        f.app.text = U"ab";
        f.app.anchor = 0;
        f.app.caret = 2;
        f.shell.clipboard = u"zz";
        EXPECT_EQ(on_key_down(f.app, f.shell, key(VK_KEY_C, true, false, alt)), !alt);
        EXPECT_EQ(f.shell.clipboard, alt ? u"zz" : u"ab");
        EXPECT_EQ(on_key_down(f.app, f.shell, key(VK_KEY_X, true, false, alt)), !alt);
        EXPECT_EQ(f.app.text, alt ? U"ab" : U"");
        EXPECT_EQ(on_key_down(f.app, f.shell, key(VK_KEY_V, true, false, alt)), !alt);
        EXPECT_EQ(f.app.text, U"ab");
        EXPECT_EQ(searches(f), alt ? 0u : 2u);
    }
}

TEST(KeysTest, CtrlTabCyclesTheFilterBothWays) {
    struct Case {
        uint8_t from;
        bool shift;
        uint8_t to;
    };
    const Case cases[] = {{0, false, 1}, {6, false, 0}, {0, true, 6}, {3, true, 2}};
    for (const Case& c : cases) {
        AppFixture f;
        f.app.filter = c.from;
        EXPECT_TRUE(on_key_down(f.app, f.shell, key(VK_KEY_TAB, true, c.shift)));
        EXPECT_EQ(f.app.filter, c.to);
        ASSERT_TRUE(f.worker.pending_request().has_value());
        EXPECT_EQ(f.worker.pending_request()->filter, c.to);
        EXPECT_EQ(searches(f), 1u);
        EXPECT_TRUE(f.app.reset_selection);
        EXPECT_EQ(f.app.focus, FocusArea::SearchBox) << "the focus stays where it was";
    }
}

// The keyboard reaches every control: the focus ring, the filter tabs, the column headers with
// their menu and the menu button.
TEST(KeysTest, KeyboardOnly) {
    constexpr auto S = FocusArea::SearchBox;
    constexpr auto T = FocusArea::Tabs;
    constexpr auto H = FocusArea::Headers;
    constexpr auto R = FocusArea::Results;
    constexpr auto M = FocusArea::MenuButton;
    constexpr auto NAME = SortColumn::Name;
    constexpr auto FOLDER = SortColumn::Folder;
    constexpr auto SIZE = SortColumn::Size;
    constexpr auto DATE = SortColumn::DateModified;
    struct Case {
        const char* name;
        FocusArea focus;
        SortColumn column;  // the focused header before
        KeyEvent event;
        bool handled;
        FocusArea focus_after;
        uint8_t filter_after;  // from filter 2
        SortColumn column_after;
        SortColumn sort_after;  // from Relevance
        std::optional<MenuKind> menu;
    };
    const Case cases[] = {
        {"tab: box to tabs", S, NAME, key(VK_KEY_TAB), true, T, 2, NAME, SortColumn::Relevance, {}},
        {"tab: headers to list",
         H,
         NAME,
         key(VK_KEY_TAB),
         true,
         R,
         2,
         NAME,
         SortColumn::Relevance,
         {}},
        {"tab: button to box",
         M,
         NAME,
         key(VK_KEY_TAB),
         true,
         S,
         2,
         NAME,
         SortColumn::Relevance,
         {}},
        {"shift+tab: box to button",
         S,
         NAME,
         key(VK_KEY_TAB, false, true),
         true,
         M,
         2,
         NAME,
         SortColumn::Relevance,
         {}},
        {"shift+tab: list to headers",
         R,
         NAME,
         key(VK_KEY_TAB, false, true),
         true,
         H,
         2,
         NAME,
         SortColumn::Relevance,
         {}},
        {"alt+1: All",
         S,
         NAME,
         key(VK_KEY_1, false, false, true),
         true,
         S,
         0,
         NAME,
         SortColumn::Relevance,
         {}},
        {"alt+7: Archives",
         R,
         NAME,
         key(VK_KEY_1 + 6, false, false, true),
         true,
         R,
         6,
         NAME,
         SortColumn::Relevance,
         {}},
        {"altgr+7 is a character",
         S,
         NAME,
         key(VK_KEY_1 + 6, true, false, true),
         false,
         S,
         2,
         NAME,
         SortColumn::Relevance,
         {}},
        {"alt+8: no such tab",
         S,
         NAME,
         key(VK_KEY_1 + 7, false, false, true),
         false,
         S,
         2,
         NAME,
         SortColumn::Relevance,
         {}},
        {"right on the tabs",
         T,
         NAME,
         key(VK_KEY_RIGHT),
         true,
         T,
         3,
         NAME,
         SortColumn::Relevance,
         {}},
        {"right on the headers",
         H,
         FOLDER,
         key(VK_KEY_RIGHT),
         true,
         H,
         2,
         SIZE,
         SortColumn::Relevance,
         {}},
        {"right stops at the last header",
         H,
         DATE,
         key(VK_KEY_RIGHT),
         true,
         H,
         2,
         DATE,
         SortColumn::Relevance,
         {}},
        {"enter on a header sorts", H, SIZE, key(VK_KEY_RETURN), true, H, 2, SIZE, SIZE, {}},
        {"space on a header sorts", H, FOLDER, key(VK_KEY_SPACE), true, H, 2, FOLDER, FOLDER, {}},
        {"menu key on a header", H, DATE, key(VK_KEY_APPS), true, H, 2, DATE, SortColumn::Relevance,
         MenuKind::Header},
        {"shift+f10 on a header", H, NAME, key(VK_KEY_F10, false, true), true, H, 2, NAME,
         SortColumn::Relevance, MenuKind::Header},
        {"enter on the menu button", M, NAME, key(VK_KEY_RETURN), true, M, 2, NAME,
         SortColumn::Relevance, MenuKind::Settings},
        {"menu key on the list: the row's menu", R, NAME, key(VK_KEY_APPS), true, R, 2, NAME,
         SortColumn::Relevance, MenuKind::Context},
        {"backspace brings the box back",
         M,
         NAME,
         key(VK_KEY_BACK),
         true,
         S,
         2,
         NAME,
         SortColumn::Relevance,
         {}},
        {"left in the box moves the caret",
         S,
         NAME,
         key(VK_KEY_LEFT),
         true,
         S,
         2,
         NAME,
         SortColumn::Relevance,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppFixture f;
        f.app.results.resize(3);
        f.app.selected = 0;
        f.app.filter = 2;
        f.app.focus = c.focus;
        f.app.focused_column = c.column;
        EXPECT_EQ(on_key_down(f.app, f.shell, c.event), c.handled);
        EXPECT_EQ(f.app.focus, c.focus_after);
        EXPECT_EQ(f.app.filter, c.filter_after);
        EXPECT_EQ(f.app.focused_column, c.column_after);
        EXPECT_EQ(f.app.sort_column, c.sort_after);
        ASSERT_EQ(f.shell.deferred.size(), c.menu ? 1u : 0u);
        if (c.menu) {
            EXPECT_EQ(std::get<MenuRequest>(f.shell.deferred[0]).kind, *c.menu);
        }
        const bool searched = c.filter_after != 2 || c.sort_after != SortColumn::Relevance;
        EXPECT_EQ(searches(f), searched ? 1u : 0u);
    }
}

// Wider and Narrower in a header's menu, opened from the keyboard, size that column by a step.
TEST(KeysTest, HeaderMenuSizesItsColumn) {
    // The default split of a 960-pixel window: Name and Folder 333 each, Size 86, Date 136.
    struct Case {
        SortColumn column;
        uint32_t command;
        ColumnWidths widths;
    };
    const Case cases[] = {
        {SortColumn::Folder, HEADER_WIDER, {353, 86, 136}},
        {SortColumn::Size, HEADER_NARROWER, {333, 66, 136}},
        {SortColumn::DateModified, HEADER_WIDER, {333, 86, 156}},
        {SortColumn::Name, HEADER_WIDER, {313, 86, 136}},
        {SortColumn::Name, HEADER_NARROWER, {353, 86, 136}},
    };
    for (const Case& c : cases) {
        AppFixture f;
        f.app.focus = FocusArea::Headers;
        f.app.focused_column = c.column;
        ASSERT_TRUE(on_key_down(f.app, f.shell, key(VK_KEY_APPS)));
        on_menu_command(f.app, f.shell, MenuKind::Header, c.command);
        EXPECT_EQ(f.app.column_widths, c.widths) << static_cast<int>(c.column);
        EXPECT_EQ(saved_column_widths(f.shell.settings()), c.widths);
    }
}

TEST(KeysTest, EscHidesAndKeepsTheQuery) {
    AppFixture f;
    f.app.text = U"보고서";
    EXPECT_TRUE(on_key_down(f.app, f.shell, key(VK_KEY_ESCAPE)));
    EXPECT_FALSE(f.shell.visible);
    EXPECT_EQ(f.shell.placement_saves, 1);
    EXPECT_EQ(f.app.text, U"보고서");
    EXPECT_EQ(searches(f), 0u);
}

// The Search syntax card goes at Esc (the window stays), at any other key (which then does what
// it does) and at a click, which does nothing else: a click on the settings button opens no menu.
TEST(KeysTest, TheSyntaxCardClosesAtEscAnyKeyOrAClick) {
    enum class Act { Esc, Down, Letter, Click, RightClick };
    for (Act act : {Act::Esc, Act::Down, Act::Letter, Act::Click, Act::RightClick}) {
        AppFixture f;
        f.app.text = U"보고서";
        on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_SEARCH_SYNTAX);
        ASSERT_TRUE(f.app.syntax_card);
        const Point on_button{960 - 36, 36};
        switch (act) {
            case Act::Esc:
                EXPECT_TRUE(on_key_down(f.app, f.shell, key(VK_KEY_ESCAPE)));
                break;
            case Act::Down:
                EXPECT_TRUE(on_key_down(f.app, f.shell, key(VK_KEY_DOWN)));
                break;
            case Act::Letter:
                EXPECT_FALSE(on_key_down(f.app, f.shell, key(0x51)));
                break;
            case Act::Click:
                on_left_button_down(f.app, f.shell, on_button, false);
                on_left_button_up(f.app, f.shell, on_button);
                break;
            case Act::RightClick:
                on_right_button_up(f.app, f.shell, on_button);
                break;
        }
        EXPECT_FALSE(f.app.syntax_card) << static_cast<int>(act);
        EXPECT_TRUE(f.shell.visible) << static_cast<int>(act);
        EXPECT_TRUE(f.shell.deferred.empty()) << static_cast<int>(act);
        EXPECT_EQ(f.app.text, U"보고서");
    }
}

TEST(KeysTest, OtherKeysAreLeftToWindows) {
    AppFixture f;
    const int before = f.shell.invalidations;
    for (uint32_t vk : {0x51u /* Q */, 0x73u /* F4 */, 0x10u /* Shift */}) {
        EXPECT_FALSE(on_key_down(f.app, f.shell, key(vk)));
        EXPECT_FALSE(on_key_down(f.app, f.shell, key(vk, true)));
    }
    EXPECT_EQ(f.shell.invalidations, before);
}

}  // namespace
}  // namespace norvik
