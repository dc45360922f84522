#include "app/core/commands.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/menus.h"
#include "app/core/settings.h"
#include "app/core/window_events.h"
#include "app/input/keys.h"
#include "app/input/mouse.h"
#include "index/changes.h"
#include "query/test_tables.h"
#include "search/search.h"
#include "support/app_fixture.h"
#include "vendor.h"

namespace norvik {
namespace {

using testing::AppFixture;

const std::string RUN_COMMAND = "\"C:\\Program Files\\Norvik\\Norvik.exe\" --tray";
const std::string RESTART = "Takes effect the next time Norvik starts";

TEST(MenuCommandsTest, RebuildFromF5AndBothMenus) {
    AppFixture f;
    std::atomic<int> volume_listings{0};
    ServicePlatform platform = testing::idle_platform();
    platform.list_volumes = [&] {
        ++volume_listings;
        return std::vector<std::string>{};
    };
    IndexService service{f.index, platform,
                         ServiceOptions{"", &f.items_read, &f.exit_requested, &f.index_dirty}};
    f.app.engine.service = &service;

    EXPECT_TRUE(on_key_down(f.app, f.shell, KeyEvent{VK_KEY_F5, false, false, false}));
    on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_REBUILD);
    on_menu_command(f.app, f.shell, MenuKind::Tray, MENU_REBUILD);
    service.wait_for_rescans();
    EXPECT_EQ(volume_listings.load(), 3);
    EXPECT_GE(f.shell.invalidations, 3);
}

TEST(MenuCommandsTest, SwitchesAndTheRunValue) {
    AppFixture f;
    testing::MemorySettings& store = f.shell.memory_settings;
    store.run_command = RUN_COMMAND;

    on_menu_command(f.app, f.shell, MenuKind::Tray, MENU_AUTO_START);
    EXPECT_EQ(store.dwords.at("AutoStart"), 0u);
    EXPECT_EQ(store.run_command, std::nullopt);
    keep_autostart_entry(f.shell);  // the next start leaves it absent
    EXPECT_EQ(store.run_command, std::nullopt);

    f.shell.executable.reset();  // on again without a known path: the switch only
    on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_AUTO_START);
    EXPECT_EQ(store.dwords.at("AutoStart"), 1u);
    EXPECT_EQ(store.run_command, std::nullopt);
    f.shell.executable = "C:\\Program Files\\Norvik\\Norvik.exe";
    on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_AUTO_START);
    on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_AUTO_START);
    EXPECT_EQ(store.run_command, RUN_COMMAND);

    on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_AUTO_UPDATE);
    EXPECT_EQ(store.dwords.at("AutoUpdate"), 0u);
    on_menu_command(f.app, f.shell, MenuKind::Tray, MENU_AUTO_UPDATE);
    EXPECT_EQ(store.dwords.at("AutoUpdate"), 1u);

    store.writes_fail = true;  // a switch that cannot be written leaves the Run value alone
    on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_AUTO_START);
    EXPECT_EQ(store.dwords.at("AutoStart"), 1u);
    EXPECT_EQ(store.run_command, RUN_COMMAND);
}

TEST(MenuCommandsTest, LanguagesAreStoredWithTheRestartToast) {
    struct Case {
        uint32_t id;
        std::string stored;
    };
    const Case cases[] = {{100, ""},        {101, "en"},      {102, "ko"},
                          {104, "zh-Hans"}, {105, "zh-Hant"}, {110, "ru"}};
    for (const Case& c : cases) {
        AppFixture f;
        f.shell.memory_settings.strings["Language"] = "de";
        on_menu_command(f.app, f.shell, MenuKind::Settings, c.id);
        EXPECT_EQ(f.shell.memory_settings.strings.at("Language"), c.stored);
        ASSERT_TRUE(f.app.toast.has_value());
        EXPECT_EQ(f.app.toast->text, RESTART);
    }

    AppFixture f;
    f.shell.memory_settings.writes_fail = true;
    on_menu_command(f.app, f.shell, MenuKind::Tray, 103);
    EXPECT_FALSE(f.app.toast.has_value());  // nothing changes at the next start either
}

TEST(MenuCommandsTest, WindowQuitUpdatesVendorPageAndAbout) {
    AppFixture f;
    f.shell.visible = false;
    on_menu_command(f.app, f.shell, MenuKind::Tray, MENU_SHOW);
    EXPECT_TRUE(f.shell.visible);

    f.shell.visible = false;
    on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_CHECK_UPDATES);
    EXPECT_TRUE(f.shell.visible);
    EXPECT_EQ(f.app.toast->text, "Checking for updates…");
    EXPECT_EQ(f.shell.update_checks, std::vector<bool>{true});

    on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_MORE_APPS);
    EXPECT_EQ(f.shell.opened_urls, std::vector<std::string>{std::string(vendor::MAIN_URL)});

    on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_ABOUT);
    on_menu_command(f.app, f.shell, MenuKind::Tray, MENU_QUIT);
    ASSERT_EQ(f.shell.deferred.size(), 2u);
    const auto* about = std::get_if<MessageBoxRequest>(&f.shell.deferred[0]);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->purpose, MessagePurpose::About);
    EXPECT_EQ(about->caption, "About Norvik");
    EXPECT_EQ(about->text, "Norvik 0.1.0\n\nA free file name search app, made for Korean\n\n" +
                               std::string(vendor::PRODUCT_URL) + "\n" +
                               std::string(vendor::MAKER_NOTICE));
    EXPECT_FALSE(about->yes_no);
    EXPECT_TRUE(std::holds_alternative<DestroyRequest>(f.shell.deferred[1]));

    const size_t deferred = f.shell.deferred.size();              // dismissed menus and unknown ids
    for (uint32_t id : {0u, 12u, 99u, 111u, MENU_INCLUDE_FIRST})  // no folder is excluded
        on_menu_command(f.app, f.shell, MenuKind::Settings, id);
    for (uint32_t id : {0u, 6u, 8u})
        on_menu_command(f.app, f.shell, MenuKind::Context, id);
    EXPECT_EQ(f.shell.deferred.size(), deferred);
    EXPECT_EQ(f.shell.opened_urls.size(), 1u);
}

TEST(MenuCommandsTest, ExcludedFoldersAreStoredAndLeaveTheIndexAtOnce) {
    AppFixture f;
    VolumeTable table = VolumeTable::with_root("C:\\");
    const uint32_t games = add_path(table, "Games", {.attributes = ATTRIBUTE_DIRECTORY})->index;
    const uint32_t save = add_path(table, "Games\\save.dat", {})->index;
    table.table_id = 4;
    f.index.tables.push_back(std::move(table));
    testing::MemorySettings& store = f.shell.memory_settings;
    auto context = [&](uint32_t entry) {
        f.app.menu_target = ChosenEntry{0, 4, entry};
        on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_EXCLUDE);
    };
    auto picked = [&](const char* path) { on_folder_picked(f.app, f.shell, path); };
    auto settings = [&](uint32_t id) { on_menu_command(f.app, f.shell, MenuKind::Settings, id); };
    struct Step {
        std::function<void()> act;
        std::vector<std::string> stored;
        std::vector<std::string> service_c, service_d;  // what the service leaves out, per drive
    };
    const Step steps[] = {
        {[&] { context(save); }, {}, {}, {}},  // a file's row excludes nothing
        {[&] { context(0); }, {}, {}, {}},     // nor a drive's root
        {[&] { context(games); }, {"C:\\Games"}, {"games"}, {}},
        {[&] { picked("D:\\빌드\\"); }, {"C:\\Games", "D:\\빌드"}, {"games"}, {"빌드"}},
        {[&] { picked("c:\\GAMES"); }, {"C:\\Games", "D:\\빌드"}, {"games"}, {"빌드"}},
        {[&] { picked("D:\\"); }, {"C:\\Games", "D:\\빌드"}, {"games"}, {"빌드"}},
        {[&] { settings(MENU_INCLUDE_FIRST); }, {"D:\\빌드"}, {}, {"빌드"}},
        {[&] { settings(MENU_INCLUDE_FIRST + 1); }, {"D:\\빌드"}, {}, {"빌드"}},  // past the list
        {[&] {  // a list that cannot be stored is not applied either
             store.writes_fail = true;
             picked("C:\\Temp");
             settings(MENU_INCLUDE_FIRST);
         },
         {"D:\\빌드"},
         {},
         {"빌드"}},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        steps[i].act();
        EXPECT_EQ(excluded_folders_setting(store), steps[i].stored) << "step " << i;
        EXPECT_EQ(f.service.exclusions_for("C:\\").paths(), steps[i].service_c) << "step " << i;
        EXPECT_EQ(f.service.exclusions_for("D:\\").paths(), steps[i].service_d) << "step " << i;
    }
    EXPECT_FALSE(f.index.tables[0].is_live(games));  // gone with what it held
    EXPECT_FALSE(f.index.tables[0].is_live(save));

    settings(MENU_EXCLUDE_FOLDER);  // the picker opens once the handler has returned
    ASSERT_EQ(f.shell.deferred.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<FolderPickerRequest>(f.shell.deferred[0]));
}

// Another order keeps the selected file selected and brings it into view, as the file manager
// does, whether it was chosen from the header or its menu. 300 files "f1" ... "f300", newest last,
// listed in Best match order (newest first); "f150" (row 150) is selected near the top of the
// view.
TEST(SortCommandsTest, AnotherOrderKeepsTheSelectedItemSelectedAndInView) {
    struct Case {
        const char* how;
        std::function<void(AppFixture&)> sort;
    };
    const Case cases[] = {
        {"Name header clicked",
         [](AppFixture& f) {
             on_left_button_down(f.app, f.shell, Point{100, 125}, false);
             on_left_button_up(f.app, f.shell, Point{100, 125});
         }},
        {"Date modified from the header menu",
         [](AppFixture& f) {
             on_menu_command(f.app, f.shell, MenuKind::Header, HEADER_DATE_MODIFIED);
         }},
        {"Size from the header menu",
         [](AppFixture& f) { on_menu_command(f.app, f.shell, MenuKind::Header, HEADER_SIZE); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        AppFixture f;
        VolumeTable table = VolumeTable::with_root("C:\\");
        for (uint32_t i = 1; i <= 300; ++i) {
            std::string name = "f";
            name += std::to_string(i);
            testing::add_file(table, 0, name, 1000 + i, 7 * (i % 13));
        }
        f.index.replace_all({std::move(table)});
        f.app.text.push_back(U'f');
        const auto deliver = [&f] {
            const SearchRequest request = *f.worker.pending_request();
            SearchResult result = run_search(f.index, request, 1);
            accept_search_result(f.app, f.shell, std::move(result));
        };
        rerun_search(f.app, f.shell, true);
        deliver();
        select_row(f.app, f.shell, 150);
        const ChosenEntry chosen = *entry_of_row(f.app, 150);

        c.sort(f);
        deliver();
        ASSERT_TRUE(f.app.selected.has_value());
        EXPECT_EQ(entry_of_row(f.app, *f.app.selected), chosen);
        const Metrics m = metrics(f.app);
        const double top = *f.app.selected * static_cast<double>(m.row_height);
        EXPECT_GE(top, f.app.scroll);
        EXPECT_LE(top + m.row_height, f.app.scroll + m.list_height);
    }
}

// "Exclude from Norvik" says what it took out, for longer than a plain toast, and its Undo (Ctrl+Z,
// or the toast's button) includes the folder again; with no Undo on offer Ctrl+Z is not taken.
TEST(MenuCommandsTest, AnExclusionIsToldWithAnUndoThatIncludesTheFolderAgain) {
    using std::chrono::milliseconds;
    struct Case {
        const char* what;
        std::vector<std::string> stored_before;  // excluded before "Games"
        std::function<void(AppFixture&)> meanwhile;
        std::vector<std::string> stored_after;
    };
    const Case cases[] = {
        {"undone", {}, [](AppFixture&) {}, {}},
        {"others kept", {"D:\\빌드"}, [](AppFixture&) {}, {"D:\\빌드"}},
        {"included meanwhile from the menu",
         {},
         [](AppFixture& f) {
             on_menu_command(f.app, f.shell, MenuKind::Settings, MENU_INCLUDE_FIRST);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppFixture f;
        VolumeTable table = VolumeTable::with_root("C:\\");
        const uint32_t games = add_path(table, "Games", {.attributes = ATTRIBUTE_DIRECTORY})->index;
        table.table_id = 4;
        f.index.tables.push_back(std::move(table));
        testing::MemorySettings& store = f.shell.memory_settings;
        ASSERT_TRUE(store.write_multi_string(SETTING_EXCLUDED_FOLDERS, c.stored_before));
        f.app.menu_target = ChosenEntry{0, 4, games};
        on_menu_command(f.app, f.shell, MenuKind::Context, CONTEXT_EXCLUDE);
        ASSERT_TRUE(f.app.toast.has_value());
        EXPECT_EQ(f.app.toast->text, "Excluded from Norvik: C:\\Games");
        EXPECT_EQ(f.app.toast->undo_exclusion, "C:\\Games");
        EXPECT_EQ(f.shell.timers[Timer::Toast], UNDO_TOAST_MS);
        f.shell.clock += milliseconds(TOAST_MS);
        on_timer(f.app, f.shell, Timer::Toast);  // a plain toast's time: this one stays
        ASSERT_TRUE(f.app.toast.has_value());

        c.meanwhile(f);
        EXPECT_TRUE(on_key_down(f.app, f.shell, KeyEvent{VK_KEY_Z, true, false, false}));
        EXPECT_FALSE(f.app.toast.has_value());
        EXPECT_EQ(excluded_folders_setting(store), c.stored_after);
        EXPECT_TRUE(f.service.exclusions_for("C:\\").paths().empty());
        EXPECT_FALSE(on_key_down(f.app, f.shell, KeyEvent{VK_KEY_Z, true, false, false}));
    }
    AppFixture plain;
    set_toast(plain.app, plain.shell, "Path copied");
    EXPECT_FALSE(on_key_down(plain.app, plain.shell, KeyEvent{VK_KEY_Z, true, false, false}));
    EXPECT_TRUE(plain.app.toast.has_value());
}

}  // namespace
}  // namespace norvik
