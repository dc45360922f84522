#include "app/updater/win/update_threads.h"

#include <windows.h>

#include <atomic>

#include <gtest/gtest.h>

#include "app/updater/update_handlers.h"
#include "app/updater/update_slots.h"
#include "app/updater/win/sha256_win.h"
#include "platform/win_handles.h"
#include "support/app_fixture.h"
#include "vendor.h"
#include "wine_fixture.h"

namespace norvik {
namespace {

using namespace testing;

// Counts the threads' reports, as the program posts a message to its window for each.
class Finished {
  public:
    UpdateFinished callback() {
        return [this] {
            ++count_;
            SetEvent(event_.get());
        };
    }
    bool wait() { return WaitForSingleObject(event_.get(), 30'000) == WAIT_OBJECT_0; }
    // The reports so far, after leaving time for a second thread (the stand-in curl takes a
    // second) to report too.
    int settled_count() {
        Sleep(2'000);
        return count_;
    }

  private:
    KernelHandle event_{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::atomic<int> count_{0};
};

TEST_F(UpdaterWineTest, OneCheckAtATimeAndAManualRequestJoinsTheRunningOne) {
    serve("update.json", R"({"version":"0.1.0","url":"https://a.example/s.exe","sha256":"00"})");
    set_variable(L"NORVIK_FAKE_CURL_DELAY_MS", L"1000");
    Finished finished;

    start_update_check_thread(false, finished.callback());
    start_update_check_thread(true, finished.callback());  // while the first runs

    ASSERT_TRUE(finished.wait());
    std::optional<UpdateCheckResult> result = update_check_slot().take();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->verdict, UpdateVerdict(UpToDate{}));
    EXPECT_TRUE(result->manual);
    const std::vector<Arguments> runs = curl_runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].back(), std::string(vendor::MANIFEST_URL) + "?v=0.1.0&lang=en");
    EXPECT_EQ(finished.settled_count(), 1);
}

TEST_F(UpdaterWineTest, OneDownloadAtATimeLeavesTheVerifiedInstallerInItsSlot) {
    const std::string bytes = installers("installer-good.exe");
    serve("Norvik-Setup-0.2.0.exe", bytes);
    set_variable(L"NORVIK_FAKE_CURL_DELAY_MS", L"1000");
    const UpdateInfo info{"0.2.0", INSTALLER_URL, *sha256_hex(bytes_of(bytes)), bytes.size()};
    Finished finished;

    start_update_download_thread(info, finished.callback());
    start_update_download_thread(info, finished.callback());  // while the first runs

    ASSERT_TRUE(finished.wait());
    std::optional<UpdateDownloadResult> result = update_download_slot().take();
    ASSERT_TRUE(result.has_value());
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<VerifiedInstaller>>(*result));
    EXPECT_EQ(std::get<0>(*result)->path(), updates() + "Norvik-Setup-0.2.0.exe");
    EXPECT_EQ(finished.settled_count(), 1);
    EXPECT_EQ(curl_runs().size(), 1u);
}

// The whole way, as the window sees it: a newer version on the site is noticed, asked about,
// downloaded, verified and started with the four switches, and the window closes.
TEST_F(UpdaterWineTest, ANewerVersionIsNoticedDownloadedVerifiedAndStarted) {
    const std::string bytes = installers("installer-good.exe");
    serve("Norvik-Setup-0.2.0.exe", bytes);
    serve("update.json", R"({"version":"0.2.0","url":")" + std::string(INSTALLER_URL) +
                             R"(","sha256":")" + *sha256_hex(bytes_of(bytes)) + R"(","size":)" +
                             std::to_string(bytes.size()) + "}");
    AppFixture f;
    Finished checked, downloaded;

    start_update_check_thread(false, checked.callback());
    ASSERT_TRUE(checked.wait());
    handle_update_message(f.app, f.shell, WM_APP_UPDATE_INFO);
    ASSERT_EQ(f.shell.deferred.size(), 1u);
    ASSERT_TRUE(std::holds_alternative<MessageBoxRequest>(f.shell.deferred[0]));
    answer_update_question(f.app, f.shell, true);
    ASSERT_EQ(f.shell.update_downloads.size(), 1u);

    start_update_download_thread(f.shell.update_downloads[0], downloaded.callback());
    ASSERT_TRUE(downloaded.wait());
    handle_update_message(f.app, f.shell, WM_APP_UPDATE_READY);
    ASSERT_EQ(f.shell.deferred.size(), 2u);
    EXPECT_TRUE(std::holds_alternative<DestroyRequest>(f.shell.deferred[1]));
    EXPECT_EQ(wait_for_installer_record(),
              (Arguments{"/SILENT", "/SUPPRESSMSGBOXES", "/NORESTART", "/UPDATE=1"}));
}

}  // namespace
}  // namespace norvik
