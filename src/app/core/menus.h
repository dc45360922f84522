// The window's popup menus as MenuItem models: the settings menu behind the gear button, the
// tray icon's menu, a result row's context menu and the column header's menu of orders. Checks are
// read from the settings (the order from App) each time a menu opens, so a choice shows at once.
// The chosen command comes back through on_menu_command (app/core/commands.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// Commands of the settings and tray menus (the Language submenu adds FOLLOW_WINDOWS_MENU_ID and
// each language's menu_id, app/text/text.h).
enum MenuCommand : uint32_t {
    MENU_SHOW = 1,
    MENU_REBUILD = 2,
    MENU_AUTO_UPDATE = 3,
    MENU_AUTO_START = 4,
    MENU_QUIT = 5,
    MENU_CHECK_UPDATES = 6,
    MENU_MORE_APPS = 7,
    MENU_ABOUT = 8,
    MENU_EXCLUDE_FOLDER = 9,  // the folder picker
    MENU_EXPORT = 10,         // "Export results…": the save dialog
};

// The Excluded folders submenu: the stored folder at position i is MENU_INCLUDE_FIRST + i
// (choosing it includes the folder again).
inline constexpr uint32_t MENU_INCLUDE_FIRST = 1000;

// Commands of the context menu.
enum ContextCommand : uint32_t {
    CONTEXT_OPEN = 1,
    CONTEXT_OPEN_FOLDER = 2,
    CONTEXT_COPY_PATH = 3,
    CONTEXT_COPY_NAME = 4,
    CONTEXT_EXCLUDE = 5,
    CONTEXT_OPEN_WITH = 6,
    CONTEXT_PROPERTIES = 7,
    CONTEXT_COPY_FILES = 8,    // the file itself on the clipboard
    CONTEXT_MORE_OPTIONS = 9,  // the file manager's own context menu
};

// What a row's context menu offers besides what every row has (open, open folder, copy path and
// name, properties).
struct RowMenu {
    bool open_with = true;  // a file: the system's "Open with" chooser
    bool exclude = false;   // a folder that may be excluded (folder_to_exclude)
};

// Commands of the column header's menu: the order to list results in, each the SortColumn's
// value + 1 (0 is a dismissed menu).
enum HeaderCommand : uint32_t {
    HEADER_BEST_MATCH = 1,
    HEADER_NAME = 2,
    HEADER_FOLDER = 3,
    HEADER_SIZE = 4,
    HEADER_DATE_MODIFIED = 5,
};

// The items menus are made of: a command (checked or not), a separator, a submenu, and an item
// drawn bold as the menu's default.
MenuItem command_item(uint32_t id, std::string text, bool checked = false);
MenuItem separator_item();
MenuItem popup_item(std::string text, std::vector<MenuItem> items);
MenuItem default_item(MenuItem item);

std::vector<MenuItem> settings_menu(SettingsStore& store);
std::vector<MenuItem> tray_menu(SettingsStore& store);
std::vector<MenuItem> context_menu(RowMenu row = {});
// Best match (the relevance order), then the four columns; the `current` order is checked.
std::vector<MenuItem> header_menu(SortColumn current);

// Asks the shell to show a menu once the handler has returned: the settings menu at a client
// point, the tray menu at the cursor, the context and header menus at a client point.
void open_settings_menu(Shell& shell, Point at);
void open_tray_menu(Shell& shell);
void open_context_menu(Shell& shell, Point at, RowMenu row = {});
void open_header_menu(Shell& shell, Point at, SortColumn current);

}  // namespace norvik
