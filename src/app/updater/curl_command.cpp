#include "app/updater/curl_command.h"

namespace norvik {

uint64_t installer_download_cap(uint64_t manifest_size) {
    return manifest_size != 0 && manifest_size < INSTALLER_MAX_BYTES ? manifest_size
                                                                     : INSTALLER_MAX_BYTES;
}

std::vector<std::string> curl_arguments(std::string_view url, std::string_view destination,
                                        uint64_t max_bytes) {
    return {"-q",
            "-fsSL",
            "--proto",
            "=https",
            "--globoff",
            "--max-time",
            "600",
            "--max-filesize",
            std::to_string(max_bytes),
            "-o",
            std::string(destination),
            std::string(url)};
}

}  // namespace norvik
