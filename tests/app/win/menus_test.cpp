// Menus built from the core's models, read back item by item as Windows holds them.
#include "app/win/menus_win.h"

#include <gtest/gtest.h>

#include "app/core/menus.h"
#include "app/win/win_test_support.h"

namespace norvik {
namespace {

BuiltMenuItem read_item(HMENU menu, int position) {
    std::optional<BuiltMenuItem> item = read_menu_item(menu, position);
    EXPECT_TRUE(item.has_value()) << "no item at " << position;
    return item.value_or(BuiltMenuItem{});
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
    EXPECT_FALSE(read_menu_item(menu.get(), 5).has_value()) << "past the last item";

    BuiltMenuItem open = read_item(menu.get(), 0);
    EXPECT_EQ(open.id, 1u);
    EXPECT_EQ(open.text, L"열기");
    EXPECT_TRUE(open.is_default);
    EXPECT_FALSE(open.checked);
    EXPECT_EQ(GetMenuDefaultItem(menu.get(), FALSE, 0), 1u);

    BuiltMenuItem language = read_item(menu.get(), 1);
    EXPECT_EQ(language.text, L"언어");
    ASSERT_NE(language.submenu, nullptr);
    ASSERT_EQ(GetMenuItemCount(language.submenu), 3);
    BuiltMenuItem follow = read_item(language.submenu, 0);
    EXPECT_EQ(follow.id, 100u);
    EXPECT_TRUE(follow.checked);
    EXPECT_TRUE(read_item(language.submenu, 1).separator);
    BuiltMenuItem korean = read_item(language.submenu, 2);
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
