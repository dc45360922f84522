#include "hangul/hangul.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace norvik {
namespace {

constexpr uint32_t CAN_BEGIN = 0x3FF701CB;  // over (consonant - U+3131)
constexpr uint32_t CAN_END = 0x3EFBFF7F;

TEST(SyllableParts, RangeEndsAndOutside) {
    struct Case {
        char32_t c;
        std::optional<SyllableParts> expected;
    };
    const Case cases[] = {
        {0xABFF, std::nullopt},
        {0xAC00, SyllableParts{0, 0, 0}},   // 가
        {0xAC01, SyllableParts{0, 0, 1}},   // 각
        {0xD55C, SyllableParts{18, 0, 4}},  // 한
        {0xBCF4, SyllableParts{7, 8, 0}},   // 보
        {0xD7A3, SyllableParts{18, 20, 27}},
        {0xD7A4, std::nullopt},
        {0x3131, std::nullopt},
        {U'a', std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(syllable_parts(c.c), c.expected) << std::hex << static_cast<uint32_t>(c.c);
    }
}

TEST(ComposeSyllable, InverseOfSyllableParts) {
    EXPECT_EQ(compose_syllable(0, 0, 0), SYLLABLE_FIRST);
    EXPECT_EQ(compose_syllable(18, 20, 27), SYLLABLE_LAST);
    EXPECT_EQ(compose_syllable(18, 0, 4), U'한');
    for (char32_t s = SYLLABLE_FIRST; s <= SYLLABLE_LAST; ++s) {
        const std::optional<SyllableParts> p = syllable_parts(s);
        ASSERT_TRUE(p.has_value());
        ASSERT_EQ(compose_syllable(p->initial, p->medial, p->final), s);
    }
}

TEST(InitialIndex, SyllablesAndInitialConsonants) {
    struct Case {
        char32_t c;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {U'보', 7},
        {U'ㅂ', 7},
        {U'가', 0},
        {U'ㄱ', 0},
        {U'ㄲ', 1},
        {U'ㄸ', 4},
        {U'ㅎ', 18},
        {U'힣', 18},
        {U'ㄳ', std::nullopt},
        {U'ㅄ', std::nullopt},
        {U'ㅏ', std::nullopt},
        {U'ㅣ', std::nullopt},
        {U'a', std::nullopt},
        {0x3130, std::nullopt},
        {0x3164, std::nullopt},
        {0x1100, std::nullopt},
        {0xABFF, std::nullopt},
        {0xD7A4, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(initial_index(c.c), c.expected) << std::hex << static_cast<uint32_t>(c.c);
    }
}

// The tables agree with the consonant classes written as bit sets.
TEST(JamoTables, ConsonantClasses) {
    for (int bit = 0; bit < 30; ++bit) {
        const char32_t consonant = JAMO_CONSONANT_FIRST + static_cast<char32_t>(bit);
        const bool begins = (CAN_BEGIN >> bit) & 1;
        EXPECT_EQ(initial_index(consonant).has_value(), begins) << bit;
        if (begins) {
            EXPECT_EQ(INITIALS[*initial_index(consonant)], consonant);
        }
        bool ends = false;
        for (int f = 1; f < 28; ++f)
            ends = ends || FINALS[f] == consonant;
        EXPECT_EQ(ends, ((CAN_END >> bit) & 1) != 0) << bit;
        EXPECT_EQ(cluster_halves(consonant).has_value(), ends && !begins) << bit;
    }
    EXPECT_EQ(FINALS[0], char32_t{0});
}

TEST(ClusterHalves, ElevenClusters) {
    struct Case {
        char32_t cluster;
        char32_t stays;
        char32_t moves;
    };
    const Case cases[] = {
        {U'ㄳ', U'ㄱ', U'ㅅ'}, {U'ㄵ', U'ㄴ', U'ㅈ'}, {U'ㄶ', U'ㄴ', U'ㅎ'}, {U'ㄺ', U'ㄹ', U'ㄱ'},
        {U'ㄻ', U'ㄹ', U'ㅁ'}, {U'ㄼ', U'ㄹ', U'ㅂ'}, {U'ㄽ', U'ㄹ', U'ㅅ'}, {U'ㄾ', U'ㄹ', U'ㅌ'},
        {U'ㄿ', U'ㄹ', U'ㅍ'}, {U'ㅀ', U'ㄹ', U'ㅎ'}, {U'ㅄ', U'ㅂ', U'ㅅ'},
    };
    for (const Case& c : cases) {
        const std::optional<ClusterHalves> halves = cluster_halves(c.cluster);
        ASSERT_TRUE(halves.has_value()) << std::hex << static_cast<uint32_t>(c.cluster);
        EXPECT_EQ(halves->stays, c.stays);
        EXPECT_EQ(halves->moves, c.moves);
    }
    EXPECT_FALSE(cluster_halves(U'ㄱ').has_value());
    EXPECT_FALSE(cluster_halves(U'ㄲ').has_value());
    EXPECT_FALSE(cluster_halves(U'갃').has_value());
}

TEST(OpenFinal, FinalMovesOrClusterSplits) {
    struct Case {
        char32_t syllable;
        std::optional<OpenFinal> expected;
    };
    const Case cases[] = {
        {U'한', OpenFinal{U'하', 2}},   // ㄴ
        {U'닭', OpenFinal{U'달', 0}},   // ㄺ: ㄹ stays, ㄱ moves
        {U'값', OpenFinal{U'갑', 9}},   // ㅄ: ㅂ stays, ㅅ moves
        {U'앉', OpenFinal{U'안', 12}},  // ㄵ
        {U'많', OpenFinal{U'만', 18}},  // ㄶ
        {U'삶', OpenFinal{U'살', 6}},   // ㄻ
        {U'밖', OpenFinal{U'바', 1}},   // ㄲ moves whole
        {U'있', OpenFinal{U'이', 10}},  // ㅆ moves whole
        {U'각', OpenFinal{U'가', 0}},  {U'힣', OpenFinal{U'히', 18}}, {U'가', std::nullopt},
        {U'ㄱ', std::nullopt},         {U'a', std::nullopt},          {0xD7A4, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(open_final(c.syllable), c.expected)
            << std::hex << static_cast<uint32_t>(c.syllable);
    }
}

TEST(EnglishToHangul, TwoSetLayout) {
    struct Case {
        const char* word;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"qhrhtj", "보고서"},
        {"dkssudgktpdy", "안녕하세요"},
        {"gksrmf", "한글"},
        {"rkqt", "값"},      // ㅂ then ㅅ form ㅄ
        {"dlfrdj", "읽어"},  // ㄹ then ㄱ form ㄺ; ㅇ starts a new syllable
        {"rksk", "가나"},    // the final ㄴ moves on
        {"dhk", "와"},
        {"dml", "의"},
        {"rhkr", "곽"},
        {"Rk", "까"},
        {"Qkd", "빵"},
        {"rk1", "가1"},
        {"ab", "뮤"},
        {"dkss", "안ㄴ"},
        {"dkfrh", "알고"},  // cluster ㄺ splits before a vowel
        {"rkRk", "가까"},   // a double final moves whole
        {"rkE", "가ㄸ"},    // ㄸ cannot end a syllable
        {"Ek", "따"},
        {"WkTdma", "짰음"},  // ㅆ ends a syllable; ㅇ then starts one
        {"EKD", "땅"},       // capitals without a shifted letter act as small ones
        {"dnjs", "원"},
        {"dnpq", "웹"},
        {"qnpfr", "뷁"},       // ㅜ+ㅔ and ㄹ+ㄱ
        {"hk", std::nullopt},  // ㅘ: a compound vowel alone is still a lone vowel
        {"gk.gk", "하.하"},
        {"rt", std::nullopt},      // ㄱㅅ: no syllable
        {"k", std::nullopt},       // ㅏ alone
        {"dlk", std::nullopt},     // 이ㅏ keeps a lone vowel
        {"123", std::nullopt},     // no letter
        {"résumé", std::nullopt},  // not ASCII
        {"", std::nullopt},
        {"rkt", "갓"},
        {"rkrt", "갃"},
        {"rkrtt", "갃ㅅ"},
        {"rkrtk", "각사"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(english_to_hangul(c.word), c.expected) << c.word;
    }
}

}  // namespace
}  // namespace norvik
