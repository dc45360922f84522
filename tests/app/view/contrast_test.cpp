// Every text and icon a frame draws, in both palettes, against what lies under it: the fills
// painted before it at its centre, composited over the frame's clear colour. Text needs 4.5:1
// (WCAG AA), icons and the search box's accent bar 3:1.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "app/view/paint.h"
#include "query/query.h"
#include "support/canvas_window.h"
#include "support/recording_canvas.h"

namespace norvik {
namespace {

using testing::CanvasWindow;
using testing::DrawCall;
using testing::Op;

constexpr double TEXT_CONTRAST = 4.5;
constexpr double ICON_CONTRAST = 3.0;

double linear(float channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(Color c) {
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

double contrast(Color a, Color b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// top drawn over an opaque bottom.
Color over(Color top, Color bottom) {
    auto mix = [&](float t, float b) { return t * top.a + b * (1 - top.a); };
    return Color{mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b), 1};
}

// What the frame shows under the centre of calls[until] before it is drawn.
Color backdrop(const std::vector<DrawCall>& calls, size_t until) {
    const RectF& r = calls[until].rect;
    const float x = r.x + r.width / 2, y = r.y + r.height / 2;
    Color under = calls.front().color;
    for (size_t i = 1; i < until; ++i) {
        const DrawCall& call = calls[i];
        if ((call.op == Op::FillRect || call.op == Op::FillRoundedRect) && call.rect.contains(x, y))
            under = over(call.color, under);
    }
    return under;
}

struct ContrastWindow : CanvasWindow {
    enum : uint32_t { ROOT = 0, USERS };
    std::set<char32_t> glyphs_seen;
    size_t checked = 0;

    ContrastWindow() {
        app.hot_key_ok = true;
        service.index_ready = true;
        VolumeTable table = VolumeTable::with_root("C:\\");
        table.add_entry(ROOT, "Users", FileFacts{0, 1772669220, ATTRIBUTE_DIRECTORY}, 0);
        // One file of every kind, and a hidden one (drawn dimmed).
        for (const char* name : {"a photo.jpg", "a clip.mp4", "a song.mp3", "a report.docx",
                                 "a backup.zip", "a setup.exe", "a cache.tmp", "a notes.xyz"})
            table.add_entry(USERS, name, FileFacts{1024, 1772669220, 0}, 0);
        table.add_entry(USERS, "a hidden.txt", FileFacts{5, 1772669220, ATTRIBUTE_HIDDEN}, 0);
        table.table_id = 1;
        index.tables.push_back(std::move(table));
    }

    void show(const char* query, bool with_results) {
        app.text.clear();
        for (const char* c = query; *c; ++c)
            app.text.push_back(static_cast<char32_t>(*c));
        app.caret = app.anchor = static_cast<uint32_t>(app.text.size());
        app.result_query = parse(query, false, app.filter);
        app.results.clear();
        if (with_results) {
            for (uint32_t entry = 0; entry < index.tables[0].entries.size(); ++entry)
                app.results.push_back(Hit{entry, 0, false});
        }
        app.table_ids = {1};
        app.query_generation = app.result_generation = 3;
    }

    // Paints a frame and checks every text, highlight and glyph in it.
    void check_frame(const char* state) {
        ASSERT_FALSE(paint(app));
        const std::vector<DrawCall>& calls = canvas->calls;
        for (size_t i = 0; i < calls.size(); ++i) {
            const DrawCall& call = calls[i];
            if (call.op != Op::Text && call.op != Op::Glyph) continue;
            const Color under = backdrop(calls, i);
            const double wanted = call.op == Op::Text ? TEXT_CONTRAST : ICON_CONTRAST;
            const std::string what =
                call.op == Op::Text ? call.text : "glyph " + std::to_string(call.glyph);
            EXPECT_GE(contrast(over(call.color, under), under), wanted)
                << (app.dark ? "dark, " : "light, ") << state << ": " << what;
            if (!call.highlights.empty()) {
                EXPECT_GE(contrast(over(call.highlight, under), under), TEXT_CONTRAST)
                    << (app.dark ? "dark, " : "light, ") << state << ": highlight in " << what;
            }
            if (call.op == Op::Glyph) glyphs_seen.insert(call.glyph);
            ++checked;
        }
    }
};

// Windows' own high-contrast themes: Night sky (white on black) and Desert (black on white).
const SystemColors HIGH_CONTRAST_BLACK{rgb(0x000000), rgb(0xFFFFFF), rgb(0x8EE3F0),
                                       rgb(0x263B50), rgb(0xA6A6A6), rgb(0xFFEE32)};
const SystemColors HIGH_CONTRAST_WHITE{rgb(0xFFFAEF), rgb(0x3D3D3D), rgb(0x903909),
                                       rgb(0xFFF5E3), rgb(0x6D6D6D), rgb(0x1C5E75)};

TEST(ContrastTest, EveryTextAndIconOfBothPalettesIsReadable) {
    const std::optional<SystemColors> themes[] = {std::nullopt, HIGH_CONTRAST_BLACK,
                                                  HIGH_CONTRAST_WHITE};
    for (const std::optional<SystemColors>& theme : themes)
        for (bool dark : {false, true}) {
            ContrastWindow w;
            w.app.dark = dark;
            w.app.high_contrast = theme;

            w.app.hover = HitTarget{HitKind::SettingsButton, 0};
            w.show("", false);
            w.check_frame("the intro with its placeholder");

            w.app.filter = 0;
            w.app.sort_column = SortColumn::Size;
            w.show("a", true);
            const uint32_t rows = static_cast<uint32_t>(w.app.results.size());
            for (uint32_t row = 0; row < rows; ++row) {
                // Each row once selected and once hovered, the tabs and headers hovered in turn.
                w.app.selected = row;
                w.app.hover = HitTarget{HitKind::ResultRow, (row + 1) % rows};
                w.check_frame("results, a row selected, the next hovered");
                w.app.hover = HitTarget{HitKind::FilterTab, row % 7};
                w.check_frame("results, a tab hovered");
                w.app.hover =
                    HitTarget{HitKind::ColumnHeader, static_cast<uint32_t>(SortColumn::Size)};
                w.check_frame("results, the sorted header hovered");
            }

            w.app.filter = 3;
            w.show("zzz", false);
            w.app.hot_key_ok = false;
            w.app.toast = Toast{"Path copied", {}};
            w.check_frame("nothing found, the hot key notice and a toast");

            w.service.index_ready = false;
            w.check_frame("the first build");

            // The folder icon, the eight kinds', search, settings and the sort mark.
            EXPECT_GE(w.glyphs_seen.size(), 12u);
            EXPECT_GT(w.checked, 300u);

            const Palette p = palette_for(w.app);
            EXPECT_GE(contrast(p.accent, p.box), ICON_CONTRAST) << "the accent bar and caret";
            EXPECT_GE(contrast(p.accent, p.background), ICON_CONTRAST) << "the accent bar's ends";
        }
}

}  // namespace
}  // namespace norvik
