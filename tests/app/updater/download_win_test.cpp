// The updater's Windows side under Wine, end to end through a stand-in curl.exe (fake_curl.cpp)
// placed in the prefix's system folder, serving prepared manifests and installers.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/updater/win/download_file.h"
#include "app/updater/win/sha256_win.h"
#include "app/updater/win/update_tasks.h"
#include "vendor.h"
#include "wine_fixture.h"

namespace norvik {
namespace {

using namespace testing;

constexpr const char* UNUSABLE =
    "The update server sent an answer Norvik cannot use. Try again later.";
constexpr const char* SERVER_ERROR = "The update server answered with an error. Try again later.";
constexpr const char* UNREACHABLE =
    "Could not reach the update server. Check the internet connection and try again.";
constexpr const char* UNVERIFIED = "The installer's digital signature could not be verified";
constexpr const char* NOT_OURS = "The update was refused: not signed by Kastrel Example Publisher";

std::optional<std::string> failure_of(const UpdateDownloadResult& result) {
    if (const auto* failed = std::get_if<UpdateFailed>(&result)) return failed->message;
    return std::nullopt;
}

std::string manifest(std::string_view version, std::string_view url = INSTALLER_URL) {
    return R"({"version":")" + std::string(version) + R"(","url":")" + std::string(url) +
           R"(","sha256":"00"})";
}

TEST_F(UpdaterWineTest, CheckJudgesTheServedManifestAndDeletesIt) {
    struct Case {
        const char* name;
        std::optional<std::string> served;  // nothing: the site answers 404
        const wchar_t* curl_exit;           // forced exit code of curl, or empty
        UpdateVerdict verdict;
    };
    const Case cases[] = {
        {"up to date", manifest("0.1.0"), L"", UpToDate{}},
        {"newer", manifest("0.2.0"), L"", UpdateInfo{"0.2.0", INSTALLER_URL, "00", 0}},
        {"not JSON", std::string("<html>"), L"", UpdateFailed{UNUSABLE}},
        {"http address", manifest("0.2.0", "http://kastrel.example/s.exe"), L"",
         UpdateFailed{UNUSABLE}},
        {"address that would be two arguments",
         manifest("0.2.0", R"(https://a.example/s.exe\" -o \"C:\\evil.exe)"), L"",
         UpdateFailed{UNUSABLE}},
        {"not UTF-8", std::string("{\"version\":\"\xff\"}"), L"", UpdateFailed{UNUSABLE}},
        {"too long", std::string(MANIFEST_MAX_BYTES + 1, ' '), L"", UpdateFailed{UNUSABLE}},
        {"not found", std::nullopt, L"", UpdateFailed{SERVER_ERROR}},
        {"no network", manifest("0.2.0"), L"6", UpdateFailed{UNREACHABLE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clear_curl_log();
        if (c.served) {
            serve("update.json", *c.served);
        } else {
            stop_serving("update.json");
        }
        set_variable(L"NORVIK_FAKE_CURL_EXIT", c.curl_exit);

        EXPECT_EQ(check_for_update(MANIFEST_URL), c.verdict);
        EXPECT_FALSE(fs::exists(fs::u8path(updates() + "update.json")));
        EXPECT_EQ(curl_runs(), std::vector<Arguments>{curl_arguments(
                                   MANIFEST_URL, updates() + "update.json", MANIFEST_MAX_BYTES)});
    }
}

TEST_F(UpdaterWineTest, HostileAddressesReachCurlAsOneArgument) {
    const std::string urls[] = {
        R"(https://a.example/x" -o "C:\evil.exe)",
        R"(https://a.example/x\" --config \\server\share\k)",
        R"(https://a.example/a b\)",
        "https://a.example/\t-K\tC:\\k",
        R"(https://a.example/x\\\\")",
    };
    const std::string destination = updates() + "hostile.bin";
    for (const std::string& url : urls) {
        clear_curl_log();
        EXPECT_EQ(download_file(url, destination, 5), UpdateFailed{SERVER_ERROR});
        EXPECT_EQ(curl_runs(), std::vector<Arguments>{curl_arguments(url, destination, 5)});
    }
}

TEST_F(UpdaterWineTest, DownloadChecksSizeDigestSignatureAndVersionAndDeletesWhatFails) {
    enum class Size { Exact, NotGiven, OneByteMore };
    enum class Digest { Right, Wrong, Short };
    struct Case {
        const char* name;
        const char* served;  // a file of installers/, or nothing (404)
        Size size;
        Digest digest;
        const wchar_t* curl_exit;
        const char* failure;  // nothing: verified
    };
    const Case cases[] = {
        {"good", "installer-good.exe", Size::Exact, Digest::Right, L"", nullptr},
        {"good, size not given", "installer-good.exe", Size::NotGiven, Digest::Right, L"", nullptr},
        {"size mismatch", "installer-good.exe", Size::OneByteMore, Digest::Right, L"",
         "Downloaded size mismatch"},
        {"digest mismatch", "installer-good.exe", Size::Exact, Digest::Wrong, L"",
         "Downloaded file is corrupt (hash mismatch)"},
        {"digest of the wrong length", "installer-good.exe", Size::Exact, Digest::Short, L"",
         "Downloaded file is corrupt (hash mismatch)"},
        {"unsigned", "installer-unsigned.exe", Size::Exact, Digest::Right, L"", UNVERIFIED},
        {"publisher differing in case", "installer-other-publisher.exe", Size::Exact, Digest::Right,
         L"", NOT_OURS},
        {"changed after signing", "installer-changed.exe", Size::Exact, Digest::Right, L"",
         UNVERIFIED},
        // The vendor's own signed installer of an older version, offered as 0.2.0.
        {"older version under the offered number", "installer-old-version.exe", Size::Exact,
         Digest::Right, L"", "The update was refused: the installer is not version 0.2.0"},
        {"not found", nullptr, Size::Exact, Digest::Right, L"", SERVER_ERROR},
        {"curl timing out", "installer-good.exe", Size::Exact, Digest::Right, L"28", UNREACHABLE},
        {"curl stopping at the limit", "installer-good.exe", Size::Exact, Digest::Right, L"63",
         "Downloaded size mismatch"},
    };
    const std::string path = updates() + "Norvik-Setup-0.2.0.exe";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clear_curl_log();
        const std::string bytes = installers(c.served ? c.served : "installer-good.exe");
        if (c.served) {
            serve("Norvik-Setup-0.2.0.exe", bytes);
        } else {
            stop_serving("Norvik-Setup-0.2.0.exe");
        }
        set_variable(L"NORVIK_FAKE_CURL_EXIT", c.curl_exit);
        UpdateInfo info{"0.2.0", INSTALLER_URL, *sha256_hex(bytes_of(bytes)), bytes.size()};
        if (c.size == Size::NotGiven) info.size = 0;
        if (c.size == Size::OneByteMore) ++info.size;
        if (c.digest == Digest::Wrong) info.sha256[0] = info.sha256[0] == '0' ? '1' : '0';
        if (c.digest == Digest::Short) info.sha256.pop_back();

        UpdateDownloadResult result = download_update(info, {vendor::PUBLISHER_NAME, ""});
        EXPECT_EQ(curl_runs(), std::vector<Arguments>{curl_arguments(
                                   INSTALLER_URL, path, installer_download_cap(info.size))});
        if (c.failure) {
            EXPECT_EQ(failure_of(result), c.failure);
            EXPECT_FALSE(fs::exists(fs::u8path(path)));
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<VerifiedInstaller>>(result));
        EXPECT_EQ(std::get<0>(result)->path(), path);
        // Held: nobody may write, rename or delete the checked file until it has been started.
        const std::wstring wide_path = fs::u8path(path).wstring();
        EXPECT_EQ(CreateFileW(wide_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr),
                  INVALID_HANDLE_VALUE);
        EXPECT_FALSE(DeleteFileW(wide_path.c_str()));
        EXPECT_FALSE(MoveFileW(wide_path.c_str(), (wide_path + L".moved").c_str()));
    }
}

// With the build's pin list the signer's certificate itself must be one of those pinned, not
// merely one with the publisher's name; a version not newer than the running one is never
// fetched at all.
TEST_F(UpdaterWineTest, DownloadKeepsToPinnedCertificatesAndNeverGoesBack) {
    const std::string bytes = installers("installer-good.exe");
    serve("Norvik-Setup-0.2.0.exe", bytes);
    serve("Norvik-Setup-0.1.0.exe", bytes);
    std::string pinned = installers("publisher.sha256");
    pinned.resize(64);
    struct Case {
        const char* name;
        const char* version;
        std::string pins;
        std::optional<std::string> failure;
        size_t curl_runs;
    };
    const Case cases[] = {
        {"pinned certificate", "0.2.0", std::string(64, '0') + ";" + pinned, std::nullopt, 1},
        {"another certificate pinned", "0.2.0", std::string(64, '0'), NOT_OURS, 1},
        {"the running version", "0.1.0", "",
         "The update was refused: the installer is not version 0.1.0", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clear_curl_log();
        const UpdateInfo info{
            c.version,
            "https://kastrel.example/norvik/Norvik-Setup-" + std::string(c.version) + ".exe",
            *sha256_hex(bytes_of(bytes)), bytes.size()};
        const UpdateDownloadResult result = download_update(info, {vendor::PUBLISHER_NAME, c.pins});
        EXPECT_EQ(failure_of(result), c.failure);
        EXPECT_EQ(curl_runs().size(), c.curl_runs);
    }
}

}  // namespace
}  // namespace norvik
