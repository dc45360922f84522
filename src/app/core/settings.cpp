#include "app/core/settings.h"

#include <algorithm>
#include <cmath>

#include "index/excluded_folders.h"

namespace norvik {

bool setting_on(SettingsStore& store, std::string_view name) {
    return store.read_dword(name) != std::optional<uint32_t>(0);
}

std::optional<bool> toggle_setting(SettingsStore& store, std::string_view name) {
    const bool on = !setting_on(store, name);
    if (!store.write_dword(name, on ? 1 : 0)) return std::nullopt;
    return on;
}

std::string language_setting(SettingsStore& store) {
    return store.read_string(SETTING_LANGUAGE).value_or("");
}

std::string autostart_command(std::string_view executable_path) {
    std::string command = "\"";
    command += executable_path;
    command += "\" --tray";
    return command;
}

void keep_autostart_entry(Shell& shell) {
    SettingsStore& store = shell.settings();
    if (!setting_on(store, SETTING_AUTO_START)) return;
    std::optional<std::string> executable = shell.executable_path();
    if (!executable) return;
    const std::string command = autostart_command(*executable);
    if (store.read_run_command() != command) (void)store.write_run_command(command);
}

void apply_autostart(Shell& shell, bool on) {
    SettingsStore& store = shell.settings();
    if (!on) {
        (void)store.delete_run_command();
        return;
    }
    if (std::optional<std::string> executable = shell.executable_path())
        (void)store.write_run_command(autostart_command(*executable));
}

std::optional<std::vector<uint8_t>> saved_placement(SettingsStore& store) {
    std::optional<std::vector<uint8_t>> placement = store.read_binary(SETTING_PLACEMENT);
    if (!placement || placement->size() != PLACEMENT_BYTES) return std::nullopt;
    return placement;
}

std::optional<uint32_t> saved_placement_dpi(SettingsStore& store) {
    std::optional<uint32_t> dpi = store.read_dword(SETTING_PLACEMENT_DPI);
    if (!dpi || *dpi < 96 || *dpi > 1536) return std::nullopt;
    return dpi;
}

int rescale_placement_length(int pixels, uint32_t saved_dpi, uint32_t dpi) {
    if (saved_dpi == 0) return pixels;
    return static_cast<int>(std::lround(static_cast<double>(pixels) * dpi / saved_dpi));
}

std::vector<std::string> excluded_folders_setting(SettingsStore& store) {
    return store.read_multi_string(SETTING_EXCLUDED_FOLDERS).value_or(std::vector<std::string>{});
}

std::optional<std::string> excludable_folder(std::string_view path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.remove_suffix(1);
    // What is left of a drive's root ("C:") names no folder on it.
    if (path.find_first_of("\\/") == std::string_view::npos) return std::nullopt;
    return std::string(path);
}

std::optional<std::vector<std::string>> with_excluded_folder(std::vector<std::string> folders,
                                                             std::string_view path) {
    std::optional<std::string> folder = excludable_folder(path);
    if (!folder) return std::nullopt;
    const auto same_folder = [&](const std::string& other) {
        return path_below(other, *folder) == std::optional<std::string>("");
    };
    if (std::any_of(folders.begin(), folders.end(), same_folder)) return std::nullopt;
    folders.push_back(std::move(*folder));
    return folders;
}

bool windows_dark_mode(SettingsStore& store) {
    return store.read_apps_use_light_theme() == std::optional<uint32_t>(0);
}

void follow_theme(App& app, Shell& shell) {
    const bool dark = windows_dark_mode(shell.settings());
    if (dark == app.dark) return;
    app.dark = dark;
    shell.set_dark_title_bar(dark);
    shell.invalidate();
}

}  // namespace norvik
