#include "app/input/ime.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/app_fixture.h"
#include "support/canvas_window.h"

namespace norvik {
namespace {

using testing::AppFixture;
using testing::CanvasWindow;

TEST(ImeTest, ASyllableIsSearchedWhileComposedThenCommitted) {
    AppFixture f;
    f.app.text = U"보고.hwp";
    f.app.caret = f.app.anchor = 2;

    on_ime_start_composition(f.app, f.shell);
    on_ime_composition(f.app, f.shell, {std::nullopt, u"ㅅ"});
    on_ime_composition(f.app, f.shell, {std::nullopt, u"서"});
    std::optional<SearchRequest> composing = f.worker.pending_request();
    ASSERT_TRUE(composing.has_value());
    EXPECT_EQ(composing->text, "보고서.hwp");
    EXPECT_TRUE(composing->composing);
    EXPECT_EQ(f.app.text, U"보고.hwp");  // not part of the text yet

    // Committing one syllable while the next one starts, as the Korean IME does.
    on_ime_composition(f.app, f.shell, {u"서", u"ㄷ"});
    EXPECT_EQ(f.app.text, U"보고서.hwp");
    EXPECT_EQ(f.app.caret, 3u);
    EXPECT_EQ(f.worker.pending_request()->text, "보고서ㄷ.hwp");

    on_ime_composition(f.app, f.shell, {u"", std::nullopt});  // the IME drops the new one
    EXPECT_EQ(f.app.composition, "");
    const std::optional<SearchRequest> committed = f.worker.pending_request();
    EXPECT_EQ(committed->text, "보고서.hwp");
    EXPECT_FALSE(committed->composing);
    EXPECT_EQ(f.worker.query_generation().load(), 4u);  // every composition message searched
    EXPECT_TRUE(f.app.reset_selection);
}

TEST(ImeTest, ACompositionReplacesTheSelection) {
    AppFixture f;
    f.app.text = U"old query";
    f.app.anchor = 0;
    f.app.caret = 3;
    on_ime_composition(f.app, f.shell, {std::nullopt, u"ㅂ"});
    EXPECT_EQ(f.app.text, U" query");
    EXPECT_EQ(f.app.caret, 0u);
    EXPECT_EQ(f.worker.pending_request()->text, "ㅂ query");
}

TEST(ImeTest, EndOfCompositionSearchesOnlyWhenItDropsOne) {
    for (bool held : {false, true}) {
        AppFixture f;
        if (held) f.app.composition = "ㅎ";
        on_ime_end_composition(f.app, f.shell);
        EXPECT_EQ(f.app.composition, "");
        EXPECT_EQ(f.worker.query_generation().load(), held ? 1u : 0u);
    }
}

TEST(ImeTest, TheCompositionWindowFollowsTheCaret) {
    struct Case {
        const char* name;
        float scale;
        std::u32string text;
        uint32_t caret;
        std::string composition;
        bool renderer;
        ImePoint expected;
    };
    const std::u32string long_text(200, U'a');  // 1,500 pixels in an 824-pixel text area
    const Case cases[] = {
        {"after two characters", 1, U"abcd", 2, "", true, {75, 22}},
        {"composition after the caret", 1, U"abcd", 2, "ㅎ", true, {75, 22}},
        {"at 125 percent, truncated", 1.25f, U"", 0, "", true, {75, 27}},
        {"a long query scrolled left", 1, long_text, 200, "", true, {882, 22}},
        // The composition's end stays in view, so the window sits one character further left.
        {"a long query while composing", 1, long_text, 200, "ㅎ", true, {874, 22}},
        {"nothing measured without a renderer", 1, U"abcd", 4, "", false, {60, 22}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CanvasWindow w(c.scale);
        if (!c.renderer) w.app.renderer.reset();
        w.app.text = c.text;
        w.app.caret = w.app.anchor = c.caret;
        w.app.composition = c.composition;
        EXPECT_EQ(ime_window_point(w.app), c.expected);
        on_ime_start_composition(w.app, w.shell);
        EXPECT_EQ(w.shell.ime_window, std::pair(c.expected.x, c.expected.y));
    }
}

}  // namespace
}  // namespace norvik
