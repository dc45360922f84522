#include "app/core/actions.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/commands.h"
#include "app/core/menus.h"
#include "app/core/open_failure.h"
#include "app/core/window_events.h"
#include "app/input/keys.h"
#include "app/input/mouse.h"
#include "app/text/text.h"
#include "hangul/utf8.h"
#include "query/test_tables.h"
#include "support/app_fixture.h"

namespace norvik {
namespace {

using testing::AppFixture;

const std::string FOLDER = "C:\\My Docs, 2026";
const std::string REPORT = "C:\\My Docs, 2026\\보고서 final.hwp";
const std::string CAFE_ON_DISK = "C:\\My Docs, 2026\\cafe\u0301.txt";  // decomposed, as found

// "C:\" holding the folder "My Docs, 2026" (row 0) with "보고서 final.hwp" (row 1) and a name
// that normalization composes (row 2); row 1 is selected.
struct ResultsFixture : AppFixture {
    ResultsFixture() {
        VolumeTable table = VolumeTable::with_root("C:\\");
        const uint32_t folder = testing::add_folder(table, 0, "My Docs, 2026");
        const uint32_t report = testing::add_file(table, folder, "보고서 final.hwp");
        const uint32_t cafe = testing::add_file(table, folder, "cafe\u0301.txt");
        table.table_id = 4;
        index.tables.push_back(std::move(table));
        app.results = {Hit{folder, 0, false}, Hit{report, 0, false}, Hit{cafe, 0, false}};
        app.table_ids = {4};
        select_row(app, shell, 1);
        shell.existing_paths = {FOLDER, REPORT, CAFE_ON_DISK};
    }
};

TEST(ResultActionsTest, OpenOpenFolderAndCopies) {
    ResultsFixture f;
    open_result(f.app, f.shell, false);
    open_result(f.app, f.shell, true);
    EXPECT_EQ(f.shell.opened_paths, std::vector<std::string>{REPORT});
    EXPECT_EQ(f.shell.explorer_arguments,
              std::vector<std::string>{"/select,\"C:\\My Docs, 2026\\보고서 final.hwp\""});
    EXPECT_FALSE(f.app.toast.has_value());

    select_row(f.app, f.shell, 0);  // a folder opens its parent with the folder selected
    open_result(f.app, f.shell, true);
    EXPECT_EQ(f.shell.explorer_arguments.back(), "/select,\"C:\\My Docs, 2026\"");

    select_row(f.app, f.shell, 2);  // the path as found on disk, the name as stored (composed)
    copy_result(f.app, f.shell, false);
    EXPECT_EQ(f.shell.clipboard, utf8_to_utf16(CAFE_ON_DISK));
    EXPECT_EQ(f.app.toast->text, choose_text("경로를 복사했습니다", "Path copied"));
    copy_result(f.app, f.shell, true);
    EXPECT_EQ(f.shell.clipboard, u"caf\u00E9.txt");
    EXPECT_EQ(f.app.toast->text, choose_text("이름을 복사했습니다", "Name copied"));
    EXPECT_EQ(f.shell.timers.at(Timer::Toast), TOAST_MS);
}

TEST(ResultActionsTest, AMissingFileShowsTheNotFoundToast) {
    ResultsFixture f;
    f.shell.existing_paths.clear();
    for (bool in_folder : {false, true})
        open_result(f.app, f.shell, in_folder);
    EXPECT_TRUE(f.shell.opened_paths.empty());
    EXPECT_TRUE(f.shell.explorer_arguments.empty());
    ASSERT_TRUE(f.app.toast.has_value());
    EXPECT_EQ(f.app.toast->text, choose_text("찾을 수 없습니다. 지워졌거나 옮겨졌습니다.",
                                             "Not found. It was deleted or moved."));
}

TEST(ResultActionsTest, NothingHappensWithoutAResolvableRow) {
    struct Case {
        const char* name;
        std::function<void(ResultsFixture&)> arrange;
    };
    const Case cases[] = {
        {"no selection", [](ResultsFixture& f) { f.app.selected.reset(); }},
        {"entry past the table", [](ResultsFixture& f) { f.app.results[1].entry = 99; }},
        {"table rebuilt since the search",
         [](ResultsFixture& f) { f.index.tables[0].table_id = 5; }},
        {"table dropped since", [](ResultsFixture& f) { f.index.tables.clear(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResultsFixture f;
        c.arrange(f);
        f.shell.existing_paths.clear();  // a resolved row would show the not-found toast
        open_result(f.app, f.shell, false);
        open_result(f.app, f.shell, true);
        copy_result(f.app, f.shell, false);
        copy_result(f.app, f.shell, true);
        EXPECT_FALSE(f.app.toast.has_value());
        EXPECT_FALSE(f.shell.clipboard.has_value());
        EXPECT_TRUE(f.shell.opened_paths.empty());
        EXPECT_TRUE(f.shell.explorer_arguments.empty());
    }
}

// Between choosing the report's row and acting on it, a refresh reorders or shortens the list,
// or the index removes the file: the action reaches the report or says it is gone, never the
// file now in its row, and a removed row's path is not copied.
TEST(ResultActionsTest, ActionsReachTheChosenEntryWhateverHappenedToItsRow) {
    const auto menu_open = [](ResultsFixture& f) {
        on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_OPEN);
    };
    const auto copy_path = [](ResultsFixture& f) {
        on_key_down(f.app, f.shell, KeyEvent{VK_KEY_C, true, false, false});
    };
    struct Case {
        const char* name;
        std::vector<uint32_t> rows_after;  // entries: 1 the folder, 2 the report, 3 cafe
        bool removed;                      // the index removed the report meanwhile
        std::function<void(ResultsFixture&)> act;
    };
    const Case cases[] = {
        {"menu, report moved down", {3, 1, 2}, false, menu_open},
        {"menu, cafe moved into the report's row", {1, 3}, true, menu_open},
        {"copy path, report removed before the refresh", {1, 2, 3}, true, copy_path},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResultsFixture f;
        on_right_button_up(f.app, f.shell, Point{300, 150 + 32});  // the report's row
        if (c.removed) f.index.tables[0].entries[2].flags |= FLAG_REMOVED;
        SearchResult refreshed;
        for (uint32_t entry : c.rows_after)
            refreshed.hits.push_back(Hit{entry, 0, false});
        refreshed.table_ids = {4};
        accept_search_result(f.app, f.shell, std::move(refreshed));
        c.act(f);
        EXPECT_EQ(f.shell.opened_paths,
                  c.removed ? std::vector<std::string>{} : std::vector<std::string>{REPORT});
        EXPECT_FALSE(f.shell.clipboard.has_value());
        EXPECT_EQ(f.app.toast.has_value(), c.removed);
        if (c.removed) {
            EXPECT_EQ(f.app.toast->text, "Not found. It was deleted or moved.");
        }
    }
}

// A refresh after the report's row was selected: the highlight stays on the report, found by
// its path when a rescan renumbered the table, or, when the list lost it, on the row it stood
// on; Enter, Ctrl+C and the keyboard's menu act on the highlighted row, whatever it holds.
TEST(ResultActionsTest, ARefreshNeverPartsTheHighlightFromWhatActionsReach) {
    struct Case {
        const char* name;
        std::vector<std::string> rescanned;  // the table's files after a rescan (id 5), if any
        std::vector<uint32_t> rows_after;    // entries of the refreshed list
        uint32_t highlighted;
        std::string acted_on;
    };
    const Case cases[] = {
        {"report renamed out of the list", {}, {1, 3}, 1, CAFE_ON_DISK},
        {"rescan, same table", {"보고서 final.hwp", "cafe\u0301.txt"}, {1, 2, 3}, 1, REPORT},
        {"rescan renumbered, report listed first",
         {"cafe\u0301.txt", "보고서 final.hwp"},
         {3, 1, 2},
         0,
         REPORT},
        {"rescan without the report", {"cafe\u0301.txt"}, {1, 2}, 1, CAFE_ON_DISK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResultsFixture f;
        uint32_t table_id = 4;
        if (!c.rescanned.empty()) {
            VolumeTable table = VolumeTable::with_root("C:\\");
            // Listed in their folders, as a scan lists them, so paths lead to them.
            const uint32_t folder = testing::add_folder(table, 0, "My Docs, 2026");
            table.add_late_child(0, folder);
            for (const std::string& name : c.rescanned)
                table.add_late_child(folder, testing::add_file(table, folder, name));
            table.table_id = table_id = 5;
            f.index.tables[0] = std::move(table);
        }
        SearchResult refreshed;
        for (uint32_t entry : c.rows_after)
            refreshed.hits.push_back(Hit{entry, 0, false});
        refreshed.table_ids = {table_id};
        accept_search_result(f.app, f.shell, std::move(refreshed));
        EXPECT_EQ(f.app.selected, c.highlighted);

        on_key_down(f.app, f.shell, KeyEvent{VK_KEY_RETURN, false, false, false});
        on_key_down(f.app, f.shell, KeyEvent{VK_KEY_C, true, false, false});
        on_key_down(f.app, f.shell, KeyEvent{VK_KEY_APPS, false, false, false});
        on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_OPEN_FOLDER);
        EXPECT_EQ(f.shell.opened_paths, std::vector<std::string>{c.acted_on});
        EXPECT_EQ(f.shell.clipboard, utf8_to_utf16(c.acted_on));
        EXPECT_EQ(f.shell.explorer_arguments,
                  std::vector<std::string>{explorer_select_argument(c.acted_on)});
    }
}

TEST(ResultActionsTest, ARefusedClipboardShowsNoToast) {
    ResultsFixture f;
    f.shell.clipboard_fails = true;
    copy_result(f.app, f.shell, false);
    copy_result(f.app, f.shell, true);
    EXPECT_FALSE(f.app.toast.has_value());
}

TEST(ResultActionsTest, KeysReachTheActions) {
    ResultsFixture f;
    EXPECT_TRUE(on_key_down(f.app, f.shell, KeyEvent{VK_KEY_RETURN, false, false, false}));
    EXPECT_TRUE(on_key_down(f.app, f.shell, KeyEvent{VK_KEY_RETURN, true, false, false}));
    EXPECT_EQ(f.shell.opened_paths.size(), 1u);
    EXPECT_EQ(f.shell.explorer_arguments.size(), 1u);

    // Ctrl+C copies the search box's selected text when there is one, else the result's path.
    f.app.text = U"보고";
    f.app.caret = f.app.anchor = 2;
    EXPECT_TRUE(on_key_down(f.app, f.shell, KeyEvent{VK_KEY_C, true, false, false}));
    EXPECT_EQ(f.shell.clipboard, utf8_to_utf16(REPORT));
    f.app.anchor = 0;
    EXPECT_TRUE(on_key_down(f.app, f.shell, KeyEvent{VK_KEY_C, true, false, false}));
    EXPECT_EQ(f.shell.clipboard, u"보고");
}

TEST(ResultActionsTest, DoubleClickAndTheContextMenuReachTheActions) {
    ResultsFixture f;  // rows from y 140, 32 pixels each
    on_left_double_click(f.app, f.shell, Point{300, 150 + 32});
    EXPECT_EQ(f.app.selected, 1u);
    EXPECT_EQ(f.shell.opened_paths, std::vector<std::string>{REPORT});

    on_right_button_up(f.app, f.shell, Point{300, 150});
    EXPECT_EQ(f.app.selected, 0u);
    on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_OPEN);
    on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_OPEN_FOLDER);
    EXPECT_EQ(f.shell.opened_paths.back(), FOLDER);
    EXPECT_EQ(f.shell.explorer_arguments.back(), "/select,\"C:\\My Docs, 2026\"");
    on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_COPY_NAME);
    EXPECT_EQ(f.shell.clipboard, u"My Docs, 2026");
    on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_COPY_PATH);
    EXPECT_EQ(f.shell.clipboard, utf8_to_utf16(FOLDER));
}

TEST(ResultActionsTest, OpenWithPropertiesAndTheRowMenuFromTheKeyboard) {
    using Verbs = std::vector<std::pair<ShellVerb, std::string>>;
    ResultsFixture f;  // the report's row (1) is selected; rows from y 140, 32 pixels each
    EXPECT_TRUE(on_key_down(f.app, f.shell, KeyEvent{VK_KEY_RETURN, false, false, true}));
    EXPECT_EQ(f.shell.shell_verbs, (Verbs{{ShellVerb::Properties, REPORT}}));

    // Shift+F10 and the Menu key open the row's menu below the start of its name; F10 alone is
    // the system's.
    EXPECT_FALSE(on_key_down(f.app, f.shell, KeyEvent{VK_KEY_F10, false, false, false}));
    EXPECT_TRUE(f.shell.deferred.empty());
    for (const KeyEvent& event :
         {KeyEvent{VK_KEY_F10, false, true, false}, KeyEvent{VK_KEY_APPS, false, false, false}}) {
        f.shell.deferred.clear();
        EXPECT_TRUE(on_key_down(f.app, f.shell, event));
        ASSERT_EQ(f.shell.deferred.size(), 1u);
        const auto& menu = std::get<MenuRequest>(f.shell.deferred[0]);
        EXPECT_EQ(menu.kind, MenuKind::Context);
        EXPECT_EQ(menu.at_client, (Point{50, 140 + 2 * 32}));
        EXPECT_EQ(menu.items, context_menu());
    }
    on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_OPEN_WITH);
    on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_PROPERTIES);
    EXPECT_EQ(f.shell.shell_verbs, (Verbs{{ShellVerb::Properties, REPORT},
                                          {ShellVerb::OpenWith, REPORT},
                                          {ShellVerb::Properties, REPORT}}));
    EXPECT_FALSE(f.app.toast.has_value());

    // A row scrolled above the list gets its menu at the list's top; no selection, no menu.
    f.app.scroll = 200;
    f.shell.deferred.clear();
    on_key_down(f.app, f.shell, KeyEvent{VK_KEY_APPS, false, false, false});
    EXPECT_EQ(std::get<MenuRequest>(f.shell.deferred.at(0)).at_client, (Point{50, 140}));
    f.app.selected.reset();
    f.shell.deferred.clear();
    on_key_down(f.app, f.shell, KeyEvent{VK_KEY_APPS, false, false, false});
    on_key_down(f.app, f.shell, KeyEvent{VK_KEY_RETURN, false, false, true});
    EXPECT_TRUE(f.shell.deferred.empty());
    EXPECT_EQ(f.shell.shell_verbs.size(), 3u);
}

// The shell's refusal is said in words; a prompt the user closed, or a file gone, is not a
// refusal of the verb.
TEST(ResultActionsTest, ARefusedOpenIsSaidInAToast) {
    struct Case {
        ShellVerb verb;
        uint32_t error;
        std::optional<std::string> toast;
    };
    const Case cases[] = {
        {ShellVerb::Open, SHELL_NO_ASSOCIATION, "No app is set to open .hwp files"},
        {ShellVerb::Open, SHELL_ACCESS_DENIED, "Could not open it: access denied"},
        {ShellVerb::Properties, 1157, "Could not show the properties (error 1157)"},
        {ShellVerb::OpenWith, SHELL_CANCELLED, std::nullopt},
        {ShellVerb::Open, SHELL_OK, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        ResultsFixture f;
        f.shell.open_error = c.error;
        hand_result_to_shell(f.app, f.shell, c.verb);
        ASSERT_EQ(f.shell.shell_verbs.size(), 1u);
        EXPECT_EQ(f.app.toast ? std::optional(f.app.toast->text) : std::nullopt, c.toast);
    }
    ResultsFixture gone;  // checked before the shell is asked
    gone.shell.existing_paths.clear();
    hand_result_to_shell(gone.app, gone.shell, ShellVerb::Properties);
    EXPECT_TRUE(gone.shell.shell_verbs.empty());
    EXPECT_EQ(gone.app.toast->text, "Not found. It was deleted or moved.");
}

}  // namespace
}  // namespace norvik
