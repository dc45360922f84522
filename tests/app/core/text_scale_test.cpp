#include "app/core/text_scale.h"

#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace norvik {
namespace {

using testing::AppFixture;

// WM_SETTINGCHANGE with a new text size: the scale follows on top of the DPI, the list keeps the
// same rows in view, and only a change asks the shell for new fonts and a frame.
TEST(TextScaleTest, ANewTextSizeRescalesTheWindow) {
    struct Case {
        uint32_t dpi;
        uint32_t from;
        uint32_t to;
        bool changed;
        float scale;
        double scroll;  // from row 10 at the old scale
    };
    const Case cases[] = {
        {96, 100, 150, true, 1.5f, 480},  {144, 100, 150, true, 2.25f, 720},
        {144, 150, 100, true, 1.5f, 480}, {96, 150, 150, false, 1.5f, 480},
        {96, 100, 90, false, 1.0f, 320},  // below 100 % reads as 100 %
    };
    for (const Case& c : cases) {
        AppFixture f;
        f.app.results.resize(1000);
        f.app.dpi = c.dpi;
        f.app.text_scale = c.from;
        f.app.scale = static_cast<float>(drawing_dpi(f.app)) / 96;
        f.app.scroll = 10 * f.app.scale * 32;
        EXPECT_EQ(set_text_scale(f.app, f.shell, c.to), c.changed) << c.to;
        EXPECT_EQ(f.app.scale, c.scale);
        EXPECT_DOUBLE_EQ(f.app.scroll, c.scroll);
        EXPECT_EQ(f.shell.invalidations, c.changed ? 1 : 0);
    }
}

}  // namespace
}  // namespace norvik
