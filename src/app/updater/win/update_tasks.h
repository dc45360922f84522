// The two jobs the updater's threads run: asking the vendor's site for the latest version, and
// downloading and verifying its installer. Each blocks for as long as curl takes (at most 600
// seconds) and touches nothing shared. Windows only.
#pragma once

#include <string>
#include <string_view>

#include "app/updater/signer_check.h"
#include "app/updater/update_results.h"

namespace norvik {

// Fetches the manifest at manifest_url into update.json in the private updates folder, reads it
// (at most MANIFEST_MAX_BYTES), deletes it and judges it against the running version.
UpdateVerdict check_for_update(const std::string& manifest_url);

// Downloads the offered installer (only a version newer than the running one) to
// Norvik-Setup-<version>.exe in the private updates folder and checks it: its size (before
// reading a byte of it; never more than installer_download_cap of the manifest's size), its
// SHA-256 digest, its signature as signer requires, and that its own version resource names the
// version offered. The file is opened once, shared for reading only, and stays open from the size
// check to the installer's start, so nothing can change it in between. A file that fails is
// deleted.
UpdateDownloadResult download_update(const UpdateInfo& info, const SignerPolicy& signer);

}  // namespace norvik
