// Text and icon glyphs on a real window under Wine, with the prefix's fonts ("Segoe UI" drawn by
// NanumGothic, the icon font stand-in): drawn where asked, one line only, trimmed, aligned,
// highlighted, scaled with the DPI; measured and hit-tested from one layout.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "hangul/utf8.h"
#include "renderer_fixture.h"

namespace norvik::testing {
namespace {

float font_size(IDWriteTextLayout& layout) {
    return static_cast<IDWriteTextFormat&>(layout).GetFontSize();
}

TEST_F(RendererTest, TextIsDrawnInsideItsBox) {
    const RectF box{20, 30, 400, 40};
    const Capture shown = show([&](Renderer& r) {
        r.draw_text("Norvik 보고서 Report.docx", box, BLACK, Font::Body, Align::Leading);
    });
    const Ink ink = ink_in(shown, everywhere());
    EXPECT_GT(ink.count, 150);
    EXPECT_GE(ink.left, box.x);
    EXPECT_LE(ink.right, box.right());
    EXPECT_GE(ink.top, box.y);
    EXPECT_LE(ink.bottom, box.bottom());
    EXPECT_NEAR(ink.centre_y(), box.y + box.height / 2, 4) << "centred vertically";
    // The Hangul in the middle is drawn too (a missing font draws nothing at all).
    const float hangul_x = box.x + renderer_->measure("Norvik ", Font::Body);
    const float hangul_end = box.x + renderer_->measure("Norvik 보고서", Font::Body);
    EXPECT_GT(ink_in(shown, {hangul_x, box.y, hangul_end - hangul_x, box.height}).count, 40);
}

TEST_F(RendererTest, AlignmentsPlaceTheLineInTheBox) {
    const RectF box{40, 40, 300, 30};
    struct Case {
        Align align;
        float expected_centre;
    };
    const float width = renderer_->measure("Size", Font::Small);
    for (const Case& c :
         {Case{Align::Leading, box.x + width / 2}, Case{Align::Center, box.x + box.width / 2},
          Case{Align::Trailing, box.right() - width / 2}}) {
        const Capture shown =
            show([&](Renderer& r) { r.draw_text("Size", box, BLACK, Font::Small, c.align); });
        EXPECT_NEAR(ink_in(shown, everywhere()).centre_x(), c.expected_centre, 2.5)
            << "alignment " << static_cast<int>(c.align);
    }
}

TEST_F(RendererTest, ALongNameEndsInAnEllipsisOnItsOwnLine) {
    const std::string name = "2026 annual report of the regional sales team, final version.docx";
    const RectF cell{20, 20, 150, 32};
    const Capture shown =
        show([&](Renderer& r) { r.draw_text(name, cell, BLACK, Font::Body, Align::Leading); });
    const Ink ink = ink_in(shown, everywhere());
    EXPECT_LE(ink.right, cell.right()) << "cut at the cell's edge";
    EXPECT_GE(ink.right, cell.right() - 16) << "trimmed near the edge, not much earlier";
    EXPECT_LE(ink.bottom, cell.bottom()) << "no second line";
    EXPECT_EQ(ink_in(shown, {0, cell.bottom(), WIDTH, HEIGHT - 4 - cell.bottom()}).count, 0);
    // The last thing drawn is the ellipsis: three dots low on the line, not a letter's stem.
    const Ink tail = ink_in(shown, {static_cast<float>(ink.right - 6), cell.y, 6, cell.height});
    EXPECT_LE(tail.height(), 3) << "the line ends in '…'";
}

TEST_F(RendererTest, AZeroWidthBoxDrawsNothing) {
    const Capture shown = show([](Renderer& r) {
        r.draw_text("Report.docx", {60, 60, 0, 30}, BLACK, Font::Body, Align::Leading);
        r.draw_text("보고서", {60, 100, 0, 30}, BLACK, Font::Body, Align::Trailing);
    });
    EXPECT_EQ(ink_in(shown, everywhere()).count, 0);
}

TEST_F(RendererTest, HighlightedRunsAreDrawnInTheirOwnColour) {
    const RectF box{20, 20, 300, 40};
    const uint32_t red = 0xFF0000;
    const TextRange first_three{0, 3};
    const Capture shown = show([&](Renderer& r) {
        r.draw_text("repository", box, BLACK, Font::Body, Align::Leading, {&first_three, 1},
                    rgb(red));
    });
    const auto reddish = [](uint32_t pixel) {
        return ((pixel >> 16) & 0xFF) > 0xC0 && ((pixel >> 8) & 0xFF) < 0x90;
    };
    const float split = box.x + renderer_->measure("rep", Font::Body);
    int red_before = 0, red_after = 0;
    for (int y = 20; y < 60; ++y) {
        for (int x = 20; x < 300; ++x)
            (x < split ? red_before : red_after) += reddish(shown.at(x, y));
    }
    EXPECT_GT(red_before, 15);
    EXPECT_EQ(red_after, 0);
}

TEST_F(RendererTest, EveryIconGlyphIsDrawnAndDistinct) {
    // Search, settings, sort marks, folder, and the file kinds' icons.
    const char32_t glyphs[] = {0xE721, 0xE700, 0xE70E, 0xE70D, 0xE8B7, 0xEB9F, 0xE714,
                               0xE8D6, 0xE8A5, 0xE7B8, 0xECAA, 0xE81C, 0xE7C3};
    const Capture shown = show([&](Renderer& r) {
        for (size_t i = 0; i < std::size(glyphs); ++i) {
            r.draw_glyph(glyphs[i], {10.0f + 34 * i, 40, 30, 30}, BLACK, 1.0f);
        }
    });
    std::set<std::vector<uint32_t>> shapes;
    for (size_t i = 0; i < std::size(glyphs); ++i) {
        const RectF cell{10.0f + 34 * i, 40, 30, 30};
        const Ink ink = ink_in(shown, cell);
        EXPECT_GT(ink.count, 20) << std::hex << "U+" << static_cast<uint32_t>(glyphs[i]);
        EXPECT_NEAR(ink.centre_x(), cell.x + cell.width / 2, 3) << "centred";
        EXPECT_NEAR(ink.centre_y(), cell.y + cell.height / 2, 3) << "centred";
        std::vector<uint32_t> shape;
        for (int y = 40; y < 70; ++y) {
            for (int x = 0; x < 30; ++x)
                shape.push_back(shown.at(static_cast<int>(cell.x) + x, y));
        }
        shapes.insert(shape);
    }
    EXPECT_EQ(shapes.size(), std::size(glyphs)) << "a missing glyph draws the same empty box";
}

TEST_F(RendererTest, AGlyphScaledUpStaysCentred) {
    const RectF cell{100, 60, 60, 60};
    const Ink plain =
        ink_in(show([&](Renderer& r) { r.draw_glyph(0xE8B7, cell, BLACK, 1.0f); }), everywhere());
    const Ink scaled =
        ink_in(show([&](Renderer& r) { r.draw_glyph(0xE8B7, cell, BLACK, 1.15f); }), everywhere());
    EXPECT_NEAR(static_cast<float>(scaled.width()) / plain.width(), 1.15, 0.08);
    EXPECT_NEAR(scaled.centre_x(), plain.centre_x(), 1.5);
    EXPECT_NEAR(scaled.centre_y(), plain.centre_y(), 1.5);
}

// A frame like the last reuses its layouts (where the system draws a layout more than once), and
// every frame draws its texts in its own colours: the highlight's colour is not frozen into a
// layout that was kept.
TEST_F(RendererTest, KeptLayoutsAreReusedWithEachFramesColours) {
    const RectF box{20, 20, 300, 40};
    const TextRange first_three{0, 3};
    const auto draw = [&](uint32_t highlight) {
        return show([&](Renderer& r) {
            r.draw_text("repository", box, BLACK, Font::Body, Align::Leading, {&first_three, 1},
                        rgb(highlight));
            r.draw_glyph(U'\uE721', RectF{340, 20, 40, 40}, BLACK, 1);
        });
    };
    const auto count = [&](const Capture& shown, auto&& wanted) {
        int n = 0;
        for (int y = 20; y < 60; ++y) {
            for (int x = 20; x < 300; ++x)
                n += wanted(shown.at(x, y));
        }
        return n;
    };
    const auto reddish = [](uint32_t p) { return ((p >> 16) & 0xFF) > 0xC0 && (p & 0xFF) < 0x90; };
    const auto bluish = [](uint32_t p) { return (p & 0xFF) > 0xC0 && ((p >> 16) & 0xFF) < 0x90; };

    const Capture red = draw(0xFF0000);
    const size_t made = renderer_->layouts_made();
    const Capture blue = draw(0x0000FF);
    if (renderer_->keeps_drawn_layouts()) {
        EXPECT_EQ(renderer_->layouts_made(), made);
        EXPECT_GE(renderer_->layouts_reused(), 2u);
    } else {
        EXPECT_EQ(renderer_->layouts_made(), 2 * made);
    }
    EXPECT_GT(count(red, reddish), 15);
    EXPECT_GT(count(blue, bluish), 15);
    EXPECT_EQ(count(blue, reddish), 0);

    const size_t before_rebuild = renderer_->layouts_made();
    renderer_->rebuild_fonts(144);  // the kept layouts were made with the old fonts
    const Capture rebuilt = draw(0x0000FF);
    EXPECT_EQ(renderer_->layouts_made(), before_rebuild + 2);
    EXPECT_GT(count(rebuilt, bluish), 15);
}

TEST_F(RendererTest, FontsFollowTheDpi) {
    const float dips[FONT_COUNT] = {11.5f, 13, 13, 20, 15, 16};
    const std::string sample = "Norvik 보고서 qhrhtj";
    const float width_at_96 = renderer_->measure(sample, Font::Input);
    for (size_t slot = 0; slot < FONT_COUNT; ++slot) {
        auto layout = renderer_->text_layout("x", 100, static_cast<Font>(slot), Align::Leading);
        ASSERT_TRUE(layout);
        EXPECT_FLOAT_EQ(font_size(*layout.Get()), dips[slot]);
    }

    renderer_->rebuild_fonts(144);  // moved to a 150 % monitor
    EXPECT_FLOAT_EQ(renderer_->scale(), 1.5f);
    auto input = renderer_->text_layout("x", 100, Font::Input, Align::Leading);
    ASSERT_TRUE(input);
    EXPECT_FLOAT_EQ(font_size(*input.Get()), 22.5f);
    const float width_at_144 = renderer_->measure(sample, Font::Input);
    EXPECT_NEAR(width_at_144, 1.5f * width_at_96, 0.01f * width_at_96);

    make_renderer(144);  // a window created on that monitor measures the same
    EXPECT_FLOAT_EQ(renderer_->measure(sample, Font::Input), width_at_144);
}

TEST_F(RendererTest, CaretPositionsComeOneForEachCharacterFromOneLayout) {
    for (const std::string text : {"report", "aé보😀b", "보고서 ", "", "ㅂㄱㅅ  x"}) {
        const std::vector<float> xs = renderer_->caret_positions(text, Font::Input);
        std::u32string scalars;
        for (size_t pos = 0; pos < text.size();)
            scalars.push_back(decode_utf8(text, pos));
        ASSERT_EQ(xs.size(), scalars.size() + 1) << text;
        EXPECT_EQ(xs.front(), 0.0f);
        EXPECT_NEAR(xs.back(), renderer_->measure(text, Font::Input), 0.01f) << text;
        // Each position is the width of the text before it.
        std::string prefix;
        for (size_t n = 1; n < scalars.size(); ++n) {
            append_utf8(prefix, scalars[n - 1]);
            EXPECT_NEAR(xs[n], renderer_->measure(prefix, Font::Input), 0.5f) << text << " " << n;
            EXPECT_GT(xs[n], xs[n - 1]) << text << " " << n;
        }
    }
}

TEST_F(RendererTest, ALineWiderThanTheMeasuringBoxStillMeasuresTrue) {
    // A pasted long query: its caret must still be found past 10,000 pixels.
    const std::string word = "qhrhtj ";
    std::string long_text;
    for (int i = 0; i < 400; ++i)
        long_text += word;
    const float one = renderer_->measure(word, Font::Input);
    EXPECT_NEAR(renderer_->measure(long_text, Font::Input), 400 * one, 400 * one * 0.01f);
    EXPECT_GT(renderer_->caret_positions(long_text, Font::Input).back(), 10000.0f);
}

}  // namespace
}  // namespace norvik::testing
