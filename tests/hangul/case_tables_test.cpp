// The committed case tables against ICU for every code point, so that tables generated from an
// older ICU than the one installed fail here (rebuild them with the regenerate_case_tables target).
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <gtest/gtest.h>

#include <string>

#include "hangul/unicode_case.h"
#include "hangul/utf8.h"

namespace norvik {
namespace {

constexpr char32_t CODE_POINT_END = 0x110000;

bool is_surrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// ICU's full lowercase mapping of c standing alone (root locale), as UTF-8.
std::string icu_lower(char32_t c) {
    UChar src[2];
    int32_t src_len = 0;
    U16_APPEND_UNSAFE(src, src_len, static_cast<UChar32>(c));
    UChar dest[16];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t len = u_strToLower(dest, 16, src, src_len, "", &status);
    EXPECT_TRUE(U_SUCCESS(status)) << std::hex << static_cast<uint32_t>(c);
    std::string out;
    for (int32_t i = 0; i < len;) {
        UChar32 d;
        U16_NEXT(dest, i, len, d);
        append_utf8(out, static_cast<char32_t>(d));
    }
    return out;
}

TEST(CaseTables, MatchIcuForEveryCodePoint) {
    int failures = 0;
    for (char32_t c = 0; c < CODE_POINT_END && failures < 20; ++c) {
        const auto u = static_cast<UChar32>(c);
        const bool cased = u_hasBinaryProperty(u, UCHAR_CASED);
        const bool ignorable = u_hasBinaryProperty(u, UCHAR_CASE_IGNORABLE);
        const bool changes = u_hasBinaryProperty(u, UCHAR_CHANGES_WHEN_LOWERCASED);
        bool ok = is_cased(c) == cased && is_case_ignorable(c) == ignorable &&
                  changes_when_lowercased(c) == changes;
        if (!is_surrogate(c)) {
            std::string self;
            append_utf8(self, c);
            const std::string expected = icu_lower(c);
            size_t pos = 0;
            ok = ok && lower_full(self) == expected && lower_first(c) == decode_utf8(expected, pos);
        } else {
            ok = ok && lower_first(c) == c;
        }
        if (!ok) {
            ++failures;
            ADD_FAILURE() << "case data differs from ICU at U+" << std::hex
                          << static_cast<uint32_t>(c);
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(CaseTables, NothingBeyondTheLastCodePoint) {
    for (char32_t c : {CODE_POINT_END, char32_t{0x7FFFFFFF}, char32_t{0xFFFFFFFF}}) {
        EXPECT_EQ(lower_first(c), c);
        EXPECT_FALSE(changes_when_lowercased(c));
        EXPECT_FALSE(is_cased(c));
        EXPECT_FALSE(is_case_ignorable(c));
    }
}

}  // namespace
}  // namespace norvik
