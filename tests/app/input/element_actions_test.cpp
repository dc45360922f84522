#include "app/input/element_actions.h"

#include <optional>
#include <variant>

#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace norvik {
namespace {

using testing::AppFixture;

// What a screen reader's request does to the window, as the click or key it stands for would.
// The window is 960 x 640 with 100 rows of 32 pixels, row 0 selected, sorted by Name ascending.
TEST(ElementActionsTest, EachActionChangesTheWindowAsItsClickOrKeyWould) {
    using A = ElementAction;
    struct Case {
        const char* name;
        ElementId id;
        ElementAction action;
        bool acted;
        // What the App looks like after.
        uint8_t filter = 0;
        std::optional<uint32_t> selected = 0;
        double scroll = 0;
        SortColumn sort = SortColumn::Name;
        bool descending = false;
        FocusArea focus = FocusArea::SearchBox;
        SortColumn focused_column = SortColumn::Name;
        bool searched = false;
        bool menu = false;
    };
    const Case cases[] = {
        {.name = "the menu button opens its menu",
         .id = {UiPart::MenuButton},
         .action = A::Invoke,
         .acted = true,
         .menu = true},
        {.name = "a new column sorts",
         .id = {UiPart::HeaderItem, 2},
         .action = A::Invoke,
         .acted = true,
         .sort = SortColumn::Size,
         .descending = true,
         .searched = true},
        {.name = "the sorted column turns",
         .id = {UiPart::HeaderItem, 0},
         .action = A::Invoke,
         .acted = true,
         .descending = true,
         .searched = true},
        {.name = "a tab becomes the filter",
         .id = {UiPart::Tab, 3},
         .action = A::Select,
         .acted = true,
         .filter = 3,
         .searched = true},
        {.name = "a row is selected",
         .id = {UiPart::Row, 5},
         .action = A::Select,
         .acted = true,
         .selected = 5},
        {.name = "a far row is selected and shown",
         .id = {UiPart::Row, 40},
         .action = A::Select,
         .acted = true,
         .selected = 40,
         .scroll = 842},
        {.name = "a far row is shown, the selection kept",
         .id = {UiPart::Row, 40},
         .action = A::ScrollIntoView,
         .acted = true,
         .scroll = 842},
        {.name = "a row past the results",
         .id = {UiPart::Row, 100},
         .action = A::Select,
         .acted = false},
        {.name = "a tab past the seventh",
         .id = {UiPart::Tab, 7},
         .action = A::Select,
         .acted = false},
        {.name = "the box has nothing to invoke",
         .id = {UiPart::SearchBox},
         .action = A::Invoke,
         .acted = false},
        {.name = "a tab is not scrolled",
         .id = {UiPart::Tab, 1},
         .action = A::ScrollIntoView,
         .acted = false},
        {.name = "focus: a tab",
         .id = {UiPart::Tab, 2},
         .action = A::Focus,
         .acted = true,
         .focus = FocusArea::Tabs},
        {.name = "focus: a header",
         .id = {UiPart::HeaderItem, 3},
         .action = A::Focus,
         .acted = true,
         .focus = FocusArea::Headers,
         .focused_column = SortColumn::DateModified},
        {.name = "focus: a row",
         .id = {UiPart::Row, 1},
         .action = A::Focus,
         .acted = true,
         .focus = FocusArea::Results},
        {.name = "focus: the button",
         .id = {UiPart::MenuButton},
         .action = A::Focus,
         .acted = true,
         .focus = FocusArea::MenuButton},
        {.name = "focus: the status line cannot",
         .id = {UiPart::Status},
         .action = A::Focus,
         .acted = false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppFixture f;
        f.app.results.resize(100);
        f.app.selected = 0;
        f.app.sort_column = SortColumn::Name;
        f.app.focus = FocusArea::SearchBox;
        EXPECT_EQ(act_on_element(f.app, f.shell, c.id, c.action), c.acted);
        EXPECT_EQ(f.app.filter, c.filter);
        EXPECT_EQ(f.app.selected, c.selected);
        EXPECT_DOUBLE_EQ(f.app.scroll, c.scroll);
        EXPECT_EQ(f.app.sort_column, c.sort);
        EXPECT_EQ(f.app.sort_descending, c.descending);
        EXPECT_EQ(f.app.focus, c.focus);
        if (c.focus == FocusArea::Headers) {
            EXPECT_EQ(f.app.focused_column, c.focused_column);
        }
        EXPECT_EQ(f.worker.query_generation().load(), c.searched ? 1u : 0u);
        EXPECT_EQ(f.shell.deferred.size(), c.menu ? 1u : 0u);
        if (c.menu) {
            EXPECT_EQ(std::get<MenuRequest>(f.shell.deferred[0]).kind, MenuKind::Settings);
        }
        EXPECT_EQ(f.shell.invalidations > 0, c.acted);
    }
}

// A client's new value replaces the whole query, composition included, and searches for it.
TEST(ElementActionsTest, SettingTheBoxsValueReplacesTheQuery) {
    AppFixture f;
    f.app.text = U"old";
    f.app.caret = 1;
    f.app.anchor = 3;
    f.app.composition = "ㅂ";
    set_search_text(f.app, f.shell, "보고서 2026");
    EXPECT_EQ(f.app.text, U"보고서 2026");
    EXPECT_TRUE(f.app.composition.empty());
    EXPECT_EQ(f.app.caret, 8u);
    EXPECT_EQ(f.app.anchor, 8u);
    ASSERT_TRUE(f.worker.pending_request().has_value());
    EXPECT_EQ(f.worker.pending_request()->text, "보고서 2026");
}

}  // namespace
}  // namespace norvik
