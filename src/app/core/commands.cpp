#include "app/core/commands.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "app/core/actions.h"
#include "app/core/export_results.h"
#include "app/core/item_actions.h"
#include "app/core/menus.h"
#include "app/core/row_selection.h"
#include "app/core/settings.h"
#include "app/core/window_events.h"
#include "app/text/text.h"
#include "vendor.h"

namespace norvik {

namespace {

// Stores the new list, then applies it to the index at once. A list that could not be stored is
// not applied, so the index never disagrees with what the next start reads.
bool store_excluded_folders(App& app, Shell& shell, const std::vector<std::string>& folders) {
    if (!shell.settings().write_multi_string(SETTING_EXCLUDED_FOLDERS, folders)) return false;
    app.engine.service->set_excluded_folders(folders);
    shell.invalidate();
    return true;
}

// Excludes the folder and says so, with an Undo: its files leave the list at once, and a folder
// taken out by a slip of the mouse comes back with one click.
void exclude_folder(App& app, Shell& shell, std::string_view path) {
    std::optional<std::vector<std::string>> folders =
        with_excluded_folder(excluded_folders_setting(shell.settings()), path);
    if (!folders || !store_excluded_folders(app, shell, *folders)) return;
    std::string folder = folders->back();  // as stored
    std::string text = fill_placeholders(
        choose_text("Norvik에서 제외했습니다: {0}", "Excluded from Norvik: {0}"), {folder});
    set_exclusion_toast(app, shell, std::move(text), std::move(folder));
}

// The Excluded folders submenu's ids; false for any other id.
bool run_include_command(App& app, Shell& shell, uint32_t id) {
    if (id < MENU_INCLUDE_FIRST) return false;
    std::vector<std::string> folders = excluded_folders_setting(shell.settings());
    const size_t position = id - MENU_INCLUDE_FIRST;
    if (position >= folders.size()) return false;
    folders.erase(folders.begin() + static_cast<std::ptrdiff_t>(position));
    store_excluded_folders(app, shell, folders);
    return true;
}

// The commands that act on every row of a selection the menu was opened on; false for the
// others (Open with, Exclude: the row the menu opened on) and for a menu on one row.
bool run_selection_command(App& app, Shell& shell, uint32_t id) {
    const std::vector<ChosenEntry>& targets = app.menu_targets;
    if (targets.size() < 2) return false;
    switch (id) {
        case CONTEXT_OPEN:
        case CONTEXT_OPEN_FOLDER:
            open_items(app, shell, targets, id == CONTEXT_OPEN_FOLDER);
            return true;
        case CONTEXT_COPY_PATH:
        case CONTEXT_COPY_NAME:
            copy_item_texts(app, shell, targets, id == CONTEXT_COPY_NAME);
            return true;
        case CONTEXT_PROPERTIES:
            show_properties(shell, existing_paths(app, shell, targets));
            return true;
        case CONTEXT_COPY_FILES:
            copy_items(app, shell, existing_paths(app, shell, targets));
            return true;
        case CONTEXT_MORE_OPTIONS:
            show_system_menu(shell, existing_paths(app, shell, targets), std::nullopt, false);
            return true;
        default:
            return false;
    }
}

// The entry the menu was opened on, not the selected row: results that arrived while the menu
// was up may have moved another file under that row number.
void run_context_command(App& app, Shell& shell, uint32_t id) {
    const std::optional<ChosenEntry> target = app.menu_target;
    if (run_selection_command(app, shell, id)) return;
    switch (id) {
        case CONTEXT_OPEN:
        case CONTEXT_OPEN_FOLDER:
            open_entry(app, shell, target, id == CONTEXT_OPEN_FOLDER);
            break;
        case CONTEXT_COPY_PATH:
        case CONTEXT_COPY_NAME:
            copy_entry(app, shell, target, id == CONTEXT_COPY_NAME);
            break;
        case CONTEXT_EXCLUDE:
            if (std::optional<std::string> folder = folder_to_exclude(app, target))
                exclude_folder(app, shell, *folder);
            break;
        case CONTEXT_OPEN_WITH:
            hand_entry_to_shell(app, shell, target, ShellVerb::OpenWith);
            break;
        case CONTEXT_PROPERTIES:
            hand_entry_to_shell(app, shell, target, ShellVerb::Properties);
            break;
        case CONTEXT_COPY_FILES:
            copy_entry_files(app, shell, target);
            break;
        case CONTEXT_MORE_OPTIONS:
            show_entry_system_menu(app, shell, target, std::nullopt, false);
            break;
        default:
            break;
    }
}

// Stores the language chosen in the submenu. It takes effect at the next start, as the toast
// says; a setting that could not be written says nothing.
void choose_language_setting(App& app, Shell& shell, std::string_view code) {
    if (!shell.settings().write_string(SETTING_LANGUAGE, code)) return;
    set_toast(
        app, shell,
        choose_text("Norvik을 다시 시작하면 바뀝니다", "Takes effect the next time Norvik starts"));
}

// The Language submenu's ids; false for any other id.
bool run_language_command(App& app, Shell& shell, uint32_t id) {
    if (id == FOLLOW_WINDOWS_MENU_ID) {
        choose_language_setting(app, shell, "");
        return true;
    }
    for (const LanguageInfo& language : LANGUAGES) {
        if (language.menu_id != id) continue;
        choose_language_setting(app, shell, language.code);
        return true;
    }
    return false;
}

void toggle_auto_start(Shell& shell) {
    if (std::optional<bool> on = toggle_setting(shell.settings(), SETTING_AUTO_START))
        apply_autostart(shell, *on);
}

}  // namespace

void rebuild_file_list(App& app, Shell& shell) {
    // A rebuild that cannot start (shutting down, no thread) has nothing to show.
    (void)app.engine.service->rebuild_all();
    shell.invalidate();
}

MessageBoxRequest about_box() {
    MessageBoxRequest box;
    box.purpose = MessagePurpose::About;
    box.caption = choose_text("Norvik 정보", "About Norvik");
    box.text = "Norvik " + std::string(vendor::PROGRAM_VERSION) + "\n\n" +
               choose_text("한국어에 맞춘 무료 파일 이름 검색 프로그램",
                           "A free file name search app, made for Korean") +
               "\n\n" + std::string(vendor::PRODUCT_URL) + "\n" + std::string(vendor::MAKER_NOTICE);
    return box;
}

std::optional<std::string> folder_to_exclude(const App& app,
                                             const std::optional<ChosenEntry>& chosen) {
    const std::optional<ResultTarget> target = entry_target(app, chosen);
    if (!target || target->removed || !target->folder) return std::nullopt;
    return excludable_folder(target->full_path);
}

void open_row_menu(App& app, Shell& shell, Point at) {
    if (!app.selected) return;
    app.menu_target = selected_entry(app);
    app.menu_targets.clear();
    if (!app.marked.empty()) app.menu_targets = selected_entries(app);
    const std::optional<ResultTarget> target = entry_target(app, app.menu_target);
    RowMenu row;
    row.open_with = !target || !target->folder;
    row.exclude = folder_to_exclude(app, app.menu_target).has_value();
    open_context_menu(shell, at, row);
}

void on_folder_picked(App& app, Shell& shell, std::string_view path) {
    exclude_folder(app, shell, path);
}

bool undo_toast(App& app, Shell& shell) {
    if (!app.toast || !app.toast->undo_exclusion) return false;
    const std::string folder = *app.toast->undo_exclusion;
    app.toast.reset();
    shell.invalidate();
    std::vector<std::string> folders = excluded_folders_setting(shell.settings());
    const auto stored = std::find(folders.begin(), folders.end(), folder);
    // Included meanwhile from the Excluded folders menu: nothing left to undo.
    if (stored == folders.end()) return true;
    folders.erase(stored);
    (void)store_excluded_folders(app, shell, folders);
    return true;
}

bool starts_descending(SortColumn column) {
    return column == SortColumn::Size || column == SortColumn::DateModified;
}

void sort_results_by(App& app, Shell& shell, SortColumn column) {
    if (app.sort_column == column) return;
    app.sort_column = column;
    app.sort_descending = starts_descending(column);
    search_in_new_order(app, shell);
}

void search_in_new_order(App& app, Shell& shell) {
    app.reveal_selection = app.selected.has_value();
    rerun_search(app, shell, !app.selected);
    shell.invalidate();  // the header shows the new order at once
}

void on_menu_command(App& app, Shell& shell, MenuKind kind, uint32_t id) {
    if (kind == MenuKind::Context) {
        run_context_command(app, shell, id);
        return;
    }
    if (kind == MenuKind::Header) {
        if (id >= HEADER_BEST_MATCH && id <= HEADER_DATE_MODIFIED)
            sort_results_by(app, shell, static_cast<SortColumn>(id - 1));
        if ((id == HEADER_WIDER || id == HEADER_NARROWER) && app.header_menu_target) {
            const HeaderMenuTarget& target = *app.header_menu_target;
            app.column_widths =
                resize_column(target.shown, target.column,
                              id == HEADER_WIDER ? COLUMN_STEP_DIPS : -COLUMN_STEP_DIPS);
            (void)save_column_widths(shell.settings(), app.column_widths);
            shell.invalidate();
        }
        return;
    }
    if (run_language_command(app, shell, id) || run_include_command(app, shell, id)) return;
    switch (id) {
        case MENU_SHOW:
            show_main_window(app, shell);
            break;
        case MENU_REBUILD:
            rebuild_file_list(app, shell);
            break;
        case MENU_AUTO_UPDATE:
            (void)toggle_setting(shell.settings(), SETTING_AUTO_UPDATE);
            break;
        case MENU_AUTO_START:
            toggle_auto_start(shell);
            break;
        case MENU_QUIT:
            shell.defer(DestroyRequest{});
            break;
        case MENU_CHECK_UPDATES:
            show_main_window(app, shell);
            set_toast(app, shell, choose_text("업데이트 확인 중…", "Checking for updates…"));
            shell.start_update_check(true);
            break;
        case MENU_MORE_APPS:
            shell.open_url(vendor_page_url());
            break;
        case MENU_ABOUT:
            shell.defer(about_box());
            break;
        case MENU_EXCLUDE_FOLDER:
            shell.defer(FolderPickerRequest{});
            break;
        case MENU_EXPORT:
            ask_export_file(app, shell);
            break;
        case MENU_SEARCH_SYNTAX:
            hide_tooltip(app, shell);
            app.syntax_card = true;
            shell.invalidate();
            break;
        default:
            break;
    }
}

}  // namespace norvik
