// The commands of the settings, tray and context menus, and the keys that share them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// "Rebuild the file list" and F5: rescans every volume on a new thread, then repaints.
void rebuild_file_list(App& app, Shell& shell);

// The About box: the program and its version, what it is, its page and the maker's notice.
MessageBoxRequest about_box();

// The folder a context menu on `chosen` offers to exclude: a live folder's row other than a
// drive's root; nothing for any other row.
std::optional<std::string> folder_to_exclude(const App& app,
                                             const std::optional<ChosenEntry>& chosen);

// The context menu of the selected row at client point `at` (a right click on the row, Shift+F10,
// the Menu key): its commands will act on the row's entry even if the list changes meanwhile.
// Nothing without a selection.
void open_row_menu(App& app, Shell& shell, Point at);

// The folder picker's answer: the folder is excluded (stored, then taken out of the index).
void on_folder_picked(App& app, Shell& shell, std::string_view path);

// The toast's Undo (its button, Ctrl+Z): a folder just excluded is included again and the toast
// goes. False when the toast up has no Undo (or none is up).
bool undo_toast(App& app, Shell& shell);

// The direction an order starts in when chosen: newest and largest first for Date modified and
// Size, A to Z for Name and Folder (Best match has one direction only).
bool starts_descending(SortColumn column);

// Searches again in the order now set (sort column and direction): the selected item stays
// selected and comes into view when the results arrive, as in the file manager; without a
// selection the list starts again at its first row.
void search_in_new_order(App& app, Shell& shell);

// Lists the results in `column`'s order, starting in its own direction, and searches again; the
// order already shown stays as it is.
void sort_results_by(App& app, Shell& shell, SortColumn column);

// Runs the command chosen in a menu of `kind` (ids of app/core/menus.h and the Language submenu).
// 0 (the menu was dismissed) and unknown ids do nothing.
void on_menu_command(App& app, Shell& shell, MenuKind kind, uint32_t id);

}  // namespace norvik
