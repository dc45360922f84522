// The updater's Windows side under Wine: a stand-in curl.exe (fake_curl.cpp) placed in the
// prefix's system folder serves prepared manifests and installers from a folder of the test's
// and records every run; a local application data folder whose name has spaces holds the
// downloads.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/updater/curl_command.h"
#include "app/updater/win/private_folder_win.h"
#include "app/updater/win/system_win.h"
#include "support/temp_folder.h"

namespace norvik::testing {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

inline constexpr const char* MANIFEST_URL =
    "https://kastrel.example/norvik/update.json?v=0.1.0&lang=en";
inline constexpr const char* INSTALLER_URL =
    "https://kastrel.example/norvik/Norvik-Setup-0.2.0.exe";

inline fs::path module_folder() {
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    return fs::path(std::wstring(buffer, length)).parent_path();
}

inline std::string read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_bytes(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

inline void set_variable(const wchar_t* name, const std::wstring& value) {
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

inline std::span<const uint8_t> bytes_of(std::string_view text) {
    return std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

class UpdaterWineTest : public ::testing::Test {
  protected:
    // Wine ships no curl.exe, and a child process looks in the prefix's system folder for it
    // whatever SystemRoot says.
    static void SetUpTestSuite() {
        const std::optional<std::wstring> curl = system_folder_file(L"curl.exe");
        ASSERT_TRUE(curl.has_value());
        // Tests run in parallel processes: one may be running the stand-in while another
        // arrives here, so it is copied only when it is not there yet, and never in place: a
        // copy under a name of this process's own is renamed into place, so no process ever
        // starts a half-written curl.exe.
        const fs::path standin = module_folder() / "fake_curl.exe";
        if (read_bytes(*curl) == read_bytes(standin)) return;
        const std::wstring copy = *curl + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
        ASSERT_TRUE(CopyFileW(standin.c_str(), copy.c_str(), FALSE));
        const DWORD replace = fs::exists(*curl) ? MOVEFILE_REPLACE_EXISTING : 0;
        if (!MoveFileExW(copy.c_str(), curl->c_str(), replace)) {
            // Another process put its copy there first.
            DeleteFileW(copy.c_str());
        }
        ASSERT_EQ(read_bytes(*curl), read_bytes(standin));
    }

    void SetUp() override {
        fs::create_directories(site_);
        // A temporary folder whose name has spaces: every path on a command line must stay one
        // argument.
        fs::create_directories(temp_with_spaces_);
        set_variable(L"TMP", temp_with_spaces_.wstring());
        set_variable(L"TEMP", temp_with_spaces_.wstring());
        fs::create_directories(local_app_data_);
        set_variable(L"LOCALAPPDATA", local_app_data_.wstring());
        set_variable(L"NORVIK_FAKE_CURL_SITE", site_.wstring());
        set_variable(L"NORVIK_FAKE_CURL_LOG", curl_log_.wstring());
        set_variable(L"NORVIK_FAKE_CURL_EXIT", L"");
        set_variable(L"NORVIK_FAKE_CURL_DELAY_MS", L"");
        set_variable(L"NORVIK_FAKE_INSTALLER_LOG", installer_log_.wstring());
    }

    // What the site serves at .../name.
    void serve(const std::string& name, std::string_view bytes) {
        write_bytes(site_ / name, bytes);
    }
    void stop_serving(const std::string& name) { fs::remove(site_ / name); }

    // Each run of the stand-in curl since the log was last cleared, with its arguments.
    std::vector<Arguments> curl_runs() {
        std::vector<Arguments> runs;
        std::istringstream in(read_bytes(curl_log_));
        size_t count = 0;
        while (in >> count) {
            in.get();  // the line feed after the count
            Arguments& run = runs.emplace_back();
            for (size_t i = 0; i < count; ++i)
                std::getline(in, run.emplace_back(), '\0');
        }
        return runs;
    }
    void clear_curl_log() { fs::remove(curl_log_); }

    // The arguments the stand-in installer was started with, once it has written them (at most
    // 20 seconds from now); nothing if it never did.
    Arguments wait_for_installer_record() {
        for (int i = 0; i < 400 && !fs::exists(installer_log_); ++i)
            Sleep(50);
        Arguments arguments;
        std::istringstream in(read_bytes(installer_log_));
        for (std::string argument; std::getline(in, argument, '\0');)
            arguments.push_back(argument);
        return arguments;
    }

    std::string updates() { return updates_folder_path(); }
    static std::string installers(const char* name) {
        return read_bytes(module_folder() / "installers" / name);
    }

    TempFolder temp_;
    fs::path site_ = temp_.path() / "site";
    fs::path temp_with_spaces_ = temp_.path() / "temp with spaces";
    fs::path local_app_data_ = temp_.path() / "local app data";
    fs::path curl_log_ = temp_.path() / "curl.log";
    fs::path installer_log_ = temp_.path() / "installer.log";
};

}  // namespace norvik::testing
