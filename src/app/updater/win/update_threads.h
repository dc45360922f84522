// The updater's two detached threads, as the Windows program starts them for
// Shell::start_update_check and Shell::start_update_download. Each leaves its outcome in its slot
// (update_slots.h), then calls `finished` on its own thread: the program posts
// WM_APP_UPDATE_INFO or WM_APP_UPDATE_READY to the window from it. Windows only.
#pragma once

#include <functional>

#include "app/core/update_info.h"

namespace norvik {

using UpdateFinished = std::function<void()>;

// Starts a check of the vendor's manifest for this version and language. One check runs at a
// time: asked for while one runs, nothing new starts, and a manual request makes the running
// check report as manual.
void start_update_check_thread(bool manual, UpdateFinished finished);

// Starts downloading and verifying the installer of info. One download runs at a time: asked for
// while one runs, nothing happens (that one reports), so no download can overwrite or delete a
// file that another is checking or about to start.
void start_update_download_thread(const UpdateInfo& info, UpdateFinished finished);

}  // namespace norvik
