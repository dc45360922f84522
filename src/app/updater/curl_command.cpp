#include "app/updater/curl_command.h"

namespace norvik {

std::vector<std::string> curl_arguments(std::string_view url, std::string_view destination,
                                        uint64_t max_bytes) {
    return {"-fsSL",
            "--proto",
            "=https",
            "--max-time",
            "600",
            "--max-filesize",
            std::to_string(max_bytes),
            "-o",
            std::string(destination),
            std::string(url)};
}

}  // namespace norvik
