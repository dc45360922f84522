// The window as UI Automation sees it: WM_GETOBJECT(UiaRootObjectId) is answered with a provider
// for the window, whose fragments (the search box, the menu button, the tabs, the column
// headers, the result rows made on demand, the status line) answer every question from the
// core's description of the window (app/view/accessibility_tree.h) and act through
// app/input/element_actions.h. uiautomationcore.dll is loaded at run time: MinGW ships no import
// library for it, and Wine lacks some of its functions (UiaRaiseNotificationEvent), which are
// then done without.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <uiautomationcore.h>

#include <optional>

#include "app/core/app.h"

namespace norvik {

// Sent by a provider called on another thread to run its work on the window's thread.
inline constexpr UINT WM_APP_ACCESSIBILITY = 0x8010;

// The answer to WM_GETOBJECT and WM_APP_ACCESSIBILITY; nothing for other messages (and for
// WM_GETOBJECT asking for another object, or when UI Automation cannot be loaded).
std::optional<LRESULT> answer_accessibility_message(HWND window, UINT message, WPARAM wparam,
                                                    LPARAM lparam);

// After a handler ran: raises the events that its changes call for (focus, selection, structure,
// the box's value, the status line as a live region, the count of results as a notification),
// only once a client has asked for the tree.
void raise_accessibility_events(const App& app, HWND window);

// The window's root provider (added a reference), as WM_GETOBJECT hands it out: for tests that
// read the patterns in-process which Wine's client does not reach.
IRawElementProviderSimple* accessibility_root(HWND window);

// The window goes: its providers are disconnected and answer no more.
void release_accessibility(HWND window);

}  // namespace norvik
