// The window's side of updates, on the UI thread: presenting a finished check (toasts, or the
// Yes/No question about a newer version), the user's answer, and the finished download (a
// failure toast, or the installer started and the program closed so it can be replaced).
#pragma once

#include <cstdint>
#include <optional>

#include "app/core/app.h"
#include "app/updater/update_results.h"

namespace norvik {

// WM_APP_UPDATE_INFO, with what was taken from the check's slot (nothing: a result already
// taken). A manual check's "up to date" or failure becomes a toast; a newer version, found by
// any check, is asked about through a Deferred Yes/No message box and kept in App until the
// answer comes. While one question waits for its answer no second one is asked.
void present_update_check(App& app, Shell& shell, std::optional<UpdateCheckResult> result);

// The answer to the update question: Yes starts the download of the version offered (with the
// toast "Downloading update…"); any other answer forgets it.
void answer_update_question(App& app, Shell& shell, bool yes);

// WM_APP_UPDATE_READY, with what was taken from the download's slot. A failure becomes a toast;
// a verified installer is started with INSTALLER_ARGUMENTS and, if it started, the window is
// destroyed (a Deferred DestroyRequest) so the usual shutdown saves the index and the program
// ends. An installer that cannot be started changes nothing.
void finish_update(App& app, Shell& shell, std::optional<UpdateDownloadResult> result);

// The window procedure's entry for both updater messages: WM_APP_UPDATE_INFO and
// WM_APP_UPDATE_READY take the outcome out of its slot and present it (above). False, and nothing
// done, for any other message.
bool handle_update_message(App& app, Shell& shell, uint32_t message);

// Start-up's last step and every TIMER_UPDATE tick: maybe_check_for_update at the current time.
void check_for_update_if_due(Shell& shell);

}  // namespace norvik
