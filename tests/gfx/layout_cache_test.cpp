#include "gfx/layout_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvik {
namespace {

// Each part of a line's key tells its layouts apart: a layout is reused only for a line made of
// the very same parts.
TEST(LayoutCacheTest, EveryPartOfTheKeyTellsLayoutsApart) {
    const TextRange run[] = {TextRange{0, 3}};
    const TextRange other_run[] = {TextRange{1, 3}};
    const LayoutKey base = text_layout_key("report.txt", 200, Font::Body, Align::Leading, run);
    struct Case {
        const char* what;
        LayoutKey key;
    };
    const Case cases[] = {
        {"text", text_layout_key("report.pdf", 200, Font::Body, Align::Leading, run)},
        {"width", text_layout_key("report.txt", 201, Font::Body, Align::Leading, run)},
        {"font", text_layout_key("report.txt", 200, Font::BodyBold, Align::Leading, run)},
        {"alignment", text_layout_key("report.txt", 200, Font::Body, Align::Trailing, run)},
        {"highlights", text_layout_key("report.txt", 200, Font::Body, Align::Leading, other_run)},
        {"no highlights", text_layout_key("report.txt", 200, Font::Body, Align::Leading, {})},
        {"measured", measure_layout_key(LayoutUse::Measure, "report.txt", Font::Body)},
        {"carets", measure_layout_key(LayoutUse::Carets, "report.txt", Font::Body)},
        {"glyph", glyph_layout_key(U'\uE721', 200, 1)},
        {"glyph scale", glyph_layout_key(U'\uE721', 200, 1.5f)},
    };
    LayoutCache<std::string> cache(64);
    cache.insert(base, "base");
    for (const Case& c : cases) {
        EXPECT_EQ(cache.find(c.key), nullptr) << c.what;
        cache.insert(c.key, c.what);
    }
    for (const Case& c : cases) {
        ASSERT_NE(cache.find(c.key), nullptr) << c.what;
        EXPECT_EQ(*cache.find(c.key), c.what);
    }
    ASSERT_NE(cache.find(base), nullptr);
    EXPECT_EQ(*cache.find(base), "base");
    EXPECT_EQ(cache.size(), std::size(cases) + 1);
    EXPECT_EQ(cache.misses(), std::size(cases));
}

TEST(LayoutCacheTest, TheLeastRecentlyUsedGoesFirstAndClearEmpties) {
    const auto key = [](int n) {
        return text_layout_key("row " + std::to_string(n), 100, Font::Body, Align::Leading, {});
    };
    LayoutCache<int> cache(3);
    for (int n = 0; n < 3; ++n)
        cache.insert(key(n), n);
    ASSERT_NE(cache.find(key(0)), nullptr);  // row 0 is now the most recently used
    cache.insert(key(3), 3);                 // row 1 goes
    EXPECT_EQ(cache.find(key(1)), nullptr);
    for (int n : {0, 2, 3}) {
        ASSERT_NE(cache.find(key(n)), nullptr) << n;
        EXPECT_EQ(*cache.find(key(n)), n);
    }
    cache.insert(key(2), 20);  // replaced, not added twice
    EXPECT_EQ(cache.size(), 3u);
    EXPECT_EQ(*cache.find(key(2)), 20);
    cache.clear();
    EXPECT_EQ(cache.size(), 0u);
    EXPECT_EQ(cache.find(key(0)), nullptr);
}

}  // namespace
}  // namespace norvik
