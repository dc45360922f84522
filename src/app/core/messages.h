// The window messages the workers post to the main window, and the window's timers. Plain
// numbers: the shell's window procedure and the posting helpers share them.
#pragma once

#include <cstdint>

namespace norvik {

inline constexpr uint32_t WM_APP_SEARCH_DONE = 0x8001;    // a result waits in the result slot
inline constexpr uint32_t WM_APP_UPDATE_INFO = 0x8002;    // the update check finished
inline constexpr uint32_t WM_APP_UPDATE_READY = 0x8003;   // the installer download finished
inline constexpr uint32_t WM_APP_TRAY = 0x8004;           // mouse event on the tray icon
inline constexpr uint32_t WM_APP_SHOW = 0x8005;           // a second instance asks to be shown
inline constexpr uint32_t WM_APP_INDEX_CHANGED = 0x800A;  // wParam: IndexChange
inline constexpr uint32_t WM_APP_EXPORT = 0x800B;         // an export wrote rows or finished

// The main window's answer to WM_APP_SHOW when it showed itself; a window without App (starting
// up, or gone with Quit) answers 0, and the second start tries again.
inline constexpr intptr_t SHOW_TAKEN = 1;

enum class Timer : uint32_t {
    Toast = 1,    // TIMER_TOAST, 2,500 ms after a toast was set
    Refresh = 2,  // TIMER_REFRESH, the debounced search after an index change
    Tick = 3,     // TIMER_TICK, every 500 ms
    Update = 4,   // TIMER_UPDATE, every 6 hours
    Caret = 5,    // TIMER_CARET, once, CARET_MS after a search started with no frame drawn yet
    // The program's own, handled before the core sees timers: the canvas made again a second
    // after a failure. Listed here so that no timer of the core's takes its id.
    RendererRetry = 6,
    Tooltip = 7,  // TIMER_TOOLTIP, once, TOOLTIP_MS after the pointer came to rest on a row
};

inline constexpr uint32_t TOAST_MS = 2500;
// A toast with an Undo stays longer: long enough to read it and reach its button.
inline constexpr uint32_t UNDO_TOAST_MS = 6000;
inline constexpr uint32_t TICK_MS = 500;
// The longest the typed text and the caret wait for the results they asked for before they are
// drawn over the old rows.
inline constexpr uint32_t CARET_MS = 30;
// How long the pointer rests on a cut-short name or folder before the whole text shows.
inline constexpr uint32_t TOOLTIP_MS = 500;
inline constexpr uint32_t UPDATE_MS = 21'600'000;

}  // namespace norvik
