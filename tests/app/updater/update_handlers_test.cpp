#include "app/updater/update_handlers.h"

#include <gtest/gtest.h>

#include "app/updater/update_slots.h"
#include "support/app_fixture.h"

namespace norvik {
namespace {

using testing::AppFixture;

const UpdateInfo OFFER{"0.2.0", "https://a.example/Norvik-Setup-0.2.0.exe", "ab", 10};

std::string toast_text(const AppFixture& f) {
    return f.app.toast ? f.app.toast->text : std::string("(none)");
}

TEST(PresentUpdateCheckTest, ToastsOnlyForAManualCheck) {
    struct Case {
        UpdateVerdict verdict;
        bool manual;
        const char* toast;
    };
    const Case cases[] = {
        {UpToDate{}, true, "You're up to date (0.1.0)"},
        {UpToDate{}, false, "(none)"},
        {UpdateFailed{"Download failed"}, true, "Download failed"},
        {UpdateFailed{"manifest"}, false, "(none)"},
    };
    for (const Case& c : cases) {
        AppFixture f;
        present_update_check(f.app, f.shell, UpdateCheckResult{c.verdict, c.manual});
        EXPECT_EQ(toast_text(f), c.toast);
        EXPECT_TRUE(f.shell.deferred.empty());
    }
}

TEST(PresentUpdateCheckTest, AnEmptySlotDoesNothing) {
    AppFixture f;
    present_update_check(f.app, f.shell, std::nullopt);
    EXPECT_FALSE(f.app.toast.has_value());
    EXPECT_TRUE(f.shell.deferred.empty());
    EXPECT_EQ(f.shell.invalidations, 0);
}

TEST(PresentUpdateCheckTest, ANewerVersionIsAskedAboutOnce) {
    for (bool manual : {false, true}) {
        AppFixture f;
        present_update_check(f.app, f.shell, UpdateCheckResult{OFFER, manual});
        // A second offer while the question is open is not asked about again.
        present_update_check(f.app, f.shell, UpdateCheckResult{OFFER, true});

        ASSERT_EQ(f.shell.deferred.size(), 1u);
        const auto* question = std::get_if<MessageBoxRequest>(&f.shell.deferred[0]);
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(question->purpose, MessagePurpose::UpdateQuestion);
        EXPECT_EQ(question->caption, "Norvik");
        EXPECT_EQ(question->text,
                  "A new version is available: 0.2.0\n(current 0.1.0)\n\nUpdate now?");
        EXPECT_TRUE(question->yes_no);
        EXPECT_EQ(f.app.offered_update, OFFER);
        EXPECT_FALSE(f.app.toast.has_value());
    }
}

TEST(AnswerUpdateQuestionTest, YesDownloadsTheOfferAndAnythingElseForgetsIt) {
    for (bool yes : {true, false}) {
        AppFixture f;
        present_update_check(f.app, f.shell, UpdateCheckResult{OFFER, false});
        answer_update_question(f.app, f.shell, yes);

        EXPECT_FALSE(f.app.offered_update.has_value());
        if (yes) {
            EXPECT_EQ(f.shell.update_downloads, std::vector<UpdateInfo>{OFFER});
            EXPECT_EQ(toast_text(f), "Downloading update…");
        } else {
            EXPECT_TRUE(f.shell.update_downloads.empty());
            EXPECT_FALSE(f.app.toast.has_value());
        }
        // The next offer is asked about again.
        present_update_check(f.app, f.shell, UpdateCheckResult{OFFER, false});
        EXPECT_EQ(f.shell.deferred.size(), 2u);
    }
}

class FakeInstaller : public VerifiedInstaller {
  public:
    FakeInstaller(bool starts, std::vector<std::string>* started_with, bool* released)
        : starts_(starts), started_with_(started_with), released_(released) {}
    ~FakeInstaller() override { *released_ = true; }
    const std::string& path() const override { return path_; }
    bool start(std::span<const std::string_view> arguments) override {
        started_with_->assign(arguments.begin(), arguments.end());
        return starts_;
    }

  private:
    std::string path_ = "C:\\Temp\\Norvik\\Norvik-Setup-0.2.0.exe";
    bool starts_;
    std::vector<std::string>* started_with_;
    bool* released_;
};

TEST(FinishUpdateTest, AStartedInstallerClosesTheWindow) {
    for (bool starts : {true, false}) {
        AppFixture f;
        std::vector<std::string> arguments;
        bool released = false;
        finish_update(f.app, f.shell,
                      std::make_unique<FakeInstaller>(starts, &arguments, &released));

        EXPECT_EQ(arguments, (std::vector<std::string>{"/SILENT", "/SUPPRESSMSGBOXES", "/NORESTART",
                                                       "/UPDATE=1"}));
        EXPECT_TRUE(released);  // the file is let go once it has been started (or not)
        EXPECT_FALSE(f.app.toast.has_value());
        if (starts) {
            ASSERT_EQ(f.shell.deferred.size(), 1u);
            EXPECT_TRUE(std::holds_alternative<DestroyRequest>(f.shell.deferred[0]));
        } else {
            EXPECT_TRUE(f.shell.deferred.empty());  // the program keeps running
        }
    }
}

TEST(FinishUpdateTest, AFailureIsToastedAndAnEmptySlotIgnored) {
    AppFixture f;
    finish_update(f.app, f.shell, std::nullopt);
    EXPECT_FALSE(f.app.toast.has_value());
    finish_update(f.app, f.shell, UpdateFailed{"Downloaded size mismatch"});
    EXPECT_EQ(toast_text(f), "Downloaded size mismatch");
    EXPECT_TRUE(f.shell.deferred.empty());
}

// The window procedure hands both messages over; each takes its own slot's outcome, once.
TEST(HandleUpdateMessageTest, EachMessageTakesItsOwnSlot) {
    AppFixture f;
    update_check_slot().store(UpdateCheckResult{UpToDate{}, true});
    update_download_slot().store(UpdateFailed{"Download failed"});

    EXPECT_TRUE(handle_update_message(f.app, f.shell, WM_APP_UPDATE_READY));
    EXPECT_EQ(toast_text(f), "Download failed");
    EXPECT_TRUE(handle_update_message(f.app, f.shell, WM_APP_UPDATE_INFO));
    EXPECT_EQ(toast_text(f), "You're up to date (0.1.0)");

    f.app.toast.reset();
    EXPECT_TRUE(handle_update_message(f.app, f.shell, WM_APP_UPDATE_INFO));  // slot now empty
    EXPECT_FALSE(handle_update_message(f.app, f.shell, WM_APP_SEARCH_DONE));
    EXPECT_FALSE(f.app.toast.has_value());
}

}  // namespace
}  // namespace norvik
