#include "app/menus.h"

#include <string>
#include <utility>

#include "app/settings.h"
#include "app/text.h"

namespace norvik {

namespace {

MenuItem command(uint32_t id, std::string text, bool checked = false) {
    MenuItem item;
    item.id = id;
    item.text = std::move(text);
    item.checked = checked;
    return item;
}

MenuItem separator() {
    MenuItem item;
    item.separator = true;
    return item;
}

// "Follow Windows", then each language under its own name; the stored choice is checked.
MenuItem language_submenu(SettingsStore& store) {
    const std::string chosen = language_setting(store);
    MenuItem menu;
    menu.text = choose_text("언어", "Language");
    menu.submenu.push_back(command(FOLLOW_WINDOWS_MENU_ID,
                                   choose_text("Windows 언어 따라가기", "Follow Windows"),
                                   chosen.empty()));
    menu.submenu.push_back(separator());
    for (const LanguageInfo& language : LANGUAGES)
        menu.submenu.push_back(
            command(language.menu_id, std::string(language.native_name), chosen == language.code));
    return menu;
}

MenuItem auto_update_item(SettingsStore& store) {
    return command(MENU_AUTO_UPDATE, choose_text("자동 업데이트", "Automatic updates"),
                   setting_on(store, SETTING_AUTO_UPDATE));
}

MenuItem auto_start_item(SettingsStore& store) {
    return command(MENU_AUTO_START, choose_text("Windows 시작 시 실행", "Start with Windows"),
                   setting_on(store, SETTING_AUTO_START));
}

MenuItem rebuild_item() {
    return command(MENU_REBUILD, choose_text("목록 다시 읽기", "Rebuild the file list"));
}

MenuItem quit_item() {
    return command(MENU_QUIT, choose_text("끝내기", "Quit"));
}

MenuItem default_item(MenuItem item) {
    item.is_default = true;
    return item;
}

}  // namespace

std::vector<MenuItem> settings_menu(SettingsStore& store) {
    return {
        language_submenu(store),
        auto_update_item(store),
        command(MENU_CHECK_UPDATES, choose_text("업데이트 확인", "Check for updates")),
        command(MENU_MORE_APPS, choose_text("Kastrel 의 다른 프로그램", "More apps from Kastrel")),
        command(MENU_ABOUT, choose_text("Norvik 정보", "About Norvik")),
        separator(),
        rebuild_item(),
        auto_start_item(store),
        quit_item(),
    };
}

std::vector<MenuItem> tray_menu(SettingsStore& store) {
    return {
        default_item(command(MENU_SHOW, choose_text("열기", "Open"))),
        rebuild_item(),
        separator(),
        auto_update_item(store),
        language_submenu(store),
        auto_start_item(store),
        separator(),
        quit_item(),
    };
}

std::vector<MenuItem> context_menu() {
    return {
        default_item(command(CONTEXT_OPEN, choose_text("열기", "Open"))),
        command(CONTEXT_OPEN_FOLDER, choose_text("폴더 열기", "Open folder")),
        separator(),
        command(CONTEXT_COPY_PATH, choose_text("경로 복사", "Copy path")),
        command(CONTEXT_COPY_NAME, choose_text("이름 복사", "Copy name")),
    };
}

void open_settings_menu(Shell& shell, Point at) {
    shell.defer(MenuRequest{MenuKind::Settings, settings_menu(shell.settings()), at});
}

void open_tray_menu(Shell& shell) {
    shell.defer(MenuRequest{MenuKind::Tray, tray_menu(shell.settings()), std::nullopt});
}

void open_context_menu(Shell& shell, Point at) {
    shell.defer(MenuRequest{MenuKind::Context, context_menu(), at});
}

}  // namespace norvik
