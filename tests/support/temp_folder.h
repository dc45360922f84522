// A folder made for one test and removed with everything in it when the test ends. Natively it
// lives under the system's temporary folder; under Wine on the Z: drive (the Linux file system)
// when that exists, so the Windows build walks a folder that Linux made.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace norvik::testing {

// A std::filesystem path from UTF-8 text.
inline std::filesystem::path u8path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// UTF-8 text of a std::filesystem path.
inline std::string utf8_of(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class TempFolder {
  public:
    // The name is one no other test process uses, even one under another Wine server (whose
    // process ids repeat ours) sharing /tmp: a random part, and a folder that must be new.
    TempFolder() {
        static std::atomic<int> counter{0};
        std::filesystem::path base = std::filesystem::temp_directory_path();
#ifdef _WIN32
        std::error_code error;
        if (std::filesystem::is_directory("Z:\\tmp", error)) base = "Z:\\tmp";
        int pid = _getpid();
#else
        int pid = getpid();
#endif
        std::random_device random;
        do {
            path_ = base / ("norvik-test-" + std::to_string(pid) + "-" + std::to_string(counter++) +
                            "-" + std::to_string(random()));
        } while (!std::filesystem::create_directories(path_));
    }
    // A test that makes a folder unreadable opens it up again before it ends.
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const {
        return path_;
    }

    // The folder as a scan root: its UTF-8 path with a trailing separator.
    std::string root() const {
        std::string text = utf8_of(path_);
        char separator = static_cast<char>(std::filesystem::path::preferred_separator);
        if (text.empty() || text.back() != separator) text.push_back(separator);
        return text;
    }

    // Makes the folders of a relative path given with '/' separators.
    std::filesystem::path folder(std::string_view relative) const {
        std::filesystem::path p = path_ / u8path(relative);
        std::filesystem::create_directories(p);
        return p;
    }

    std::filesystem::path file(std::string_view relative, std::string_view content = "x") const {
        std::filesystem::path p = path_ / u8path(relative);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace norvik::testing
