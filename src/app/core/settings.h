// The program's settings as read from and written to the current user's registry (through the
// SettingsStore port): the switches and their reading rules, the autostart entry, the saved
// window placement and the Windows theme.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// Value names under Software\Norvik.
inline constexpr std::string_view SETTING_AUTO_START = "AutoStart";
inline constexpr std::string_view SETTING_AUTO_UPDATE = "AutoUpdate";
inline constexpr std::string_view SETTING_LANGUAGE = "Language";
inline constexpr std::string_view SETTING_LAST_UPDATE_CHECK = "LastUpdateCheck";
inline constexpr std::string_view SETTING_PLACEMENT = "Placement";
// The window's DPI when Placement was saved (REG_DWORD), written with it.
inline constexpr std::string_view SETTING_PLACEMENT_DPI = "PlacementDpi";
// The folders kept out of the index (REG_MULTI_SZ of full paths).
inline constexpr std::string_view SETTING_EXCLUDED_FOLDERS = "ExcludedFolders";

// A WINDOWPLACEMENT as GetWindowPlacement returns it.
inline constexpr size_t PLACEMENT_BYTES = 44;

// A switch (AutoStart, AutoUpdate) is off only when it exists and is 0: a missing value, one of
// another type or an unreadable key all mean on.
bool setting_on(SettingsStore& store, std::string_view name);

// Turns a switch over (writes 1 when it reads off, else 0). Returns the new state, or nothing
// when the write failed and the old value stays.
std::optional<bool> toggle_setting(SettingsStore& store, std::string_view name);

// The stored Language value; "" when it is missing (follow Windows).
std::string language_setting(SettingsStore& store);

// The Run value that starts Norvik hidden with Windows: "<exe path>" --tray.
std::string autostart_command(std::string_view executable_path);

// Start-up upkeep: unless AutoStart is off, writes the Run value when it is missing or differs
// (so a moved executable is found again). Skipped when the executable path is unknown.
void keep_autostart_entry(Shell& shell);

// Turns autostart on (writes the Run value; skipped without the executable path) or off
// (deletes it).
void apply_autostart(Shell& shell, bool on);

// The saved placement, only when it is exactly PLACEMENT_BYTES long.
std::optional<std::vector<uint8_t>> saved_placement(SettingsStore& store);

// The DPI the saved placement was taken at: nothing when it is missing (a placement saved before
// it was kept) or outside 96 to 1536.
std::optional<uint32_t> saved_placement_dpi(SettingsStore& store);

// A length of the saved placement, in pixels at saved_dpi, for a window now at dpi: the same
// length in DIPs, so a window keeps its size on screen when the display's scale changed.
int rescale_placement_length(int pixels, uint32_t saved_dpi, uint32_t dpi);

// The stored excluded folders; none when the value is missing or unreadable.
std::vector<std::string> excluded_folders_setting(SettingsStore& store);

// The path as stored among the excluded folders (without trailing separators), or nothing for
// an empty path or a drive's root, which would take the whole drive out.
std::optional<std::string> excludable_folder(std::string_view path);

// `folders` with `path` added, or nothing when it adds nothing: a path excludable_folder
// refuses, or a folder already there (letter case aside).
std::optional<std::vector<std::string>> with_excluded_folder(std::vector<std::string> folders,
                                                             std::string_view path);

// Windows apps use the dark theme: AppsUseLightTheme reads 0.
bool windows_dark_mode(SettingsStore& store);

// WM_SETTINGCHANGE: follows a change of the Windows theme (the title bar and a repaint).
void follow_theme(App& app, Shell& shell);

}  // namespace norvik
