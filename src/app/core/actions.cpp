#include "app/core/actions.h"

#include <mutex>
#include <shared_mutex>

#include "app/core/item_actions.h"
#include "app/core/open_failure.h"
#include "app/core/row_selection.h"
#include "app/text/text.h"
#include "hangul/utf8.h"

namespace norvik {

namespace {

void show_not_found(App& app, Shell& shell) {
    set_toast(app, shell, not_found_text());
}

// The chosen entry's target when it is still on disk; the not-found toast when it is not.
std::optional<ResultTarget> existing_target(App& app, Shell& shell,
                                            const std::optional<ChosenEntry>& chosen) {
    std::optional<ResultTarget> target = entry_target(app, chosen);
    if (!target) return std::nullopt;
    if (target->removed || !shell.path_exists(target->full_path)) {
        show_not_found(app, shell);
        return std::nullopt;
    }
    return target;
}

// The shell's answer for path, said in a toast when it refused.
void say_shell_failure(App& app, Shell& shell, uint32_t error, const std::string& path,
                       ShellVerb verb) {
    if (std::optional<std::string> text = open_failure_text(error, path, verb))
        set_toast(app, shell, std::move(*text));
}

}  // namespace

std::optional<ResultTarget> entry_target(const App& app, const std::optional<ChosenEntry>& chosen) {
    if (!chosen) return std::nullopt;
    const Index& index = *app.engine.index;
    // Only the path and the name are read under the lock; the file system and the shell are
    // reached after it is released.
    std::shared_lock lock(app.engine.index->lock);
    if (chosen->table >= index.tables.size()) return std::nullopt;
    const VolumeTable& table = index.tables[chosen->table];
    // Entry indexes are never reused within a table, so the same id and index still name the
    // same file, or its removed record.
    if (table.table_id != chosen->table_id || chosen->entry >= table.size()) return std::nullopt;
    if (!table.is_live(chosen->entry)) return ResultTarget{{}, {}, true};
    return ResultTarget{table.full_path(chosen->entry, false),
                        std::string(table.stored_name(chosen->entry)), false,
                        table.entries[chosen->entry].is_dir()};
}

std::optional<ChosenEntry> selected_entry(const App& app) {
    if (!app.selected) return std::nullopt;
    return entry_of_row(app, *app.selected);
}

std::optional<ResultTarget> selected_target(const App& app) {
    return entry_target(app, selected_entry(app));
}

std::string explorer_select_argument(const std::string& path) {
    return "/select,\"" + path + "\"";
}

void open_entry(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen, bool in_folder) {
    if (!in_folder) {
        hand_entry_to_shell(app, shell, chosen, ShellVerb::Open);
        return;
    }
    if (std::optional<ResultTarget> target = existing_target(app, shell, chosen))
        shell.start_explorer(explorer_select_argument(target->full_path));
}

void hand_entry_to_shell(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen,
                         ShellVerb verb) {
    if (std::optional<ResultTarget> target = existing_target(app, shell, chosen))
        say_shell_failure(app, shell, shell.open_path(target->full_path, verb), target->full_path,
                          verb);
}

void copy_entry(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen, bool name_only) {
    std::optional<ResultTarget> target = entry_target(app, chosen);
    if (!target) return;
    // The list still shows a removed row until it refreshes; copying its path would hand on a
    // file that is no longer there.
    if (target->removed) {
        show_not_found(app, shell);
        return;
    }
    const std::string& text = name_only ? target->name : target->full_path;
    if (!shell.set_clipboard_text(utf8_to_utf16(text))) return;
    set_toast(app, shell,
              name_only ? choose_text("이름을 복사했습니다", "Name copied")
                        : choose_text("경로를 복사했습니다", "Path copied"));
}

void open_result(App& app, Shell& shell, bool in_folder) {
    if (!app.marked.empty()) {
        open_items(app, shell, selected_entries(app), in_folder);
    } else if (app.selected) {
        open_entry(app, shell, selected_entry(app), in_folder);
    }
}

void copy_result(App& app, Shell& shell, bool name_only) {
    if (!app.marked.empty()) {
        copy_item_texts(app, shell, selected_entries(app), name_only);
    } else if (app.selected) {
        copy_entry(app, shell, selected_entry(app), name_only);
    }
}

void hand_result_to_shell(App& app, Shell& shell, ShellVerb verb) {
    // Several rows: one properties sheet for them all; Open opens each.
    if (!app.marked.empty() && verb == ShellVerb::Properties) {
        show_properties(shell, existing_paths(app, shell, selected_entries(app)));
    } else if (!app.marked.empty() && verb == ShellVerb::Open) {
        open_items(app, shell, selected_entries(app), false);
    } else if (app.selected) {
        hand_entry_to_shell(app, shell, selected_entry(app), verb);
    }
}

}  // namespace norvik
