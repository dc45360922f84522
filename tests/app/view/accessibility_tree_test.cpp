#include "app/view/accessibility_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/canvas_window.h"

namespace norvik {
namespace {

using testing::CanvasWindow;

enum : uint32_t { ROOT = 0, USERS, BOGOSEO, DOCS };

// A 960 x 640 window (at scale s) over C:\Users\보고서.hwp and C:\Users\Docs, 40 results of
// them, the list scrolled to the top.
struct TreeWindow : CanvasWindow {
    explicit TreeWindow(float scale = 1) : CanvasWindow(scale) {
        VolumeTable table = VolumeTable::with_root("C:\\");
        table.add_entry(ROOT, "Users", FileFacts{0, 0, ATTRIBUTE_DIRECTORY}, 0);
        table.add_entry(USERS, "보고서.hwp", FileFacts{12 * 1024, 0, 0}, 0);
        table.add_entry(USERS, "Docs", FileFacts{0, 0, ATTRIBUTE_DIRECTORY}, 0);
        table.table_id = 4;
        index.tables.push_back(std::move(table));
        for (int i = 0; i < 40; ++i)
            app.results.push_back(Hit{i % 2 == 0 ? BOGOSEO : DOCS, 0, false});
        app.table_ids = {4};
        app.text = U"보고";
        app.caret = app.anchor = 2;
        app.selected = 0;
    }

    ElementNode node(ElementId id, Language language = Language::En) const {
        const std::optional<ElementNode> found = describe_element(app, id, language);
        EXPECT_TRUE(found) << static_cast<int>(id.kind) << " " << id.index;
        return found.value_or(ElementNode{});
    }
};

TEST(AccessibilityTreeTest, RolesNamesAndBoundsInKoreanAndEnglishAtTwoScales) {
    struct Case {
        ElementId id;
        ElementRole role;
        std::string english, korean;
        RectF bounds_at_1;  // at 150 % each side is one and a half times as long
    };
    const Case cases[] = {
        {{UiPart::SearchBox},
         ElementRole::Edit,
         "Search file and folder names",
         "파일·폴더 이름 검색 (초성·영타도 됩니다)",
         {16, 14, 882, 44}},
        {{UiPart::MenuButton}, ElementRole::Button, "Menu", "메뉴", {904, 16, 40, 40}},
        {{UiPart::Tabs}, ElementRole::TabList, "Kinds", "종류", {}},
        {{UiPart::Tab, 2}, ElementRole::TabItem, "Documents", "문서", {}},
        {{UiPart::Header}, ElementRole::Header, "Column headers", "열 제목", {0, 110, 960, 30}},
        {{UiPart::HeaderItem, 3},
         ElementRole::HeaderItem,
         "Date modified",
         "수정한 날짜",
         {798, 110, 136, 30}},
        {{UiPart::Results}, ElementRole::List, "Results", "검색 결과", {0, 140, 960, 470}},
        {{UiPart::Row, 0},
         ElementRole::ListItem,
         "보고서.hwp, C:\\Users, 12.0 KB",
         "보고서.hwp, C:\\Users, 12.0 KB",
         {6, 140, 938, 32}},
        {{UiPart::Row, 1},
         ElementRole::ListItem,
         "Docs, C:\\Users",
         "Docs, C:\\Users",
         {6, 172, 938, 32}},
    };
    for (float scale : {1.0f, 1.5f}) {
        TreeWindow w(scale);
        for (const Case& c : cases) {
            const ElementNode en = w.node(c.id, Language::En);
            const ElementNode ko = w.node(c.id, Language::Ko);
            EXPECT_EQ(en.role, c.role) << c.english;
            EXPECT_EQ(en.name, c.english);
            EXPECT_EQ(ko.name, c.korean);
            EXPECT_EQ(en.automation_id, ko.automation_id) << "the same in every language";
            if (c.bounds_at_1.width == 0) {
                EXPECT_GT(en.bounds.width, 0) << c.english << " measured through the canvas";
                continue;
            }
            const RectF& b = c.bounds_at_1;
            EXPECT_EQ(en.bounds,
                      (RectF{b.x * scale, b.y * scale, b.width * scale, b.height * scale}))
                << c.english << " at " << scale;
        }
    }
}

TEST(AccessibilityTreeTest, StatesFollowFocusSelectionScrollAndFilter) {
    struct Case {
        FocusArea focus;
        double scroll;
        ElementId id;
        uint32_t states;
    };
    const Case cases[] = {
        {FocusArea::SearchBox, 0, {UiPart::SearchBox}, STATE_FOCUSABLE | STATE_FOCUSED},
        {FocusArea::Tabs,
         0,
         {UiPart::Tab, 3},
         STATE_FOCUSABLE | STATE_SELECTABLE | STATE_SELECTED | STATE_FOCUSED},
        {FocusArea::Tabs, 0, {UiPart::Tab, 0}, STATE_FOCUSABLE | STATE_SELECTABLE},
        {FocusArea::Results,
         0,
         {UiPart::Row, 0},
         STATE_FOCUSABLE | STATE_SELECTABLE | STATE_SELECTED | STATE_FOCUSED},
        {FocusArea::Results, 0, {UiPart::Row, 14}, STATE_FOCUSABLE | STATE_SELECTABLE},
        {FocusArea::Results,
         0,
         {UiPart::Row, 15},  // starts just below the list's end
         STATE_FOCUSABLE | STATE_SELECTABLE | STATE_OFFSCREEN},
        {FocusArea::Results,
         64,
         {UiPart::Row, 1},  // scrolled out above
         STATE_FOCUSABLE | STATE_SELECTABLE | STATE_OFFSCREEN},
        {FocusArea::MenuButton, 0, {UiPart::MenuButton}, STATE_FOCUSABLE | STATE_FOCUSED},
        {FocusArea::MenuButton, 0, {UiPart::Status}, STATE_LIVE},
    };
    for (const Case& c : cases) {
        TreeWindow w;
        w.app.filter = 3;
        w.app.focus = c.focus;
        w.app.scroll = c.scroll;
        EXPECT_EQ(w.node(c.id).states, c.states)
            << static_cast<int>(c.id.kind) << " " << c.id.index;
        EXPECT_EQ(focused_element(w.app),
                  (ElementId{c.focus == FocusArea::Tabs         ? UiPart::Tab
                             : c.focus == FocusArea::Results    ? UiPart::Row
                             : c.focus == FocusArea::MenuButton ? UiPart::MenuButton
                                                                : UiPart::SearchBox,
                             c.focus == FocusArea::Tabs ? 3u : 0u}));
    }
}

TEST(AccessibilityTreeTest, TheListCountsEveryResultAndMakesRowsOnDemand) {
    TreeWindow w;
    const ElementId results{UiPart::Results};
    EXPECT_EQ(child_count(w.app, results), 40u);
    EXPECT_EQ(child_count(w.app, {}), 6u);
    EXPECT_EQ(child_count(w.app, {UiPart::Tabs}), 7u);
    EXPECT_EQ(child_count(w.app, {UiPart::Header}), 4u);
    const ElementId last = child_element(results, 39);
    EXPECT_EQ(last, (ElementId{UiPart::Row, 39}));
    EXPECT_EQ(parent_element(last), results);
    EXPECT_EQ(index_in_parent(last), 39u);
    EXPECT_TRUE(w.node(last).has(STATE_OFFSCREEN));
    EXPECT_FALSE(describe_element(w.app, {UiPart::Row, 40}, Language::En));
    EXPECT_FALSE(describe_element(w.app, {UiPart::Tab, 7}, Language::En));
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(index_in_parent(child_element({}, i)), i);
    EXPECT_EQ(w.node({UiPart::SearchBox}).value, "보고");
    w.app.focus = FocusArea::Results;
    w.app.selected.reset();
    EXPECT_EQ(focused_element(w.app), results) << "the list itself without a selected row";
}

TEST(AccessibilityTreeTest, ElementAtAPointIsTheControlDrawnThere) {
    struct Case {
        float x, y;
        ElementId id;
    };
    const Case cases[] = {
        {100, 30, {UiPart::SearchBox}}, {920, 30, {UiPart::MenuButton}},
        {20, 80, {UiPart::Tab, 0}},     {900, 125, {UiPart::HeaderItem, 3}},
        {100, 180, {UiPart::Row, 1}},   {100, 620, {UiPart::Status}},
        {900, 80, {UiPart::Window}},
    };
    TreeWindow w;
    for (const Case& c : cases)
        EXPECT_EQ(element_at(w.app, c.x, c.y), c.id) << c.x << "," << c.y;
}

TEST(AccessibilityTreeTest, EventsAndTheCountSaidAtMostOncePerSecond) {
    TreeWindow w;
    w.app.text = U"보";
    w.app.result_query = parse("보", false, 0);
    Announcer announcer;
    const Clock::time_point t0{};
    auto answer = [&](uint64_t generation, size_t rows) {
        w.app.query_generation = w.app.result_generation = generation;
        w.app.results.resize(rows, Hit{BOGOSEO, 0, false});
    };

    AccessibleSnapshot before = accessible_snapshot(w.app);
    answer(1, 3);
    AccessibleEvents e =
        accessible_events(w.app, before, accessible_snapshot(w.app), announcer, t0, Language::En);
    EXPECT_TRUE(e.structure_changed);
    EXPECT_EQ(e.announcement, "3 found");

    before = accessible_snapshot(w.app);
    answer(2, 2);  // 0.3 s later: held
    e = accessible_events(w.app, before, accessible_snapshot(w.app), announcer,
                          t0 + std::chrono::milliseconds(300), Language::Ko);
    EXPECT_FALSE(e.announcement);
    before = accessible_snapshot(w.app);
    e = accessible_events(w.app, before, before, announcer, t0 + std::chrono::milliseconds(1000),
                          Language::Ko);
    EXPECT_EQ(e.announcement, "2개") << "said once the second is over";
    EXPECT_FALSE(e.structure_changed);

    before = accessible_snapshot(w.app);
    w.app.query_generation = 3;  // typed again: the older answer is not worth saying
    w.app.result_generation = 2;
    w.app.results.resize(5, Hit{BOGOSEO, 0, false});
    w.app.text = U"보고";
    w.app.selected = 1;
    w.app.focus = FocusArea::Results;
    e = accessible_events(w.app, before, accessible_snapshot(w.app), announcer,
                          t0 + std::chrono::seconds(5), Language::En);
    EXPECT_FALSE(e.announcement);
    EXPECT_TRUE(e.value_changed);
    EXPECT_TRUE(e.selection_changed);
    EXPECT_TRUE(e.focus_changed);
    EXPECT_TRUE(e.structure_changed) << "the row count changed";
}

}  // namespace
}  // namespace norvik
