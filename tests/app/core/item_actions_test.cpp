#include "app/core/item_actions.h"

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/commands.h"
#include "app/core/menus.h"
#include "app/core/open_failure.h"
#include "app/input/keys.h"
#include "app/input/mouse.h"
#include "app/text/text.h"
#include "query/test_tables.h"
#include "support/app_fixture.h"

namespace norvik {
namespace {

using testing::AppFixture;

const std::string REPORT = "C:\\Docs\\보고서.hwp";
const std::string NOTES = "C:\\Docs\\notes.txt";

// Rows "보고서.hwp" (0, selected) and "notes.txt" (1) in C:\Docs, both on disk; the search box
// holds "x" with the caret at its end.
struct RowsFixture : AppFixture {
    RowsFixture() {
        VolumeTable table = VolumeTable::with_root("C:\\");
        const uint32_t folder = testing::add_folder(table, 0, "Docs");
        const uint32_t report = testing::add_file(table, folder, "보고서.hwp");
        const uint32_t notes = testing::add_file(table, folder, "notes.txt");
        table.table_id = 2;
        index.tables.push_back(std::move(table));
        app.results = {Hit{report, 0}, Hit{notes, 0}};
        app.table_ids = {2};
        app.text.assign(1, U'x');
        app.caret = app.anchor = 1;
        select_row(app, shell, 0);
        shell.existing_paths = {REPORT, NOTES};
    }
};

// A row's middle, at the default layout (rows of 32 pixels from y 140).
Point row_point(int row, float dx = 0, float dy = 0) {
    return Point{300 + dx, 156.0f + 32 * row + dy};
}

ItemsRequest request(ItemsOperation operation, std::vector<std::string> paths,
                     std::optional<Point> at = std::nullopt, bool extended = false) {
    return ItemsRequest{operation, std::move(paths), at, extended};
}

std::vector<ItemsRequest> item_requests(const testing::FakeShell& shell) {
    std::vector<ItemsRequest> requests;
    for (const Deferred& work : shell.deferred)
        if (const ItemsRequest* items = std::get_if<ItemsRequest>(&work))
            requests.push_back(*items);
    return requests;
}

TEST(ItemActionsTest, EachWayInHandsTheShellTheChosenFiles) {
    struct Case {
        const char* what;
        std::function<void(RowsFixture&)> act;
        std::vector<ItemsRequest> requests;
        std::vector<std::vector<std::string>> copied;
        const char32_t* text_after = U"x";
    };
    const Case cases[] = {
        {"Ctrl+Shift+C",
         [](RowsFixture& f) {
             on_key_down(f.app, f.shell, KeyEvent{VK_KEY_C, true, true});
         },
         {},
         {{REPORT}}},
        {"the context menu's Copy on the row it was opened on",
         [](RowsFixture& f) {
             on_right_button_up(f.app, f.shell, row_point(1));
             select_row(f.app, f.shell, 0);  // the list moved while the menu was up
             on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_COPY_FILES);
         },
         {},
         {{NOTES}}},
        {"Del at the end of the text",
         [](RowsFixture& f) { on_key_down(f.app, f.shell, KeyEvent{VK_KEY_DELETE}); },
         {request(ItemsOperation::Recycle, {REPORT})},
         {}},
        {"Shift+Del",
         [](RowsFixture& f) {
             on_key_down(f.app, f.shell, KeyEvent{VK_KEY_DELETE, false, true});
         },
         {request(ItemsOperation::DeleteForGood, {REPORT})},
         {}},
        {"Del held down deletes no file",
         [](RowsFixture& f) {
             on_key_down(f.app, f.shell, KeyEvent{VK_KEY_DELETE, false, false, false, true});
         },
         {},
         {}},
        {"Del with text after the caret edits the text",
         [](RowsFixture& f) {
             f.app.caret = f.app.anchor = 0;
             on_key_down(f.app, f.shell, KeyEvent{VK_KEY_DELETE});
         },
         {},
         {},
         U""},
        {"Shift+Del with the text selected edits the text",
         [](RowsFixture& f) {
             f.app.anchor = 0;
             on_key_down(f.app, f.shell, KeyEvent{VK_KEY_DELETE, false, true});
         },
         {},
         {},
         U""},
        {"Shift+right-click on a row",
         [](RowsFixture& f) { on_right_button_up(f.app, f.shell, row_point(1), true); },
         {request(ItemsOperation::SystemMenu, {NOTES}, row_point(1), true)},
         {}},
        {"More options",
         [](RowsFixture& f) {
             on_right_button_up(f.app, f.shell, row_point(0));
             on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_MORE_OPTIONS);
         },
         {request(ItemsOperation::SystemMenu, {REPORT})},
         {}},
        {"a row dragged past the drag distance",
         [](RowsFixture& f) {
             on_left_button_down(f.app, f.shell, row_point(1), false);
             on_mouse_move(f.app, f.shell, row_point(1, 2, 2));
             on_mouse_move(f.app, f.shell, row_point(1, 40));
             on_mouse_move(f.app, f.shell, row_point(1, 80));  // one drag only
         },
         {request(ItemsOperation::Drag, {NOTES})},
         {}},
        {"a press that moves less than the drag distance is a click",
         [](RowsFixture& f) {
             on_left_button_down(f.app, f.shell, row_point(1), false);
             on_mouse_move(f.app, f.shell, row_point(1, 2, -2));
             on_left_button_up(f.app, f.shell, row_point(1, 2, -2));
             on_mouse_move(f.app, f.shell, row_point(1, 40));
         },
         {},
         {}},
    };
    for (const Case& c : cases) {
        RowsFixture f;
        c.act(f);
        EXPECT_EQ(item_requests(f.shell), c.requests) << c.what;
        EXPECT_EQ(f.shell.copied_files, c.copied) << c.what;
        EXPECT_TRUE(f.app.text == std::u32string_view(c.text_after)) << c.what;
        EXPECT_FALSE(f.shell.captured) << c.what << ": the mouse is still held";
    }
}

TEST(ItemActionsTest, FilesGoneFromTheDiskOrTheIndexAreNeverHandedOn) {
    for (bool from_index : {false, true}) {
        RowsFixture f;
        if (from_index)
            f.index.tables[0].entries[f.app.results[1].entry].flags |= FLAG_REMOVED;
        else
            f.shell.existing_paths = {REPORT};
        on_left_button_down(f.app, f.shell, row_point(1), false);
        on_mouse_move(f.app, f.shell, row_point(1, 40));
        on_key_down(f.app, f.shell, KeyEvent{VK_KEY_C, true, true});
        on_key_down(f.app, f.shell, KeyEvent{VK_KEY_DELETE});
        EXPECT_TRUE(f.shell.deferred.empty());
        EXPECT_TRUE(f.shell.copied_files.empty());
        ASSERT_TRUE(f.app.toast);
        EXPECT_EQ(f.app.toast->text, not_found_text());
    }
}

TEST(ItemActionsTest, CopiedFilesAndRefusalsAreSaid) {
    RowsFixture f;
    copy_items(f.app, f.shell, {REPORT, NOTES});
    EXPECT_EQ(f.app.toast->text,
              fill_placeholders(choose_text("{0}개를 복사했습니다. 폴더나 메일에 붙여 넣을 수 "
                                            "있습니다",
                                            "{0} items copied. Paste them into a folder or a "
                                            "message"),
                                {"2"}));
    f.app.toast.reset();
    f.shell.clipboard_fails = true;
    copy_items(f.app, f.shell, {REPORT});
    EXPECT_FALSE(f.app.toast);

    on_items_failed(f.app, f.shell, request(ItemsOperation::Recycle, {REPORT}), 5);
    EXPECT_EQ(f.app.toast->text, fill_placeholders(choose_text("지울 수 없습니다 (오류 {0})",
                                                               "Could not delete it (error {0})"),
                                                   {"5"}));
}

// Rows 0 and 1 both selected (a Ctrl+click on row 1): every action takes both files.
TEST(ItemActionsTest, EachActionTakesEverySelectedRow) {
    struct Case {
        const char* what;
        std::function<void(RowsFixture&)> act;
        std::vector<ItemsRequest> requests;
        std::vector<std::vector<std::string>> copied;
        std::u16string clipboard;
        std::vector<std::string> opened;
    };
    const auto menu = [](uint32_t command) {
        return [command](RowsFixture& f) {
            on_right_button_up(f.app, f.shell, row_point(0));
            on_menu_command(f.app, f.shell, MenuKind::Context, command);
        };
    };
    const auto key = [](uint32_t code, bool ctrl, bool shift, bool alt = false) {
        return [=](RowsFixture& f) {
            on_key_down(f.app, f.shell, KeyEvent{code, ctrl, shift, alt});
        };
    };
    const std::u16string paths = u"C:\\Docs\\보고서.hwp\r\nC:\\Docs\\notes.txt";
    const Case cases[] = {
        {"Ctrl+C", key(VK_KEY_C, true, false), {}, {}, paths, {}},
        {"the menu's Copy path", menu(CONTEXT_COPY_PATH), {}, {}, paths, {}},
        {"the menu's Copy name", menu(CONTEXT_COPY_NAME), {}, {}, u"보고서.hwp\r\nnotes.txt", {}},
        {"Ctrl+Shift+C", key(VK_KEY_C, true, true), {}, {{REPORT, NOTES}}, {}, {}},
        {"the menu's Copy", menu(CONTEXT_COPY_FILES), {}, {{REPORT, NOTES}}, {}, {}},
        {"Del",
         key(VK_KEY_DELETE, false, false),
         {request(ItemsOperation::Recycle, {REPORT, NOTES})},
         {},
         {},
         {}},
        {"Shift+Del",
         key(VK_KEY_DELETE, false, true),
         {request(ItemsOperation::DeleteForGood, {REPORT, NOTES})},
         {},
         {},
         {}},
        {"Alt+Enter",
         key(VK_KEY_RETURN, false, false, true),
         {request(ItemsOperation::Properties, {REPORT, NOTES})},
         {},
         {},
         {}},
        {"the menu's Properties",
         menu(CONTEXT_PROPERTIES),
         {request(ItemsOperation::Properties, {REPORT, NOTES})},
         {},
         {},
         {}},
        {"Ctrl+Enter",
         key(VK_KEY_RETURN, true, false),
         {request(ItemsOperation::ShowInFolders, {REPORT, NOTES})},
         {},
         {},
         {}},
        {"the menu's Open folder",
         menu(CONTEXT_OPEN_FOLDER),
         {request(ItemsOperation::ShowInFolders, {REPORT, NOTES})},
         {},
         {},
         {}},
        {"Enter", key(VK_KEY_RETURN, false, false), {}, {}, {}, {REPORT, NOTES}},
        {"More options",
         menu(CONTEXT_MORE_OPTIONS),
         {request(ItemsOperation::SystemMenu, {REPORT, NOTES})},
         {},
         {},
         {}},
        {"Shift+right-click on a selected row",
         [](RowsFixture& f) { on_right_button_up(f.app, f.shell, row_point(0), true); },
         {request(ItemsOperation::SystemMenu, {REPORT, NOTES}, row_point(0), true)},
         {},
         {},
         {}},
        {"a selected row dragged",
         [](RowsFixture& f) {
             on_left_button_down(f.app, f.shell, row_point(0), false);
             on_mouse_move(f.app, f.shell, row_point(0, 40));
         },
         {request(ItemsOperation::Drag, {REPORT, NOTES})},
         {},
         {},
         {}},
        {"a plain click on a selected row selects it alone",
         [](RowsFixture& f) {
             on_left_button_down(f.app, f.shell, row_point(0), false);
             on_left_button_up(f.app, f.shell, row_point(0));
             on_key_down(f.app, f.shell, KeyEvent{VK_KEY_DELETE});
         },
         {request(ItemsOperation::Recycle, {REPORT})},
         {},
         {},
         {}},
    };
    for (const Case& c : cases) {
        RowsFixture f;
        on_left_button_down(f.app, f.shell, row_point(1), false, true);
        on_left_button_up(f.app, f.shell, row_point(1));
        c.act(f);
        EXPECT_EQ(item_requests(f.shell), c.requests) << c.what;
        EXPECT_EQ(f.shell.copied_files, c.copied) << c.what;
        EXPECT_EQ(f.shell.clipboard.value_or(u""), c.clipboard) << c.what;
        EXPECT_EQ(f.shell.opened_paths, c.opened) << c.what;
    }
}

// Enter on more than ten selected rows asks first, and opens them only on yes.
TEST(ItemActionsTest, OpeningManyFilesAsksFirst) {
    for (const bool yes : {false, true}) {
        RowsFixture f;
        const std::vector<Hit> two = f.app.results;
        for (int i = 0; i < 5; ++i)
            f.app.results.insert(f.app.results.end(), two.begin(), two.end());
        on_key_down(f.app, f.shell, KeyEvent{VK_KEY_END, true, true});
        on_key_down(f.app, f.shell, KeyEvent{VK_KEY_RETURN});
        ASSERT_EQ(f.shell.deferred.size(), 1u);
        const auto* box = std::get_if<MessageBoxRequest>(&f.shell.deferred[0]);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->purpose, MessagePurpose::OpenMany);
        EXPECT_TRUE(box->yes_no);
        EXPECT_TRUE(f.shell.opened_paths.empty());
        answer_open_question(f.app, f.shell, yes);
        EXPECT_EQ(f.shell.opened_paths.size(), yes ? 12u : 0u);
    }
}

}  // namespace
}  // namespace norvik
