#include "app/program/gfx_renderers_win.h"

#include "app/win/trace_win.h"
#include "gfx/renderer.h"

namespace norvik {
namespace {

// The Direct2D renderer, with the moment each frame is handed to Direct2D and DXGI traced: a
// frame's time splits into the program's drawing calls and the system's EndDraw and Present.
class TracedRenderer final : public Canvas {
  public:
    explicit TracedRenderer(std::unique_ptr<Renderer> renderer) : renderer_(std::move(renderer)) {}

    Renderer& renderer() { return *renderer_; }

    void begin_frame(Color clear) override { renderer_->begin_frame(clear); }
    bool end_frame() override {
        trace_event("present-begin");
        return renderer_->end_frame();
    }
    void fill_rect(RectF rect, Color color) override { renderer_->fill_rect(rect, color); }
    void fill_rounded_rect(RectF rect, float radius, Color color) override {
        renderer_->fill_rounded_rect(rect, radius, color);
    }
    void push_clip(RectF rect) override { renderer_->push_clip(rect); }
    void pop_clip() override { renderer_->pop_clip(); }
    void draw_text(std::string_view text, RectF rect, Color color, Font font, Align align,
                   std::span<const TextRange> highlights, Color highlight) override {
        renderer_->draw_text(text, rect, color, font, align, highlights, highlight);
    }
    void draw_glyph(char32_t glyph, RectF rect, Color color, float glyph_scale) override {
        renderer_->draw_glyph(glyph, rect, color, glyph_scale);
    }
    float measure(std::string_view text, Font font) override {
        return renderer_->measure(text, font);
    }
    std::vector<float> caret_positions(std::string_view text, Font font) override {
        return renderer_->caret_positions(text, font);
    }

  private:
    std::unique_ptr<Renderer> renderer_;
};

// The program's canvas is a renderer made below: traced when the trace is on, else itself.
Renderer& as_renderer(Canvas& canvas) {
    if (auto* traced = dynamic_cast<TracedRenderer*>(&canvas)) return traced->renderer();
    return static_cast<Renderer&>(canvas);
}

}  // namespace

RendererFactory gfx_renderers() {
    RendererFactory factory;
    factory.create = [](HWND window, uint32_t dpi) -> std::unique_ptr<Canvas> {
        trace_event("device-begin");
        RendererOrError made = create_renderer(window, dpi);
        trace_event("device-end", made.renderer ? 0 : static_cast<uint32_t>(made.error));
        if (made.renderer && tracing())
            return std::make_unique<TracedRenderer>(std::move(made.renderer));
        return std::move(made.renderer);
    };
    factory.resize = [](Canvas& canvas, uint32_t width, uint32_t height) {
        as_renderer(canvas).resize(width, height);
    };
    factory.rebuild_fonts = [](Canvas& canvas, uint32_t dpi) {
        as_renderer(canvas).rebuild_fonts(dpi);
    };
    return factory;
}

}  // namespace norvik
