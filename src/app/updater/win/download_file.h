// Downloads through the system's curl.exe: no HTTP code of our own. Windows only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/updater/update_results.h"

namespace norvik {

// Runs curl.exe from the system folder, without a console window, to fetch url (HTTPS only,
// redirects followed, at most 600 seconds and max_bytes) into destination, and waits for it.
// Nothing when curl succeeded; otherwise the failure: curl_failure of its exit code, curl_missing
// when there is no curl.exe, the system's error text when curl cannot be started or waited for
// otherwise. A partial file may be left.
std::optional<UpdateFailed> download_file(const std::string& url, const std::string& destination,
                                          uint64_t max_bytes);

}  // namespace norvik
