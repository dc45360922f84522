// What the user can do with the selected result: open it, show it in its folder, copy its path
// or its name. Each works on the entry of the row that is selected when it runs (what the user
// sees highlighted), or on the context menu's App::menu_target, the row's entry when the menu
// opened. An entry whose table was rebuilt since the search silently does nothing; an entry the
// index has removed since shows the not-found toast, as a file missing from the disk does.
#pragma once

#include <optional>
#include <string>

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// A chosen result's path as found on disk and its stored (normalized) name; `removed` when the
// index has removed the entry since (the path and name are then empty).
struct ResultTarget {
    std::string full_path;
    std::string name;
    bool removed = false;
    bool folder = false;
};

// Reads a chosen entry under the index read lock; nothing when there is none or it no longer
// resolves (its table was rebuilt or dropped, or the entry is past the table).
std::optional<ResultTarget> entry_target(const App& app, const std::optional<ChosenEntry>& chosen);

// The selected row's entry; nothing without a selection.
std::optional<ChosenEntry> selected_entry(const App& app);

// entry_target of the selected row's entry; nothing without a selection.
std::optional<ResultTarget> selected_target(const App& app);

// The argument that makes explorer.exe open the folder with the item selected.
std::string explorer_select_argument(const std::string& path);

// Opens the chosen entry (or, with `in_folder`, its folder with the item selected) after
// checking that it still exists; the not-found toast when it does not.
void open_entry(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen, bool in_folder);

// Hands the chosen entry to the shell for verb after checking that it still exists; the
// not-found toast when it does not, and a toast in words when the shell refused it.
void hand_entry_to_shell(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen,
                         ShellVerb verb);

// Copies the chosen entry's full path (or, with `name_only`, its name) to the clipboard, with a
// toast when the clipboard took it.
void copy_entry(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen, bool name_only);

// open_entry and copy_entry of the selected row's entry (Enter, Ctrl+C, double click).
void open_result(App& app, Shell& shell, bool in_folder);
void copy_result(App& app, Shell& shell, bool name_only);
// hand_entry_to_shell of the selected row's entry (Alt+Enter: Properties).
void hand_result_to_shell(App& app, Shell& shell, ShellVerb verb);

}  // namespace norvik
