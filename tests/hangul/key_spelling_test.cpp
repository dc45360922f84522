#include "hangul/key_spelling.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "hangul/hangul.h"
#include "hangul/utf8.h"

namespace norvik {
namespace {

std::string lower_ascii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return text;
}

std::string utf8(std::u32string_view chars) {
    std::string out;
    for (char32_t c : chars)
        append_utf8(out, c);
    return out;
}

std::u32string decode(std::string_view text) {
    std::u32string out;
    for (size_t pos = 0; pos < text.size();)
        out.push_back(decode_utf8(text, pos));
    return out;
}

TEST(KeySpelling, Examples) {
    struct Case {
        const char* text;
        std::optional<std::string> keys;
    };
    const Case cases[] = {
        {"보고서", "qhrhtj"},
        {"한글", "gksrmf"},
        {"까", "rk"},  // Shift+R spells as r
        {"빵", "qkd"},
        {"와", "dhk"},
        {"의", "dml"},
        {"값", "rkqt"},
        {"읽어", "dlfrdj"},
        {"ㄱ데ㅐㄳ", "report"},
        {"ㄱ데ㅐㄱㅅ", "report"},
        {"ㄷㅌㅊ디", "excel"},
        {"ㅑㅜ패ㅑㅊㄷ", "invoice"},
        {"ㅒㅖ", "op"},
        {"", ""},
        {"보a", std::nullopt},
        {"report", std::nullopt},
        {"보고서1", std::nullopt},
        {"보 고", std::nullopt},
        {"\u1100\u1161", std::nullopt},  // conjoining jamo are not typed here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(key_spelling(c.text), c.keys);
    }
}

// The keys that type a jamo on its own, with Shift where the layout needs it.
std::string typed_keys(char32_t jamo) {
    std::string keys = key_spelling(utf8(std::u32string(1, jamo))).value_or("?");
    for (char32_t shifted : {U'ㄲ', U'ㄸ', U'ㅃ', U'ㅆ', U'ㅉ', U'ㅒ', U'ㅖ'}) {
        if (jamo == shifted) keys[0] = static_cast<char>(keys[0] - 32);
    }
    return keys;
}

// Every syllable and every compatibility jamo: the keys its spelling names, typed with Shift
// where needed, compose it again. A cluster typed alone composes as its two consonants.
TEST(KeySpelling, SpellsEverySyllableAndJamoTheLayoutTypes) {
    for (char32_t s = SYLLABLE_FIRST; s <= SYLLABLE_LAST; ++s) {
        const SyllableParts parts = *syllable_parts(s);
        std::string typed = typed_keys(INITIALS[parts.initial]) +
                            typed_keys(JAMO_VOWEL_FIRST + static_cast<char32_t>(parts.medial));
        if (parts.final != 0) typed += typed_keys(FINALS[parts.final]);
        const std::string syllable = utf8(std::u32string(1, s));
        ASSERT_EQ(compose_two_set(typed), syllable) << typed;
        ASSERT_EQ(key_spelling(syllable), lower_ascii(typed)) << typed;
    }
    for (char32_t jamo = JAMO_CONSONANT_FIRST; jamo <= JAMO_VOWEL_LAST; ++jamo) {
        SCOPED_TRACE(utf8(std::u32string(1, jamo)));
        const std::string typed = typed_keys(jamo);
        std::u32string composed(1, jamo);
        if (std::optional<ClusterHalves> halves = cluster_halves(jamo))
            composed = {halves->stays, halves->moves};
        EXPECT_EQ(compose_two_set(typed), utf8(composed));
        EXPECT_EQ(key_spelling(utf8(std::u32string(1, jamo))), lower_ascii(typed));
    }
}

// The Windows IME also joins two consonants typed in a row, with no vowel, into a cluster
// letter: where the composer shows ㄱㅅ the IME shows ㄳ.
std::optional<char32_t> cluster_of(char32_t stays, char32_t moves) {
    for (char32_t c = JAMO_CONSONANT_FIRST; c <= JAMO_CONSONANT_LAST; ++c) {
        std::optional<ClusterHalves> halves = cluster_halves(c);
        if (halves && halves->stays == stays && halves->moves == moves) return c;
    }
    return std::nullopt;
}

std::string join_lone_clusters(std::string_view composed) {
    const std::u32string chars = decode(composed);
    std::u32string out;
    for (size_t i = 0; i < chars.size(); ++i) {
        std::optional<char32_t> cluster;
        if (i + 1 < chars.size()) cluster = cluster_of(chars[i], chars[i + 1]);
        out.push_back(cluster.value_or(chars[i]));
        if (cluster) ++i;
    }
    return utf8(out);
}

TEST(KeySpelling, WordsTypedInKoreanModeAsTheImeShowsThem) {
    struct Case {
        const char* keys;
        const char* ime;
    };
    const Case cases[] = {
        {"report", "ㄱ데ㅐㄳ"}, {"excel", "ㄷㅌㅊ디"}, {"invoice", "ㅑㅜ패ㅑㅊㄷ"},
        {"draft", "ㅇㄱㅁㄽ"},  {"photo", "ㅔㅙ새"},   {"final", "랴ㅜ미"},
        {"effort", "ㄷㄹ랛"},   {"rt", "ㄳ"},          {"artist", "ㅁㄱ샨ㅅ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        EXPECT_EQ(join_lone_clusters(compose_two_set(c.keys)), c.ime);
        EXPECT_EQ(key_spelling(c.ime), c.keys);
    }
}

// Composing a word and spelling the result gives the word back in lower case, as the composer
// and as the IME show it: every word of up to three small letters, every word of up to two
// letters of either case, a list of words found in file names, and long random words.
TEST(KeySpelling, ComposedWordsSpellBackToTheWord) {
    std::vector<std::string> words = {
        "report",    "excel",  "invoice",    "budget",    "meeting",  "minutes",   "draft",
        "final",     "backup", "photo",      "images",    "download", "desktop",   "document",
        "project",   "resume", "contract",   "receipt",   "summary",  "schedule",  "presentation",
        "homework",  "thesis", "readme",     "license",   "setup",    "install",   "archive",
        "music",     "video",  "screenshot", "wallpaper", "notes",    "letter",    "proposal",
        "quarterly", "annual", "payroll",    "quote",     "Report",   "QUARTERLY", "PoWeR",
        "xylophone", "zzz",    "queue",      "strengths", "rhythm",
    };
    auto add_all = [&words](const std::string& letters, size_t length, std::string prefix,
                            auto& self) -> void {
        if (prefix.size() == length) {
            words.push_back(prefix);
            return;
        }
        for (char c : letters)
            self(letters, length, prefix + c, self);
    };
    const std::string small = "abcdefghijklmnopqrstuvwxyz";
    for (size_t length = 1; length <= 3; ++length)
        add_all(small, length, "", add_all);
    for (size_t length = 1; length <= 2; ++length)
        add_all(small + "ABCDEFGHIJKLMNOPQRSTUVWXYZ", length, "", add_all);
    std::mt19937 random(20261107);
    for (int i = 0; i < 40000; ++i) {
        std::string word;
        for (size_t n = 4 + random() % 11; word.size() < n;)
            word += static_cast<char>((random() % 4 == 0 ? 'A' : 'a') + random() % 26);
        words.push_back(word);
    }
    for (const std::string& word : words) {
        const std::string composed = compose_two_set(word);
        ASSERT_EQ(key_spelling(composed), lower_ascii(word)) << word << " -> " << composed;
        ASSERT_EQ(key_spelling(join_lone_clusters(composed)), lower_ascii(word)) << word;
    }
}

}  // namespace
}  // namespace norvik
