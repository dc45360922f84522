// An App in a 960 x 640 window (or another size) drawing on a recording canvas, whose text
// widths are known: every scalar value of the search box's font is 7.5 pixels wide at scale 1.
#pragma once

#include <memory>

#include "support/app_fixture.h"
#include "support/recording_canvas.h"

namespace norvik::testing {

struct CanvasWindow : AppFixture {
    RecordingCanvas* canvas;

    explicit CanvasWindow(float scale = 1, size_t rows = 0) {
        auto owned = std::make_unique<RecordingCanvas>(scale);
        canvas = owned.get();
        app.renderer = std::move(owned);
        app.scale = scale;
        app.dpi = static_cast<uint32_t>(96 * scale);
        app.client_width = 960 * scale;
        app.client_height = 640 * scale;
        app.results.resize(rows);
    }

    float input_advance() const { return canvas->advance(Font::Input); }
};

}  // namespace norvik::testing
