#include "app/input/edit.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "app/input/clipboard.h"
#include "app/input/typed_char.h"
#include "support/app_fixture.h"

namespace norvik {
namespace {

using testing::AppFixture;

struct BoxState {
    std::u32string text;
    uint32_t caret = 0;
    uint32_t anchor = 0;
};

void load(App& app, const BoxState& state) {
    app.text = state.text;
    app.caret = state.caret;
    app.anchor = state.anchor;
}

void expect_box(const App& app, const BoxState& expected, const char* name) {
    SCOPED_TRACE(name);
    EXPECT_EQ(app.text, expected.text);
    EXPECT_EQ(app.caret, expected.caret);
    EXPECT_EQ(app.anchor, expected.anchor);
}

TEST(EditTest, OperationsOnTheBuffer) {
    struct Case {
        const char* name;
        BoxState before;
        std::function<void(App&)> edit;
        BoxState after;
    };
    const Case cases[] = {
        {"backspace at 0 does nothing",
         {U"ab", 0, 0},
         [](App& a) { delete_back(a, false); },
         {U"ab", 0, 0}},
        {"backspace one character",
         {U"ab", 2, 2},
         [](App& a) { delete_back(a, false); },
         {U"a", 1, 1}},
        {"ctrl+backspace takes two spaces and the word",
         {U"foo bar  ", 9, 9},
         [](App& a) { delete_back(a, true); },
         {U"foo ", 4, 4}},
        {"ctrl+backspace over only spaces reaches 0",
         {U"   ", 3, 3},
         [](App& a) { delete_back(a, true); },
         {U"", 0, 0}},
        {"backspace deletes the selection only",
         {U"hello", 4, 1},
         [](App& a) { delete_back(a, true); },
         {U"ho", 1, 1}},
        {"delete at the end does nothing",
         {U"ab", 2, 2},
         [](App& a) { delete_forward(a, false); },
         {U"ab", 2, 2}},
        {"ctrl+delete to the next word",
         {U"ab cd ef", 1, 1},
         [](App& a) { delete_forward(a, true); },
         {U"acd ef", 1, 1}},
        {"typing replaces the selection",
         {U"hello", 1, 4},
         [](App& a) { insert_text(a, U"XY"); },
         {U"hXYo", 3, 3}},
        {"control characters insert as spaces",
         {U"", 0, 0},
         [](App& a) { insert_text(a, U"a\tb\n\x85"); },
         {U"a b  ", 5, 5}},
        {"select all", {U"abc", 1, 1}, [](App& a) { select_all(a); }, {U"abc", 3, 0}},
        {"caret moves clamp to the text",
         {U"abc", 1, 1},
         [](App& a) { move_caret(a, 9, true); },
         {U"abc", 3, 1}},
        {"an astral character is one position",
         {U"a😀b", 2, 2},
         [](App& a) { delete_back(a, false); },
         {U"ab", 1, 1}},
    };
    for (const Case& c : cases) {
        App app;
        load(app, c.before);
        c.edit(app);
        expect_box(app, c.after, c.name);
    }
}

TEST(EditTest, WordMovesOverUnicodeWhiteSpace) {
    struct Case {
        std::u32string text;
        uint32_t from, right, left;
    };
    const Case cases[] = {
        {U"foo  bar", 1, 5, 0},            // from inside a word: past it and the spaces
        {U"foo  bar", 8, 8, 5},            // at the end
        {U"   foo", 2, 3, 0},              // only white space before: the start
        {U"ab\u3000cd\u00A0ef", 3, 6, 0},  // ideographic and no-break spaces separate words
        {U"ab\u200Bcd", 0, 5, 0},          // a zero-width space is not White_Space
    };
    for (const Case& c : cases) {
        EXPECT_EQ(word_right(c.text, c.from), c.right);
        EXPECT_EQ(word_left(c.text, c.from), c.left);
    }
}

TEST(PasteTest, TrimsEndsCapsAndDecodes) {
    struct Case {
        std::u16string clipboard;
        std::u32string inserted;
    };
    const Case cases[] = {
        {u"  one\ttwo\r\n", U"one two"},      // ends trimmed, the tab a space
        {u"\u3000보고서\u00A0", U"보고서"},   // any White_Space is trimmed
        {u"a\xD800z", U"a\uFFFDz"},           // an unpaired surrogate
        {u"\xDE00\xD83D\xDE00", U"\uFFFD😀"},  // a stray low one, then a pair
        {u" \n ", U""},
    };
    for (const Case& c : cases) {
        AppFixture f;
        f.shell.clipboard = c.clipboard;
        f.app.text = U"[]";
        f.app.caret = f.app.anchor = 1;
        paste(f.app, f.shell);
        EXPECT_EQ(f.app.text, U"[" + c.inserted + U"]");
        EXPECT_EQ(f.app.caret, 1 + c.inserted.size());
    }

    std::u16string huge(MAX_PASTE_UNITS + 10, u'x');
    EXPECT_EQ(paste_text(huge).size(), MAX_PASTE_UNITS);
}

TEST(QueryLimitTest, TheBoxHoldsAtMostTheLimitAndAPasteCutToItSaysSo) {
    const std::u32string full(MAX_QUERY_CHARS, U'q');
    const std::u16string big_paste(MAX_QUERY_CHARS + 500, u'p');
    struct Case {
        const char* name;
        BoxState before;
        std::u16string clipboard;
        size_t length_after;
        uint32_t caret_after;
        bool toast;
    };
    const Case cases[] = {
        {"a log into an empty box", {U"", 0, 0}, big_paste, MAX_QUERY_CHARS, 4096, true},
        {"exactly the room left",
         {U"ab", 1, 1},
         std::u16string(MAX_QUERY_CHARS - 2, u'p'),
         MAX_QUERY_CHARS,
         4095,
         false},
        {"the selection makes room first",
         {full, 10, 20},
         u"0123456789",
         MAX_QUERY_CHARS,
         20,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppFixture f;
        load(f.app, c.before);
        f.shell.clipboard = c.clipboard;
        paste(f.app, f.shell);
        EXPECT_EQ(f.app.text.size(), c.length_after);
        EXPECT_EQ(f.app.caret, c.caret_after);
        EXPECT_EQ(f.app.anchor, c.caret_after);
        ASSERT_EQ(f.app.toast.has_value(), c.toast);
        if (c.toast) {
            EXPECT_EQ(f.app.toast->text, "Pasted text was cut to its first 4,096 characters");
        }
    }

    // Typing into a full box changes nothing and does not search; typing over a selection does.
    AppFixture f;
    load(f.app, {full, 5, 5});
    on_char(f.app, f.shell, u'z');
    EXPECT_EQ(f.app.text, full);
    EXPECT_EQ(f.worker.query_generation().load(), 0u);
    f.app.anchor = 6;
    on_char(f.app, f.shell, u'z');
    EXPECT_EQ(f.app.text[5], U'z');
    EXPECT_EQ(f.app.text.size(), MAX_QUERY_CHARS);
    EXPECT_EQ(f.worker.query_generation().load(), 1u);
}

TEST(ClipboardTest, CutDeletesOnlyWhatTheClipboardTook) {
    for (bool fails : {false, true}) {
        AppFixture f;
        f.shell.clipboard_fails = fails;
        f.app.text = U"보고서 2026";
        f.app.caret = 3;
        f.app.anchor = 0;
        EXPECT_EQ(cut_selection(f.app, f.shell), !fails);
        EXPECT_EQ(f.app.text, fails ? U"보고서 2026" : U" 2026");
        EXPECT_EQ(f.app.caret, fails ? 3u : 0u);
        EXPECT_EQ(f.shell.clipboard,
                  fails ? std::nullopt : std::optional<std::u16string>(u"보고서"));
    }

    AppFixture f;  // nothing selected: nothing copied, nothing pasted from an empty clipboard
    f.app.text = U"abc";
    EXPECT_FALSE(copy_selection(f.app, f.shell));
    paste(f.app, f.shell);
    EXPECT_EQ(f.app.text, U"abc");
}

TEST(TypedCharTest, SurrogatePairsControlsAndSearch) {
    struct Case {
        const char* name;
        std::u16string units;
        std::u32string text;
        uint64_t searches;
    };
    const Case cases[] = {
        {"a pair is one character", u"\xD83D\xDE00", U"😀", 1},
        {"a newer high half replaces the pending one", u"\xD83C\xD83D\xDE00", U"😀", 1},
        {"a low half alone is dropped", u"\xDE00", U"", 0},
        {"controls are ignored", u"\b\r\t\x1B\x7F\x9F", U"", 0},
        {"letters and Hangul", u"a보", U"a보", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppFixture f;
        for (char16_t unit : c.units)
            on_char(f.app, f.shell, unit);
        EXPECT_EQ(f.app.text, c.text);
        EXPECT_EQ(f.app.caret, c.text.size());
        EXPECT_EQ(f.worker.query_generation().load(), c.searches);
    }
}

}  // namespace
}  // namespace norvik
