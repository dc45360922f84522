#include "app/program/dispatch_win.h"

#include <windowsx.h>

#include <mutex>
#include <shared_mutex>

#include "app/core/commands.h"
#include "app/core/export_results.h"
#include "app/core/item_actions.h"
#include "app/core/menus.h"
#include "app/core/settings.h"
#include "app/core/text_scale.h"
#include "app/core/window_events.h"
#include "app/input/element_actions.h"
#include "app/input/ime.h"
#include "app/input/keys.h"
#include "app/input/mouse.h"
#include "app/input/typed_char.h"
#include "app/program/window_canvas_win.h"
#include "app/updater/update_handlers.h"
#include "app/view/paint.h"
#include "app/win/ime_win.h"
#include "app/win/system_colors_win.h"
#include "app/win/trace_win.h"
#include "app/win/uia_provider_win.h"
#include "app/win/window_proc_win.h"
#include "search/resolve_hit.h"

namespace norvik {
namespace {

bool key_down(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// Mouse positions are the signed low and high words of lParam.
Point mouse_point(LPARAM lparam) {
    return Point{static_cast<float>(GET_X_LPARAM(lparam)),
                 static_cast<float>(GET_Y_LPARAM(lparam))};
}

ImeComposition read_composition(HWND window, LPARAM flags) {
    ImeComposition strings;
    if (flags & GCS_RESULTSTR) strings.result = ime_composition_string(window, GCS_RESULTSTR);
    if (flags & GCS_COMPSTR) strings.composition = ime_composition_string(window, GCS_COMPSTR);
    return strings;
}

// index-ready: the index can be searched; index-complete: and no scan is running any more.
void trace_index_change(const IndexService& service) {
    if (!tracing()) return;
    const char* event = "index-changed";
    if (service.index_ready.load())
        event = service.scans_in_progress.load() == 0 ? "index-complete" : "index-ready";
    trace_event(event, service.index_generation.load());
}

// What a query found, as its rows' full paths (the first ten), once the results answer the query
// the box shows: tests under Wine read the rows a typed query brought without reading pixels.
void trace_results(const App& app) {
    if (!tracing() || app.result_generation != app.query_generation) return;
    trace_text("results-for", display_query(app));
    std::shared_lock lock(app.engine.index->lock);
    for (size_t row = 0; row < app.results.size() && row < 10; ++row) {
        const Hit& hit = app.results[row];
        if (const VolumeTable* table = resolve_hit(*app.engine.index, app.table_ids, hit))
            trace_text("row", table->full_path(hit.entry, false));
    }
}

// A toast shown by the handler that just ran, by its text.
void trace_new_toast(const App& app, std::optional<Clock::time_point> shown_before) {
    if (!tracing() || !app.toast || app.toast->set_at == shown_before) return;
    trace_text("toast", app.toast->text);
}

std::optional<Clock::time_point> toast_time(const App& app) {
    if (!app.toast) return std::nullopt;
    return app.toast->set_at;
}

void on_tray_event(App& app, WinShell& shell, UINT mouse_message) {
    switch (mouse_message) {
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
            show_main_window(app, shell);
            break;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU:
            open_tray_menu(shell);
            break;
        default:
            break;
    }
}

void on_window_timer(App& app, WinShell& shell, HWND window, UINT_PTR id) {
    switch (id) {
        case static_cast<UINT_PTR>(Timer::Tick):
            shell.tray().retry();  // the taskbar may not have been ready at logon
            on_timer(app, shell, Timer::Tick);
            break;
        case static_cast<UINT_PTR>(Timer::Update):
            check_for_update_if_due(shell);
            break;
        case TIMER_RENDERER_RETRY:
            KillTimer(window, TIMER_RENDERER_RETRY);
            InvalidateRect(window, nullptr, FALSE);
            break;
        default:
            on_timer(app, shell, static_cast<Timer>(id));
            break;
    }
}

// held: the message came while App was lent, from inside one of the handler's own calls (the
// first SetWindowPlacement of a saved placement, onto a monitor of another DPI). The window's
// size was set by those calls, the last of them after this message, so its suggested rectangle
// is stale: applying it now would undo the placement. Only the scale follows then.
void on_dpi_message(App& app, WinShell& shell, HWND window, WPARAM wparam, const RECT& suggested,
                    bool held) {
    const uint32_t dpi = LOWORD(wparam);
    on_dpi_changed(app, shell, dpi);
    rebuild_renderer_fonts(app, drawing_dpi(app));
    if (held) return;
    // Sends WM_SIZE at once; it is held and handled when this handler has returned.
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::optional<LRESULT> dispatch_message(App& app, WinShell& shell, HWND window, UINT message,
                                        WPARAM wparam, LPARAM lparam, const RECT* held_rect) {
    switch (message) {
        case WM_GETMINMAXINFO: {
            const TrackSize size =
                min_track_size(text_scaled_dpi(GetDpiForWindow(window), app.text_scale));
            reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = POINT{size.width, size.height};
            return 0;
        }
        case WM_DESTROY:
            release_accessibility(window);
            on_destroy(app, shell);
            mark_window_destroyed();
            return 0;
        case WM_SIZE:
            on_size(app, shell, LOWORD(lparam), HIWORD(lparam));
            resize_renderer(app, LOWORD(lparam), HIWORD(lparam));
            follow_pointer(app, shell);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            on_focus_changed(app, shell);
            return std::nullopt;
        case WM_PAINT:
            paint_window(app, window);
            return 0;
        case WM_CLOSE:
            hide_main_window(app, shell);
            return 0;
        case WM_ENDSESSION:
            on_end_session(app, shell, wparam != 0, (lparam & ENDSESSION_CLOSEAPP) != 0);
            return 0;
        case WM_SETTINGCHANGE:
            follow_theme(app, shell);
            if (std::optional<SystemColors> colors = read_high_contrast();
                colors != app.high_contrast) {
                app.high_contrast = colors;
                shell.invalidate();
            }
            if (set_text_scale(app, shell, read_text_scale()))
                rebuild_renderer_fonts(app, drawing_dpi(app));
            return std::nullopt;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            // Bit 30 of lParam: the key was already down, so this is a held key's repeat.
            const KeyEvent key{static_cast<uint32_t>(wparam), key_down(VK_CONTROL),
                               key_down(VK_SHIFT), key_down(VK_MENU), (lparam & (1 << 30)) != 0};
            if (!on_key_down(app, shell, key)) return std::nullopt;
            // DefWindowProcW still sees a key taken with Alt held (Alt+Enter): it so learns that
            // Alt was not pressed alone. Otherwise letting Alt go before the other key calls the
            // window menu, which, with no menu to show, holds every key until Esc (measured under
            // Wine; wine-notes).
            if (message == WM_SYSKEYDOWN) DefWindowProcW(window, message, wparam, lparam);
            return 0;
        }
        case WM_SYSCHAR:
            // Alt+Enter was Properties at its WM_SYSKEYDOWN; its character would only make
            // DefWindowProcW look for a menu mnemonic and beep.
            if (wparam == L'\r') return 0;
            // Alt+1 ... Alt+7 chose a filter tab at their WM_SYSKEYDOWN.
            if (wparam >= L'1' && wparam <= L'7') return 0;
            return std::nullopt;
        case WM_CHAR:
            // Two events: when the key arrived (with its unit), and the generation of the search
            // it started (the paint that first shows that generation ends the keystroke's way).
            trace_event("char", wparam);
            on_char(app, shell, static_cast<char16_t>(wparam));
            trace_event("query", app.query_generation);
            return 0;
        case WM_IME_STARTCOMPOSITION:
            on_ime_start_composition(app, shell);
            return 0;
        case WM_IME_COMPOSITION:
            on_ime_composition(app, shell, read_composition(window, lparam));
            return 0;
        case WM_IME_ENDCOMPOSITION:
            on_ime_end_composition(app, shell);
            return 0;
        case WM_TIMER:
            on_window_timer(app, shell, window, wparam);
            return 0;
        case WM_MOUSEMOVE:
            on_mouse_move(app, shell, mouse_point(lparam));
            return 0;
        case WM_LBUTTONDOWN:
            on_left_button_down(app, shell, mouse_point(lparam), key_down(VK_SHIFT),
                                key_down(VK_CONTROL));
            return 0;
        case WM_LBUTTONUP:
            on_left_button_up(app, shell, mouse_point(lparam));
            return 0;
        case WM_LBUTTONDBLCLK:
            on_left_double_click(app, shell, mouse_point(lparam));
            return 0;
        case WM_RBUTTONUP:
            on_right_button_up(app, shell, mouse_point(lparam), (wparam & MK_SHIFT) != 0);
            return 0;
        case WM_CAPTURECHANGED:
            on_capture_lost(app, shell);
            return 0;
        case WM_MOUSEWHEEL:
            on_mouse_wheel_at_pointer(app, shell, GET_WHEEL_DELTA_WPARAM(wparam));
            return 0;
        case WM_SETCURSOR: {
            if (LOWORD(lparam) != HTCLIENT || reinterpret_cast<HWND>(wparam) != window)
                return std::nullopt;
            POINT at{};
            if (!GetCursorPos(&at) || !ScreenToClient(window, &at)) return std::nullopt;
            if (on_set_cursor(app, shell,
                              Point{static_cast<float>(at.x), static_cast<float>(at.y)}))
                return TRUE;
            return std::nullopt;
        }
        case WM_MOUSELEAVE:
            on_mouse_leave(app, shell);
            return 0;
        case WM_DPICHANGED:
            on_dpi_message(app, shell, window, wparam,
                           held_rect ? *held_rect : *reinterpret_cast<const RECT*>(lparam),
                           held_rect != nullptr);
            return 0;
        case WM_HOTKEY:
            if (wparam != HOT_KEY_ID) return std::nullopt;
            show_main_window(app, shell);
            return 0;
        case WM_APP_SEARCH_DONE:
            take_search_result(app, shell);
            follow_pointer(app, shell);
            trace_event("results", app.result_generation);
            trace_results(app);
            return 0;
        case WM_APP_UPDATE_INFO:
        case WM_APP_UPDATE_READY:
            (void)handle_update_message(app, shell, message);
            return 0;
        case WM_APP_TRAY:
            on_tray_event(app, shell, LOWORD(lparam));
            return 0;
        case WM_APP_SHOW:
            show_main_window(app, shell);
            return SHOW_TAKEN;
        case WM_APP_EXPORT:
            on_export_progress(app, shell);
            return 0;
        case WM_APP_INDEX_CHANGED:
            on_index_changed(app, shell, static_cast<IndexChange>(wparam));
            trace_index_change(*app.engine.service);
            return 0;
        default:
            return std::nullopt;
    }
}

void on_message_box_answer(App& app, WinShell& shell, const MessageBoxRequest& box, int answer) {
    if (box.purpose == MessagePurpose::UpdateQuestion)
        answer_update_question(app, shell, answer == IDYES);
    if (box.purpose == MessagePurpose::OpenMany) answer_open_question(app, shell, answer == IDYES);
}

}  // namespace

WindowHandlers program_handlers() {
    WindowHandlers handlers;
    handlers.message = [](App& app, WinShell& shell, HWND window, UINT message, WPARAM wparam,
                          LPARAM lparam, const RECT* held_rect) {
        const std::optional<Clock::time_point> toast_before = toast_time(app);
        const std::optional<LRESULT> answer =
            dispatch_message(app, shell, window, message, wparam, lparam, held_rect);
        trace_new_toast(app, toast_before);
        if (message != WM_DESTROY) raise_accessibility_events(app, window);
        return answer;
    };
    handlers.menu_command = [](App& app, WinShell& shell, MenuKind menu, uint32_t command) {
        const std::optional<Clock::time_point> toast_before = toast_time(app);
        on_menu_command(app, shell, menu, command);
        trace_new_toast(app, toast_before);
        raise_accessibility_events(app, shell.window());
    };
    handlers.message_box_answer = on_message_box_answer;
    handlers.folder_picked = [](App& app, WinShell& shell, const std::string& folder) {
        on_folder_picked(app, shell, folder);
    };
    handlers.export_file_chosen = [](App& app, WinShell& shell, const std::string& path,
                                     ExportFormat format) {
        start_export(app, shell, path, format);
    };
    handlers.items_failed = [](App& app, WinShell& shell, const ItemsRequest& request,
                               uint32_t error) {
        const std::optional<Clock::time_point> toast_before = toast_time(app);
        on_items_failed(app, shell, request, error);
        trace_new_toast(app, toast_before);
    };
    handlers.paint = [](App& app) { return paint(app); };
    handlers.element_action = [](App& app, WinShell& shell, ElementId id, ElementAction action) {
        return act_on_element(app, shell, id, action);
    };
    handlers.set_search_text = [](App& app, WinShell& shell, std::string_view text) {
        set_search_text(app, shell, text);
    };
    return handlers;
}

}  // namespace norvik
