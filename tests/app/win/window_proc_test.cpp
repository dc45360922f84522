// The real window procedure in-process: App lent to one handler at a time, the messages held
// meanwhile, the Deferred work done with App free, and the canvas replaced after device loss.
#include "app/win/window_proc_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/core/settings.h"
#include "app/program/dispatch_win.h"
#include "app/program/window_canvas_win.h"
#include "app/win/menus_win.h"
#include "app/win/message_box_win.h"
#include "app/win/single_instance_win.h"
#include "app/win/win_test_support.h"
#include "support/app_fixture.h"

namespace norvik {
namespace {

// A canvas that draws nothing; end_frame reports what the test says.
class StubCanvas : public Canvas {
  public:
    void begin_frame(Color) override {}
    bool end_frame() override { return false; }
    void fill_rect(RectF, Color) override {}
    void fill_rounded_rect(RectF, float, Color) override {}
    void push_clip(RectF) override {}
    void pop_clip() override {}
    void draw_text(std::string_view, RectF, Color, Font, Align, std::span<const TextRange>,
                   Color) override {}
    void draw_glyph(char32_t, RectF, Color, float) override {}
    float measure(std::string_view, Font) override { return 0; }
    std::vector<float> caret_positions(std::string_view, Font) override { return {0}; }
};

struct Seen {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    bool lent_elsewhere;  // another handler held App at the time (must never happen)
};

class WindowProcTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(window, nullptr);
        window_host().handlers.message = [this](App&, WinShell&, HWND, UINT message, WPARAM wparam,
                                                LPARAM lparam,
                                                const RECT*) -> std::optional<LRESULT> {
            seen.push_back(Seen{message, wparam, lparam, false});
            if (on_message) return on_message(message, wparam, lparam);
            return std::nullopt;
        };
    }

    void TearDown() override {
        set_menu_tracker_for_tests(nullptr);
        set_message_box_for_tests(nullptr);
    }

    WinShell& shell() { return shell_window.shell(); }

    void install_app() { window_host().app = std::make_unique<App>(std::move(fixture.app)); }

    size_t count(UINT message) const {
        return std::count_if(seen.begin(), seen.end(),
                             [&](const Seen& s) { return s.message == message; });
    }

    testing::AppFixture fixture;
    std::vector<Seen> seen;
    std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)> on_message;
    // Last, so it goes first: the window's last messages still find what the handlers use. No
    // App yet, so creating it goes to DefWindowProcW.
    testing::ShellWindow shell_window{L"WindowProc", 400, 300};
    HWND window = shell_window.get();
};

TEST_F(WindowProcTest, WithoutAppMessagesGoToDefWindowProc) {
    EXPECT_EQ(SendMessageW(window, WM_APP_SHOW, 0, 0), 0);
    EXPECT_EQ(SendMessageW(window, WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(seen.empty());
    SetWindowTextW(window, L"still answered by DefWindowProcW");
    wchar_t title[64];
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"still answered by DefWindowProcW");
}

TEST_F(WindowProcTest, MessagesArrivingWhileAppIsLentAreHandledAfterwardsOrLeftToWindows) {
    install_app();
    with_app([&](App&) {
        SendMessageW(window, WM_APP_INDEX_CHANGED, 1, 0);
        SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
        SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(320, 240));
        SendMessageW(window, WM_APP_SEARCH_DONE, 0, 0);
        SendMessageW(window, WM_ENDSESSION, TRUE, 0);
        SendMessageW(window, WM_KEYDOWN, 'A', 0);  // nothing to hold: DefWindowProcW
        EXPECT_TRUE(seen.empty()) << "no handler runs while App is lent";
    });
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].message, WM_APP_INDEX_CHANGED);
    EXPECT_EQ(seen[0].wparam, 1u);
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(seen[1].lparam, MAKELPARAM(320, 240)) << "only the latest size";
    EXPECT_EQ(seen[2].message, WM_APP_SEARCH_DONE);
    EXPECT_EQ(seen[3].message, static_cast<UINT>(WM_ENDSESSION));
}

TEST_F(WindowProcTest, SizeSentFromInsideAHandlerReachesItAfterwards) {
    install_app();
    on_message = [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_APP_SHOW)  // SetWindowPos sends WM_SIZE while App is lent
            SetWindowPos(window, nullptr, 10, 10, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    };
    SendMessageW(window, WM_APP_SHOW, 0, 0);
    ASSERT_EQ(count(WM_SIZE), 1u);
    RECT client;
    GetClientRect(window, &client);
    const auto size =
        std::find_if(seen.begin(), seen.end(), [](const Seen& s) { return s.message == WM_SIZE; });
    EXPECT_EQ(LOWORD(size->lparam), client.right);
    EXPECT_EQ(HIWORD(size->lparam), client.bottom);
}

TEST_F(WindowProcTest, ASecondStartHasHandedOverOnlyWhenTheWindowShowedItself) {
    const wchar_t* test_class = L"NorvikShellTestWindow";
    EXPECT_FALSE(reach_first_instance(true, test_class)) << "no App: starting, or going";
    EXPECT_TRUE(reach_first_instance(false, test_class)) << "a start for the tray only looks";
    install_app();
    window_host().handlers = program_handlers();
    EXPECT_TRUE(reach_first_instance(true, test_class));
    EXPECT_TRUE(IsWindowVisible(window));
}

bool has_rect(HWND window, RECT expected) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return std::memcmp(&rect, &expected, sizeof rect) == 0;
}

// Wine keeps every window at 96 DPI: the DPI changes of a monitor at 150 % are sent here as
// Windows sends them, and a placement saved at 150 % is restored at Wine's 100 %.
TEST_F(WindowProcTest, ADpiChangeKeepsTheRestoredPlacementAndItsSizeInDips) {
    install_app();
    window_host().handlers = program_handlers();
    RECT suggested{100, 80, 1540, 1040};
    with_app([&](App&) {
        // As the first SetWindowPlacement onto such a monitor: the DPI change comes from inside
        // it, and the second call settles the size afterwards.
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144),
                     reinterpret_cast<LPARAM>(&suggested));
        SetWindowPos(window, nullptr, 100, 80, 960, 640, SWP_NOZORDER | SWP_NOACTIVATE);
    });
    EXPECT_TRUE(has_rect(window, RECT{100, 80, 1060, 720}));
    EXPECT_EQ(window_host().app->scale, 1.5f);
    RECT dragged{40, 30, 680, 457};  // the user dragged it to another monitor
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&dragged));
    EXPECT_TRUE(has_rect(window, dragged));

    WINDOWPLACEMENT saved{sizeof saved, 0, SW_SHOWNORMAL, {}, {}, RECT{50, 40, 1490, 1000}};
    SettingsStore& settings = shell().settings();
    ASSERT_TRUE(settings.write_binary(
        SETTING_PLACEMENT, std::span(reinterpret_cast<const uint8_t*>(&saved), sizeof saved)));
    ASSERT_TRUE(settings.write_dword(SETTING_PLACEMENT_DPI, 144));
    SendMessageW(window, WM_APP_SHOW, 0, 0);
    EXPECT_TRUE(has_rect(window, RECT{50, 40, 1010, 680})) << "1440 x 960 at 150 %";
    SendMessageW(window, WM_CLOSE, 0, 0);  // hiding saves it with the DPI it was taken at
    EXPECT_EQ(settings.read_dword(SETTING_PLACEMENT_DPI), 96u);
}

// A placement saved at 100 % on a bigger screen, or at 150 % and rescaled, comes back inside the
// work area, with its status line and its right edge in reach.
TEST_F(WindowProcTest, ARestoredPlacementLargerThanTheScreenIsMovedAndShrunkOntoIt) {
    install_app();
    window_host().handlers = program_handlers();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const RECT work = monitor.rcWork;
    WINDOWPLACEMENT saved{sizeof saved, 0, SW_SHOWNORMAL, {}, {}, RECT{}};
    // Wider than the work area and running past its bottom.
    saved.rcNormalPosition =
        RECT{work.left + 320, work.top + 120, work.right + 480, work.bottom + 200};
    SettingsStore& settings = shell().settings();
    ASSERT_TRUE(settings.write_binary(
        SETTING_PLACEMENT, std::span(reinterpret_cast<const uint8_t*>(&saved), sizeof saved)));
    ASSERT_TRUE(settings.write_dword(SETTING_PLACEMENT_DPI, 96));
    SendMessageW(window, WM_APP_SHOW, 0, 0);
    RECT shown{};
    GetWindowRect(window, &shown);
    EXPECT_TRUE(has_rect(window, work))
        << shown.left << ", " << shown.top << " - " << shown.right << ", " << shown.bottom;
}

TEST_F(WindowProcTest, TheCursorShowsTheWestEastArrowsOverAColumnBorder) {
    install_app();
    window_host().handlers = program_handlers();
    // A 400-pixel window: Name keeps a third (110), Folder is out of view and Size gives 4, so
    // the border between Size and Date modified is at x 238.
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300));
    const HCURSOR arrows = LoadCursorW(nullptr, IDC_SIZEWE);
    struct Case {
        POINT at;
        bool arrows;
    };
    for (const Case& c :
         {Case{{238, 120}, true}, Case{{70, 120}, false}, Case{{238, 200}, false}}) {
        POINT screen = c.at;
        ASSERT_TRUE(ClientToScreen(window, &screen));
        ASSERT_TRUE(SetCursorPos(screen.x, screen.y));
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        const LRESULT answer = SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor() == arrows, c.arrows) << c.at.x << ", " << c.at.y;
        if (c.arrows) {
            EXPECT_EQ(answer, TRUE);
        }
    }
}

TEST_F(WindowProcTest, AMenuRunsWithAppFreeAndQuitFromItEndsTheWindow) {
    install_app();
    bool app_free_in_menu = false;
    set_menu_tracker_for_tests([&](HMENU, const MenuRequest& request) {
        app_free_in_menu = !window_host().lent;
        // Messages during the menu's modal loop are handled at once, not held.
        SendMessageW(window, WM_APP_INDEX_CHANGED, 0, 0);
        return request.kind == MenuKind::Tray ? 5u : 0u;
    });
    std::vector<std::pair<MenuKind, uint32_t>> commands;
    window_host().handlers.menu_command = [&](App&, WinShell& shell, MenuKind kind, uint32_t id) {
        commands.emplace_back(kind, id);
        if (id == 5) shell.defer(DestroyRequest{});
    };
    on_message = [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_APP_TRAY) shell().defer(MenuRequest{MenuKind::Tray, {}, {}});
        if (message == WM_DESTROY) {
            EXPECT_NE(window_host().app, nullptr);
            mark_window_destroyed();  // as the program's WM_DESTROY handler does
        }
        return 0;
    };

    SendMessageW(window, WM_APP_TRAY, 0, WM_RBUTTONUP);

    EXPECT_TRUE(app_free_in_menu);
    EXPECT_EQ(count(WM_APP_INDEX_CHANGED), 1u);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], std::make_pair(MenuKind::Tray, 5u));
    EXPECT_FALSE(IsWindow(window)) << "Quit destroyed the window";
    EXPECT_EQ(count(WM_DESTROY), 1u) << "WM_DESTROY reached its handler with App";
    EXPECT_EQ(window_host().app, nullptr) << "App dropped after WM_DESTROY";
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(WindowProcTest, AMessageBoxAnswerComesBackToTheCore) {
    install_app();
    set_message_box_for_tests([&](const MessageBoxRequest& box) {
        EXPECT_FALSE(window_host().lent);
        return box.yes_no ? IDYES : IDOK;
    });
    std::vector<int> answers;
    window_host().handlers.message_box_answer = [&](App&, WinShell&, const MessageBoxRequest&,
                                                    int answer) { answers.push_back(answer); };
    with_app([&](App&) {
        shell().defer(
            MessageBoxRequest{MessagePurpose::About, "About Norvik", "Norvik 0.1.0", false});
        shell().defer(MessageBoxRequest{MessagePurpose::UpdateQuestion, "Norvik", "Update?", true});
    });
    EXPECT_EQ(answers, (std::vector<int>{IDOK, IDYES}));
}

TEST_F(WindowProcTest, ALostDeviceIsReplacedAndAFailedCreationIsRetriedLater) {
    install_app();
    int created = 0;
    bool fail_creation = false;
    bool old_canvas_gone_first = true;
    window_host().renderers.create = [&](HWND, uint32_t) -> std::unique_ptr<Canvas> {
        old_canvas_gone_first = old_canvas_gone_first && !window_host().app->renderer;
        ++created;
        if (fail_creation) return nullptr;
        return std::make_unique<StubCanvas>();
    };
    bool lose_device = true;
    int frames = 0;
    window_host().handlers.paint = [&](App&) {
        ++frames;
        return std::exchange(lose_device, false);
    };
    on_message = [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_PAINT) paint_window(*window_host().app, window);
        return 0;
    };

    ShowWindow(window, SW_SHOWNA);         // hidden windows keep no update region
    SendMessageW(window, WM_PAINT, 0, 0);  // no canvas yet: made, draws, device lost, replaced
    EXPECT_EQ(created, 2);
    EXPECT_TRUE(old_canvas_gone_first);
    EXPECT_EQ(frames, 1);
    EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE)) << "the rebuild's new frame was asked for";

    fail_creation = true;
    window_host().app->renderer.reset();
    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(created, 3);
    SendMessageW(window, WM_PAINT, 0, 0);  // within the second: no new attempt
    EXPECT_EQ(created, 3);
    fail_creation = false;
    Sleep(1100);
    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(created, 4);
    EXPECT_EQ(frames, 2);
}

}  // namespace
}  // namespace norvik
