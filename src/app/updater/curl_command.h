// The system's curl.exe as the updater runs it: the arguments of one download, and the most it
// may write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norvik {

// The most a manifest may be: it is a few hundred bytes.
inline constexpr uint64_t MANIFEST_MAX_BYTES = 1u << 20;
// The most an installer may be, whatever the manifest says.
inline constexpr uint64_t INSTALLER_MAX_BYTES = 512u << 20;

// The most the installer's download may write: the manifest's size (0: not given), but never
// more than INSTALLER_MAX_BYTES.
uint64_t installer_download_cap(uint64_t manifest_size);

// curl's arguments for fetching url into destination: no curlrc of the user's first (it could
// add any option), fail on HTTP errors, quiet but for errors, follow redirects, HTTPS only, no
// URL globbing (brackets and braces are plain characters, never a range of transfers), at most
// 600 seconds, and at most max_bytes written.
std::vector<std::string> curl_arguments(std::string_view url, std::string_view destination,
                                        uint64_t max_bytes);

}  // namespace norvik
