// What the benchmarks that run under Wine share: a fresh folder of their own to change, on the
// Linux side's /tmp (Z:\tmp) when there is one, and paths as UTF-8.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace norvik::bench {

inline std::string utf8(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Z:\tmp\<name>-<process id> (the temporary folder without Z:), emptied.
inline std::filesystem::path fresh_folder(const std::string& name) {
    std::error_code error;
    std::filesystem::path base = std::filesystem::is_directory("Z:\\tmp", error)
                                     ? std::filesystem::path("Z:\\tmp")
                                     : std::filesystem::temp_directory_path();
    std::filesystem::path folder = base / (name + "-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(folder, error);
    return folder;
}

}  // namespace norvik::bench
