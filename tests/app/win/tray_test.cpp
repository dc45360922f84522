// The notification-area icon against the system's own: an add that reports failure though the
// icon is there, and a removal that leaves no icon behind.
#include "app/win/tray_win.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include "app/win/win_test_support.h"

namespace norvik {
namespace {

// The icon TrayIcon manages (uID 1 of the window), as another call would address it.
NOTIFYICONDATAW same_icon(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 1;
    return data;
}

bool icon_present(HWND window) {
    NOTIFYICONDATAW data = same_icon(window);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

TEST(TrayIconTest, AnAddReportedAsFailedIsUpdatedInsteadAndRemovalAlwaysDeletes) {
    testing::TestWindow owner;
    NOTIFYICONDATAW planted = same_icon(owner.get());
    // The icon already there, as after an add that reported failure: NIM_ADD now fails.
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &planted));
    ASSERT_FALSE(Shell_NotifyIconW(NIM_ADD, &planted));

    TrayIcon tray(owner.get());
    EXPECT_TRUE(tray.add()) << "taken over with NIM_MODIFY";
    tray.retry();  // shown: nothing to do
    EXPECT_TRUE(icon_present(owner.get()));
    tray.remove();
    EXPECT_FALSE(icon_present(owner.get()));

    // An icon this object never saw added still goes on removal: no ghost after Quit.
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &planted));
    TrayIcon unsure(owner.get());
    unsure.remove();
    EXPECT_FALSE(icon_present(owner.get()));
}

}  // namespace
}  // namespace norvik
