// The updater's download folder under Wine: whatever stands where it belongs, it ends up a real
// folder of the user's own that only the user may enter, and nothing outside it is touched.
#include "app/updater/win/private_folder_win.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <functional>

#include "app/updater/command_line.h"
#include "platform/process_win.h"
#include "wine_fixture.h"

namespace norvik {
namespace {

using namespace testing;

std::vector<uint8_t> current_user() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    KernelHandle held(token);
    uint8_t buffer[256];
    DWORD needed = 0;
    if (!GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &needed)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
    return std::vector<uint8_t>(static_cast<const uint8_t*>(sid),
                                static_cast<const uint8_t*>(sid) + GetLengthSid(sid));
}

// What makes a folder private, as one line to compare: what it is, whose it is, and whom each
// access entry lets in (entries for the system account, which enters any folder anyway, left
// out).
std::string privacy_of(const fs::path& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "missing";
    std::string found = attributes & FILE_ATTRIBUTE_REPARSE_POINT ? "link"
                        : attributes & FILE_ATTRIBUTE_DIRECTORY   ? "folder"
                                                                  : "file";
    PSID owner = nullptr;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return found + ", no security information";
    }
    const std::vector<uint8_t> user = current_user();
    PSID system = nullptr;
    ConvertStringSidToSidW(L"S-1-5-18", &system);
    const auto whose = [&](PSID sid) {
        return EqualSid(sid, PSID(user.data())) ? "user" : "other";
    };
    found += std::string(", owner: ") + whose(owner);
    for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        GetAce(acl, i, &ace);
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if (EqualSid(PSID(&allowed->SidStart), system)) continue;
        found += allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE ? ", allows " : ", denies ";
        found += whose(PSID(&allowed->SidStart));
    }
    LocalFree(system);
    LocalFree(descriptor);
    return found;
}

// The Linux path of a test file (the test folder is on Z:, the Linux root).
std::string linux_path(const fs::path& path) {
    std::string text = utf8_of(path);
    if (text.size() >= 2 && text[1] == ':') text.erase(0, 2);
    for (char& c : text)
        if (c == '\\') c = '/';
    return text;
}

// Runs a Linux program, as another user's doing is played here: Wine starts it but gives no
// handle to wait on, so this waits (at most ten seconds) until done() says it has acted.
bool run_linux(const wchar_t* program, const std::vector<std::string>& arguments,
               const std::function<bool()>& done) {
    std::vector<std::string_view> views(arguments.begin(), arguments.end());
    std::optional<std::string> line = build_command_line(from_wide(program), views);
    if (!line) return false;
    // What it returns is no use here: whether it started shows in what it did.
    (void)create_process(program, to_wide(*line));
    for (int i = 0; i < 200 && !done(); ++i)
        Sleep(50);
    return done();
}

// A link at `link` that leads to the folder `target`, as a junction planted by someone else.
bool plant_link(const fs::path& link, const fs::path& target) {
    return run_linux(L"Z:\\bin\\ln", {"-s", linux_path(target), linux_path(link)},
                     [&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

// The folder handed to another account (Wine reads a folder of another Linux user as another
// owner's).
bool give_away(const fs::path& folder) {
    return run_linux(L"Z:\\bin\\chown", {"65534", linux_path(folder)},
                     [&] { return privacy_of(folder).find("owner: other") != std::string::npos; });
}

// Removes a link as itself, never what it leads to (Wine's own calls act on the folder behind).
void remove_link(const fs::path& link) {
    if (privacy_of(link).starts_with("link")) {
        EXPECT_TRUE(run_linux(L"Z:\\bin\\rm", {linux_path(link)}, [&] {
            return GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES;
        }));
    }
}

constexpr const char* PRIVATE = "folder, owner: user, allows user";

TEST_F(UpdaterWineTest, WhateverStandsThereTheDownloadFolderEndsUpPrivate) {
    const fs::path folder = fs::u8path(updates()).parent_path();
    const fs::path decoy = temp_.path() / "decoy";
    enum class Before { Nothing, OurPrivateFolder, OpenFolder, File, ForeignFolder, Link };
    struct Case {
        const char* name;
        Before before;
        bool leftover_kept;  // a file inside survives only in a folder that was private already
    };
    const Case cases[] = {
        {"nothing", Before::Nothing, false},
        {"our private folder from an earlier run", Before::OurPrivateFolder, true},
        {"our folder open to everyone", Before::OpenFolder, false},
        {"a file", Before::File, false},
        {"a folder another account owns", Before::ForeignFolder, false},
        {"a link to another folder", Before::Link, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        remove_link(folder);
        fs::remove_all(folder.parent_path());
        fs::remove_all(decoy);
        fs::create_directories(decoy);
        write_bytes(decoy / "victim.txt", "not the updater's");
        fs::create_directories(folder.parent_path());
        switch (c.before) {
            case Before::Nothing:
                break;
            case Before::OurPrivateFolder:
                ASSERT_TRUE(std::holds_alternative<std::string>(private_updates_folder()));
                write_bytes(folder / "leftover.txt", "x");
                break;
            case Before::OpenFolder:
            case Before::ForeignFolder:
                fs::create_directories(folder);
                write_bytes(folder / "leftover.txt", "x");
                if (c.before == Before::ForeignFolder) {
                    ASSERT_TRUE(give_away(folder));
                }
                break;
            case Before::File:
                write_bytes(folder, "x");
                break;
            case Before::Link:
                ASSERT_TRUE(plant_link(folder, decoy));
                ASSERT_EQ(privacy_of(folder).substr(0, 4), "link");
                break;
        }

        const std::variant<std::string, UpdateFailed> made = private_updates_folder();
        // Nothing behind a link is ever entered, moved or emptied.
        EXPECT_EQ(read_bytes(decoy / "victim.txt"), "not the updater's");
        if (c.before == Before::Link && std::holds_alternative<UpdateFailed>(made)) {
            // Wine cannot remove a link to a folder as itself (it acts on the folder behind
            // it), so there the link is refused; Windows removes a junction and goes on.
            EXPECT_EQ(std::get<UpdateFailed>(made).message,
                      "The update was refused: the download folder " + updates() +
                          " could not be made private");
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<std::string>(made))
            << std::get<UpdateFailed>(made).message;
        EXPECT_EQ(std::get<std::string>(made), updates());
        EXPECT_EQ(privacy_of(folder), PRIVATE);
        EXPECT_EQ(fs::exists(folder / "leftover.txt"), c.leftover_kept);
    }
    remove_link(folder);
}

TEST_F(UpdaterWineTest, StartedInstallersGoFromThePrivateFolderOnly) {
    const fs::path folder = fs::u8path(updates()).parent_path();
    const fs::path decoy = temp_.path() / "decoy";
    const char* left[] = {"Norvik-Setup-0.2.0.exe", "Norvik-Setup-0.1.5.exe", "update.json"};

    ASSERT_TRUE(std::holds_alternative<std::string>(private_updates_folder()));
    for (const char* name : left)
        write_bytes(folder / name, "x");
    write_bytes(folder / "notes.txt", "kept");
    remove_started_installers();
    for (const char* name : left)
        EXPECT_FALSE(fs::exists(folder / name)) << name;
    EXPECT_TRUE(fs::exists(folder / "notes.txt"));
    // Uninstalling takes the folder too once nothing else is in it.
    remove_updates_folder();
    EXPECT_TRUE(fs::exists(folder / "notes.txt"));
    fs::remove(folder / "notes.txt");
    remove_updates_folder();
    EXPECT_FALSE(fs::exists(folder));

    // Through a planted link nothing is deleted.
    fs::remove_all(folder);
    fs::create_directories(decoy);
    write_bytes(decoy / "Norvik-Setup-0.2.0.exe", "someone else's");
    ASSERT_TRUE(plant_link(folder, decoy));
    remove_started_installers();
    EXPECT_EQ(read_bytes(decoy / "Norvik-Setup-0.2.0.exe"), "someone else's");
    remove_link(folder);
}

}  // namespace
}  // namespace norvik
