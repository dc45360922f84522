// Fakes of the window's two ports for native tests: FakeShell records what the handlers asked
// Windows to do, MemorySettings keeps registry values in maps.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/core/shell.h"

namespace norvik::testing {

class MemorySettings : public SettingsStore {
  public:
    std::map<std::string, uint32_t, std::less<>> dwords;
    std::map<std::string, std::string, std::less<>> strings;
    std::map<std::string, std::vector<uint8_t>, std::less<>> binaries;
    std::map<std::string, std::vector<std::string>, std::less<>> multi_strings;
    std::optional<std::string> run_command;
    std::optional<uint32_t> apps_use_light_theme;
    bool writes_fail = false;

    std::optional<uint32_t> read_dword(std::string_view name) override {
        auto it = dwords.find(name);
        return it == dwords.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<std::string> read_string(std::string_view name) override {
        auto it = strings.find(name);
        return it == strings.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<std::vector<uint8_t>> read_binary(std::string_view name) override {
        auto it = binaries.find(name);
        return it == binaries.end() ? std::nullopt : std::optional(it->second);
    }
    bool write_dword(std::string_view name, uint32_t value) override {
        if (writes_fail) return false;
        dwords[std::string(name)] = value;
        return true;
    }
    bool write_string(std::string_view name, std::string_view value) override {
        if (writes_fail) return false;
        strings[std::string(name)] = std::string(value);
        return true;
    }
    bool write_binary(std::string_view name, std::span<const uint8_t> value) override {
        if (writes_fail) return false;
        binaries[std::string(name)] = std::vector<uint8_t>(value.begin(), value.end());
        return true;
    }
    std::optional<std::vector<std::string>> read_multi_string(std::string_view name) override {
        auto it = multi_strings.find(name);
        return it == multi_strings.end() ? std::nullopt : std::optional(it->second);
    }
    bool write_multi_string(std::string_view name, std::span<const std::string> values) override {
        if (writes_fail) return false;
        multi_strings[std::string(name)] = std::vector<std::string>(values.begin(), values.end());
        return true;
    }
    std::optional<std::string> read_run_command() override { return run_command; }
    bool write_run_command(std::string_view command) override {
        if (writes_fail) return false;
        run_command = std::string(command);
        return true;
    }
    bool delete_run_command() override {
        if (writes_fail) return false;
        run_command.reset();
        return true;
    }
    std::optional<uint32_t> read_apps_use_light_theme() override { return apps_use_light_theme; }
};

class FakeShell : public Shell {
  public:
    MemorySettings memory_settings;
    Clock::time_point clock{};  // tests move it forward
    bool visible = true;
    bool captured = false;
    int invalidations = 0;
    int shows = 0;
    int first_shows = 0;
    int hides = 0;
    int placement_saves = 0;
    int mouse_leave_requests = 0;
    std::vector<CursorShape> cursors;  // every shape asked for, in order
    int tray_removals = 0;
    int hot_key_removals = 0;
    std::optional<bool> dark_title_bar;
    std::map<Timer, uint32_t> timers;  // armed timers and their periods
    std::optional<std::pair<int, int>> ime_window;
    std::optional<std::u16string> clipboard;  // what the clipboard holds
    bool clipboard_fails = false;
    std::vector<std::string> existing_paths;
    std::vector<std::string> opened_paths;                       // ShellVerb::Open
    std::vector<std::pair<ShellVerb, std::string>> shell_verbs;  // every verb, in order
    uint32_t open_error = 0;                                     // what open_path answers
    std::vector<std::string> explorer_arguments;
    std::vector<std::string> opened_urls;
    std::optional<std::string> executable = std::string("C:\\Program Files\\Norvik\\Norvik.exe");
    std::vector<bool> update_checks;  // the manual flag of each check started
    std::vector<UpdateInfo> update_downloads;
    std::vector<Deferred> deferred;
    std::vector<std::vector<std::string>> copied_files;  // each list put on the clipboard
    std::vector<uint32_t> posts;  // messages posted through poster(), from any thread
    std::mutex posts_mutex;

    SettingsStore& settings() override { return memory_settings; }
    Clock::time_point now() override { return clock; }

    void invalidate() override { ++invalidations; }
    bool is_visible() override { return visible; }
    void show_window(bool first_time) override {
        ++shows;
        if (first_time) ++first_shows;
        visible = true;
    }
    void hide_window() override {
        ++hides;
        ++placement_saves;
        visible = false;
    }
    void save_placement() override { ++placement_saves; }
    void set_dark_title_bar(bool dark) override { dark_title_bar = dark; }
    void set_timer(Timer timer, uint32_t milliseconds) override { timers[timer] = milliseconds; }
    void kill_timer(Timer timer) override { timers.erase(timer); }
    void set_capture() override { captured = true; }
    void release_capture() override { captured = false; }
    void track_mouse_leave() override { ++mouse_leave_requests; }
    void set_cursor(CursorShape shape) override { cursors.push_back(shape); }
    void place_ime_window(int x, int y) override { ime_window = std::pair(x, y); }
    void remove_tray_icon() override { ++tray_removals; }
    void unregister_hot_key() override { ++hot_key_removals; }

    bool set_clipboard_text(std::u16string_view text) override {
        if (clipboard_fails) return false;
        clipboard = std::u16string(text);
        return true;
    }
    std::optional<std::u16string> clipboard_text() override {
        if (clipboard_fails) return std::nullopt;
        return clipboard;
    }

    bool copy_files(const std::vector<std::string>& paths) override {
        if (clipboard_fails) return false;
        copied_files.push_back(paths);
        return true;
    }
    std::function<void()> poster(uint32_t message) override {
        return [this, message] {
            std::lock_guard lock(posts_mutex);
            posts.push_back(message);
        };
    }

    bool path_exists(const std::string& path) override {
        for (const std::string& existing : existing_paths)
            if (existing == path) return true;
        return false;
    }
    uint32_t open_path(const std::string& path, ShellVerb verb) override {
        if (verb == ShellVerb::Open) opened_paths.push_back(path);
        shell_verbs.emplace_back(verb, path);
        return open_error;
    }
    void start_explorer(const std::string& argument) override {
        explorer_arguments.push_back(argument);
    }
    void open_url(const std::string& url) override { opened_urls.push_back(url); }
    std::optional<std::string> executable_path() override { return executable; }

    void start_update_check(bool manual) override { update_checks.push_back(manual); }
    void start_update_download(const UpdateInfo& info) override {
        update_downloads.push_back(info);
    }

    void defer(Deferred work) override { deferred.push_back(std::move(work)); }
};

}  // namespace norvik::testing
