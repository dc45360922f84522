// Menus built from the core's models, read back with GetMenuItemInfoW.
#include "app/menus_win.h"

#include <gtest/gtest.h>

#include "app/menus.h"
#include "app_win/win_test_support.h"

namespace norvik {
namespace {

struct ReadItem {
    UINT id = 0;
    std::wstring text;
    bool checked = false;
    bool is_default = false;
    bool separator = false;
    HMENU submenu = nullptr;
};

ReadItem read_item(HMENU menu, int position) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 127;
    EXPECT_TRUE(GetMenuItemInfoW(menu, position, TRUE, &info));
    return ReadItem{info.wID,
                    text,
                    (info.fState & MFS_CHECKED) != 0,
                    (info.fState & MFS_DEFAULT) != 0,
                    (info.fType & MFT_SEPARATOR) != 0,
                    info.hSubMenu};
}

TEST(MenusTest, ModelsBecomeItemsWithTheirChecksDefaultsSeparatorsAndSubmenus) {
    const std::vector<MenuItem> items = {
        default_item(command_item(1, "열기")),
        popup_item("언어", {command_item(100, "Follow Windows", true), separator_item(),
                            command_item(101, "한국어")}),
        separator_item(),
        command_item(4, "Start with Windows", true),
        command_item(5, "끝내기"),
    };
    MenuHandle menu = build_popup_menu(items);
    ASSERT_TRUE(menu);
    ASSERT_EQ(GetMenuItemCount(menu.get()), 5);

    ReadItem open = read_item(menu.get(), 0);
    EXPECT_EQ(open.id, 1u);
    EXPECT_EQ(open.text, L"열기");
    EXPECT_TRUE(open.is_default);
    EXPECT_FALSE(open.checked);
    EXPECT_EQ(GetMenuDefaultItem(menu.get(), FALSE, 0), 1u);

    ReadItem language = read_item(menu.get(), 1);
    EXPECT_EQ(language.text, L"언어");
    ASSERT_NE(language.submenu, nullptr);
    ASSERT_EQ(GetMenuItemCount(language.submenu), 3);
    ReadItem follow = read_item(language.submenu, 0);
    EXPECT_EQ(follow.id, 100u);
    EXPECT_TRUE(follow.checked);
    EXPECT_TRUE(read_item(language.submenu, 1).separator);
    ReadItem korean = read_item(language.submenu, 2);
    EXPECT_EQ(korean.id, 101u);
    EXPECT_EQ(korean.text, L"한국어");
    EXPECT_FALSE(korean.checked);

    EXPECT_TRUE(read_item(menu.get(), 2).separator);
    EXPECT_TRUE(read_item(menu.get(), 3).checked);
    EXPECT_FALSE(read_item(menu.get(), 4).checked);
    EXPECT_FALSE(read_item(menu.get(), 4).is_default);
}

TEST(MenusTest, TrackingReturnsTheChosenCommandAndTheTrayMenuPostsWmNull) {
    testing::TestWindow window;
    ASSERT_NE(window.get(), nullptr);
    UINT seen_items = 0;
    set_menu_tracker_for_tests([&](HMENU menu, const MenuRequest&) {
        seen_items = GetMenuItemCount(menu);
        return 5u;
    });
    MenuRequest tray{MenuKind::Tray, {command_item(1, "Open"), command_item(5, "Quit")}, {}};
    testing::pump_messages();
    EXPECT_EQ(track_menu(window.get(), tray), 5u);
    EXPECT_EQ(seen_items, 2u);
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, window.get(), WM_NULL, WM_NULL, PM_REMOVE));

    MenuRequest context{MenuKind::Context, {command_item(1, "Open")}, Point{10, 20}};
    EXPECT_EQ(track_menu(window.get(), context), 5u);
    EXPECT_FALSE(PeekMessageW(&message, window.get(), WM_NULL, WM_NULL, PM_REMOVE))
        << "only the tray menu needs the WM_NULL";
    set_menu_tracker_for_tests(nullptr);
}

}  // namespace
}  // namespace norvik
