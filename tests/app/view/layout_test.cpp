#include "app/view/layout.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/core/text_scale.h"
#include "app/core/window_events.h"
#include "support/app_fixture.h"
#include "support/canvas_window.h"

namespace norvik {
namespace {

using testing::AppFixture;
using testing::CanvasWindow;

// A window of the given size and scale drawing on a recording canvas.
struct Window : CanvasWindow {
    Window(float scale, float width, float height, size_t rows = 0) : CanvasWindow(scale, rows) {
        app.client_width = width;
        app.client_height = height;
    }
};

TEST(LayoutTest, ColumnsAtOneAndOneAndAHalfScaleAndInANarrowWindow) {
    struct Case {
        float scale, width;
        float name_x, name_width, folder_x, folder_width, size_x, size_width, date_x, date_width;
    };
    const Case cases[] = {
        {1.0f, 960, 46, 333, 379, 333, 712, 86, 798, 136},
        {1.5f, 1440, 69, 500, 569, 499, 1068, 129, 1197, 204},
        // Name keeps a third: Folder gives way first, down to 50 DIPs, then out of view; then
        // Size. The last column ends 26 DIPs inside the window, clear of the scroll bar.
        {1.0f, 544, 46, 158, 204, 92, 296, 86, 382, 136},
        {1.5f, 816, 69, 236, 305, 139, 444, 129, 573, 204},
        {1.0f, 300, 46, 92, 138, 0, 138, 0, 138, 136},
    };
    for (const Case& c : cases) {
        Window w(c.scale, c.width, 640);
        const std::array<ColumnSpec, 4> columns = column_specs(w.app);
        const float expected[4][2] = {{c.name_x, c.name_width},
                                      {c.folder_x, c.folder_width},
                                      {c.size_x, c.size_width},
                                      {c.date_x, c.date_width}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(columns[i].x, expected[i][0]) << c.width << " column " << i;
            EXPECT_FLOAT_EQ(columns[i].width, expected[i][1]) << c.width << " column " << i;
            EXPECT_EQ(static_cast<int>(columns[i].column), i + 1);
        }
        EXPECT_EQ(columns[0].label, "Name");
        EXPECT_EQ(columns[2].align, Align::Trailing);
    }
}

TEST(LayoutTest, SizedColumnsKeepTheirDipsAndNameTakesTheRest) {
    struct Case {
        float scale, width;
        ColumnWidths sized;
        float name_width, folder_width, size_width, date_width;
    };
    const Case cases[] = {
        {1.0f, 960, {200, 100, 150}, 438, 200, 100, 150},
        {1.5f, 1440, {200, 100, 150}, 657, 300, 150, 225},
        {1.25f, 1200, {201, 99, 150}, 547, 251, 124, 188},  // each rounded to whole pixels
        {1.0f, 680, {150, 100, 150}, 208, 150, 100, 150},
        {1.0f, 580, {150, 100, 150}, 170, 88, 100, 150},  // Folder gives way to Name's third
        {1.0f, 500, {200, 100, 150}, 178, 0, 100, 150},   // then goes out of view
    };
    for (const Case& c : cases) {
        Window w(c.scale, c.width, 640);
        w.app.column_widths = c.sized;
        const std::array<ColumnSpec, 4> columns = column_specs(w.app);
        const float widths[4] = {c.name_width, c.folder_width, c.size_width, c.date_width};
        float x = 46 * c.scale;
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(columns[i].x, x) << c.width << " column " << i;
            EXPECT_FLOAT_EQ(columns[i].width, widths[i]) << c.width << " column " << i;
            x += widths[i];
        }
        const ShownColumns shown = shown_columns(w.app);
        EXPECT_FLOAT_EQ(shown.name, c.name_width / c.scale);
        EXPECT_FLOAT_EQ(shown.others.size, c.size_width / c.scale);
        // A drag starts from the width a column out of view would have.
        EXPECT_FLOAT_EQ(shown.others.folder,
                        c.folder_width > 0 ? c.folder_width / c.scale : c.sized.folder);
        // The borders' grips move with the columns; a column out of view has none.
        const float border = columns[1].x + columns[1].width;
        const HitTarget grip = c.folder_width > 0 ? HitTarget{HitKind::ColumnBorder, 1}
                                                  : HitTarget{HitKind::ColumnHeader, 3};
        EXPECT_EQ(hit_test(w.app, border, 120 * c.scale), grip) << c.width;
    }
}

TEST(LayoutTest, TabsAreAsWideAsTheirLabelsAndNeedARenderer) {
    for (float scale : {1.0f, 1.5f}) {
        Window w(scale, 960 * scale, 640 * scale);
        const std::vector<TabRect> tabs = tab_rects(w.app);
        ASSERT_EQ(tabs.size(), 7u);
        const float all = w.canvas->width_of("All", Font::Body) + 26 * scale;
        EXPECT_EQ(tabs[0], (TabRect{0, RectF{16 * scale, 68 * scale, all, 30 * scale}}));
        EXPECT_FLOAT_EQ(tabs[1].rect.x, 16 * scale + all + 6 * scale);
        EXPECT_FLOAT_EQ(tabs[1].rect.width, w.canvas->width_of("Folders", Font::Body) + 26 * scale);
        EXPECT_EQ(tabs[6].filter, 6);
    }
    AppFixture bare;
    EXPECT_TRUE(tab_rects(bare.app).empty());
}

TEST(LayoutTest, ScrollBarFollowsTheScrollAndOnlyWhenRowsOverflow) {
    Window w(1, 960, 640, 100);  // 3,200 pixels of rows in a 470-pixel list
    std::optional<ScrollBar> bar = scrollbar_geometry(w.app);
    ASSERT_TRUE(bar.has_value());
    EXPECT_EQ(bar->track, (RectF{948, 142, 10, 466}));
    const float thumb = 470.0f * 466 / 3200;
    EXPECT_EQ(bar->thumb, (RectF{950, 142, 6, thumb}));
    w.app.scroll = 3200 - 470;
    EXPECT_FLOAT_EQ(scrollbar_geometry(w.app)->thumb.bottom(), 142 + 466);

    w.app.results.resize(100'000);  // the thumb never shrinks below 28 DIPs
    EXPECT_FLOAT_EQ(scrollbar_geometry(w.app)->thumb.height, 28);
    w.app.results.resize(14);  // 448 pixels fit
    EXPECT_FALSE(scrollbar_geometry(w.app).has_value());
}

TEST(LayoutTest, HitTestAtOneAndOneAndAHalfScale) {
    struct Case {
        float x, y;  // in DIPs, scaled below
        HitTarget expected;
    };
    const HitTarget nothing{};
    const Case cases[] = {
        {20, 20, {HitKind::SearchBox, 0}},
        {897.5f, 57.5f, {HitKind::SearchBox, 0}},
        {900, 20, nothing},  // between the box and the button
        {904, 16, {HitKind::SettingsButton, 0}},
        {944, 30, nothing},
        {16, 68, {HitKind::FilterTab, 0}},
        {64, 80, nothing},  // the gap after "All" (45.5 + 6 wide)
        {68, 80, {HitKind::FilterTab, 1}},
        {20, 120, {HitKind::ColumnHeader, 1}},  // the icon column belongs to Name
        {375, 120, {HitKind::ColumnHeader, 1}},
        {375.5f, 120, {HitKind::ColumnBorder, 0}},  // within 4 DIPs of the border at 379
        {382.5f, 120, {HitKind::ColumnBorder, 0}},
        {384, 120, {HitKind::ColumnHeader, 2}},
        {712, 139, {HitKind::ColumnBorder, 1}},
        {716, 139, {HitKind::ColumnHeader, 3}},
        {798, 125, {HitKind::ColumnBorder, 2}},
        {379, 150, {HitKind::ResultRow, 0}},  // the grips are in the header only
        {933.5f, 110, {HitKind::ColumnHeader, 4}},
        {935, 120, nothing},
        {100, 140, {HitKind::ResultRow, 0}},
        {100, 171.5f, {HitKind::ResultRow, 0}},
        {100, 172, {HitKind::ResultRow, 1}},
        {100, 609.5f, {HitKind::ResultRow, 14}},  // the partly shown 15th row
        {100, 610, nothing},                      // the status line
        {951, 150, {HitKind::ScrollThumb, 0}},
        {951, 400, {HitKind::ScrollTrack, 0}},
    };
    for (float s : {1.0f, 1.5f}) {
        Window w(s, 960 * s, 640 * s, 100);
        for (const Case& c : cases) {
            HitTarget expected = c.expected;
            EXPECT_EQ(hit_test(w.app, c.x * s, c.y * s), expected)
                << "scale " << s << " at " << c.x << ", " << c.y;
        }
    }
    // Scrolled by 10 pixels, rows start 10 pixels higher; past the last result is nothing.
    Window w(1, 960, 640, 3);
    w.app.scroll = 10;
    EXPECT_EQ(hit_test(w.app, 100, 161.5f), (HitTarget{HitKind::ResultRow, 0}));
    EXPECT_EQ(hit_test(w.app, 100, 162), (HitTarget{HitKind::ResultRow, 1}));
    EXPECT_EQ(hit_test(w.app, 100, 300), nothing);
}

TEST(LayoutTest, CaretPositionsAndTheTextScrollOffset) {
    Window w(1, 960, 640);  // 7.5 pixels per character, an 824-pixel text area
    w.app.text = U"hello";
    EXPECT_FLOAT_EQ(caret_x(w.app, "hello", 2), 15);
    EXPECT_FLOAT_EQ(caret_x(w.app, "보고서", 2), 15);
    EXPECT_FLOAT_EQ(caret_x(w.app, "hi", 9), 15);
    EXPECT_FLOAT_EQ(text_scroll_offset(w.app), 0);

    struct Case {
        float x;
        uint32_t expected;
    };
    const Case cases[] = {
        {0, 0}, {60, 0}, {60 + 15, 2}, {60 + 18.75f, 2}, {60 + 18.8f, 3}, {900, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(char_at_x(w.app, c.x), c.expected) << c.x;

    // A composition at the caret pushes the end that must stay visible.
    w.app.text = std::u32string(130, U'a');
    w.app.caret = 118;
    w.app.composition = "한글";
    EXPECT_EQ(composition_end(w.app), 120u);
    EXPECT_FLOAT_EQ(text_scroll_offset(w.app), 120 * 7.5f + 2 - 824);
    w.app.composition.clear();
    EXPECT_FLOAT_EQ(text_scroll_offset(w.app), 118 * 7.5f + 2 - 824);
    // Clicking at the right edge of the area lands on the caret kept 2 pixels inside it.
    EXPECT_EQ(char_at_x(w.app, 60 + 824 - 2), 118u);
}

TEST(LayoutTest, APastedHugeQueryCostsTwoLayoutsToHit) {
    Window w(1, 960, 640);
    w.app.text = std::u32string(1'000'000, U'x');
    w.app.caret = 0;
    w.canvas->measures = 0;
    EXPECT_EQ(char_at_x(w.app, 60 + 7.5f * 3), 3u);
    EXPECT_EQ(w.canvas->measures, 2u);  // the scroll offset, then every caret position at once
}

TEST(LayoutTest, NothingToMeasureWithoutARenderer) {
    AppFixture f;
    f.app.text = U"hello";
    f.app.caret = 5;
    EXPECT_EQ(caret_x(f.app, "hello", 5), 0);
    EXPECT_EQ(text_scroll_offset(f.app), 0);
    EXPECT_EQ(char_at_x(f.app, 500), 0u);
    EXPECT_EQ(hit_test(f.app, 30, 80), HitTarget{});  // no tabs
}

TEST(LayoutTest, FirstShowIsCentredWithAThirdOfTheFreeHeightAbove) {
    struct Case {
        uint32_t dpi;
        PixelRect work_area, expected;
    };
    const Case cases[] = {
        {96, {0, 0, 1920, 1040}, {480, 133, 960, 640}},
        {72, {0, 0, 1920, 1040}, {480, 133, 960, 640}},  // below 96 reads as 96
        {120, {1920, 40, 1920, 1000}, {2280, 106, 1200, 800}},
        {144, {0, 0, 1280, 680}, {0, 0, 1280, 680}},  // clamped to the work area
    };
    for (const Case& c : cases)
        EXPECT_EQ(first_show_rect(c.dpi, c.work_area), c.expected) << c.dpi;
}

// The system's text size on top of the DPI: the window draws at the larger DPI, so the rows grow
// with the fonts, and at its first size and at its smallest every tab and column still fits.
TEST(LayoutTest, TextSizeScalesFontsAndRowsAndNothingIsCut) {
    struct Case {
        uint32_t dpi;
        uint32_t text;  // percent, as Windows keeps it
        uint32_t drawn_dpi;
        float row_height;
        float status_height;
    };
    const Case cases[] = {
        {96, 100, 96, 32, 30},     {144, 100, 144, 48, 45}, {96, 150, 144, 48, 45},
        {144, 150, 216, 72, 68},   {120, 125, 150, 50, 47}, {96, 225, 216, 72, 68},
        {144, 300, 324, 108, 101},  // past the largest Windows offers: 225 %
        {144, 50, 144, 48, 45},     // below 100 %: as 100 %
    };
    const PixelRect work{0, 0, 3840, 2120};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " dpi, text " + std::to_string(c.text));
        const uint32_t drawn = text_scaled_dpi(c.dpi, c.text);
        EXPECT_EQ(drawn, c.drawn_dpi);
        const PixelRect first = first_show_rect(drawn, work);
        const TrackSize smallest = min_track_size(drawn);
        for (const auto& [width, height] :
             {std::pair<int, int>{first.width, first.height}, {smallest.width, smallest.height}}) {
            CanvasWindow w(static_cast<float>(drawn) / 96);
            w.app.client_width = static_cast<float>(width);
            w.app.client_height = static_cast<float>(height);
            const Metrics m = metrics(w.app);
            EXPECT_EQ(m.row_height, c.row_height);
            EXPECT_EQ(m.status_height, c.status_height);
            EXPECT_GE(m.row_height, w.canvas->advance(Font::Body) * 2) << "a name's line fits";
            EXPECT_GE(m.page, 4u);
            const std::vector<TabRect> tabs = tab_rects(w.app);
            ASSERT_EQ(tabs.size(), 7u);
            EXPECT_LE(tabs.back().rect.right(), m.width - 16 * m.s) << "the last tab is whole";
            const std::array<ColumnSpec, 4> columns = column_specs(w.app);
            EXPECT_LE(columns[3].x + columns[3].width, m.width - 26 * m.s) << "Date is whole";
        }
    }
}

TEST(LayoutTest, ARestoredPlacementIsMovedAndShrunkIntoItsWorkArea) {
    struct Case {
        PixelRect rect, work_area, expected;
    };
    const Case cases[] = {
        {{100, 80, 960, 640}, {0, 0, 1920, 1040}, {100, 80, 960, 640}},  // inside: left alone
        // Saved at 100 % and restored at 150 %: 1440 x 960 at (320, 120) on 1600 x 1000.
        {{320, 120, 1440, 960}, {0, 0, 1600, 960}, {160, 0, 1440, 960}},
        {{-300, -50, 960, 640}, {0, 40, 1920, 1000}, {0, 40, 960, 640}},
        {{1500, 600, 2400, 1200}, {1920, 0, 1280, 984}, {1920, 0, 1280, 984}},  // a second monitor
        {{2900, 500, 960, 640}, {1920, 0, 1280, 984}, {2240, 344, 960, 640}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fit_into_work_area(c.rect, c.work_area), c.expected) << c.rect.x;
}

}  // namespace
}  // namespace norvik
