#include "app/win/window_proc_win.h"

#include <algorithm>

#include "app/win/folder_picker_win.h"
#include "app/win/menus_win.h"
#include "app/win/message_box_win.h"
#include "app/win/save_dialog_win.h"
#include "app/win/shell_items_win.h"
#include "app/win/trace_win.h"
#include "app/win/win_raii.h"

namespace norvik {
namespace {

thread_local WindowHost host;

// Messages that may not be lost when they arrive while App is lent out: the workers' news, the
// end of the window or the session, and size and DPI changes (sent from inside SetWindowPos,
// ShowWindow and SetWindowPlacement, which handlers call).
bool must_hold(UINT message) {
    switch (message) {
        case WM_SIZE:
        case WM_DESTROY:
        case WM_ENDSESSION:
        case WM_DPICHANGED:
        case WM_SETTINGCHANGE:
        case WM_APP_SEARCH_DONE:
        case WM_APP_UPDATE_INFO:
        case WM_APP_UPDATE_READY:
        case WM_APP_TRAY:
        case WM_APP_SHOW:
        case WM_APP_INDEX_CHANGED:
        case WM_APP_EXPORT:
            return true;
        default:
            return false;
    }
}

void hold(UINT message, WPARAM wparam, LPARAM lparam) {
    HeldMessage held{message, wparam, lparam, {}};
    if (message == WM_DPICHANGED && lparam) held.rect = *reinterpret_cast<const RECT*>(lparam);
    if (message == WM_SIZE)  // only the latest size matters
        std::erase_if(host.held, [](const HeldMessage& m) { return m.message == WM_SIZE; });
    host.held.push_back(held);
}

// Lends App for one step; the caller handles what was held and what was deferred.
template <class Work>
void lend(Work&& work) {
    host.lent = true;
    work(*host.app);
    host.lent = false;
}

// After WM_DESTROY: App (renderer and all) goes, nothing queued for it stays, the loop ends.
void finish_destroyed_window() {
    host.app.reset();
    host.held.clear();
    while (host.shell && host.shell->take_deferred()) {
    }
    PostQuitMessage(0);
}

void perform(const Deferred& work) {
    WinShell& shell = *host.shell;
    if (const MenuRequest* menu = std::get_if<MenuRequest>(&work)) {
        const uint32_t command = track_menu(shell.window(), *menu);
        if (command != 0 && host.handlers.menu_command)
            with_app(
                [&](App& app) { host.handlers.menu_command(app, shell, menu->kind, command); });
    } else if (const MessageBoxRequest* box = std::get_if<MessageBoxRequest>(&work)) {
        const int answer = show_message_box(shell.window(), *box);
        if (host.handlers.message_box_answer)
            with_app([&](App& app) { host.handlers.message_box_answer(app, shell, *box, answer); });
    } else if (std::holds_alternative<FolderPickerRequest>(work)) {
        const std::optional<std::string> folder = pick_folder(shell.window());
        if (folder && host.handlers.folder_picked)
            with_app([&](App& app) { host.handlers.folder_picked(app, shell, *folder); });
    } else if (const ItemsRequest* items = std::get_if<ItemsRequest>(&work)) {
        const uint32_t error = perform_items(shell.window(), *items);
        if (error != 0 && host.handlers.items_failed)
            with_app([&](App& app) { host.handlers.items_failed(app, shell, *items, error); });
    } else if (const SaveDialogRequest* save = std::get_if<SaveDialogRequest>(&work)) {
        const std::optional<ChosenFile> file = choose_export_file(shell.window(), save->file_name);
        if (file && host.handlers.export_file_chosen)
            with_app([&](App& app) {
                host.handlers.export_file_chosen(app, shell, file->path, file->format);
            });
    } else {
        DestroyWindow(shell.window());
    }
}

// What was held while App was lent, then the Deferred work, each step with App free again.
void after_handler() {
    while (!host.lent) {
        if (host.app && host.app_destroyed) {
            host.app_destroyed = false;
            finish_destroyed_window();
            return;
        }
        if (!host.app) return;
        if (!host.held.empty()) {
            const HeldMessage held = host.held.front();
            host.held.erase(host.held.begin());
            lend([&](App& app) {
                (void)host.handlers.message(app, *host.shell, host.shell->window(), held.message,
                                            held.wparam, held.lparam, &held.rect);
            });
            continue;
        }
        if (host.repaint_held) {
            host.repaint_held = false;
            InvalidateRect(host.shell->window(), nullptr, FALSE);
        }
        std::optional<Deferred> work = host.shell->take_deferred();
        if (!work) return;
        perform(*work);
    }
}

}  // namespace

WindowHost& window_host() {
    return host;
}

void fill_client(HWND window, HDC dc, COLORREF colour) {
    RECT client{};
    if (!GetClientRect(window, &client)) return;
    const BrushHandle brush(CreateSolidBrush(colour));
    if (!brush) return;
    if (dc) {
        FillRect(dc, &client, brush.get());
        return;
    }
    if (HDC own = GetDC(window)) {
        FillRect(own, &client, brush.get());
        ReleaseDC(window, own);
    }
}

void with_app(const std::function<void(App&)>& work) {
    if (!host.app || host.lent) return;
    lend(work);
    after_handler();
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    // The shell's context menu draws and fills its own submenus ("Send to").
    if (LRESULT answer = 0; forward_to_shell_menu(message, wparam, lparam, answer)) return answer;
    // Answers that need no App, so they hold before it exists and while it is lent.
    switch (message) {
        case WM_ERASEBKGND:
            // Once a canvas draws the window, an erase would only flicker under its frames.
            if (!host.frame_shown)
                fill_client(window, reinterpret_cast<HDC>(wparam), host.background);
            return 1;
        case WM_QUERYENDSESSION:
            return TRUE;
        default:
            break;
    }
    if (message == host.taskbar_created && host.taskbar_created != 0 && host.shell) {
        host.shell->tray().add();  // Explorer restarted: the icon is gone from its new taskbar
        return 0;
    }
    if (!host.app || !host.shell || !host.handlers.message)
        return DefWindowProcW(window, message, wparam, lparam);
    if (host.lent) {
        if (must_hold(message)) {
            hold(message, wparam, lparam);
            return 0;
        }
        if (message == WM_PAINT) host.repaint_held = true;  // DefWindowProcW validates it
        return DefWindowProcW(window, message, wparam, lparam);
    }
    std::optional<LRESULT> answer;
    with_app([&](App& app) {
        answer = host.handlers.message(app, *host.shell, window, message, wparam, lparam, nullptr);
    });
    return answer ? *answer : DefWindowProcW(window, message, wparam, lparam);
}

void mark_window_destroyed() {
    host.app_destroyed = true;
}

}  // namespace norvik
