// The Direct2D renderer: the Canvas of the Windows program. It owns every Direct3D 11, DXGI,
// Direct2D and DirectWrite object the main window draws with and draws straight into a
// flip-model swap chain bound to the window, through a Direct2D 1.1 device context pinned at
// 96 DPI: every length is in physical pixels and the text formats are made at their DIP size
// times the window scale. UI thread only.
#pragma once

#include <windows.h>

#include <d2d1_1.h>
#include <dwrite.h>
#include <dxgi1_2.h>
#include <wrl/client.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "gfx/canvas.h"
#include "gfx/layout_cache.h"

namespace norvik {

using Microsoft::WRL::ComPtr;

class Renderer;

// create_renderer's answer: a renderer, or the HRESULT of the step that failed (a call that
// reported success but gave no object counts as E_POINTER).
struct RendererOrError {
    std::unique_ptr<Renderer> renderer;
    HRESULT error = S_OK;
};

// Builds the whole renderer for `window` at `dpi` (values below 96 count as 96): a hardware
// Direct3D 11 device, else WARP; the swap chain at the client size; the device context, the two
// brushes and the six text formats. A window keeps one flip-model swap chain at a time, so a
// renderer being replaced must be destroyed before its successor is created.
[[nodiscard]] RendererOrError create_renderer(HWND window, uint32_t dpi);

class Renderer final : public Canvas {
  public:
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;
    ~Renderer() override;

    void begin_frame(Color clear) override;
    // Presents the frame; true when the device is gone (EndDraw asked for a new target, or
    // Present reported the device removed or reset) and the renderer must be rebuilt.
    [[nodiscard]] bool end_frame() override;

    void fill_rect(RectF rect, Color color) override;
    void fill_rounded_rect(RectF rect, float radius, Color color) override;
    void push_clip(RectF rect) override;
    void pop_clip() override;
    void draw_text(std::string_view text, RectF rect, Color color, Font font, Align align,
                   std::span<const TextRange> highlights = {}, Color highlight = {}) override;
    void draw_glyph(char32_t glyph, RectF rect, Color color, float glyph_scale) override;
    float measure(std::string_view text, Font font) override;
    std::vector<float> caret_positions(std::string_view text, Font font) override;

    // WM_SIZE: the swap chain's buffers follow the client size (at least 1 x 1). Failures are
    // dropped; the next frame tries the target again.
    void resize(uint32_t width, uint32_t height);
    // WM_DPICHANGED: the six text formats again at dpi / 96; if any cannot be made, the old ones
    // stay. The device objects are kept; the kept layouts, made with the old formats, go.
    void rebuild_fonts(uint32_t dpi);
    // DPI / 96 at the time the fonts were made.
    float scale() const { return scale_; }
    // Layouts made and reused since the renderer was created: drawing, measuring and caret
    // positions together.
    size_t layouts_made() const { return layouts_.misses() + measures_.misses() + unkept_made_; }
    size_t layouts_reused() const { return layouts_.hits() + measures_.hits(); }
    // False under Wine 8, whose DrawTextLayout draws a layout only the first time: there each
    // text and glyph is laid out anew for every draw (measurements are still kept).
    bool keeps_drawn_layouts() const { return keep_drawn_layouts_; }

    // One line of text in `font`: no wrapping, trimmed with "…" at a character boundary when
    // wider than max_width (at least 1), aligned as `align`. Nothing when it cannot be made.
    ComPtr<IDWriteTextLayout> text_layout(std::string_view text, float max_width, Font font,
                                          Align align);

  private:
    friend RendererOrError create_renderer(HWND window, uint32_t dpi);
    Renderer() = default;

    // Wraps back buffer 0 in a new target bitmap, replacing the old one; not bound here.
    HRESULT create_target();
    void paint_brush(Color color);
    // The six formats at `scale`, all or none: out is changed only when every one was made.
    [[nodiscard]] HRESULT make_fonts(float scale,
                                     std::array<ComPtr<IDWriteTextFormat>, FONT_COUNT>& out);
    // The "…" of each format, made once per font set rather than once per text; a sign that
    // cannot be made leaves its lines cut without one.
    void make_ellipses();
    // caret_positions from a new layout.
    std::vector<float> measured_caret_positions(std::string_view text, Font font);
    // The kept layout for key, made by make when missing; null when it cannot be made.
    template <class Make>
    IDWriteTextLayout* kept_layout(LayoutKey key, Make make);
    // One unwrapped, untrimmed line of UTF-16 text in `font`, max_width at least 1. Measuring
    // uses it as it is, so that a line longer than its box still reports its true width.
    ComPtr<IDWriteTextLayout> line_layout(std::u16string_view text, float max_width, Font font);

    ComPtr<IDWriteFactory> dwrite_factory_;
    ComPtr<IDXGISwapChain1> swap_chain_;
    ComPtr<ID2D1RenderTarget> render_target_;
    ComPtr<ID2D1DeviceContext> device_context_;
    ComPtr<ID2D1SolidColorBrush> fill_brush_;
    ComPtr<ID2D1SolidColorBrush> highlight_brush_;
    std::array<ComPtr<IDWriteTextFormat>, FONT_COUNT> fonts_;
    ComPtr<ID2D1Bitmap1> target_;
    float scale_ = 1.0f;
    bool keep_drawn_layouts_ = true;
    std::array<ComPtr<IDWriteInlineObject>, FONT_COUNT> ellipses_;
    LayoutCache<ComPtr<IDWriteTextLayout>> layouts_{LAYOUT_CACHE_CAPACITY};
    ComPtr<IDWriteTextLayout> fresh_layout_;  // the last one drawn, where none are kept
    size_t unkept_made_ = 0;
    // Widths (one value) and caret positions, which need their layouts only while measured.
    LayoutCache<std::vector<float>> measures_{LAYOUT_CACHE_CAPACITY};
};

}  // namespace norvik
