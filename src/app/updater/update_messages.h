// The updater's failures as the user reads them: each says what happened and, where the user can
// do something about it, what. Texts through choose_text, so in the current language.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/updater/update_results.h"

namespace norvik {

UpdateFailed download_failed();
UpdateFailed size_mismatch();
UpdateFailed digest_mismatch();
UpdateFailed signature_not_verified();
UpdateFailed server_unreachable();
UpdateFailed server_error();
UpdateFailed server_unverified();
UpdateFailed unusable_manifest();
UpdateFailed curl_missing();
UpdateFailed not_signed_by(std::string_view publisher);
UpdateFailed revocation_unchecked();
UpdateFailed certificate_revoked();
UpdateFailed wrong_installer_version(std::string_view offered);
UpdateFailed folder_not_private(std::string_view folder);

// What a non-zero exit code of curl means to the user: no connection, an error answer, a server
// whose certificate was not accepted, more bytes than the limit, or else "Download failed".
UpdateFailed curl_failure(uint32_t exit_code);

}  // namespace norvik
