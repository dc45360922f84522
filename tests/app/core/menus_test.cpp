#include "app/core/menus.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/commands.h"
#include "app/text/text.h"
#include "support/app_fixture.h"

namespace norvik {
namespace {

using testing::AppFixture;

// One line per item: "id text [x]" (checked), "*" for the default item, "---" for separators,
// and a submenu's items indented under "text:".
void describe(const std::vector<MenuItem>& items, const std::string& indent,
              std::vector<std::string>& lines) {
    for (const MenuItem& item : items) {
        if (item.separator) {
            lines.push_back(indent + "---");
        } else if (!item.submenu.empty()) {
            lines.push_back(indent + item.text + ":");
            describe(item.submenu, indent + "  ", lines);
        } else {
            lines.push_back(indent + std::to_string(item.id) + " " + item.text +
                            (item.checked ? " [x]" : "") + (item.is_default ? " *" : ""));
        }
    }
}

std::vector<std::string> describe(const std::vector<MenuItem>& items) {
    std::vector<std::string> lines;
    describe(items, "", lines);
    return lines;
}

// The Language submenu with `checked` marked (100 for Follow Windows).
std::vector<std::string> language_lines(uint32_t checked) {
    const char* names[] = {"English", "한국어",   "日本語",  "简体中文",  "繁體中文",
                           "Español", "Français", "Deutsch", "Português", "Русский"};
    std::vector<std::string> lines = {
        "Language:", "  100 Follow Windows" + std::string(checked == 100 ? " [x]" : ""), "  ---"};
    for (uint32_t i = 0; i < 10; ++i)
        lines.push_back("  " + std::to_string(101 + i) + " " + names[i] +
                        (checked == 101 + i ? " [x]" : ""));
    return lines;
}

std::vector<std::string> settings_lines(uint32_t language, bool auto_update, bool auto_start) {
    std::vector<std::string> lines = language_lines(language);
    const std::vector<std::string> rest = {
        std::string("3 Automatic updates") + (auto_update ? " [x]" : ""),
        "6 Check for updates",
        "7 More apps from Kastrel",
        "8 About Norvik",
        "---",
        "10 Export results…",
        "2 Rebuild the file list",
        "Excluded folders:",
        "  9 Exclude a folder…",
        std::string("4 Start with Windows") + (auto_start ? " [x]" : ""),
        "5 Quit",
    };
    lines.insert(lines.end(), rest.begin(), rest.end());
    return lines;
}

std::vector<std::string> tray_lines(uint32_t language, bool auto_update, bool auto_start) {
    std::vector<std::string> lines = {
        "1 Open *", "2 Rebuild the file list", "---",
        std::string("3 Automatic updates") + (auto_update ? " [x]" : "")};
    const std::vector<std::string> languages = language_lines(language);
    lines.insert(lines.end(), languages.begin(), languages.end());
    const std::vector<std::string> rest = {
        std::string("4 Start with Windows") + (auto_start ? " [x]" : ""), "---", "5 Quit"};
    lines.insert(lines.end(), rest.begin(), rest.end());
    return lines;
}

TEST(MenusTest, AFreshUserSeesEverythingOnAndFollowsWindows) {
    testing::MemorySettings store;
    EXPECT_EQ(describe(settings_menu(store)), settings_lines(100, true, true));
    EXPECT_EQ(describe(tray_menu(store)), tray_lines(100, true, true));
    EXPECT_EQ(describe(context_menu()),
              (std::vector<std::string>{"1 Open *", "6 Open with…", "2 Open folder", "---",
                                        "8 Copy", "3 Copy path", "4 Copy name", "---",
                                        "7 Properties", "---", "9 More options"}));
}

TEST(MenusTest, ExcludedFoldersAndAFolderRowsExcludeItem) {
    testing::MemorySettings store;
    store.multi_strings["ExcludedFolders"] = {"C:\\Games", "D:\\빌드"};
    const std::vector<std::string> lines = describe(settings_menu(store));
    const std::vector<std::string> submenu = {"Excluded folders:", "  1000 C:\\Games",
                                              "  1001 D:\\빌드", "  ---", "  9 Exclude a folder…"};
    EXPECT_NE(std::search(lines.begin(), lines.end(), submenu.begin(), submenu.end()), lines.end());
    EXPECT_EQ(describe(context_menu(RowMenu{.open_with = false, .exclude = true})),
              (std::vector<std::string>{"1 Open *", "2 Open folder", "---", "8 Copy", "3 Copy path",
                                        "4 Copy name", "---", "5 Exclude from Norvik", "---",
                                        "7 Properties", "---", "9 More options"}));
}

TEST(MenusTest, TheHeaderMenuChecksTheOrderShown) {
    const char* names[] = {"Best match", "Name", "Folder", "Size", "Date modified"};
    for (int current = 0; current < SORT_COLUMN_COUNT; ++current) {
        SCOPED_TRACE(current);
        std::vector<std::string> expected;
        for (int column = 0; column < SORT_COLUMN_COUNT; ++column) {
            expected.push_back(std::to_string(column + 1) + " " + names[column] +
                               (column == current ? " [x]" : ""));
            if (column == 0) expected.push_back("---");
        }
        EXPECT_EQ(describe(header_menu(static_cast<SortColumn>(current))), expected);
    }
}

TEST(MenusTest, ChecksFollowTheCommandsAtOnce) {
    struct Step {
        uint32_t command;
        uint32_t language;
        bool auto_update, auto_start;
    };
    const Step steps[] = {
        {MENU_AUTO_UPDATE, 100, false, true},
        {MENU_AUTO_START, 100, false, false},
        {103, 103, false, false},  // 日本語
        {MENU_AUTO_UPDATE, 103, true, false},
        {MENU_AUTO_START, 103, true, true},
        {FOLLOW_WINDOWS_MENU_ID, 100, true, true},
    };
    AppFixture f;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        on_menu_command(f.app, f.shell, MenuKind::Settings, step.command);
        EXPECT_EQ(describe(settings_menu(f.shell.settings())),
                  settings_lines(step.language, step.auto_update, step.auto_start));
        EXPECT_EQ(describe(tray_menu(f.shell.settings())),
                  tray_lines(step.language, step.auto_update, step.auto_start));
    }
}

}  // namespace
}  // namespace norvik
