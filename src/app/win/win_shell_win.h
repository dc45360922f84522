// The Shell port over Win32 for the main window: what the core's handlers ask Windows to do.
// Work that runs a modal loop or ends the window is only queued here (defer); the window
// procedure performs it once the handler has returned App.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>

#include "app/core/shell.h"
#include "app/win/launcher_win.h"
#include "app/win/registry_settings_win.h"
#include "app/win/tray_win.h"

namespace norvik {

// The update check and download threads, started by the updater when it is wired in.
struct UpdateStarters {
    std::function<void(bool manual)> check;
    std::function<void(const UpdateInfo&)> download;
};

class WinShell : public Shell {
  public:
    WinShell(HWND window, SettingsStore& settings, Launcher& launcher, TrayIcon& tray,
             UpdateStarters updates = {});

    SettingsStore& settings() override { return settings_; }
    Clock::time_point now() override { return Clock::now(); }

    void invalidate() override;
    bool is_visible() override;
    void show_window(bool first_time) override;
    void hide_window() override;
    void save_placement() override;
    void set_dark_title_bar(bool dark) override;
    void set_timer(Timer timer, uint32_t milliseconds) override;
    void kill_timer(Timer timer) override;
    void set_capture() override;
    void release_capture() override;
    void track_mouse_leave() override;
    void set_cursor(CursorShape shape) override;
    void place_ime_window(int x, int y) override;
    void remove_tray_icon() override;
    void unregister_hot_key() override;

    bool set_clipboard_text(std::u16string_view text) override;
    std::optional<std::u16string> clipboard_text() override;

    bool copy_files(const std::vector<std::string>& paths) override;
    std::function<void()> poster(uint32_t message) override;

    bool path_exists(const std::string& path) override;
    uint32_t open_path(const std::string& path, ShellVerb verb) override;
    void start_explorer(const std::string& argument) override;
    void open_url(const std::string& url) override;
    std::optional<std::string> executable_path() override;

    void start_update_check(bool manual) override;
    void start_update_download(const UpdateInfo& info) override;

    void defer(Deferred work) override { deferred_.push_back(std::move(work)); }
    // The oldest queued work, if any.
    std::optional<Deferred> take_deferred();

    HWND window() const { return window_; }
    TrayIcon& tray() { return tray_; }

  private:
    HWND window_;
    SettingsStore& settings_;
    Launcher& launcher_;
    TrayIcon& tray_;
    UpdateStarters updates_;
    std::deque<Deferred> deferred_;
};

// The hot key that shows the window: Ctrl+Alt+F, id 1.
inline constexpr int HOT_KEY_ID = 1;
bool register_hot_key(HWND window);

// DWMWA_USE_IMMERSIVE_DARK_MODE (20): the title bar follows the app's theme. Failures ignored.
void apply_dark_title_bar(HWND window, bool dark);

}  // namespace norvik
