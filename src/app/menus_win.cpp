#include "app/menus_win.h"

#include <string>

namespace norvik {
namespace {

MenuTracker& test_tracker() {
    static MenuTracker tracker;
    return tracker;
}

void append_item(HMENU menu, const MenuItem& item) {
    if (item.separator) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        return;
    }
    const std::wstring text = to_wide(item.text);
    if (!item.submenu.empty()) {
        MenuHandle submenu = build_popup_menu(item.submenu);
        if (submenu && AppendMenuW(menu, MF_POPUP | MF_STRING,
                                   reinterpret_cast<UINT_PTR>(submenu.get()), text.c_str()))
            submenu.release();  // the parent menu destroys it now
        return;
    }
    const UINT flags = MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED);
    if (AppendMenuW(menu, flags, item.id, text.c_str()) && item.is_default)
        SetMenuDefaultItem(menu, item.id, FALSE);
}

}  // namespace

MenuHandle build_popup_menu(const std::vector<MenuItem>& items) {
    MenuHandle menu(CreatePopupMenu());
    if (!menu) return menu;
    for (const MenuItem& item : items)
        append_item(menu.get(), item);
    return menu;
}

uint32_t track_menu(HWND window, const MenuRequest& request) {
    MenuHandle menu = build_popup_menu(request.items);
    if (!menu) return 0;
    POINT at{};
    if (request.at_client) {
        at =
            POINT{static_cast<LONG>(request.at_client->x), static_cast<LONG>(request.at_client->y)};
        ClientToScreen(window, &at);
    } else {
        GetCursorPos(&at);
        SetForegroundWindow(window);
    }
    uint32_t command = 0;
    if (test_tracker()) {
        command = test_tracker()(menu.get(), request);
    } else {
        command = static_cast<uint32_t>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                       at.x, at.y, 0, window, nullptr));
    }
    if (!request.at_client) PostMessageW(window, WM_NULL, 0, 0);
    return command;
}

void set_menu_tracker_for_tests(MenuTracker tracker) {
    test_tracker() = std::move(tracker);
}

}  // namespace norvik
