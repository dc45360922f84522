#include "app/core/actions.h"

#include <mutex>
#include <shared_mutex>

#include "app/text/text.h"
#include "hangul/utf8.h"
#include "search/resolve_hit.h"

namespace norvik {

std::optional<ResultTarget> selected_target(const App& app) {
    if (!app.selected || *app.selected >= app.results.size()) return std::nullopt;
    const Hit& hit = app.results[*app.selected];
    const Index& index = *app.engine.index;
    // Only the path and the name are read under the lock; the file system and the shell are
    // reached after it is released.
    std::shared_lock lock(app.engine.index->lock);
    const VolumeTable* table = resolve_hit(index, app.table_ids, hit);
    if (!table || !table->is_live(hit.entry)) return std::nullopt;
    return ResultTarget{table->full_path(hit.entry, false),
                        std::string(table->stored_name(hit.entry))};
}

std::string explorer_select_argument(const std::string& path) {
    return "/select,\"" + path + "\"";
}

void open_result(App& app, Shell& shell, bool in_folder) {
    std::optional<ResultTarget> target = selected_target(app);
    if (!target) return;
    if (!shell.path_exists(target->full_path)) {
        set_toast(app, shell,
                  choose_text("찾을 수 없습니다. 지워졌거나 옮겨졌습니다.",
                              "Not found. It was deleted or moved."));
        return;
    }
    if (in_folder) {
        shell.start_explorer(explorer_select_argument(target->full_path));
    } else {
        shell.open_path(target->full_path);
    }
}

void copy_result(App& app, Shell& shell, bool name_only) {
    std::optional<ResultTarget> target = selected_target(app);
    if (!target) return;
    const std::string& text = name_only ? target->name : target->full_path;
    if (!shell.set_clipboard_text(utf8_to_utf16(text))) return;
    set_toast(app, shell,
              name_only ? choose_text("이름을 복사했습니다", "Name copied")
                        : choose_text("경로를 복사했습니다", "Path copied"));
}

}  // namespace norvik
