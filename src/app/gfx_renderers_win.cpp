#include "app/gfx_renderers_win.h"

#include "app/trace_win.h"
#include "gfx/renderer.h"

namespace norvik {
namespace {

// The program's canvas is always the Direct2D renderer (gfx_renderers made it).
Renderer& as_renderer(Canvas& canvas) {
    return static_cast<Renderer&>(canvas);
}

}  // namespace

RendererFactory gfx_renderers() {
    RendererFactory factory;
    factory.create = [](HWND window, uint32_t dpi) -> std::unique_ptr<Canvas> {
        trace_event("device-begin");
        RendererOrError made = create_renderer(window, dpi);
        trace_event("device-end", made.renderer ? 0 : static_cast<uint32_t>(made.error));
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
