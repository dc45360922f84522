#include "ui_support/drawing_window.h"

#include "ui_support/pump_messages.h"

namespace norvik::testing {
namespace {

constexpr wchar_t CLASS_NAME[] = L"Norvik.Test";

LRESULT CALLBACK drawing_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    // The frames come from the test, not from WM_PAINT: validate so Windows stops asking.
    if (message == WM_PAINT) {
        ValidateRect(window, nullptr);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wparam, lparam);
}

void register_class_once() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = drawing_window_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = CLASS_NAME;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

DrawingWindow::DrawingWindow(int width, int height) {
    register_class_once();
    // A popup has no frame, so its window size is its client size, at a known place on screen.
    window_ =
        CreateWindowExW(WS_EX_TOPMOST, CLASS_NAME, L"Norvik test", WS_POPUP | WS_VISIBLE, 0, 0,
                        width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    pump();
}

DrawingWindow::~DrawingWindow() {
    if (window_) DestroyWindow(window_);
}

void DrawingWindow::pump() const {
    pump_messages();
}

}  // namespace norvik::testing
