#include "query/query.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "hangul/utf8.h"

namespace norvik {
namespace {

// A compact spelling of a pattern: "L보" literal, "I7" initial, "O한/하/2" open syllable,
// "Cㄳ/0/9" cluster; elements separated by spaces.
std::string describe(const JamoPattern& pattern) {
    std::string out;
    for (const PatternElement& e : pattern) {
        if (!out.empty()) out += ' ';
        switch (e.kind) {
            case ElementKind::Literal:
                out += 'L';
                append_utf8(out, e.character);
                break;
            case ElementKind::Initial:
                out += 'I' + std::to_string(e.initial);
                break;
            case ElementKind::OpenSyllable:
                out += 'O';
                append_utf8(out, e.character);
                out += '/';
                append_utf8(out, e.open);
                out += '/' + std::to_string(e.initial);
                break;
            case ElementKind::Cluster:
                out += 'C';
                append_utf8(out, e.character);
                out += '/' + std::to_string(e.initial) + '/' + std::to_string(e.second_initial);
                break;
        }
    }
    return out;
}

const TextTerm& text_term(const Query& query, size_t i) {
    return std::get<TextTerm>(query.terms.at(i));
}

struct TextCase {
    const char* text;
    bool composing;
    const char* lowered;
    const char* pattern;
    const char* layout;  // nullptr: no layout pattern
    bool plain;
    bool has_hangul;
};

TEST(ParseTest, TextTerms) {
    const TextCase cases[] = {
        {"ㅂㄱㅅ", false, "ㅂㄱㅅ", "I7 I0 I9", nullptr, false, true},
        {"qhrhtj", false, "qhrhtj", "Lq Lh Lr Lh Lt Lj", "L보 L고 L서", true, false},
        {"보고ㅅ", false, "보고ㅅ", "L보 L고 I9", nullptr, false, true},
        {"한", true, "한", "O한/하/2", nullptr, false, true},
        {"한", false, "한", "L한", nullptr, true, true},
        {"닭", true, "닭", "O닭/달/0", nullptr, false, true},
        {"값", true, "값", "O값/갑/9", nullptr, false, true},
        {"가", true, "가", "L가", nullptr, true, true},
        {"ㄱ", true, "ㄱ", "I0", nullptr, false, true},
        {"Report.TXT", false, "report.txt", "Lr Le Lp Lo Lr Lt L. Lt Lx Lt", nullptr, true, false},
        // A sigma sends the word through the pattern, which reads final sigma as sigma.
        {"ΣΑΣ", false, "σας", "Lσ Lα Lσ", nullptr, false, false},
        {"ÄRGER", false, "ärger", "Lä Lr Lg Le Lr", nullptr, true, false},
        // Conjoining jamo are composed before anything else.
        {"\u1107\u1169\u1100\u1169", false, "보고", "L보 L고", nullptr, true, true},
        {"Rk", false, "rk", "Lr Lk", "L까", true, false},
        {"rk1", false, "rk1", "Lr Lk L1", "L가 L1", true, false},
        {"dkss", false, "dkss", "Ld Lk Ls Ls", "L안 I2", true, false},
        {"rt", false, "rt", "Lr Lt", nullptr, true, false},
        {"2026", false, "2026", "L2 L0 L2 L6", nullptr, true, false},
        // The IME joins ㅂ ㄱ ㅅ typed in a row into ㅂ ㄳ, and ㄹ ㅁ into ㄻ.
        {"ㅂㄳ", false, "ㅂㄳ", "I7 Cㄳ/0/9", nullptr, false, true},
        {"ㄻ", false, "ㄻ", "Cㄻ/5/6", nullptr, false, true},
        {"ㅄ", false, "ㅄ", "Cㅄ/7/9", nullptr, false, true},
        {"ㅏ", false, "ㅏ", "Lㅏ", nullptr, true, true},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto query = parse(c.text, c.composing, 0);
        ASSERT_EQ(query->terms.size(), 1u);
        const TextTerm& term = text_term(*query, 0);
        EXPECT_EQ(term.lowered, c.lowered);
        EXPECT_EQ(describe(term.pattern), c.pattern);
        if (c.layout == nullptr) {
            EXPECT_FALSE(term.layout_pattern.has_value());
        } else {
            ASSERT_TRUE(term.layout_pattern.has_value());
            EXPECT_EQ(describe(*term.layout_pattern), c.layout);
        }
        EXPECT_EQ(term.plain, c.plain);
        EXPECT_EQ(term.has_hangul, c.has_hangul);
    }
}

TEST(ParseTest, LayoutTextAndLiteralFlag) {
    auto query = parse("qhrhtj dkss", false, 0);
    ASSERT_EQ(query->terms.size(), 2u);
    EXPECT_EQ(text_term(*query, 0).layout_text, "보고서");
    EXPECT_TRUE(text_term(*query, 0).layout_literal);
    EXPECT_EQ(text_term(*query, 1).layout_text, "안ㄴ");
    EXPECT_FALSE(text_term(*query, 1).layout_literal);
}

TEST(ParseTest, OnlyTheLastWordOfTheQueryIsOpened) {
    auto query = parse("한 보", true, 0);
    ASSERT_EQ(query->terms.size(), 2u);
    EXPECT_EQ(describe(text_term(*query, 0).pattern), "L한");
    EXPECT_TRUE(text_term(*query, 0).plain);
    EXPECT_EQ(describe(text_term(*query, 1).pattern), "L보");

    // The last word by position, whatever its kind: a wildcard last leaves 한 closed.
    query = parse("한 *.txt", true, 0);
    ASSERT_EQ(query->terms.size(), 2u);
    EXPECT_EQ(describe(text_term(*query, 0).pattern), "L한");

    query = parse("보고서 한", true, 0);
    EXPECT_EQ(describe(text_term(*query, 0).pattern), "L보 L고 L서");
    EXPECT_EQ(describe(text_term(*query, 1).pattern), "O한/하/2");
}

// A Hangul word is also read as the English word its keys spell, when that is a word: one holding
// a letter the IME left alone, not consonants alone (an initial-consonant search), not one or two
// keys.
TEST(ParseTest, KeySpellingOfHangulWords) {
    struct Case {
        const char* text;
        bool composing;
        std::vector<std::string> spellings;  // one per term
    };
    const Case cases[] = {
        {"ㄱ데ㅐㄳ", false, {"report"}},
        {"ㄱ데ㅐㄱㅅ", false, {"report"}},
        {"ㄷㅌㅊ디", false, {"excel"}},
        {"보고서", false, {""}},  // whole syllables: meant as Korean
        {"갯", false, {""}},
        {"ㄱ데", false, {"rep"}},
        {"ㅏㅏㅏ", false, {"kkk"}},
        // While composing, the keys typed so far: 단 may still become 다 + ㄴ…, but its keys are
        // e k s whatever follows.
        {"ㄱ단", true, {"reks"}},
        {"ㄱ데ㅐㄱ", true, {"repor"}},
        {"가", false, {""}},
        {"ㅂㄱㅅ", false, {""}},
        {"ㅂㄳ", false, {""}},
        {"ㄱㄴㄷㄹ", false, {""}},
        {"보고서1", false, {""}},
        {"report", false, {""}},
        {"2026 ㄱ데ㅐㄳ", false, {"", "report"}},
        {"ㄱ데ㅐㄳ *.docx", false, {"report"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto query = parse(c.text, c.composing, 0);
        std::vector<std::string> spellings;
        for (const Term& term : query->terms) {
            if (const auto* text = std::get_if<TextTerm>(&term))
                spellings.push_back(text->key_spelling);
        }
        EXPECT_EQ(spellings, c.spellings);
    }
}

struct ExtensionCase {
    const char* text;
    std::vector<std::string> extensions;
};

TEST(ParseTest, ExtensionLists) {
    const ExtensionCase cases[] = {
        {"ext:pdf,hwp", {"pdf", "hwp"}},
        {"EXT:*.PDF", {"pdf"}},
        {"ext:.hwp;;*.txt", {"hwp", "txt"}},
        {"ext:", {}},
        {"ext:,;|", {}},
        {"ext:*.*.pdf", {"pdf"}},
        {"ext:..gz|tar", {"gz", "tar"}},
        {"ext:pdf ext:PDF", {"pdf", "pdf"}},
        {"ext:tar.gz", {"tar.gz"}},
        {"ext:ΣΑΣ", {"σας"}},
    };
    for (const ExtensionCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto query = parse(c.text, false, 0);
        EXPECT_TRUE(query->terms.empty());
        EXPECT_EQ(query->extensions, c.extensions);
        EXPECT_EQ(is_empty(*query), c.extensions.empty());
    }
}

struct WildcardCase {
    const char* text;
    const char32_t* pattern;
    const char* literal;
    bool prefilter;
};

TEST(ParseTest, WildcardTerms) {
    const WildcardCase cases[] = {
        {"*.hwp", U"*.hwp", ".hwp", true},
        {"*.HWP", U"*.hwp", ".hwp", true},
        {"a*b?cd", U"a*b?cd", "cd", true},
        {"ab*cd", U"ab*cd", "cd", true},
        {"a?c", U"a?c", "c", true},
        {"?", U"?", "", false},
        {"*?*", U"*?*", "", false},
        {"보고*", U"보고*", "보고", true},
        // The glob reads final sigma as sigma, so a byte prefilter would be wrong.
        {"ΣΑΣ*", U"σασ*", "σας", false},
    };
    for (const WildcardCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto query = parse(c.text, false, 0);
        ASSERT_EQ(query->terms.size(), 1u);
        const auto& term = std::get<WildcardTerm>(query->terms[0]);
        EXPECT_EQ(term.pattern, c.pattern);
        EXPECT_EQ(term.literal, c.literal);
        EXPECT_EQ(term.prefilter, c.prefilter);
    }
}

TEST(ParseTest, WordsOfStarsOnlyAreIgnored) {
    for (const char* text : {"*", "***", " * ** "}) {
        SCOPED_TRACE(text);
        auto query = parse(text, false, 0);
        EXPECT_TRUE(query->terms.empty());
        EXPECT_TRUE(is_empty(*query));
    }
}

TEST(ParseTest, ExactNameIsTheNameWordsJoinedByOneSpace) {
    const std::pair<const char*, const char*> cases[] = {
        {"보고서 최종", "보고서 최종"},
        {"  Report \t 2026\u3000 ", "report 2026"},
        {"ÄRGER", "ärger"},
        {"e\u0301t\u00c9", "\u00e9t\u00e9"},  // NFC, then lowercase
        {"report ext:pdf", "report"},         // ext: names no part of a name
        {"ext:pdf,hwp", ""},
        {"Docs\\Report", "report"},  // a path word's name is its last segment
        {"*\\report", "report"},     // a wildcard folder says nothing of the name
        {"documents\\", ""},
        {"*.hwp", ""},  // a wildcard says what a name looks like, not what it is
        {"report *", ""},
        {"rep?rt 2026", ""},
        {"2026 docs/*.pdf", ""},
        {"", ""},
    };
    for (const auto& [text, exact] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(parse(text, false, 0)->exact_name, exact);
    }
}

struct SplitCase {
    const char* text;
    std::vector<std::string> words;
};

TEST(ParseTest, SplitsAtUnicodeWhiteSpace) {
    const SplitCase cases[] = {
        {"2026 회의록", {"2026", "회의록"}},
        {"  a \t\n b  ", {"a", "b"}},
        {"a\u3000b", {"a", "b"}},              // ideographic space
        {"a\u00A0b\u2009c", {"a", "b", "c"}},  // no-break space, thin space
        {"a\u0085b\u2028c\u202Fd", {"a", "b", "c", "d"}},
        {"a\u200Bb", {"a\u200Bb"}},  // zero width space is not white space
        {"", {}},
        {" \u3000\t ", {}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto query = parse(c.text, false, 0);
        std::vector<std::string> words;
        for (const Term& term : query->terms)
            words.push_back(std::get<TextTerm>(term).lowered);
        EXPECT_EQ(words, c.words);
    }
}

TEST(ParseTest, EmptyDependsOnTermsExtensionsAndFilter) {
    EXPECT_TRUE(is_empty(*parse("", false, 0)));
    EXPECT_TRUE(is_empty(*parse("   ", false, 0)));
    EXPECT_TRUE(is_empty(*parse("ext: ***", false, 0)));
    EXPECT_FALSE(is_empty(*parse("", false, 3)));
    EXPECT_EQ(parse("", false, 3)->filter, 3);
    EXPECT_FALSE(is_empty(*parse("ext:pdf", false, 0)));
    EXPECT_FALSE(is_empty(*parse("a", false, 0)));
}

// A term as the path-word cases spell it: a text term by its lowered word, a wildcard term as
// "glob:" and its pattern.
std::string spell(const Term& term) {
    if (const TextTerm* text = std::get_if<TextTerm>(&term)) return text->lowered;
    std::string out = "glob:";
    for (char32_t c : std::get<WildcardTerm>(term).pattern)
        append_utf8(out, c);
    return out;
}

std::vector<std::string> spell_all(const std::vector<Term>& terms) {
    std::vector<std::string> out;
    for (const Term& term : terms)
        out.push_back(spell(term));
    return out;
}

struct PathCase {
    const char* text;
    std::vector<std::string> terms;
    std::vector<std::vector<std::string>> folders;  // per path word, nearest folder first
};

TEST(ParseTest, PathWordsSplitIntoFoldersAndAName) {
    using Words = std::vector<std::string>;
    const PathCase cases[] = {
        {"문서\\보고서", {"보고서"}, {{"문서"}}},
        {"문서/보고서", {"보고서"}, {{"문서"}}},
        {"문서\\2026/보고서", {"보고서"}, {{"2026", "문서"}}},
        {"문서\\\\/보고서", {"보고서"}, {{"문서"}}},  // empty segments are dropped
        {"\\보고서", {"보고서"}, {}},                 // no folder left: an ordinary word
        {"문서\\", {}, {{"문서"}}},                   // an empty name matches any item
        {"\\", {}, {}},
        {"//", {}, {}},
        {"Docs\\*.HWP", {"glob:*.hwp"}, {{"docs"}}},
        {"a\\*\\b", {"b"}, {{"glob:*", "a"}}},  // "*" stands for any one folder
        {"a\\*", {}, {{"a"}}},
        {"C:\\Users\\Report", {"report"}, {{"users", "c:"}}},
        {"a\\b c d/e", {"b", "c", "e"}, {{"a"}, {"d"}}},
        {"ext:pdf 문서\\", {}, {{"문서"}}},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.text);
        auto query = parse(c.text, false, 0);
        EXPECT_EQ(spell_all(query->terms), c.terms);
        std::vector<Words> folders;
        for (const PathWord& path : query->paths)
            folders.push_back(spell_all(path.folders));
        EXPECT_EQ(folders, c.folders);
    }
    EXPECT_FALSE(is_empty(*parse("문서\\", false, 0)));
    EXPECT_TRUE(is_empty(*parse("\\ /", false, 0)));
}

// Each segment is read as a word of its own: the English-layout reading and initials per
// segment, and only the name of the query's last word is opened while composing.
TEST(ParseTest, PathSegmentsAreWordsOfTheirOwn) {
    auto query = parse("ans\\ㅂㄱㅅ", false, 0);
    const TextTerm& folder = std::get<TextTerm>(query->paths.at(0).folders.at(0));
    EXPECT_EQ(folder.layout_text, "문");
    EXPECT_EQ(describe(text_term(*query, 0).pattern), "I7 I0 I9");

    auto composing = parse("한\\한", true, 0);
    EXPECT_EQ(describe(text_term(*composing, 0).pattern), "O한/하/2");
    EXPECT_EQ(describe(std::get<TextTerm>(composing->paths.at(0).folders.at(0)).pattern), "L한");
    auto not_last = parse("a\\한 b", true, 0);
    EXPECT_EQ(describe(text_term(*not_last, 0).pattern), "L한");
}

TEST(ParseTest, WhiteSpaceProperty) {
    for (char32_t c : {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x20, 0x85, 0xA0, 0x1680, 0x2000, 0x200A,
                       0x2028, 0x2029, 0x202F, 0x205F, 0x3000})
        EXPECT_TRUE(is_white_space(c)) << std::hex << static_cast<uint32_t>(c);
    for (char32_t c : {0x08, 0x0E, 0x1F, 0x21, 0x84, 0x86, 0x200B, 0x180E, 0xFEFF, 0x3001})
        EXPECT_FALSE(is_white_space(c)) << std::hex << static_cast<uint32_t>(c);
}

}  // namespace
}  // namespace norvik
