// The two jobs the updater's threads run: asking the vendor's site for the latest version, and
// downloading and verifying its installer. Each blocks for as long as curl takes (at most 600
// seconds) and touches nothing shared. Windows only.
#pragma once

#include <string>
#include <string_view>

#include "app/updater/update_results.h"

namespace norvik {

// Fetches the manifest at manifest_url into update.json in the updates folder, reads it (at most
// MANIFEST_MAX_BYTES), deletes it and judges it against the running version.
UpdateVerdict check_for_update(const std::string& manifest_url);

// Downloads the offered installer to Norvik-Setup-<version>.exe in the updates folder and checks
// it: its size (before reading a byte of it; never more than the manifest's size, or
// INSTALLER_MAX_BYTES when the manifest gives none), its SHA-256 digest, and its signature by
// publisher. The file is opened once, shared for reading only, and stays open from the size
// check to the installer's start, so nothing can change it in between. A file that fails is
// deleted.
UpdateDownloadResult download_update(const UpdateInfo& info, std::string_view publisher);

}  // namespace norvik
