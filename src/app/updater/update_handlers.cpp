#include "app/updater/update_handlers.h"

#include <chrono>
#include <utility>

#include "app/core/messages.h"
#include "app/text/text.h"
#include "app/updater/automatic_check.h"
#include "app/updater/update_slots.h"
#include "vendor.h"

namespace norvik {

namespace {

std::string update_question_text(const UpdateInfo& offer) {
    std::string text = choose_text("새 버전이 있습니다:", "A new version is available:");
    text += ' ';
    text += offer.version;
    text += "\n(";
    text += choose_text("현재", "current");
    text += ' ';
    text += vendor::PROGRAM_VERSION;
    text += ")\n\n";
    text += choose_text("지금 업데이트할까요?", "Update now?");
    return text;
}

std::string up_to_date_text() {
    std::string text = choose_text("최신 버전입니다", "You're up to date");
    text += " (";
    text += vendor::PROGRAM_VERSION;
    text += ')';
    return text;
}

void ask_about(App& app, Shell& shell, UpdateInfo offer) {
    if (app.offered_update) return;  // the question about an earlier offer is still open
    MessageBoxRequest question;
    question.purpose = MessagePurpose::UpdateQuestion;
    question.caption = "Norvik";
    question.text = update_question_text(offer);
    question.yes_no = true;
    app.offered_update = std::move(offer);
    shell.defer(std::move(question));
}

}  // namespace

void present_update_check(App& app, Shell& shell, std::optional<UpdateCheckResult> result) {
    if (!result) return;
    if (auto* offer = std::get_if<UpdateInfo>(&result->verdict)) {
        ask_about(app, shell, std::move(*offer));
    } else if (!result->manual) {
        return;  // an automatic check is silent unless it found something
    } else if (auto* failed = std::get_if<UpdateFailed>(&result->verdict)) {
        set_toast(app, shell, std::move(failed->message));
    } else {
        set_toast(app, shell, up_to_date_text());
    }
}

void answer_update_question(App& app, Shell& shell, bool yes) {
    std::optional<UpdateInfo> offer = std::exchange(app.offered_update, std::nullopt);
    if (!yes || !offer) return;
    set_toast(app, shell, choose_text("업데이트 받는 중…", "Downloading update…"));
    shell.start_update_download(*offer);
}

void finish_update(App& app, Shell& shell, std::optional<UpdateDownloadResult> result) {
    if (!result) return;
    if (auto* failed = std::get_if<UpdateFailed>(&*result)) {
        set_toast(app, shell, std::move(failed->message));
        return;
    }
    std::unique_ptr<VerifiedInstaller>& installer = std::get<0>(*result);
    if (installer && installer->start(INSTALLER_ARGUMENTS)) shell.defer(DestroyRequest{});
}

bool handle_update_message(App& app, Shell& shell, uint32_t message) {
    if (message == WM_APP_UPDATE_INFO) {
        present_update_check(app, shell, update_check_slot().take());
    } else if (message == WM_APP_UPDATE_READY) {
        finish_update(app, shell, update_download_slot().take());
    } else {
        return false;
    }
    return true;
}

void check_for_update_if_due(Shell& shell) {
    maybe_check_for_update(shell, unix_seconds(std::chrono::system_clock::now()));
}

}  // namespace norvik
