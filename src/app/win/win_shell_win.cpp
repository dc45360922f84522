#include "app/win/win_shell_win.h"

#include <dwmapi.h>

#include "app/win/clipboard_win.h"
#include "app/win/ime_win.h"
#include "app/win/placement_win.h"
#include "app/win/shell_items_win.h"
#include "platform/long_path.h"

namespace norvik {

WinShell::WinShell(HWND window, SettingsStore& settings, Launcher& launcher, TrayIcon& tray,
                   UpdateStarters updates)
    : window_(window),
      settings_(settings),
      launcher_(launcher),
      tray_(tray),
      updates_(std::move(updates)) {}

void WinShell::invalidate() {
    InvalidateRect(window_, nullptr, FALSE);
}

bool WinShell::is_visible() {
    return IsWindowVisible(window_) != FALSE;
}

void WinShell::show_window(bool first_time) {
    show_main(window_, settings_, first_time);
}

void WinShell::hide_window() {
    save_placement();
    ShowWindow(window_, SW_HIDE);
}

void WinShell::save_placement() {
    save_window_placement(window_, settings_);
}

void WinShell::set_dark_title_bar(bool dark) {
    apply_dark_title_bar(window_, dark);
}

void WinShell::set_timer(Timer timer, uint32_t milliseconds) {
    SetTimer(window_, static_cast<UINT_PTR>(timer), milliseconds, nullptr);
}

void WinShell::kill_timer(Timer timer) {
    KillTimer(window_, static_cast<UINT_PTR>(timer));
}

void WinShell::set_capture() {
    SetCapture(window_);
}

void WinShell::release_capture() {
    ReleaseCapture();
}

void WinShell::track_mouse_leave() {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window_;
    TrackMouseEvent(&track);
}

void WinShell::set_cursor(CursorShape shape) {
    switch (shape) {
        case CursorShape::ResizeColumn:
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            break;
    }
}

void WinShell::place_ime_window(int x, int y) {
    norvik::place_ime_window(window_, x, y);
}

void WinShell::remove_tray_icon() {
    tray_.remove();
}

void WinShell::unregister_hot_key() {
    UnregisterHotKey(window_, HOT_KEY_ID);
}

bool WinShell::set_clipboard_text(std::u16string_view text) {
    return write_clipboard_text(window_, text);
}

std::optional<std::u16string> WinShell::clipboard_text() {
    return read_clipboard_text(window_);
}

bool WinShell::copy_files(const std::vector<std::string>& paths) {
    return copy_files_to_clipboard(paths);
}

std::function<void()> WinShell::poster(uint32_t message) {
    const HWND window = window_;
    return [window, message] { PostMessageW(window, message, 0, 0); };
}

bool WinShell::path_exists(const std::string& path) {
    const std::u16string long_path = to_long_path(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(reinterpret_cast<const wchar_t*>(long_path.c_str()),
                                GetFileExInfoStandard, &data) != FALSE;
}

uint32_t WinShell::open_path(const std::string& path, ShellVerb verb) {
    return launcher_.shell_verb(to_wide(path), verb);
}

void WinShell::start_explorer(const std::string& argument) {
    const std::wstring explorer = explorer_path();
    if (explorer.empty()) return;
    (void)launcher_.start_process(explorer, explorer_command_line(explorer, to_wide(argument)));
}

void WinShell::open_url(const std::string& url) {
    launcher_.shell_open(to_wide(url));
}

std::optional<std::string> WinShell::executable_path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::nullopt;
        if (length < path.size()) {
            path.resize(length);
            return from_wide(path);
        }
        if (path.size() >= 32768) return std::nullopt;
        path.resize(path.size() * 2);
    }
}

void WinShell::start_update_check(bool manual) {
    if (updates_.check) updates_.check(manual);
}

void WinShell::start_update_download(const UpdateInfo& info) {
    if (updates_.download) updates_.download(info);
}

std::optional<Deferred> WinShell::take_deferred() {
    if (deferred_.empty()) return std::nullopt;
    Deferred work = std::move(deferred_.front());
    deferred_.pop_front();
    return work;
}

bool register_hot_key(HWND window) {
    return RegisterHotKey(window, HOT_KEY_ID, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, 'F') != FALSE;
}

void apply_dark_title_bar(HWND window, bool dark) {
    const BOOL value = dark ? TRUE : FALSE;
    DwmSetWindowAttribute(window, 20, &value, sizeof value);
}

}  // namespace norvik
