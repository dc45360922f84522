// Popup menus from the core's MenuItem models, reading them back, and showing them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/shell.h"
#include "app/win/win_raii.h"

namespace norvik {

// A popup menu holding items in order: commands (checked, default) and separators, and
// submenus as MF_POPUP entries. An item that cannot be added is left out.
MenuHandle build_popup_menu(const std::vector<MenuItem>& items);

// One item of a built menu as Windows holds it, read back with GetMenuItemInfoW (for the trace and
// for tests). Texts longer than 255 UTF-16 units are cut.
struct BuiltMenuItem {
    UINT id = 0;
    std::wstring text;
    bool checked = false;
    bool is_default = false;
    bool separator = false;
    HMENU submenu = nullptr;  // owned by the menu
};

// The item at position; nothing when the menu has no such item.
std::optional<BuiltMenuItem> read_menu_item(HMENU menu, int position);

// With NORVIK_TRACE set, the menu as Windows holds it: "menu KIND", a "menu-item" line for each
// item (submenus indented under theirs), "menu-end KIND".
void trace_menu(HMENU menu, std::string_view kind);

// Shows the request's menu owned by window and returns the chosen command, 0 when dismissed.
// At a client point (converted to the screen), or for the tray at the cursor with the window
// brought to the front first and WM_NULL posted after (so the menu closes when the user clicks
// elsewhere). Runs a modal loop: never call it while App is borrowed.
uint32_t track_menu(HWND window, const MenuRequest& request);

// Tests replace TrackPopupMenu with a hook that reads the built menu and picks a command.
using MenuTracker = std::function<uint32_t(HMENU menu, const MenuRequest& request)>;
void set_menu_tracker_for_tests(MenuTracker tracker);

}  // namespace norvik
