// The update manifest: the small JSON object on the vendor's site that names the latest version
// and its installer, and the address it is asked for at.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/core/update_info.h"
#include "app/updater/update_results.h"

namespace norvik {

// The offer in a manifest's text: one JSON object, followed by nothing but space, tab, line
// feed or carriage return, with the strings "version" (1-32 digits and dots), "url" (beginning
// with lower-case "https://", holding no space, control character, '"' or non-ASCII character,
// so it can never read as more than one argument of a command line) and "sha256" (lowered), and
// optionally "size" (a non-negative integer that fits 64 bits, else 0). Nothing when any rule
// fails, and when the size is more than any installer may be (INSTALLER_MAX_BYTES): the limit
// of the download is ours, not the server's. Other members are ignored.
std::optional<UpdateInfo> parse_manifest(std::string_view text);

// The verdict on a downloaded manifest for a program of version `running`: the offer when it is
// newer, UpToDate when not, or unusable_manifest for bytes that are not UTF-8 or not a usable
// manifest.
UpdateVerdict judge_manifest(std::string_view bytes, std::string_view running);

// The address the manifest is asked for at: base + "?v=" + version + "&lang=" + language code.
std::string manifest_request_url(std::string_view base, std::string_view version,
                                 std::string_view language_code);

}  // namespace norvik
