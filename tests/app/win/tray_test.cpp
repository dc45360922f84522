// The notification-area icon against the system's own: an add that reports failure though the
// icon is there, and a removal that leaves no icon behind.
#include "app/win/tray_win.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include "app/win/win_test_support.h"

namespace norvik {
namespace {

TEST(TrayIconTest, AnAddReportedAsFailedIsUpdatedInsteadAndRemovalAlwaysDeletes) {
    testing::TestWindow owner;
    NOTIFYICONDATAW same{};  // uID 1 of the window, as TrayIcon addresses it
    same.cbSize = sizeof same;
    same.hWnd = owner.get();
    same.uID = 1;
    // The icon already there, as after an add that reported failure: NIM_ADD now fails.
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &same));
    TrayIcon tray(owner.get());
    EXPECT_TRUE(tray.add()) << "taken over with NIM_MODIFY";
    tray.remove();
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &same)) << "removed";

    // An icon this object never saw added still goes on removal: no ghost after Quit.
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &same));
    TrayIcon(owner.get()).remove();
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &same));
}

}  // namespace
}  // namespace norvik
