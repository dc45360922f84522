// The main window's procedure and the state it keeps on the UI thread: App in its thread-local
// slot, lent to one handler at a time. While App is lent out (a handler is running and Windows
// sends the window a message from inside one of its calls), the messages that must not be lost
// are held and handled once the handler has returned; the rest go to DefWindowProcW. Work that
// runs a modal loop or ends the window (menus, message boxes, DestroyWindow) is queued by the
// handlers on the Shell and performed here after they returned, never while App is lent out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/core/app.h"
#include "app/win/win_shell_win.h"

namespace norvik {

// How the window gets its Canvas: the Direct2D renderer in the program, fakes in tests. The
// program's window_canvas_win.h makes, replaces and resizes the canvas with it.
struct RendererFactory {
    // A new canvas for the window at dpi; null when it cannot be made.
    std::function<std::unique_ptr<Canvas>(HWND window, uint32_t dpi)> create;
    std::function<void(Canvas& canvas, uint32_t width, uint32_t height)> resize;
    std::function<void(Canvas& canvas, uint32_t dpi)> rebuild_fonts;
};

// What the window does with App in hand: the program's message map (dispatch_win.h), or a
// test's.
struct WindowHandlers {
    // The answer to a message; nothing: DefWindowProcW. held_rect: WM_DPICHANGED's suggested
    // rectangle when the message was held (its lparam pointer is gone by then), else null.
    std::function<std::optional<LRESULT>(App& app, WinShell& shell, HWND window, UINT message,
                                         WPARAM wparam, LPARAM lparam, const RECT* held_rect)>
        message;
    // A menu closed with a command chosen.
    std::function<void(App& app, WinShell& shell, MenuKind menu, uint32_t command)> menu_command;
    // A message box was answered (IDOK, IDYES, IDNO).
    std::function<void(App& app, WinShell& shell, const MessageBoxRequest& box, int answer)>
        message_box_answer;
    // A folder was chosen in the folder picker.
    std::function<void(App& app, WinShell& shell, const std::string& folder)> folder_picked;
    // A file was chosen in the export's save dialog.
    std::function<void(App& app, WinShell& shell, const std::string& path, ExportFormat format)>
        export_file_chosen;
    // The shell refused an ItemsRequest with a Windows error code.
    std::function<void(App& app, WinShell& shell, const ItemsRequest& request, uint32_t error)>
        items_failed;
    // Draws one frame on app.renderer; true when the canvas reported its device lost.
    std::function<bool(App& app)> paint;
};

// A message held while App was lent out. WM_DPICHANGED's suggested rectangle is copied, since
// its pointer is gone by then.
struct HeldMessage {
    UINT message = 0;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
    RECT rect{};
};

// The UI thread's window state.
struct WindowHost {
    std::unique_ptr<App> app;  // absent before start-up built it and after WM_DESTROY
    WinShell* shell = nullptr;
    RendererFactory renderers;
    WindowHandlers handlers;
    UINT taskbar_created = 0;  // RegisterWindowMessageW("TaskbarCreated")

    bool lent = false;
    bool app_destroyed = false;  // WM_DESTROY was handled: App goes once the handler returned
    std::vector<HeldMessage> held;
    bool repaint_held = false;  // a WM_PAINT came while App was lent
    // When creating a canvas last failed (GetTickCount64), to try again at most once a second.
    std::optional<uint64_t> renderer_failed_at;
    // Until a canvas has shown its first frame, the window is filled with the palette's
    // background by GDI (fill_client), so it never shows black or white while Direct2D starts.
    bool frame_shown = false;
    COLORREF background = RGB(0xF6, 0xF7, 0xF9);
};

// Fills the window's client area on dc (or, with no dc, on the window's own) with colour.
void fill_client(HWND window, HDC dc, COLORREF colour);

// This thread's host.
WindowHost& window_host();

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Lends App to work, then handles what was held meanwhile and performs the queued Deferred work.
// Nothing without App. The window procedure runs every handler through it; tests use it to act
// while App is lent out.
void with_app(const std::function<void(App&)>& work);

// App is dropped and the message loop ended once the WM_DESTROY handler has returned.
void mark_window_destroyed();

}  // namespace norvik
