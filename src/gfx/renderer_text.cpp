// Text: the six formats, one-line layouts with an ellipsis, drawing text and icon glyphs
// centred in their rectangles, and measuring. Layouts and measurements are kept by what they
// were made of (gfx/layout_cache.h), so a frame like the last one lays out almost nothing.
#include <cmath>
#include <limits>

#include "gfx/renderer.h"
#include "hangul/utf8.h"

namespace norvik {
namespace {

struct FontSpec {
    const wchar_t* family;
    DWRITE_FONT_WEIGHT weight;
    float dip_size;
};

constexpr float ICON_DIP_SIZE = 16.0f;

// By slot: FONT_SMALL, FONT_BODY, FONT_BODY_BOLD, FONT_TITLE, FONT_INPUT, FONT_ICON.
constexpr std::array<FontSpec, FONT_COUNT> FONT_SPECS{{
    {L"Segoe UI", DWRITE_FONT_WEIGHT_NORMAL, 11.5f},
    {L"Segoe UI", DWRITE_FONT_WEIGHT_NORMAL, 13.0f},
    {L"Segoe UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, 13.0f},
    {L"Segoe UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, 20.0f},
    {L"Segoe UI", DWRITE_FONT_WEIGHT_NORMAL, 15.0f},
    {L"Segoe MDL2 Assets", DWRITE_FONT_WEIGHT_NORMAL, ICON_DIP_SIZE},
}};

// Wide enough for any one line the window measures; a measuring layout is not trimmed, so a
// longer line still reports its true width.
constexpr float MEASURE_WIDTH = 10000.0f;
// Taller than any line, so a layout never cuts a line off at the bottom.
constexpr float LAYOUT_HEIGHT = 1000.0f;

// The design numbers alignments 0 leading, 1 centre, 2 trailing; DirectWrite has trailing
// before centre.
DWRITE_TEXT_ALIGNMENT dwrite_alignment(Align align) {
    switch (align) {
        case Align::Center:
            return DWRITE_TEXT_ALIGNMENT_CENTER;
        case Align::Trailing:
            return DWRITE_TEXT_ALIGNMENT_TRAILING;
        case Align::Leading:
            break;
    }
    return DWRITE_TEXT_ALIGNMENT_LEADING;
}

const WCHAR* wide(std::u16string_view text) {
    return reinterpret_cast<const WCHAR*>(text.data());
}

void append_utf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
        return;
    }
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

// The top of a line of `layout` centred vertically in rect, on a whole pixel as roundf rounds.
float centred_top(IDWriteTextLayout& layout, RectF rect) {
    DWRITE_TEXT_METRICS metrics{};
    if (FAILED(layout.GetMetrics(&metrics))) return rect.y;
    return rect.y + std::round((rect.height - metrics.height) / 2.0f);
}

// The leading edge of each position, from the layout's hit testing; false when the layout
// cannot hit-test (Wine 8 answers E_NOTIMPL).
bool hit_test_positions(IDWriteTextLayout& layout, std::span<const UINT32> starts,
                        std::vector<float>& xs) {
    for (size_t i = 0; i < starts.size(); ++i) {
        FLOAT x = 0, y = 0;
        DWRITE_HIT_TEST_METRICS hit{};
        if (FAILED(layout.HitTestTextPosition(starts[i], FALSE, &x, &y, &hit))) return false;
        xs[i] = x;
    }
    return true;
}

// The same from the advances of the layout's clusters, which on a left-to-right line add up to
// the hit-tested edges. The characters of a cluster of several (a ligature; Wine 8 also joins a
// letter with a following accented one) share its advance evenly.
void cluster_positions(IDWriteTextLayout& layout, std::span<const UINT32> starts,
                       std::vector<float>& xs) {
    UINT32 count = 0;
    layout.GetClusterMetrics(nullptr, 0, &count);
    std::vector<DWRITE_CLUSTER_METRICS> clusters(count);
    if (count == 0 || FAILED(layout.GetClusterMetrics(clusters.data(), count, &count))) return;
    size_t i = 0;
    UINT32 cluster_start = 0;
    float x = 0;
    for (const DWRITE_CLUSTER_METRICS& cluster : clusters) {
        const UINT32 cluster_end = cluster_start + cluster.length;
        size_t end = i;
        while (end < starts.size() && starts[end] < cluster_end)
            ++end;
        for (size_t k = i; k < end; ++k) {
            xs[k] = x + cluster.width * static_cast<float>(k - i) / static_cast<float>(end - i);
        }
        i = end;
        x += cluster.width;
        cluster_start = cluster_end;
    }
}

}  // namespace

HRESULT Renderer::make_fonts(float scale, std::array<ComPtr<IDWriteTextFormat>, FONT_COUNT>& out) {
    std::array<ComPtr<IDWriteTextFormat>, FONT_COUNT> made;
    for (size_t slot = 0; slot < FONT_COUNT; ++slot) {
        const FontSpec& spec = FONT_SPECS[slot];
        const HRESULT hr = dwrite_factory_->CreateTextFormat(
            spec.family, nullptr, spec.weight, DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL,
            spec.dip_size * scale, L"", &made[slot]);
        if (FAILED(hr)) return hr;
        if (!made[slot]) return E_POINTER;
    }
    out = std::move(made);
    return S_OK;
}

void Renderer::make_ellipses() {
    for (size_t slot = 0; slot < FONT_COUNT; ++slot) {
        ellipses_[slot].Reset();
        dwrite_factory_->CreateEllipsisTrimmingSign(fonts_[slot].Get(), &ellipses_[slot]);
    }
}

void Renderer::rebuild_fonts(uint32_t dpi) {
    const float scale = static_cast<float>(std::max<uint32_t>(dpi, 96)) / 96.0f;
    if (FAILED(make_fonts(scale, fonts_))) return;
    scale_ = scale;
    make_ellipses();
    layouts_.clear();
    measures_.clear();
}

template <class Make>
IDWriteTextLayout* Renderer::kept_layout(LayoutKey key, Make make) {
    if (!keep_drawn_layouts_) {
        // Held until the next draw replaces it, so the pointer outlives this call.
        fresh_layout_ = make();
        ++unkept_made_;
        return fresh_layout_.Get();
    }
    if (ComPtr<IDWriteTextLayout>* kept = layouts_.find(key)) return kept->Get();
    ComPtr<IDWriteTextLayout> layout = make();
    // A failure is not kept: the next frame tries again.
    if (!layout) return nullptr;
    return layouts_.insert(std::move(key), std::move(layout)).Get();
}

ComPtr<IDWriteTextLayout> Renderer::line_layout(std::u16string_view text, float max_width,
                                                Font font) {
    // DirectWrite counts in 32 bits; a longer text is a caller's fault, and draws nothing.
    if (text.size() > std::numeric_limits<UINT32>::max()) return nullptr;
    ComPtr<IDWriteTextLayout> layout;
    const HRESULT hr = dwrite_factory_->CreateTextLayout(
        wide(text), static_cast<UINT32>(text.size()), fonts_[static_cast<size_t>(font)].Get(),
        std::max(max_width, 1.0f), LAYOUT_HEIGHT, &layout);
    if (FAILED(hr) || !layout) return nullptr;
    layout->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
    return layout;
}

ComPtr<IDWriteTextLayout> Renderer::text_layout(std::string_view text, float max_width, Font font,
                                                Align align) {
    const std::u16string units = utf8_to_utf16(text);
    ComPtr<IDWriteTextLayout> layout = line_layout(units, max_width, font);
    if (!layout) return nullptr;
    // Errors below leave a usable layout: at worst the line is cut without the "…".
    if (IDWriteInlineObject* ellipsis = ellipses_[static_cast<size_t>(font)].Get()) {
        const DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
        layout->SetTrimming(&trimming, ellipsis);
    }
    layout->SetTextAlignment(dwrite_alignment(align));
    return layout;
}

void Renderer::draw_text(std::string_view text, RectF rect, Color color, Font font, Align align,
                         std::span<const TextRange> highlights, Color highlight) {
    IDWriteTextLayout* layout =
        kept_layout(text_layout_key(text, rect.width, font, align, highlights), [&] {
            ComPtr<IDWriteTextLayout> made = text_layout(text, rect.width, font, align);
            // The runs draw with the highlight brush itself, whose colour is set at each draw.
            for (const TextRange& range : highlights) {
                if (!made) break;
                const DWRITE_TEXT_RANGE run{range.start, range.length};
                made->SetDrawingEffect(highlight_brush_.Get(), run);
                made->SetFontWeight(DWRITE_FONT_WEIGHT_BOLD, run);
            }
            return made;
        });
    if (!layout) return;
    if (!highlights.empty())
        highlight_brush_->SetColor(
            D2D1_COLOR_F{highlight.r, highlight.g, highlight.b, highlight.a});
    const float top = centred_top(*layout, rect);
    paint_brush(color);
    // The clip option keeps the text inside its layout box, which is at least 1 pixel wide;
    // Wine 8 ignores the option. Clipping to the rectangle itself holds on both, and a
    // zero-width cell then shows nothing at all rather than a sliver of its first letter.
    render_target_->PushAxisAlignedClip(D2D1_RECT_F{rect.x, top, rect.right(), top + LAYOUT_HEIGHT},
                                        D2D1_ANTIALIAS_MODE_ALIASED);
    render_target_->DrawTextLayout(D2D1_POINT_2F{rect.x, top}, layout, fill_brush_.Get(),
                                   D2D1_DRAW_TEXT_OPTIONS_CLIP);
    render_target_->PopAxisAlignedClip();
}

void Renderer::draw_glyph(char32_t glyph, RectF rect, Color color, float glyph_scale) {
    IDWriteTextLayout* layout = kept_layout(glyph_layout_key(glyph, rect.width, glyph_scale), [&] {
        std::u16string units;
        append_utf16(units, glyph);
        ComPtr<IDWriteTextLayout> made = line_layout(units, rect.width, Font::Icon);
        if (!made) return made;
        if (glyph_scale != 1.0f) {
            made->SetFontSize(glyph_scale * ICON_DIP_SIZE * scale_,
                              DWRITE_TEXT_RANGE{0, static_cast<UINT32>(units.size())});
        }
        made->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER);
        return made;
    });
    if (!layout) return;
    const float top = centred_top(*layout, rect);
    paint_brush(color);
    render_target_->DrawTextLayout(D2D1_POINT_2F{rect.x, top}, layout, fill_brush_.Get(),
                                   D2D1_DRAW_TEXT_OPTIONS_NONE);
}

float Renderer::measure(std::string_view text, Font font) {
    LayoutKey key = measure_layout_key(LayoutUse::Measure, text, font);
    if (const std::vector<float>* kept = measures_.find(key)) return kept->front();
    ComPtr<IDWriteTextLayout> layout = line_layout(utf8_to_utf16(text), MEASURE_WIDTH, font);
    DWRITE_TEXT_METRICS metrics{};
    if (!layout || FAILED(layout->GetMetrics(&metrics))) return 0.0f;
    measures_.insert(std::move(key), {metrics.widthIncludingTrailingWhitespace});
    return metrics.widthIncludingTrailingWhitespace;
}

std::vector<float> Renderer::caret_positions(std::string_view text, Font font) {
    LayoutKey key = measure_layout_key(LayoutUse::Carets, text, font);
    if (const std::vector<float>* kept = measures_.find(key)) return *kept;
    std::vector<float> xs = measured_caret_positions(text, font);
    measures_.insert(std::move(key), xs);
    return xs;
}

std::vector<float> Renderer::measured_caret_positions(std::string_view text, Font font) {
    // Where each scalar value starts in UTF-16, the units DirectWrite counts in.
    std::u16string units;
    std::vector<UINT32> starts;
    for (size_t pos = 0; pos < text.size();) {
        starts.push_back(static_cast<UINT32>(units.size()));
        append_utf16(units, decode_utf8(text, pos));
    }
    std::vector<float> xs(starts.size() + 1, 0.0f);
    ComPtr<IDWriteTextLayout> layout = line_layout(units, MEASURE_WIDTH, font);
    if (!layout) return xs;
    if (!hit_test_positions(*layout.Get(), starts, xs))
        cluster_positions(*layout.Get(), starts, xs);
    DWRITE_TEXT_METRICS metrics{};
    if (SUCCEEDED(layout->GetMetrics(&metrics)))
        xs.back() = metrics.widthIncludingTrailingWhitespace;
    return xs;
}

}  // namespace norvik
