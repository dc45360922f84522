// The registry store on Wine's registry, under a key of the test's own.
#include "app/win/registry_settings_win.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "app/core/columns.h"

namespace norvik {
namespace {

class RegistrySettingsTest : public ::testing::Test {
  protected:
    RegistryPaths paths() {
        const std::wstring base =
            L"Software\\NorvikTests\\" + std::to_wstring(GetCurrentProcessId());
        RegistryPaths p;
        p.settings = base + L"\\Norvik";
        p.run = base + L"\\Run";
        p.theme = base + L"\\Personalize";
        return p;
    }
    void TearDown() override {
        RegDeleteTreeW(
            HKEY_CURRENT_USER,
            (L"Software\\NorvikTests\\" + std::to_wstring(GetCurrentProcessId())).c_str());
    }
    void set_raw(const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
                 DWORD size) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, type, data, size),
                  ERROR_SUCCESS);
    }
};

TEST_F(RegistrySettingsTest, EverySettingRoundTrips) {
    RegistrySettings store(paths());
    EXPECT_TRUE(store.write_dword("AutoStart", 0));
    EXPECT_TRUE(store.write_dword("AutoUpdate", 1));
    EXPECT_TRUE(store.write_string("Language", "zh-Hant"));
    EXPECT_TRUE(store.write_string("LastUpdateCheck", "1767225600"));
    std::vector<uint8_t> placement(44);
    for (size_t i = 0; i < placement.size(); ++i)
        placement[i] = static_cast<uint8_t>(i * 7);
    EXPECT_TRUE(store.write_binary("Placement", placement));
    EXPECT_TRUE(store.write_run_command("\"C:\\Program Files\\노빅\\Norvik.exe\" --tray"));

    RegistrySettings again(paths());
    EXPECT_EQ(again.read_dword("AutoStart"), 0u);
    EXPECT_EQ(again.read_dword("AutoUpdate"), 1u);
    EXPECT_EQ(again.read_string("Language"), "zh-Hant");
    EXPECT_EQ(again.read_string("LastUpdateCheck"), "1767225600");
    EXPECT_EQ(again.read_binary("Placement"), placement);
    EXPECT_EQ(again.read_run_command(), "\"C:\\Program Files\\노빅\\Norvik.exe\" --tray");

    EXPECT_TRUE(again.write_string("Language", ""));
    EXPECT_EQ(again.read_string("Language"), "");
    EXPECT_TRUE(again.delete_run_command());
    EXPECT_EQ(again.read_run_command(), std::nullopt);
    EXPECT_TRUE(again.delete_run_command()) << "deleting a missing value is no failure";
}

TEST_F(RegistrySettingsTest, StringsAreStoredWithTheirZeroAsRegSz) {
    RegistrySettings store(paths());
    ASSERT_TRUE(store.write_string("Language", "ko"));
    DWORD type = 0;
    wchar_t data[8] = {};
    DWORD size = sizeof data;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, paths().settings.c_str(), L"Language", RRF_RT_ANY,
                           &type, data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 3 * sizeof(wchar_t));
    EXPECT_STREQ(data, L"ko");
}

TEST_F(RegistrySettingsTest, ExcludedFoldersRoundTripAsRegMultiSz) {
    using Folders = std::vector<std::string>;
    RegistrySettings store(paths());
    const Folders cases[] = {
        {"C:\\Games", "D:\\빌드\\출력", "\\\\server\\share\\temp"},
        {"C:\\Games"},
        {},
    };
    for (const Folders& folders : cases) {
        ASSERT_TRUE(store.write_multi_string("ExcludedFolders", folders));
        EXPECT_EQ(RegistrySettings(paths()).read_multi_string("ExcludedFolders"), folders);
        DWORD type = 0;
        ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, paths().settings.c_str(), L"ExcludedFolders",
                               RRF_RT_ANY, &type, nullptr, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    }

    // Written by another program: an empty string ends the list; no final zero still reads.
    const wchar_t stray[] = L"C:\\A\0\0C:\\B\0";
    set_raw(paths().settings, L"ExcludedFolders", REG_MULTI_SZ, stray, sizeof stray);
    EXPECT_EQ(store.read_multi_string("ExcludedFolders"), Folders{"C:\\A"});
    const wchar_t unended[] = {L'C', L':', L'\\', L'B'};
    set_raw(paths().settings, L"ExcludedFolders", REG_MULTI_SZ, unended, sizeof unended);
    EXPECT_EQ(store.read_multi_string("ExcludedFolders"), Folders{"C:\\B"});
    const wchar_t text[] = L"C:\\A";
    set_raw(paths().settings, L"ExcludedFolders", REG_SZ, text, sizeof text);
    EXPECT_EQ(store.read_multi_string("ExcludedFolders"), std::nullopt);
}

TEST_F(RegistrySettingsTest, ValuesOfAnotherTypeOrMissingReadAsNothing) {
    RegistrySettings store(paths());
    EXPECT_EQ(store.read_dword("AutoStart"), std::nullopt) << "missing key";
    EXPECT_EQ(store.read_apps_use_light_theme(), std::nullopt);

    const wchar_t text[] = L"0";
    set_raw(paths().settings, L"AutoStart", REG_SZ, text, sizeof text);
    const DWORD number = 0;
    set_raw(paths().settings, L"Language", REG_DWORD, &number, sizeof number);
    set_raw(paths().settings, L"Placement", REG_SZ, text, sizeof text);
    const wchar_t several[] = L"a\0b\0";
    set_raw(paths().run, L"Norvik", REG_MULTI_SZ, several, sizeof several);

    EXPECT_EQ(store.read_dword("AutoStart"), std::nullopt);
    EXPECT_EQ(store.read_string("Language"), std::nullopt);
    EXPECT_EQ(store.read_binary("Placement"), std::nullopt);
    EXPECT_EQ(store.read_run_command(), std::nullopt);
    EXPECT_EQ(store.read_dword("Missing"), std::nullopt);

    set_raw(paths().theme, L"AppsUseLightTheme", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(store.read_apps_use_light_theme(), 0u);
}

TEST_F(RegistrySettingsTest, ColumnWidthsRoundTripAsTwelveBytesAndABadValueIsTheDefault) {
    RegistrySettings store(paths());
    EXPECT_EQ(saved_column_widths(store), std::nullopt) << "never sized";
    ASSERT_TRUE(save_column_widths(store, ColumnWidths{240, 90.6f, 150}));

    RegistrySettings again(paths());
    EXPECT_EQ(saved_column_widths(again), (ColumnWidths{240, 91, 150}));
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, paths().settings.c_str(), L"ColumnWidths", RRF_RT_ANY,
                           &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 12u);

    // Back to the default split: an empty value, read as no widths.
    ASSERT_TRUE(save_column_widths(again, std::nullopt));
    EXPECT_EQ(saved_column_widths(again), std::nullopt);

    const DWORD number = 240;
    set_raw(paths().settings, L"ColumnWidths", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(saved_column_widths(again), std::nullopt) << "another type";
}

TEST_F(RegistrySettingsTest, RemoveAllTakesTheRunValueAndTheWholeKey) {
    RegistrySettings store(paths());
    ASSERT_TRUE(store.write_dword("AutoStart", 1));
    ASSERT_TRUE(store.write_run_command("x"));
    const DWORD other = 5;
    set_raw(paths().run, L"SomeoneElse", REG_DWORD, &other, sizeof other);

    store.remove_all();

    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, paths().settings.c_str(), 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.read_run_command(), std::nullopt);
    DWORD kept = 0;
    DWORD size = sizeof kept;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, paths().run.c_str(), L"SomeoneElse", RRF_RT_REG_DWORD,
                           nullptr, &kept, &size),
              ERROR_SUCCESS)
        << "other programs' Run values stay";
    store.remove_all();  // again, with nothing left: no harm
}

}  // namespace
}  // namespace norvik
