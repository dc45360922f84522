// WM_KEYDOWN and WM_SYSKEYDOWN: the search box's editing keys, the result list's moves, the
// filter tabs, the result actions and the focus ring. Plain letters are left to WM_CHAR.
// Tab and Shift+Tab move the focus between the search box, the filter tabs, the column headers,
// the list and the menu button; Ctrl+Tab and Ctrl+Shift+Tab switch the filter tab wherever the
// focus is, and Alt+1 ... Alt+7 choose one. On the tabs, Left and Right switch the tab; on the
// headers they move between columns, Enter or Space sorts by the column, and Shift+F10 or the
// Menu key opens its menu (the orders, Wider and Narrower); on the menu button, Enter or Space
// opens the settings menu.
#pragma once

#include <cstdint>

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// Virtual-key codes the window acts on.
enum VirtualKey : uint32_t {
    VK_KEY_BACK = 0x08,
    VK_KEY_TAB = 0x09,
    VK_KEY_RETURN = 0x0D,
    VK_KEY_ESCAPE = 0x1B,
    VK_KEY_SPACE = 0x20,
    VK_KEY_PRIOR = 0x21,  // Page Up
    VK_KEY_NEXT = 0x22,   // Page Down
    VK_KEY_END = 0x23,
    VK_KEY_HOME = 0x24,
    VK_KEY_LEFT = 0x25,
    VK_KEY_UP = 0x26,
    VK_KEY_RIGHT = 0x27,
    VK_KEY_DOWN = 0x28,
    VK_KEY_DELETE = 0x2E,
    VK_KEY_1 = 0x31,  // Alt+1 ... Alt+7: the filter tabs
    VK_KEY_A = 0x41,
    VK_KEY_C = 0x43,
    VK_KEY_S = 0x53,
    VK_KEY_V = 0x56,
    VK_KEY_X = 0x58,
    VK_KEY_Z = 0x5A,
    VK_KEY_APPS = 0x5D,  // the Menu key
    VK_KEY_F5 = 0x74,
    VK_KEY_F10 = 0x79,
};

// A key press with the modifier states read when the message arrived.
struct KeyEvent {
    uint32_t key = 0;  // virtual-key code
    bool ctrl = false;
    bool shift = false;
    bool alt = false;     // Alt, or the Alt half of AltGr (which Windows reports as Ctrl+Alt)
    bool repeat = false;  // the key was already down: Windows repeats a held key
};

// Acts on the key and searches again (resetting the selection) if the query changed; repaints
// only when no search was started (a search's results bring the frame). Returns
// false for keys the window leaves to DefWindowProcW. Ctrl shortcuts act only while Alt is up,
// so AltGr+A, C, X and V reach WM_CHAR and type their letters.
bool on_key_down(App& app, Shell& shell, const KeyEvent& event);

}  // namespace norvik
