// What the user does with results as files, through the system's own shell: the files
// themselves copied to the clipboard, sent to the Recycle Bin or deleted for good, the file
// manager's context menu, the properties sheet, their folders opened with them selected, and a
// drag out of the window. Each action takes a list of full paths, so one row or several are
// alike; the *_result forms act on the chosen row. Items no longer on disk are never handed on:
// they are left out, with the not-found toast.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// The full paths of the entries that still exist (in the index and on disk), in the order
// given; the not-found toast when any was left out. Entries whose table was rebuilt since the
// search are left out silently, as the other actions do.
std::vector<std::string> existing_paths(App& app, Shell& shell,
                                        const std::vector<ChosenEntry>& entries);

// The files on the clipboard (CF_HDROP through the shell's data object), with a toast when the
// clipboard took them.
void copy_items(App& app, Shell& shell, const std::vector<std::string>& paths);
// The shell's file operation on the items: to the Recycle Bin, or (for_good) deleted after the
// system's confirmation. The index follows through the watcher, as for any change on disk.
void delete_items(Shell& shell, const std::vector<std::string>& paths, bool for_good);
// The file manager's context menu for the items at client point `at` (nothing: the cursor);
// `extended` (Shift held) adds the system's extended verbs.
void show_system_menu(Shell& shell, const std::vector<std::string>& paths, std::optional<Point> at,
                      bool extended);
// One properties sheet for all the items.
void show_properties(Shell& shell, const std::vector<std::string>& paths);
// Each folder of the items opened once, with its items selected in it.
void show_in_folders(Shell& shell, const std::vector<std::string>& paths);
// An OLE drag of the items out of the window.
void drag_items(Shell& shell, const std::vector<std::string>& paths);

// The same for the chosen row (Ctrl+Shift+C and the context menu's "Copy"; Del and Shift+Del;
// Shift+right-click and "More options"). Nothing without a chosen row.
void copy_entry_files(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen);
void delete_entry(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen, bool for_good);
void show_entry_system_menu(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen,
                            std::optional<Point> at, bool extended);

// Del and Shift+Del in the search box act on the chosen row only where they could edit nothing:
// no text selected, no composition, the caret at the end of the text; a key held down
// (`repeat`) never deletes a file, so holding Del to clear the text cannot go on to the row.
bool delete_key_acts_on_row(const App& app, bool repeat);

// A left press on row `row` (already selected): remembered, with the mouse captured, so that a
// move past the drag distance drags the row out instead of being a click.
void press_row(App& app, Shell& shell, Point at);
// A move with a row pressed: past the drag distance, the press ends and the row's file is
// dragged out (removed rows are not: the not-found toast). True when the move was the press's.
bool drag_pressed_row(App& app, Shell& shell, Point at);

// Opening more files than this at once asks first: a slip of Ctrl+A and Enter would otherwise
// start a program for each.
constexpr size_t OPEN_WITHOUT_ASKING = 10;

// What Enter (Ctrl+Enter: each folder once, with its items selected), Ctrl+C and Copy name
// (one per line, CRLF) do to the entries of several selected rows. Removed entries are left
// out, with the not-found toast.
void open_items(App& app, Shell& shell, const std::vector<ChosenEntry>& entries, bool in_folder);
void copy_item_texts(App& app, Shell& shell, const std::vector<ChosenEntry>& entries,
                     bool name_only);
// The answer to "Open {0} items?": yes opens the files held for it.
void answer_open_question(App& app, Shell& shell, bool yes);

// A Deferred ItemsRequest the system refused with `error` (a Windows error code): said in a
// toast. A dialog the user cancelled is not a failure.
void on_items_failed(App& app, Shell& shell, const ItemsRequest& request, uint32_t error);

}  // namespace norvik
