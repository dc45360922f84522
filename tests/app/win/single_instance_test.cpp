// A second start reaching the running instance's window: only an answer that the window showed
// itself counts as handed over.
#include "app/win/single_instance_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/core/messages.h"

namespace norvik {
namespace {

constexpr wchar_t TEST_CLASS[] = L"NorvikSecondStartTest";

// What the test window answers to WM_APP_SHOW, and how often it was asked.
LRESULT show_answer = 0;
int show_requests = 0;

LRESULT CALLBACK test_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_APP_SHOW) {
        ++show_requests;
        return show_answer;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

TEST(SingleInstanceTest, OnlyAWindowThatShowedItselfTookTheHandOver) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = test_window_proc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = TEST_CLASS;
    ASSERT_NE(RegisterClassExW(&window_class), 0);

    EXPECT_FALSE(reach_first_instance(true, TEST_CLASS)) << "no window yet";
    EXPECT_FALSE(reach_first_instance(false, TEST_CLASS));

    HWND window = CreateWindowExW(0, TEST_CLASS, L"Norvik", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    struct Case {
        bool show;
        LRESULT answer;
        bool reached;
        int requests;
    };
    const Case cases[] = {
        {true, SHOW_TAKEN, true, 1},
        {true, 0, false, 1},  // no App: starting, or going after Quit
        {false, 0, true, 0},  // a start for the tray only looks
    };
    for (const Case& c : cases) {
        show_answer = c.answer;
        show_requests = 0;
        EXPECT_EQ(reach_first_instance(c.show, TEST_CLASS), c.reached) << c.show << c.answer;
        EXPECT_EQ(show_requests, c.requests) << c.show << c.answer;
    }
    DestroyWindow(window);
    UnregisterClassW(TEST_CLASS, GetModuleHandleW(nullptr));
}

}  // namespace
}  // namespace norvik
