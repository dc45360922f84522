// The renderer's kept text layouts. Laying out a line costs far more than drawing it (under Wine
// about 0.8 ms), and a frame mostly draws what the last one drew: the same labels, the same rows
// after the selection moved, all but one row after a one-row scroll. So a layout is made once
// per line as it is laid out (its text, width, font, alignment, highlighted runs and glyph
// scale) and kept in a small least-recently-used cache; a key that no frame asks for any more
// falls out as newer ones come. The key holds the text itself, so a table rebuilt under the
// same entry numbers, a new query's highlights or another language can never reuse a stale
// layout. The formats a layout was made with belong to its DPI: the owner clears the cache when
// it makes new ones. No <windows.h>: native tests and the paint benchmark count with it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "gfx/canvas.h"

namespace norvik {

// What a layout is made of. Use is what the layout is for: drawing a text, drawing a glyph,
// measuring a width or finding caret positions (each makes its own kind of layout).
enum class LayoutUse : uint8_t { Text, Glyph, Measure, Carets };

struct LayoutKey {
    LayoutUse use = LayoutUse::Text;
    Font font = Font::Body;
    Align align = Align::Leading;
    float width = 0;
    float glyph_scale = 1;
    char32_t glyph = 0;
    std::string text;
    std::vector<TextRange> highlights;

    bool operator==(const LayoutKey&) const = default;
};

struct LayoutKeyHash {
    size_t operator()(const LayoutKey& key) const {
        size_t h = std::hash<std::string_view>{}(key.text);
        const auto mix = [&h](size_t v) { h ^= v + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2); };
        mix(static_cast<size_t>(key.use));
        mix(static_cast<size_t>(key.font));
        mix(static_cast<size_t>(key.align));
        mix(std::hash<float>{}(key.width));
        mix(std::hash<float>{}(key.glyph_scale));
        mix(key.glyph);
        for (const TextRange& range : key.highlights)
            mix(std::hash<uint64_t>{}((uint64_t{range.start} << 32) | range.length));
        return h;
    }
};

inline LayoutKey text_layout_key(std::string_view text, float width, Font font, Align align,
                                 std::span<const TextRange> highlights) {
    LayoutKey key;
    key.font = font;
    key.align = align;
    key.width = width;
    key.text = text;
    key.highlights.assign(highlights.begin(), highlights.end());
    return key;
}

inline LayoutKey glyph_layout_key(char32_t glyph, float width, float glyph_scale) {
    LayoutKey key;
    key.use = LayoutUse::Glyph;
    key.font = Font::Icon;
    key.align = Align::Center;
    key.width = width;
    key.glyph_scale = glyph_scale;
    key.glyph = glyph;
    return key;
}

inline LayoutKey measure_layout_key(LayoutUse use, std::string_view text, Font font) {
    LayoutKey key;
    key.use = use;
    key.font = font;
    key.text = text;
    return key;
}

// Values by key, at most `capacity` of them; finding one makes it the most recently used, and
// adding one past the capacity drops the least recently used.
template <class Value>
class LayoutCache {
  public:
    explicit LayoutCache(size_t capacity) : capacity_(capacity < 1 ? 1 : capacity) {}

    // The value kept for key, or null (a miss, counted).
    Value* find(const LayoutKey& key) {
        const auto it = index_.find(key);
        if (it == index_.end()) {
            ++misses_;
            return nullptr;
        }
        ++hits_;
        order_.splice(order_.begin(), order_, it->second);
        return &it->second->second;
    }

    // Keeps value for key (replacing an older one), as the most recently used.
    Value& insert(LayoutKey key, Value value) {
        if (const auto it = index_.find(key); it != index_.end()) {
            order_.erase(it->second);
            index_.erase(it);
        }
        if (order_.size() >= capacity_) {
            index_.erase(order_.back().first);
            order_.pop_back();
        }
        order_.emplace_front(std::move(key), std::move(value));
        index_.emplace(order_.front().first, order_.begin());
        return order_.front().second;
    }

    void clear() {
        index_.clear();
        order_.clear();
    }

    size_t size() const { return order_.size(); }
    size_t hits() const { return hits_; }
    size_t misses() const { return misses_; }

  private:
    using Entry = std::pair<LayoutKey, Value>;
    size_t capacity_;
    std::list<Entry> order_;  // most recently used first
    std::unordered_map<LayoutKey, typename std::list<Entry>::iterator, LayoutKeyHash> index_;
    size_t hits_ = 0;
    size_t misses_ = 0;
};

// Enough for the labels and every cell of a tall window's rows twice over (a row is up to four
// texts), so a frame's own lines never push each other out.
inline constexpr size_t LAYOUT_CACHE_CAPACITY = 1024;

}  // namespace norvik
