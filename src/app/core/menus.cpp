#include "app/core/menus.h"

#include <string>
#include <utility>

#include "app/core/settings.h"
#include "app/text/text.h"

namespace norvik {

MenuItem command_item(uint32_t id, std::string text, bool checked) {
    MenuItem item;
    item.id = id;
    item.text = std::move(text);
    item.checked = checked;
    return item;
}

MenuItem separator_item() {
    MenuItem item;
    item.separator = true;
    return item;
}

MenuItem popup_item(std::string text, std::vector<MenuItem> items) {
    MenuItem item;
    item.text = std::move(text);
    item.submenu = std::move(items);
    return item;
}

MenuItem default_item(MenuItem item) {
    item.is_default = true;
    return item;
}

namespace {

// "Follow Windows", then each language under its own name; the stored choice is checked.
MenuItem language_submenu(SettingsStore& store) {
    const std::string chosen = language_setting(store);
    std::vector<MenuItem> items = {
        command_item(FOLLOW_WINDOWS_MENU_ID, choose_text("Windows 언어 따라가기", "Follow Windows"),
                     chosen.empty()),
        separator_item(),
    };
    for (const LanguageInfo& language : LANGUAGES)
        items.push_back(command_item(language.menu_id, std::string(language.native_name),
                                     chosen == language.code));
    return popup_item(choose_text("언어", "Language"), std::move(items));
}

MenuItem auto_update_item(SettingsStore& store) {
    return command_item(MENU_AUTO_UPDATE, choose_text("자동 업데이트", "Automatic updates"),
                        setting_on(store, SETTING_AUTO_UPDATE));
}

MenuItem auto_start_item(SettingsStore& store) {
    return command_item(MENU_AUTO_START, choose_text("Windows 시작 시 실행", "Start with Windows"),
                        setting_on(store, SETTING_AUTO_START));
}

MenuItem rebuild_item() {
    return command_item(MENU_REBUILD, choose_text("목록 다시 읽기", "Rebuild the file list"));
}

// Each excluded folder (choosing one includes it again), then the folder picker.
MenuItem excluded_folders_submenu(SettingsStore& store) {
    const std::vector<std::string> folders = excluded_folders_setting(store);
    std::vector<MenuItem> items;
    for (size_t i = 0; i < folders.size(); ++i)
        items.push_back(command_item(MENU_INCLUDE_FIRST + static_cast<uint32_t>(i), folders[i]));
    if (!items.empty()) items.push_back(separator_item());
    items.push_back(
        command_item(MENU_EXCLUDE_FOLDER, choose_text("폴더 제외…", "Exclude a folder…")));
    return popup_item(choose_text("제외한 폴더", "Excluded folders"), std::move(items));
}

MenuItem quit_item() {
    return command_item(MENU_QUIT, choose_text("끝내기", "Quit"));
}

}  // namespace

std::vector<MenuItem> settings_menu(SettingsStore& store) {
    return {
        language_submenu(store),
        auto_update_item(store),
        command_item(MENU_CHECK_UPDATES, choose_text("업데이트 확인", "Check for updates")),
        command_item(MENU_MORE_APPS,
                     choose_text("Kastrel의 다른 프로그램", "More apps from Kastrel")),
        command_item(MENU_ABOUT, choose_text("Norvik 정보", "About Norvik")),
        separator_item(),
        command_item(MENU_EXPORT, choose_text("결과 내보내기…", "Export results…")),
        rebuild_item(),
        excluded_folders_submenu(store),
        auto_start_item(store),
        quit_item(),
    };
}

std::vector<MenuItem> tray_menu(SettingsStore& store) {
    return {
        default_item(command_item(MENU_SHOW, choose_text("열기", "Open"))),
        rebuild_item(),
        separator_item(),
        auto_update_item(store),
        language_submenu(store),
        auto_start_item(store),
        separator_item(),
        quit_item(),
    };
}

std::vector<MenuItem> context_menu(RowMenu row) {
    std::vector<MenuItem> items = {
        default_item(command_item(CONTEXT_OPEN, choose_text("열기", "Open")))};
    if (row.open_with)
        items.push_back(
            command_item(CONTEXT_OPEN_WITH, choose_text("연결 프로그램…", "Open with…")));
    items.push_back(command_item(CONTEXT_OPEN_FOLDER, choose_text("폴더 열기", "Open folder")));
    items.push_back(separator_item());
    items.push_back(command_item(CONTEXT_COPY_FILES, choose_text("복사", "Copy")));
    items.push_back(command_item(CONTEXT_COPY_PATH, choose_text("경로 복사", "Copy path")));
    items.push_back(command_item(CONTEXT_COPY_NAME, choose_text("이름 복사", "Copy name")));
    if (row.exclude) {
        items.push_back(separator_item());
        items.push_back(
            command_item(CONTEXT_EXCLUDE, choose_text("Norvik에서 제외", "Exclude from Norvik")));
    }
    // Last, as in Explorer's menus.
    items.push_back(separator_item());
    items.push_back(command_item(CONTEXT_PROPERTIES, choose_text("속성", "Properties")));
    // The file manager's own menu (archive tools, "Send to", sharing), as Windows 11 offers it.
    items.push_back(separator_item());
    items.push_back(command_item(CONTEXT_MORE_OPTIONS, choose_text("추가 옵션", "More options")));
    return items;
}

std::vector<MenuItem> header_menu(SortColumn current) {
    auto order_item = [current](SortColumn column, std::string text) {
        return command_item(static_cast<uint32_t>(column) + 1, std::move(text), column == current);
    };
    return {
        order_item(SortColumn::Relevance, choose_text("가장 일치하는 항목", "Best match")),
        separator_item(),
        order_item(SortColumn::Name, choose_text("이름", "Name")),
        order_item(SortColumn::Folder, choose_text("폴더", "Folder")),
        order_item(SortColumn::Size, choose_text("크기", "Size")),
        order_item(SortColumn::DateModified, choose_text("수정한 날짜", "Date modified")),
    };
}

void open_settings_menu(Shell& shell, Point at) {
    shell.defer(MenuRequest{MenuKind::Settings, settings_menu(shell.settings()), at});
}

void open_tray_menu(Shell& shell) {
    shell.defer(MenuRequest{MenuKind::Tray, tray_menu(shell.settings()), std::nullopt});
}

void open_context_menu(Shell& shell, Point at, RowMenu row) {
    shell.defer(MenuRequest{MenuKind::Context, context_menu(row), at});
}

void open_header_menu(Shell& shell, Point at, SortColumn current) {
    shell.defer(MenuRequest{MenuKind::Header, header_menu(current), at});
}

}  // namespace norvik
