// The window's handlers reach Windows only through these two ports: Shell (the window, the
// clipboard, the IME, the file system and shell, and work that must wait until the handler
// returns) and SettingsStore (the current user's registry values). The Windows program
// implements them over Win32; native tests use fakes that record what would have happened.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/core/messages.h"
#include "app/core/update_info.h"

namespace norvik {

using Clock = std::chrono::steady_clock;

struct Point {
    float x = 0, y = 0;

    bool operator==(const Point&) const = default;
};

// One item of a popup menu: a command, a separator or a submenu.
struct MenuItem {
    uint32_t id = 0;  // the command; 0 for separators and submenus
    std::string text;
    bool checked = false;
    bool is_default = false;  // drawn bold
    bool separator = false;
    std::vector<MenuItem> submenu;  // not empty: a popup

    bool operator==(const MenuItem&) const = default;
};

enum class MenuKind : uint8_t { Settings, Tray, Context, Header };

// A pointer shape the window shows in place of its class's arrow: the west-east arrows over a
// border between two column headers (IDC_SIZEWE).
enum class CursorShape : uint8_t { ResizeColumn };

// What a result is handed to the shell for: its program, the system's "Open with" chooser, or
// its properties dialog.
enum class ShellVerb : uint8_t { Open, OpenWith, Properties };

// A popup menu to show. At a client point (settings button, result row, column header), or at
// the cursor after bringing the window to the front (tray). The chosen command comes back as
// on_menu_command.
struct MenuRequest {
    MenuKind kind = MenuKind::Settings;
    std::vector<MenuItem> items;
    std::optional<Point> at_client;  // nothing: at the cursor (tray menu)
};

// A message box. Purpose tells the window what to do with the answer.
enum class MessagePurpose : uint8_t { About, UpdateQuestion, OpenMany };
struct MessageBoxRequest {
    MessagePurpose purpose = MessagePurpose::About;
    std::string caption;
    std::string text;
    bool yes_no = false;  // Yes/No buttons (the update question); else OK
};

// The system's folder picker. The chosen folder comes back as on_folder_picked.
struct FolderPickerRequest {
    bool operator==(const FolderPickerRequest&) const = default;
};

// What a list of files and folders is handed to the system's shell for. Each shows the system's
// own window, dialog or menu, or runs its own loop (a drag), so it is Deferred work.
enum class ItemsOperation : uint8_t {
    Recycle,        // to the Recycle Bin, through the system's file operation (its undo works)
    DeleteForGood,  // deleted for good, only after the system's own confirmation
    SystemMenu,     // the file manager's context menu for the items, at `at_client`
    Drag,           // an OLE drag of the items out of the window (the button is down)
    Properties,     // the system's properties sheet (one for several items)
    ShowInFolders,  // each folder opened once with its items selected in it
};
struct ItemsRequest {
    ItemsOperation operation = ItemsOperation::Recycle;
    std::vector<std::string> paths;  // full paths, UTF-8
    std::optional<Point> at_client;
    bool extended = false;  // SystemMenu opened with Shift: the system's extended verbs too

    bool operator==(const ItemsRequest&) const = default;
};

// What an export writes: CSV for a spreadsheet, or one full path a line.
enum class ExportFormat : uint8_t { Csv, PathList };

// The system's save dialog for an export, suggesting `file_name`. The chosen file and format
// come back as on_export_file_chosen.
struct SaveDialogRequest {
    std::string file_name;

    bool operator==(const SaveDialogRequest&) const = default;
};

// DestroyWindow on the main window: the program ends (Quit, the update hand-off).
struct DestroyRequest {
    bool operator==(const DestroyRequest&) const = default;
};

// Work that runs a modal loop or ends the window. A handler never does it while it holds App:
// the shell performs it after the handler has returned, then reports the outcome as a new event.
using Deferred = std::variant<MenuRequest, MessageBoxRequest, FolderPickerRequest, DestroyRequest,
                              ItemsRequest, SaveDialogRequest>;

class SettingsStore;

class Shell {
  public:
    virtual ~Shell() = default;

    virtual SettingsStore& settings() = 0;

    virtual Clock::time_point now() = 0;

    // The window.
    virtual void invalidate() = 0;
    virtual bool is_visible() = 0;
    // Shows the window: the first time (first_time) from the saved placement or centred on the
    // work area; later restored if minimised, else shown; then brought to the front and focused.
    virtual void show_window(bool first_time) = 0;
    // Saves the placement, then hides the window.
    virtual void hide_window() = 0;
    // Saves the window placement (shutdown while visible).
    virtual void save_placement() = 0;
    virtual void set_dark_title_bar(bool dark) = 0;
    virtual void set_timer(Timer timer, uint32_t milliseconds) = 0;
    virtual void kill_timer(Timer timer) = 0;
    virtual void set_capture() = 0;
    virtual void release_capture() = 0;
    // TrackMouseEvent(TME_LEAVE): a WM_MOUSELEAVE comes when the mouse leaves the window.
    virtual void track_mouse_leave() = 0;
    // WM_SETCURSOR: shows `shape` until the pointer moves again.
    virtual void set_cursor(CursorShape shape) = 0;
    // Moves the IME composition window to client pixel (x, y).
    virtual void place_ime_window(int x, int y) = 0;
    virtual void remove_tray_icon() = 0;
    virtual void unregister_hot_key() = 0;

    // The clipboard's Unicode text: true when the clipboard took it.
    [[nodiscard]] virtual bool set_clipboard_text(std::u16string_view text) = 0;
    // The clipboard's Unicode text up to its terminating zero, at most 1,048,576 units; nothing
    // when there is none or the clipboard cannot be opened.
    virtual std::optional<std::u16string> clipboard_text() = 0;

    // The files themselves on the clipboard, as the file manager puts them there (the shell's
    // data object with CF_HDROP), so that a paste in a folder or a mail copies them: true when
    // the clipboard took them.
    [[nodiscard]] virtual bool copy_files(const std::vector<std::string>& paths) = 0;
    // A function that any thread may call to post `message` to the window (a worker's news).
    virtual std::function<void()> poster(uint32_t message) = 0;

    // The file system and the shell. Paths are UTF-8.
    virtual bool path_exists(const std::string& path) = 0;
    // Hands path to the shell for verb: 0 when the shell took it, else the Windows error code
    // (app/core/open_failure.h puts it in words).
    [[nodiscard]] virtual uint32_t open_path(const std::string& path, ShellVerb verb) = 0;
    // Starts explorer.exe (by its full path in the Windows folder) with `argument` as its
    // command-line argument, passed exactly as given.
    virtual void start_explorer(const std::string& argument) = 0;
    virtual void open_url(const std::string& url) = 0;
    // The running program's full path; nothing when it cannot be had.
    virtual std::optional<std::string> executable_path() = 0;

    // The updater's threads.
    virtual void start_update_check(bool manual) = 0;
    virtual void start_update_download(const UpdateInfo& info) = 0;

    // Queues work that must wait until the handler has returned (see Deferred).
    virtual void defer(Deferred work) = 0;
};

// Registry values of the current user: Software\Norvik, the Run value, the theme. A value that
// is missing, of another type, or in a missing key reads as nothing. Writes return false when
// they failed (the old value stays).
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    // Under Software\Norvik.
    virtual std::optional<uint32_t> read_dword(std::string_view name) = 0;
    virtual std::optional<std::string> read_string(std::string_view name) = 0;
    virtual std::optional<std::vector<uint8_t>> read_binary(std::string_view name) = 0;
    virtual bool write_dword(std::string_view name, uint32_t value) = 0;
    virtual bool write_string(std::string_view name, std::string_view value) = 0;
    virtual bool write_binary(std::string_view name, std::span<const uint8_t> value) = 0;
    // REG_MULTI_SZ: its strings in order (an empty value is an empty list).
    virtual std::optional<std::vector<std::string>> read_multi_string(std::string_view name) = 0;
    virtual bool write_multi_string(std::string_view name, std::span<const std::string> values) = 0;

    // The value Norvik under Software\Microsoft\Windows\CurrentVersion\Run.
    virtual std::optional<std::string> read_run_command() = 0;
    virtual bool write_run_command(std::string_view command) = 0;
    virtual bool delete_run_command() = 0;

    // AppsUseLightTheme under Software\Microsoft\Windows\CurrentVersion\Themes\Personalize.
    virtual std::optional<uint32_t> read_apps_use_light_theme() = 0;
};

}  // namespace norvik
