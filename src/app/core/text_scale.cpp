#include "app/core/text_scale.h"

#include <algorithm>
#include <cmath>

namespace norvik {

uint32_t text_scaled_dpi(uint32_t dpi, uint32_t text_scale) {
    const uint32_t percent = std::clamp(text_scale, MIN_TEXT_SCALE, MAX_TEXT_SCALE);
    return static_cast<uint32_t>(std::lround(std::max(dpi, 96u) * percent / 100.0));
}

uint32_t drawing_dpi(const App& app) {
    return text_scaled_dpi(app.dpi, app.text_scale);
}

bool set_text_scale(App& app, Shell& shell, uint32_t text_scale) {
    const uint32_t percent = std::clamp(text_scale, MIN_TEXT_SCALE, MAX_TEXT_SCALE);
    if (percent == app.text_scale) return false;
    const float old_scale = app.scale;
    app.text_scale = percent;
    app.scale = static_cast<float>(drawing_dpi(app)) / 96.0f;
    // Rows grow or shrink with the scale: scroll by the same number of rows.
    app.scroll = app.scroll * app.scale / old_scale;
    clamp_scroll(app);
    shell.invalidate();
    return true;
}

}  // namespace norvik
