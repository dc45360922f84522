// The notification-area icon: added at start-up, again when Explorer restarts, removed at
// shutdown.
#pragma once

#include <windows.h>

#include "app/win/win_raii.h"

namespace norvik {

class TrayIcon {
  public:
    // The icon will belong to window and report mouse events as WM_APP_TRAY.
    explicit TrayIcon(HWND window);

    // NIM_ADD, or NIM_MODIFY when the add reports failure though the icon is there. At logon
    // the taskbar may not be ready yet and both fail: the icon is then still wanted, and retry()
    // adds it on a later tick.
    bool add();
    // The 500 ms tick: adds the icon while it is wanted and missing.
    void retry();
    // NIM_DELETE, whatever the adds reported; the icon is no longer wanted.
    void remove();

  private:
    HWND window_;
    IconHandle icon_;
    bool wanted_ = false;
    bool shown_ = false;
};

}  // namespace norvik
