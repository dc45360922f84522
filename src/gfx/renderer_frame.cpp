// One frame: binding the target, the fills and clips, and presenting, where a lost device shows.
#include "gfx/device_loss.h"
#include "gfx/renderer.h"

namespace norvik {
namespace {

D2D1_COLOR_F d2d_color(Color c) {
    return D2D1_COLOR_F{c.r, c.g, c.b, c.a};
}

D2D1_RECT_F d2d_rect(RectF r) {
    return D2D1_RECT_F{r.x, r.y, r.right(), r.bottom()};
}

}  // namespace

void Renderer::paint_brush(Color color) {
    fill_brush_->SetColor(d2d_color(color));
}

void Renderer::begin_frame(Color clear) {
    // A target that could not be made on resize is tried again here; without one, Direct2D
    // reports the frame's failure at EndDraw and nothing is drawn.
    if (!target_) create_target();
    if (target_) device_context_->SetTarget(target_.Get());
    render_target_->BeginDraw();
    render_target_->SetTransform(D2D1::Matrix3x2F::Identity());
    render_target_->Clear(d2d_color(clear));
}

bool Renderer::end_frame() {
    const HRESULT end_draw = render_target_->EndDraw();
    device_context_->SetTarget(nullptr);
    if (end_draw_lost_device(end_draw)) return true;
    // Any other EndDraw failure still presents: the frame may be incomplete, the device is not.
    return present_lost_device(swap_chain_->Present(1, 0));
}

void Renderer::fill_rect(RectF rect, Color color) {
    paint_brush(color);
    render_target_->FillRectangle(d2d_rect(rect), fill_brush_.Get());
}

void Renderer::fill_rounded_rect(RectF rect, float radius, Color color) {
    paint_brush(color);
    const D2D1_ROUNDED_RECT rounded{d2d_rect(rect), radius, radius};
    render_target_->FillRoundedRectangle(rounded, fill_brush_.Get());
}

void Renderer::push_clip(RectF rect) {
    render_target_->PushAxisAlignedClip(d2d_rect(rect), D2D1_ANTIALIAS_MODE_ALIASED);
}

void Renderer::pop_clip() {
    render_target_->PopAxisAlignedClip();
}

}  // namespace norvik
