// A renderer on a real window under Wine, whose frames the tests read back from the screen, and
// the few measures of "ink" (pixels that differ from the background) the tests assert on.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "gfx/renderer.h"
#include "ui_support/drawing_window.h"
#include "ui_support/screen_capture.h"

namespace norvik::testing {

inline constexpr Color WHITE = rgb(0xFFFFFF);
inline constexpr Color BLACK = rgb(0x000000);

// The bounding box and count of the pixels in `area` that differ from `background`.
struct Ink {
    int count = 0;
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive

    float centre_x() const { return (left + right) / 2.0f; }
    float centre_y() const { return (top + bottom) / 2.0f; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

inline Ink ink_in(const Capture& capture, RectF area, uint32_t background = 0xFFFFFF) {
    Ink ink;
    const int x0 = std::max(0, static_cast<int>(area.x));
    const int y0 = std::max(0, static_cast<int>(area.y));
    const int x1 = std::min(capture.width, static_cast<int>(area.right()));
    const int y1 = std::min(capture.height, static_cast<int>(area.bottom()));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (capture.at(x, y) == background) continue;
            if (ink.count++ == 0) {
                ink.left = x, ink.top = y, ink.right = x + 1, ink.bottom = y + 1;
            }
            ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x + 1);
            ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y + 1);
        }
    }
    return ink;
}

class RendererTest : public ::testing::Test {
  protected:
    static constexpr int WIDTH = 480;
    static constexpr int HEIGHT = 240;
    // The bottom right corner carries a colour unique to each frame, so that a capture is known
    // to show the frame just drawn; tests draw nothing there.
    static constexpr RectF STAMP{WIDTH - 4, HEIGHT - 4, 4, 4};

    void SetUp() override {
        ASSERT_NE(window_.get(), nullptr) << NO_DISPLAY_HINT;
        make_renderer(96);
    }

    void make_renderer(uint32_t dpi) {
        renderer_.reset();  // a window holds one flip-model swap chain at a time
        RendererOrError made = create_renderer(window_.get(), dpi);
        ASSERT_TRUE(made.renderer) << "create_renderer failed: 0x" << std::hex << made.error;
        renderer_ = std::move(made.renderer);
    }

    // Draws one frame over `clear` and returns the screen once it shows that frame.
    Capture show(const std::function<void(Renderer&)>& draw, Color clear = WHITE) {
        const uint32_t stamp = 0x203040 + 0x010305 * (++frames_ % 40);
        renderer_->begin_frame(clear);
        draw(*renderer_);
        renderer_->fill_rect(STAMP, rgb(stamp));
        EXPECT_FALSE(renderer_->end_frame()) << "a healthy device reported loss";
        window_.pump();
        std::optional<Capture> capture = capture_when(
            window_.get(), [&](const Capture& c) { return c.at(WIDTH - 1, HEIGHT - 1) == stamp; });
        EXPECT_TRUE(capture && capture->at(WIDTH - 1, HEIGHT - 1) == stamp)
            << "the frame never reached the screen";
        if (!capture) return Capture{WIDTH, HEIGHT, std::vector<uint32_t>(WIDTH * HEIGHT)};
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        keep_capture(*capture, std::string(test->test_suite_name()) + "." + test->name() + "." +
                                   std::to_string(frames_));
        return *capture;
    }

    // The whole frame but the stamp.
    static RectF everywhere() { return RectF{0, 0, WIDTH, HEIGHT - STAMP.height}; }

    DrawingWindow window_{WIDTH, HEIGHT};
    std::unique_ptr<Renderer> renderer_;
    int frames_ = 0;
};

}  // namespace norvik::testing
