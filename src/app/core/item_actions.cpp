#include "app/core/item_actions.h"

#include <utility>

#include "app/core/actions.h"
#include "app/core/columns.h"
#include "app/core/open_failure.h"
#include "app/core/row_selection.h"
#include "app/text/text.h"
#include "hangul/utf8.h"
#include "kinds/kinds.h"

namespace norvik {

namespace {

void defer_items(Shell& shell, ItemsOperation operation, const std::vector<std::string>& paths,
                 std::optional<Point> at = std::nullopt, bool extended = false) {
    if (paths.empty()) return;
    shell.defer(ItemsRequest{operation, paths, at, extended});
}

std::vector<ChosenEntry> entries_of(const std::optional<ChosenEntry>& chosen) {
    if (!chosen) return {};
    return {*chosen};
}

}  // namespace

std::vector<std::string> existing_paths(App& app, Shell& shell,
                                        const std::vector<ChosenEntry>& entries) {
    std::vector<std::string> paths;
    bool missing = false;
    for (const ChosenEntry& entry : entries) {
        std::optional<ResultTarget> target = entry_target(app, entry);
        if (!target) continue;
        if (target->removed || !shell.path_exists(target->full_path)) {
            missing = true;
            continue;
        }
        paths.push_back(std::move(target->full_path));
    }
    if (missing) set_toast(app, shell, not_found_text());
    return paths;
}

void copy_items(App& app, Shell& shell, const std::vector<std::string>& paths) {
    if (paths.empty() || !shell.copy_files(paths)) return;
    set_toast(app, shell,
              paths.size() == 1
                  ? choose_text("복사했습니다. 폴더나 메일에 붙여 넣을 수 있습니다",
                                "Copied. Paste it into a folder or a message")
                  : fill_placeholders(choose_text("{0}개를 복사했습니다. 폴더나 메일에 붙여 넣을 "
                                                  "수 있습니다",
                                                  "{0} items copied. Paste them into a folder or "
                                                  "a message"),
                                      {format_count(paths.size())}));
}

void delete_items(Shell& shell, const std::vector<std::string>& paths, bool for_good) {
    defer_items(shell, for_good ? ItemsOperation::DeleteForGood : ItemsOperation::Recycle, paths);
}

void show_system_menu(Shell& shell, const std::vector<std::string>& paths, std::optional<Point> at,
                      bool extended) {
    defer_items(shell, ItemsOperation::SystemMenu, paths, at, extended);
}

void show_properties(Shell& shell, const std::vector<std::string>& paths) {
    defer_items(shell, ItemsOperation::Properties, paths);
}

void show_in_folders(Shell& shell, const std::vector<std::string>& paths) {
    defer_items(shell, ItemsOperation::ShowInFolders, paths);
}

void drag_items(Shell& shell, const std::vector<std::string>& paths) {
    defer_items(shell, ItemsOperation::Drag, paths);
}

void copy_entry_files(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen) {
    copy_items(app, shell, existing_paths(app, shell, entries_of(chosen)));
}

void delete_entry(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen, bool for_good) {
    delete_items(shell, existing_paths(app, shell, entries_of(chosen)), for_good);
}

void show_entry_system_menu(App& app, Shell& shell, const std::optional<ChosenEntry>& chosen,
                            std::optional<Point> at, bool extended) {
    show_system_menu(shell, existing_paths(app, shell, entries_of(chosen)), at, extended);
}

bool delete_key_acts_on_row(const App& app, bool repeat) {
    return !repeat && app.selected && app.caret == app.anchor && app.caret == app.text.size() &&
           app.composition.empty();
}

void press_row(App& app, Shell& shell, Point at) {
    app.row_press = RowPress{at, std::nullopt};
    shell.set_capture();
}

bool drag_pressed_row(App& app, Shell& shell, Point at) {
    if (!app.row_press) return false;
    if (!past_drag_threshold(app.row_press->at, at, app.scale)) return true;
    app.row_press.reset();
    // The drag runs its own loop and takes the mouse; the window lets it go first.
    shell.release_capture();
    if (app.selected) drag_items(shell, existing_paths(app, shell, selected_entries(app)));
    return true;
}

void open_items(App& app, Shell& shell, const std::vector<ChosenEntry>& entries, bool in_folder) {
    std::vector<std::string> paths = existing_paths(app, shell, entries);
    if (in_folder) {
        show_in_folders(shell, paths);
        return;
    }
    if (paths.size() > OPEN_WITHOUT_ASKING) {
        MessageBoxRequest question;
        question.purpose = MessagePurpose::OpenMany;
        question.caption = "Norvik";
        question.text =
            fill_placeholders(choose_text("{0}개 항목을 모두 여시겠습니까?", "Open {0} items?"),
                              {format_count(paths.size())});
        question.yes_no = true;
        app.open_question = std::move(paths);
        shell.defer(std::move(question));
        return;
    }
    app.open_question = std::move(paths);
    answer_open_question(app, shell, true);
}

void answer_open_question(App& app, Shell& shell, bool yes) {
    const std::vector<std::string> paths = std::exchange(app.open_question, {});
    if (!yes) return;
    for (const std::string& path : paths)
        if (std::optional<std::string> text =
                open_failure_text(shell.open_path(path, ShellVerb::Open), path, ShellVerb::Open))
            set_toast(app, shell, std::move(*text));
}

void copy_item_texts(App& app, Shell& shell, const std::vector<ChosenEntry>& entries,
                     bool name_only) {
    std::string text;
    size_t copied = 0;
    bool missing = false;
    for (const ChosenEntry& entry : entries) {
        const std::optional<ResultTarget> target = entry_target(app, entry);
        if (!target) continue;
        // A removed row's path would hand on a file that is no longer there.
        if (target->removed) {
            missing = true;
            continue;
        }
        if (copied++ != 0) text += "\r\n";
        text += name_only ? target->name : target->full_path;
    }
    if (copied == 0 || !shell.set_clipboard_text(utf8_to_utf16(text))) {
        if (missing) set_toast(app, shell, not_found_text());
        return;
    }
    const std::string count = format_count(copied);
    set_toast(app, shell,
              missing ? not_found_text()
              : name_only
                  ? fill_placeholders(choose_text("이름 {0}개를 복사했습니다", "{0} names copied"),
                                      {count})
                  : fill_placeholders(choose_text("경로 {0}개를 복사했습니다", "{0} paths copied"),
                                      {count}));
}

void on_items_failed(App& app, Shell& shell, const ItemsRequest& request, uint32_t error) {
    const std::string code = std::to_string(error);
    switch (request.operation) {
        case ItemsOperation::Recycle:
        case ItemsOperation::DeleteForGood:
            set_toast(app, shell,
                      fill_placeholders(choose_text("지울 수 없습니다 (오류 {0})",
                                                    "Could not delete it (error {0})"),
                                        {code}));
            break;
        case ItemsOperation::SystemMenu:
        case ItemsOperation::Properties:
        case ItemsOperation::ShowInFolders:
            set_toast(app, shell,
                      fill_placeholders(
                          choose_text("열 수 없습니다 (오류 {0})", "Could not open it (error {0})"),
                          {code}));
            break;
        case ItemsOperation::Drag:
            break;  // a drag that could not start leaves the row where it was
    }
}

}  // namespace norvik
