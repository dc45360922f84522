// A Canvas for native tests and benchmarks: it records every drawing call of a frame and measures
// text deterministically, each scalar value half as wide as its font's size (in pixels at the
// canvas's scale), so tests can compute where things go.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gfx/canvas.h"
#include "gfx/layout_cache.h"
#include "hangul/utf8.h"

namespace norvik::testing {

enum class Op { BeginFrame, EndFrame, FillRect, FillRoundedRect, PushClip, PopClip, Text, Glyph };

struct DrawCall {
    Op op = Op::FillRect;
    RectF rect;
    Color color;
    float radius = 0;  // FillRoundedRect
    std::string text;  // Text
    Font font = Font::Body;
    Align align = Align::Leading;
    std::vector<TextRange> highlights;
    Color highlight;
    char32_t glyph = 0;  // Glyph
    float glyph_scale = 1;
};

class RecordingCanvas : public Canvas {
  public:
    explicit RecordingCanvas(float scale = 1) : scale_(scale) {}

    std::vector<DrawCall> calls;  // the last frame's calls, begin_frame first
    size_t measures = 0;          // measure and caret_positions calls since the last begin_frame
    bool lose_device = false;     // end_frame reports the device lost
    // Layouts the renderer would have had to make for the last frame, keeping them across frames
    // by the same keys and in the same room as it does.
    size_t layouts_built = 0;

    // Drops the kept layouts, as the renderer does when its fonts are made anew.
    void forget_layouts() { kept_.clear(); }

    // Pixel advance of one scalar value in font.
    float advance(Font font) const {
        static constexpr float SIZES[FONT_COUNT] = {11.5f, 13, 13, 20, 15, 16};
        return SIZES[static_cast<int>(font)] * scale_ / 2;
    }
    float width_of(std::string_view text, Font font) const {
        return static_cast<float>(count_scalars(text)) * advance(font);
    }

    // Text layouts made for the last frame: every text drawn, glyph drawn and text measured.
    size_t text_layouts() const {
        size_t drawn = 0;
        for (const DrawCall& call : calls)
            drawn += call.op == Op::Text || call.op == Op::Glyph;
        return drawn + measures;
    }

    // The first text call whose text equals text, or null.
    const DrawCall* find_text(std::string_view text) const {
        for (const DrawCall& call : calls)
            if (call.op == Op::Text && call.text == text) return &call;
        return nullptr;
    }
    // Every call of one kind, in order.
    std::vector<DrawCall> of(Op op) const {
        std::vector<DrawCall> found;
        for (const DrawCall& call : calls)
            if (call.op == op) found.push_back(call);
        return found;
    }

    void begin_frame(Color clear) override {
        calls.clear();
        measures = 0;
        layouts_built = 0;
        record(Op::BeginFrame, {}, clear);
    }
    bool end_frame() override {
        record(Op::EndFrame, {}, {});
        return lose_device;
    }
    void fill_rect(RectF rect, Color color) override { record(Op::FillRect, rect, color); }
    void fill_rounded_rect(RectF rect, float radius, Color color) override {
        record(Op::FillRoundedRect, rect, color).radius = radius;
    }
    void push_clip(RectF rect) override { record(Op::PushClip, rect, {}); }
    void pop_clip() override { record(Op::PopClip, {}, {}); }
    void draw_text(std::string_view text, RectF rect, Color color, Font font, Align align,
                   std::span<const TextRange> highlights, Color highlight) override {
        lay_out(text_layout_key(text, rect.width, font, align, highlights));
        DrawCall& call = record(Op::Text, rect, color);
        call.text = text;
        call.font = font;
        call.align = align;
        call.highlights.assign(highlights.begin(), highlights.end());
        call.highlight = highlight;
    }
    void draw_glyph(char32_t glyph, RectF rect, Color color, float glyph_scale) override {
        lay_out(glyph_layout_key(glyph, rect.width, glyph_scale));
        DrawCall& call = record(Op::Glyph, rect, color);
        call.font = Font::Icon;
        call.glyph = glyph;
        call.glyph_scale = glyph_scale;
    }
    float measure(std::string_view text, Font font) override {
        ++measures;
        lay_out(measure_layout_key(LayoutUse::Measure, text, font));
        return width_of(text, font);
    }
    std::vector<float> caret_positions(std::string_view text, Font font) override {
        ++measures;
        lay_out(measure_layout_key(LayoutUse::Carets, text, font));
        std::vector<float> positions(count_scalars(text) + 1);
        for (size_t n = 1; n < positions.size(); ++n)
            positions[n] = static_cast<float>(n) * advance(font);
        return positions;
    }

  private:
    void lay_out(LayoutKey key) {
        if (kept_.find(key)) return;
        kept_.insert(std::move(key), true);
        ++layouts_built;
    }
    static size_t count_scalars(std::string_view text) {
        size_t count = 0;
        for (size_t pos = 0; pos < text.size(); ++count)
            decode_utf8(text, pos);
        return count;
    }
    DrawCall& record(Op op, RectF rect, Color color) {
        DrawCall& call = calls.emplace_back();
        call.op = op;
        call.rect = rect;
        call.color = color;
        return call;
    }

    float scale_;
    LayoutCache<bool> kept_{LAYOUT_CACHE_CAPACITY};
};

}  // namespace norvik::testing
