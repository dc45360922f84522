// What the user can do with the selected result: open it, show it in its folder, copy its path
// or its name. Each works on the selected row only, and does nothing when that row no longer
// names an entry of the index (its table was rebuilt since the search, or the entry is gone).
#pragma once

#include <optional>
#include <string>

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// The selected result's path as found on disk and its stored (normalized) name.
struct ResultTarget {
    std::string full_path;
    std::string name;
};

// Reads the selected row's entry under the index read lock; nothing when there is no selection
// or the row no longer resolves.
std::optional<ResultTarget> selected_target(const App& app);

// The argument that makes explorer.exe open the folder with the item selected.
std::string explorer_select_argument(const std::string& path);

// Opens the selected result (or, with `in_folder`, its folder with the item selected) after
// checking that it still exists; the not-found toast when it does not.
void open_result(App& app, Shell& shell, bool in_folder);

// Copies the selected result's full path (or, with `name_only`, its name) to the clipboard, with
// a toast when the clipboard took it.
void copy_result(App& app, Shell& shell, bool name_only);

}  // namespace norvik
