// Frames on a real window under Wine: fills reach the screen in their exact colours, clips hold,
// the swap chain survives a window shrunk to nothing, and a renderer can be replaced after a
// device loss.
#include <gtest/gtest.h>

#include <cmath>

#include "gfx/device_loss.h"
#include "renderer_fixture.h"

namespace norvik::testing {
namespace {

TEST_F(RendererTest, FillsShowTheirExactColours) {
    // Palette colours of both themes and the fixed ones.
    for (uint32_t hex : {0x7C3AEDu, 0x17181Bu, 0xF6F7F9u, 0xE0A100u, 0xDC2626u, 0x000000u}) {
        const Capture shown = show([&](Renderer& r) {
            r.fill_rect({20, 20, 100, 60}, rgb(hex));
            r.fill_rounded_rect({200, 20, 100, 60}, 10, rgb(hex));
        });
        EXPECT_EQ(shown.at(70, 50), hex);
        EXPECT_EQ(shown.at(250, 50), hex);
        EXPECT_EQ(shown.at(200, 20), 0xFFFFFFu) << "a rounded corner is cut";
        EXPECT_EQ(shown.at(19, 50), 0xFFFFFFu);
        EXPECT_EQ(shown.at(120, 50), 0xFFFFFFu) << "the right edge is exclusive";
    }
}

TEST_F(RendererTest, TranslucentFillsBlendWithStraightAlpha) {
    // The selected row's tint: accent at 0.16 over the light window background.
    const Color tint = rgb(0x7C3AED, 0.16f);
    const Capture shown = show(
        [&](Renderer& r) {
            r.fill_rect({20, 20, 100, 60}, tint);
        },
        rgb(0xF6F7F9));
    const uint32_t pixel = shown.at(70, 50);
    const auto blend = [&](float over, float under) {
        return std::lround(255 * (tint.a * over + (1 - tint.a) * under));
    };
    EXPECT_NEAR((pixel >> 16) & 0xFF, blend(tint.r, 0xF6 / 255.0f), 1);
    EXPECT_NEAR((pixel >> 8) & 0xFF, blend(tint.g, 0xF7 / 255.0f), 1);
    EXPECT_NEAR(pixel & 0xFF, blend(tint.b, 0xF9 / 255.0f), 1);
}

TEST_F(RendererTest, ClipsLimitFillsUntilPopped) {
    const Capture shown = show([](Renderer& r) {
        r.push_clip({100, 50, 40, 40});
        r.fill_rect({0, 0, 300, 200}, rgb(0x10B981));
        r.pop_clip();
        r.fill_rect({300, 50, 20, 20}, rgb(0x3B82F6));
    });
    EXPECT_EQ(shown.at(120, 70), 0x10B981u);
    EXPECT_EQ(shown.at(99, 70), 0xFFFFFFu);
    EXPECT_EQ(shown.at(140, 70), 0xFFFFFFu);
    EXPECT_EQ(shown.at(120, 90), 0xFFFFFFu);
    EXPECT_EQ(shown.at(310, 60), 0x3B82F6u) << "drawing after the pop is not clipped";
}

TEST_F(RendererTest, AWindowShrunkToNothingKeepsDrawing) {
    renderer_->resize(0, 0);  // a minimised window: the swap chain becomes 1 x 1
    renderer_->begin_frame(WHITE);
    renderer_->fill_rect({0, 0, 10, 10}, BLACK);
    EXPECT_FALSE(renderer_->end_frame());

    renderer_->resize(WIDTH, HEIGHT);
    const Capture shown = show([](Renderer& r) { r.fill_rect({400, 100, 40, 40}, BLACK); });
    EXPECT_EQ(shown.at(420, 120), 0x000000u);
    EXPECT_EQ(shown.at(20, 20), 0xFFFFFFu);
}

TEST(DeviceLoss, OnlyTheLostDeviceCodesAskForARebuild) {
    struct Case {
        HRESULT hr;
        bool after_end_draw;
        bool after_present;
    };
    const Case cases[] = {
        {S_OK, false, false},
        {E_FAIL, false, false},
        {static_cast<HRESULT>(D2DERR_RECREATE_TARGET), true, false},
        {DXGI_ERROR_DEVICE_REMOVED, false, true},
        {DXGI_ERROR_DEVICE_RESET, false, true},
        {DXGI_ERROR_DEVICE_HUNG, false, false},  // Present reports a hang as removed
        {DXGI_STATUS_OCCLUDED, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(end_draw_lost_device(c.hr), c.after_end_draw) << std::hex << c.hr;
        EXPECT_EQ(present_lost_device(c.hr), c.after_present) << std::hex << c.hr;
    }
}

TEST_F(RendererTest, ARendererReplacedAfterALossDrawsAtOnce) {
    show([](Renderer& r) { r.fill_rect({0, 0, 100, 100}, rgb(0xEC4899)); });
    // What the window does when a frame reports a lost device: the old renderer goes first,
    // since the window's flip-model swap chain is still held by it, then a new one is made.
    make_renderer(96);
    const Capture shown = show([](Renderer& r) { r.fill_rect({100, 100, 50, 50}, rgb(0x8B5CF6)); });
    EXPECT_EQ(shown.at(125, 125), 0x8B5CF6u);
    EXPECT_EQ(shown.at(50, 50), 0xFFFFFFu) << "the new renderer clears the whole window";
}

}  // namespace
}  // namespace norvik::testing
