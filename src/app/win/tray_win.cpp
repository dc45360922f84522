#include "app/win/tray_win.h"

#include <shellapi.h>

#include <cwchar>

#include "app/core/messages.h"

namespace norvik {
namespace {

constexpr UINT TRAY_ICON_ID = 1;
static_assert(sizeof(NOTIFYICONDATAW) == 976);

NOTIFYICONDATAW icon_data(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = TRAY_ICON_ID;
    return data;
}

}  // namespace

TrayIcon::TrayIcon(HWND window)
    : window_(window),
      icon_(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                          IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                          GetSystemMetrics(SM_CYSMICON), 0))) {}

bool TrayIcon::add() {
    wanted_ = true;
    NOTIFYICONDATAW data = icon_data(window_);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_APP_TRAY;
    data.hIcon = icon_.get();
    // The tip names the hot key even when another program holds it.
    wcsncpy(data.szTip, L"Norvik (Ctrl+Alt+F)", std::size(data.szTip) - 1);
    // NIM_ADD can report failure although the icon was added (a taskbar slow to answer, or an
    // icon of ours that is still there): then it is ours to update, and NIM_MODIFY succeeds.
    shown_ =
        Shell_NotifyIconW(NIM_ADD, &data) != FALSE || Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    return shown_;
}

void TrayIcon::retry() {
    if (wanted_ && !shown_) add();
}

void TrayIcon::remove() {
    wanted_ = false;
    // Even when no add was seen to succeed: one that reported failure may still have added the
    // icon, which would otherwise stay in the notification area after the program has ended.
    NOTIFYICONDATAW data = icon_data(window_);
    Shell_NotifyIconW(NIM_DELETE, &data);
    shown_ = false;
}

}  // namespace norvik
