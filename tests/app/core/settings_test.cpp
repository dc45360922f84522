#include "app/core/settings.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace norvik {
namespace {

using testing::AppFixture;

TEST(SettingsTest, ASwitchIsOffOnlyWhenItReadsZero) {
    struct Case {
        std::optional<uint32_t> stored;
        bool on;
        uint32_t toggled;
    };
    const Case cases[] = {{std::nullopt, true, 0}, {0, false, 1}, {1, true, 0}, {7, true, 0}};
    for (const Case& c : cases) {
        testing::MemorySettings store;
        if (c.stored) store.dwords["AutoUpdate"] = *c.stored;
        EXPECT_EQ(setting_on(store, SETTING_AUTO_UPDATE), c.on);
        EXPECT_EQ(toggle_setting(store, SETTING_AUTO_UPDATE), !c.on);
        EXPECT_EQ(store.dwords.at("AutoUpdate"), c.toggled);
    }
    testing::MemorySettings refusing;
    refusing.writes_fail = true;
    EXPECT_EQ(toggle_setting(refusing, SETTING_AUTO_UPDATE), std::nullopt);
}

TEST(SettingsTest, AnExcludedFolderIsAddedOnceAndNeverADrive) {
    using Folders = std::vector<std::string>;
    struct Case {
        Folders before;
        const char* path;
        std::optional<Folders> after;
    };
    const Case cases[] = {
        {{}, "C:\\Games", Folders{"C:\\Games"}},
        {{}, "D:\\빌드\\", Folders{"D:\\빌드"}},  // trailing separators dropped
        {{"C:\\Games"}, "C:\\Games\\Steam", Folders{"C:\\Games", "C:\\Games\\Steam"}},
        {{"C:\\Games"}, "c:\\GAMES\\", std::nullopt},  // already there
        {{}, "C:\\", std::nullopt},                    // a whole drive
        {{}, "C:", std::nullopt},
        {{}, "", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(with_excluded_folder(c.before, c.path), c.after) << c.path;

    testing::MemorySettings store;  // missing: none
    EXPECT_TRUE(excluded_folders_setting(store).empty());
    store.multi_strings["ExcludedFolders"] = {"C:\\Games"};
    EXPECT_EQ(excluded_folders_setting(store), Folders{"C:\\Games"});
}

TEST(SettingsTest, AutostartUpkeepAtStartup) {
    const std::string command = "\"C:\\Program Files\\Norvik\\Norvik.exe\" --tray";
    struct Case {
        const char* name;
        std::optional<uint32_t> auto_start;
        std::optional<std::string> run_before;
        bool executable_known;
        std::optional<std::string> run_after;
    };
    const Case cases[] = {
        {"fresh user: written", std::nullopt, std::nullopt, true, command},
        {"moved program: repaired", 1, "\"D:\\old\\Norvik.exe\" --tray", true, command},
        {"turned off: left alone", 0, "\"D:\\old\\Norvik.exe\" --tray", true,
         "\"D:\\old\\Norvik.exe\" --tray"},
        {"turned off and absent: stays absent", 0, std::nullopt, true, std::nullopt},
        {"no executable path: skipped", std::nullopt, std::nullopt, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::FakeShell shell;
        if (c.auto_start) shell.memory_settings.dwords["AutoStart"] = *c.auto_start;
        shell.memory_settings.run_command = c.run_before;
        if (!c.executable_known) shell.executable.reset();
        keep_autostart_entry(shell);
        EXPECT_EQ(shell.memory_settings.run_command, c.run_after);
    }
}

TEST(SettingsTest, PlacementOnlyAtExactly44Bytes) {
    for (size_t size : {0u, 43u, 44u, 45u, 88u}) {
        testing::MemorySettings store;
        store.binaries["Placement"] = std::vector<uint8_t>(size, 1);
        EXPECT_EQ(saved_placement(store).has_value(), size == 44) << size;
    }
    testing::MemorySettings empty;
    EXPECT_FALSE(saved_placement(empty).has_value());
}

TEST(SettingsTest, ThemeFollowUp) {
    struct Case {
        std::optional<uint32_t> light;
        bool was_dark;
        bool dark;
        bool changed;
    };
    const Case cases[] = {
        {0, false, true, true},
        {1, true, false, true},
        {std::nullopt, true, false, true},  // unreadable: light
        {0, true, true, false},
        {std::nullopt, false, false, false},
    };
    for (const Case& c : cases) {
        AppFixture f;
        f.shell.memory_settings.apps_use_light_theme = c.light;
        f.app.dark = c.was_dark;
        follow_theme(f.app, f.shell);
        EXPECT_EQ(f.app.dark, c.dark);
        EXPECT_EQ(f.shell.dark_title_bar.has_value(), c.changed);
        EXPECT_EQ(f.shell.invalidations, c.changed ? 1 : 0);
        EXPECT_EQ(f.shell.dark_title_bar, c.changed ? std::optional(c.dark) : std::nullopt);
    }
}

}  // namespace
}  // namespace norvik
