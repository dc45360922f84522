#include "hangul/unicode_case.h"

#include <cstdint>

#include "hangul/utf8.h"

namespace norvik {

namespace {

// One record per class of code points: the lowercase mapping as a delta (or, with SPECIAL, the
// index of a multi-character mapping) and the property bits below.
struct CaseRecord {
    int32_t delta;
    uint8_t flags;
};

constexpr uint8_t CASED = 0x01;
constexpr uint8_t CASE_IGNORABLE = 0x02;
constexpr uint8_t CHANGES_WHEN_LOWERCASED = 0x04;
constexpr uint8_t SPECIAL = 0x08;

#include "hangul/unicode_case_tables.inc"

constexpr char32_t CODE_POINT_END = 0x110000;
constexpr char32_t CAPITAL_SIGMA = 0x03A3;
constexpr char32_t FINAL_SIGMA = 0x03C2;
constexpr CaseRecord NO_RECORD{0, 0};

const CaseRecord& record(char32_t c) {
    if (c >= CODE_POINT_END) return NO_RECORD;
    const uint32_t block = STAGE1[c >> BLOCK_SHIFT];
    return RECORDS[STAGE2[(block << BLOCK_SHIFT) | (c & ((1u << BLOCK_SHIFT) - 1))]];
}

char ascii_lower(unsigned char b) {
    return static_cast<char>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
}

// Whether a cased letter follows text[pos...], skipping case-ignorable characters. A character
// that is both cased and case-ignorable counts as cased, as the rule's pattern reads.
bool cased_follows(std::string_view text, size_t pos) {
    while (pos < text.size()) {
        const uint8_t flags = record(decode_utf8(text, pos)).flags;
        if (flags & CASED) return true;
        if (!(flags & CASE_IGNORABLE)) return false;
    }
    return false;
}

void append_mapping(std::string& out, char32_t c, const CaseRecord& r) {
    if (r.flags & SPECIAL) {
        for (char32_t m : SPECIAL_LOWER[r.delta]) {
            if (m == 0) break;
            append_utf8(out, m);
        }
    } else {
        append_utf8(out, static_cast<char32_t>(static_cast<int32_t>(c) + r.delta));
    }
}

}  // namespace

void append_lower_full(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size());
    if (is_ascii(text)) {
        for (char c : text)
            out.push_back(ascii_lower(static_cast<unsigned char>(c)));
        return;
    }
    // Whether the text so far ends in a cased letter followed by zero or more case-ignorable
    // characters: the "preceded by" half of the final-sigma condition.
    bool after_cased = false;
    size_t pos = 0;
    while (pos < text.size()) {
        const auto b = static_cast<unsigned char>(text[pos]);
        uint8_t flags;
        if (b < 0x80) {
            out.push_back(ascii_lower(b));
            ++pos;
            flags = record(b).flags;
        } else {
            const char32_t c = decode_utf8(text, pos);
            const CaseRecord& r = record(c);
            flags = r.flags;
            if (c == CAPITAL_SIGMA && after_cased && !cased_follows(text, pos)) {
                append_utf8(out, FINAL_SIGMA);
            } else {
                append_mapping(out, c, r);
            }
        }
        if (flags & CASED) {
            after_cased = true;
        } else if (!(flags & CASE_IGNORABLE)) {
            after_cased = false;
        }
    }
}

std::string lower_full(std::string_view text) {
    std::string out;
    append_lower_full(out, text);
    return out;
}

char32_t lower_first(char32_t c) {
    if (c < 0x80) return static_cast<char32_t>(ascii_lower(static_cast<unsigned char>(c)));
    const CaseRecord& r = record(c);
    if (r.flags & SPECIAL) return SPECIAL_LOWER[r.delta][0];
    return static_cast<char32_t>(static_cast<int32_t>(c) + r.delta);
}

bool changes_when_lowercased(char32_t c) {
    return record(c).flags & CHANGES_WHEN_LOWERCASED;
}

bool is_cased(char32_t c) {
    return record(c).flags & CASED;
}

bool is_case_ignorable(char32_t c) {
    return record(c).flags & CASE_IGNORABLE;
}

bool has_non_ascii_upper(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        if (record(decode_utf8(text, pos)).flags & CHANGES_WHEN_LOWERCASED) return true;
    }
    return false;
}

}  // namespace norvik
