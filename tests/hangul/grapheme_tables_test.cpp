// The grapheme clusters found over the committed tables against ICU's character break iterator:
// random texts made of characters of every break class (fixed seed). Fails when the tables or the
// rules drift from the installed ICU (rebuild the tables with regenerate_grapheme_tables).
#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "hangul/grapheme.h"
#include "hangul/utf8.h"

namespace norvik {
namespace {

constexpr char32_t CODE_POINT_END = 0x110000;

// A few characters of each Grapheme_Cluster_Break class, and of Extended_Pictographic.
std::vector<char32_t> samples() {
    std::map<int, std::vector<char32_t>> by_class;
    for (char32_t c = 0; c < CODE_POINT_END; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const auto code_point = static_cast<UChar32>(c);
        int key = u_getIntPropertyValue(code_point, UCHAR_GRAPHEME_CLUSTER_BREAK);
        if (u_hasBinaryProperty(code_point, UCHAR_EXTENDED_PICTOGRAPHIC)) key += 100;
        std::vector<char32_t>& chosen = by_class[key];
        // Spread over the class: its first characters and every 97th after.
        if (chosen.size() < 4 || (chosen.size() < 12 && c % 97 == 0)) chosen.push_back(c);
    }
    std::vector<char32_t> all;
    for (const auto& [key, chars] : by_class)
        all.insert(all.end(), chars.begin(), chars.end());
    return all;
}

std::vector<size_t> icu_starts(const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> breaks(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    EXPECT_TRUE(U_SUCCESS(status));
    const icu::UnicodeString utf16 = icu::UnicodeString::fromUTF8(text);
    breaks->setText(utf16);
    // UTF-16 offsets back to UTF-8 ones.
    std::vector<size_t> byte_at(static_cast<size_t>(utf16.length()) + 1, 0);
    size_t bytes = 0;
    for (int32_t i = 0; i < utf16.length();) {
        const UChar32 c = utf16.char32At(i);
        byte_at[static_cast<size_t>(i)] = bytes;
        bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        i += U16_LENGTH(c);
    }
    byte_at.back() = bytes;
    std::vector<size_t> starts;
    for (int32_t at = breaks->first(); at != icu::BreakIterator::DONE; at = breaks->next())
        starts.push_back(byte_at[static_cast<size_t>(at)]);
    return starts;
}

TEST(GraphemeTables, AgreeWithIcuOnRandomTextsOfEveryClass) {
    const std::vector<char32_t> pool = samples();
    std::mt19937 random(29);
    std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
    std::uniform_int_distribution<int> length(1, 8);
    for (int round = 0; round < 50'000; ++round) {
        std::string text;
        for (int n = length(random); n > 0; --n)
            append_utf8(text, pool[pick(random)]);
        ASSERT_EQ(grapheme_starts(text), icu_starts(text)) << "round " << round;
    }
}

}  // namespace
}  // namespace norvik
