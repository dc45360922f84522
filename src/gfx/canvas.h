// What the window's painting draws on: fills, clips, one-line text (optionally with highlighted
// runs) and icon glyphs, in physical pixels, plus text measuring. The Direct2D renderer
// implements it in the Windows program; native tests draw on a recording canvas. paint and the
// layout know only this interface, so they hold no <windows.h>.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace norvik {

// Straight (not premultiplied) alpha, each channel 0-1.
struct Color {
    float r = 0, g = 0, b = 0, a = 1;

    bool operator==(const Color&) const = default;
};

// #RRGGBB with an alpha.
constexpr Color rgb(uint32_t hex, float alpha = 1.0f) {
    return Color{static_cast<float>((hex >> 16) & 0xFF) / 255.0f,
                 static_cast<float>((hex >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(hex & 0xFF) / 255.0f, alpha};
}

constexpr Color with_alpha(Color color, float alpha) {
    color.a = alpha;
    return color;
}

// x, y, width, height in pixels.
struct RectF {
    float x = 0, y = 0, width = 0, height = 0;

    float right() const { return x + width; }
    float bottom() const { return y + height; }
    bool contains(float px, float py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
    bool operator==(const RectF&) const = default;
};

// The rectangle between two corners, as the design states fills: (left, top) - (right, bottom).
constexpr RectF edges(float left, float top, float right, float bottom) {
    return RectF{left, top, right - left, bottom - top};
}

// The six text formats, by slot number.
enum class Font : uint8_t {
    Small = 0,     // FONT_SMALL: "Segoe UI" 400, 11.5 DIP
    Body = 1,      // FONT_BODY: 400, 13
    BodyBold = 2,  // FONT_BODY_BOLD: 600, 13
    Title = 3,     // FONT_TITLE: 600, 20
    Input = 4,     // FONT_INPUT: 400, 15
    Icon = 5,      // FONT_ICON: "Segoe MDL2 Assets" 400, 16
};
inline constexpr int FONT_COUNT = 6;

// Horizontal alignment: 0 leading, 1 centre, 2 trailing.
enum class Align : uint8_t { Leading = 0, Center = 1, Trailing = 2 };

// A run of a text in UTF-16 units, as DirectWrite counts positions.
struct TextRange {
    uint32_t start = 0;
    uint32_t length = 0;

    bool operator==(const TextRange&) const = default;
};

class Canvas {
  public:
    virtual ~Canvas() = default;

    // One frame: begin_frame clears to `clear`; end_frame presents it and returns true when the
    // device was lost and the canvas must be replaced (the window's shell does that).
    virtual void begin_frame(Color clear) = 0;
    [[nodiscard]] virtual bool end_frame() = 0;

    virtual void fill_rect(RectF rect, Color color) = 0;
    virtual void fill_rounded_rect(RectF rect, float radius, Color color) = 0;
    // An axis-aligned, aliased clip; pushes and pops pair up within a frame.
    virtual void push_clip(RectF rect) = 0;
    virtual void pop_clip() = 0;

    // One line of UTF-8 text laid out in rect's width, trimmed at its end with "…" when wider,
    // never wrapped, centred vertically in rect and clipped to it horizontally. Highlighted runs
    // (UTF-16 positions, sorted, not overlapping) are drawn in `highlight` at weight 700.
    virtual void draw_text(std::string_view text, RectF rect, Color color, Font font, Align align,
                           std::span<const TextRange> highlights = {}, Color highlight = {}) = 0;
    // One icon glyph of the icon font, centred in rect, at glyph_scale times the icon size.
    virtual void draw_glyph(char32_t glyph, RectF rect, Color color, float glyph_scale) = 0;

    // Width of text on one line (trailing white space included); 0 when it cannot be measured.
    virtual float measure(std::string_view text, Font font) = 0;
    // The x of every caret position of text on one line, from one layout: element n is the width
    // of the first n scalar values, so the result holds (scalar count + 1) values, the first 0.
    // All 0 when the text cannot be measured.
    virtual std::vector<float> caret_positions(std::string_view text, Font font) = 0;
};

}  // namespace norvik
