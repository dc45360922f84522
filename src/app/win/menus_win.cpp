#include "app/win/menus_win.h"

#include <string>

#include "app/win/trace_win.h"

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

const char* kind_name(MenuKind kind) {
    switch (kind) {
        case MenuKind::Settings:
            return "settings";
        case MenuKind::Tray:
            return "tray";
        case MenuKind::Context:
            return "context";
        case MenuKind::Header:
            return "header";
    }
    return "?";
}

// The menu as Windows holds it, read back item by item, one trace line each: "ID TEXT" with
// " (checked)" and " (default)" marks, "---" for a separator, and a submenu's items indented
// under its "TEXT >" line. Tests under Wine compare it with what the user should see.
void trace_menu_items(HMENU menu, const std::string& indent) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        const std::optional<BuiltMenuItem> item = read_menu_item(menu, position);
        if (!item) continue;
        std::string line = indent;
        if (item->separator) {
            line += "---";
        } else if (item->submenu) {
            line += from_wide(item->text) + " >";
        } else {
            line += std::to_string(item->id) + " " + from_wide(item->text);
            if (item->checked) line += " (checked)";
            if (item->is_default) line += " (default)";
        }
        trace_text("menu-item", line);
        if (item->submenu) trace_menu_items(item->submenu, indent + "  ");
    }
}

}  // namespace

std::optional<BuiltMenuItem> read_menu_item(HMENU menu, int position) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 255;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return std::nullopt;
    return BuiltMenuItem{info.wID,
                         text,
                         (info.fState & MFS_CHECKED) != 0,
                         (info.fState & MFS_DEFAULT) != 0,
                         (info.fType & MFT_SEPARATOR) != 0,
                         info.hSubMenu};
}

MenuHandle build_popup_menu(const std::vector<MenuItem>& items) {
    MenuHandle menu(CreatePopupMenu());
    if (!menu) return menu;
    for (const MenuItem& item : items)
        append_item(menu.get(), item);
    return menu;
}

void trace_menu(HMENU menu, std::string_view kind) {
    if (!tracing()) return;
    trace_text("menu", kind);
    trace_menu_items(menu, "");
    trace_text("menu-end", kind);
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
    trace_menu(menu.get(), kind_name(request.kind));
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
