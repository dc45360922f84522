#include "hangul/hangul.h"

#include <array>
#include <utility>

#include "hangul/normalize_nfc_platform.h"
#include "hangul/utf8.h"

namespace norvik {

constexpr char32_t INITIALS[19] = {
    U'ㄱ', U'ㄲ', U'ㄴ', U'ㄷ', U'ㄸ', U'ㄹ', U'ㅁ', U'ㅂ', U'ㅃ', U'ㅅ',
    U'ㅆ', U'ㅇ', U'ㅈ', U'ㅉ', U'ㅊ', U'ㅋ', U'ㅌ', U'ㅍ', U'ㅎ',
};

constexpr char32_t FINALS[28] = {
    0,     U'ㄱ', U'ㄲ', U'ㄳ', U'ㄴ', U'ㄵ', U'ㄶ', U'ㄷ', U'ㄹ', U'ㄺ',
    U'ㄻ', U'ㄼ', U'ㄽ', U'ㄾ', U'ㄿ', U'ㅀ', U'ㅁ', U'ㅂ', U'ㅄ', U'ㅅ',
    U'ㅆ', U'ㅇ', U'ㅈ', U'ㅊ', U'ㅋ', U'ㅌ', U'ㅍ', U'ㅎ',
};

namespace {

constexpr int MEDIAL_COUNT = 21;
constexpr int FINAL_COUNT = 28;
constexpr int CONSONANT_COUNT = JAMO_CONSONANT_LAST - JAMO_CONSONANT_FIRST + 1;  // 30

// Consonant (minus U+3131) -> index in INITIALS or FINALS, -1 where it has none.
constexpr std::array<int8_t, CONSONANT_COUNT> reverse_table(const char32_t* table, int size) {
    std::array<int8_t, CONSONANT_COUNT> out{};
    out.fill(-1);
    for (int i = 0; i < size; ++i) {
        if (table[i] != 0) out[table[i] - JAMO_CONSONANT_FIRST] = static_cast<int8_t>(i);
    }
    return out;
}
constexpr auto INITIAL_OF_CONSONANT = reverse_table(INITIALS, 19);
constexpr auto FINAL_OF_CONSONANT = reverse_table(FINALS, FINAL_COUNT);

struct Cluster {
    char32_t cluster;
    char32_t stays;
    char32_t moves;
};
constexpr Cluster CLUSTERS[] = {
    {U'ㄳ', U'ㄱ', U'ㅅ'}, {U'ㄵ', U'ㄴ', U'ㅈ'}, {U'ㄶ', U'ㄴ', U'ㅎ'}, {U'ㄺ', U'ㄹ', U'ㄱ'},
    {U'ㄻ', U'ㄹ', U'ㅁ'}, {U'ㄼ', U'ㄹ', U'ㅂ'}, {U'ㄽ', U'ㄹ', U'ㅅ'}, {U'ㄾ', U'ㄹ', U'ㅌ'},
    {U'ㄿ', U'ㄹ', U'ㅍ'}, {U'ㅀ', U'ㄹ', U'ㅎ'}, {U'ㅄ', U'ㅂ', U'ㅅ'},
};

struct CompoundVowel {
    char32_t first;
    char32_t second;
    char32_t compound;
};
constexpr CompoundVowel COMPOUND_VOWELS[] = {
    {U'ㅗ', U'ㅏ', U'ㅘ'}, {U'ㅗ', U'ㅐ', U'ㅙ'}, {U'ㅗ', U'ㅣ', U'ㅚ'}, {U'ㅜ', U'ㅓ', U'ㅝ'},
    {U'ㅜ', U'ㅔ', U'ㅞ'}, {U'ㅜ', U'ㅣ', U'ㅟ'}, {U'ㅡ', U'ㅣ', U'ㅢ'},
};

// The two-set layout: a-z unshifted, and the seven shifted keys that have letters of their own.
constexpr char32_t KEY_MAP[26] = {
    U'ㅁ', U'ㅠ', U'ㅊ', U'ㅇ', U'ㄷ', U'ㄹ', U'ㅎ', U'ㅗ', U'ㅑ', U'ㅓ', U'ㅏ', U'ㅣ', U'ㅡ',
    U'ㅜ', U'ㅐ', U'ㅔ', U'ㅂ', U'ㄱ', U'ㄴ', U'ㅅ', U'ㅕ', U'ㅍ', U'ㅈ', U'ㅌ', U'ㅛ', U'ㅋ',
};
struct ShiftedKey {
    char key;
    char32_t jamo;
};
constexpr ShiftedKey SHIFTED_KEYS[] = {
    {'E', U'ㄸ'}, {'O', U'ㅒ'}, {'P', U'ㅖ'}, {'Q', U'ㅃ'},
    {'R', U'ㄲ'}, {'T', U'ㅆ'}, {'W', U'ㅉ'},
};

int final_index(char32_t consonant) {
    if (!is_compat_consonant(consonant)) return -1;
    return FINAL_OF_CONSONANT[consonant - JAMO_CONSONANT_FIRST];
}

bool can_end_syllable(char32_t consonant) {
    return final_index(consonant) > 0;
}

bool can_begin_syllable(char32_t consonant) {
    return is_compat_consonant(consonant) &&
           INITIAL_OF_CONSONANT[consonant - JAMO_CONSONANT_FIRST] >= 0;
}

std::optional<char32_t> make_cluster(char32_t first, char32_t second) {
    for (const Cluster& c : CLUSTERS) {
        if (c.stays == first && c.moves == second) return c.cluster;
    }
    return std::nullopt;
}

std::optional<char32_t> make_compound(char32_t first, char32_t second) {
    for (const CompoundVowel& v : COMPOUND_VOWELS) {
        if (v.first == first && v.second == second) return v.compound;
    }
    return std::nullopt;
}

char32_t key_jamo(char key) {
    for (const ShiftedKey& s : SHIFTED_KEYS) {
        if (s.key == key) return s.jamo;
    }
    const char lower = key >= 'A' && key <= 'Z' ? static_cast<char>(key - 'A' + 'a') : key;
    return KEY_MAP[lower - 'a'];
}

bool is_ascii_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The characters that make normalize_nfc call the platform normalizer: combining marks and
// conjoining Hangul jamo. Text without any of them is taken to be in NFC already.
bool is_nfc_trigger(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1100 && c <= 0x11FF) ||
           (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0x3099 && c <= 0x309A) ||
           (c >= 0xA960 && c <= 0xA97F) || (c >= 0xD7B0 && c <= 0xD7FF) ||
           (c >= 0xFE20 && c <= 0xFE2F);
}

bool has_nfc_trigger(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        if (is_nfc_trigger(decode_utf8(text, pos))) return true;
    }
    return false;
}

// The syllable being typed: each slot holds one compatibility jamo or 0.
struct Composer {
    char32_t initial = 0;
    char32_t medial = 0;
    char32_t final = 0;
    std::string output;

    void flush() {
        if (initial != 0 && medial != 0) {
            append_utf8(output, compose_syllable(*initial_index(initial),
                                                 static_cast<int>(medial - JAMO_VOWEL_FIRST),
                                                 final != 0 ? final_index(final) : 0));
        } else if (initial != 0) {
            append_utf8(output, initial);
        } else if (medial != 0) {
            append_utf8(output, medial);
        }
        initial = medial = final = 0;
    }

    void consonant(char32_t c) {
        if (initial == 0 || medial == 0) {
            flush();
            initial = c;
        } else if (final == 0) {
            if (can_end_syllable(c)) {
                final = c;
            } else {
                flush();
                initial = c;
            }
        } else if (auto cluster = make_cluster(final, c)) {
            final = *cluster;
        } else {
            flush();
            initial = c;
        }
    }

    void vowel(char32_t v) {
        if (initial == 0) {
            std::optional<char32_t> compound;
            if (medial != 0 && final == 0) compound = make_compound(medial, v);
            if (compound) {
                medial = *compound;
            } else {
                flush();
                medial = v;
            }
        } else if (medial == 0) {
            medial = v;
        } else if (final == 0) {
            if (auto compound = make_compound(medial, v)) {
                medial = *compound;
            } else {
                flush();
                medial = v;
            }
        } else {
            // The final consonant (or a cluster's second half) starts the next syllable.
            char32_t moving = final;
            final = 0;
            if (auto halves = cluster_halves(moving)) {
                final = halves->stays;
                moving = halves->moves;
            }
            flush();
            initial = moving;
            medial = v;
        }
    }
};

}  // namespace

std::optional<std::string> normalize_nfc(std::string_view text) {
    if (is_ascii(text) || !has_nfc_trigger(text)) return std::nullopt;
    std::optional<std::u16string> normalized = normalize_nfc_utf16(utf8_to_utf16(text));
    if (!normalized) return std::nullopt;
    std::string result = utf16_to_utf8(*normalized);
    if (result == text) return std::nullopt;
    return result;
}

std::optional<SyllableParts> syllable_parts(char32_t c) {
    if (!is_syllable(c)) return std::nullopt;
    const int offset = static_cast<int>(c - SYLLABLE_FIRST);
    return SyllableParts{offset / (MEDIAL_COUNT * FINAL_COUNT),
                         (offset / FINAL_COUNT) % MEDIAL_COUNT, offset % FINAL_COUNT};
}

char32_t compose_syllable(int initial, int medial, int final) {
    return SYLLABLE_FIRST +
           static_cast<char32_t>((initial * MEDIAL_COUNT + medial) * FINAL_COUNT + final);
}

std::optional<int> initial_index(char32_t c) {
    if (is_syllable(c)) return static_cast<int>(c - SYLLABLE_FIRST) / (MEDIAL_COUNT * FINAL_COUNT);
    if (can_begin_syllable(c)) return INITIAL_OF_CONSONANT[c - JAMO_CONSONANT_FIRST];
    return std::nullopt;
}

std::optional<ClusterHalves> cluster_halves(char32_t c) {
    for (const Cluster& cluster : CLUSTERS) {
        if (cluster.cluster == c) return ClusterHalves{cluster.stays, cluster.moves};
    }
    return std::nullopt;
}

std::optional<OpenFinal> open_final(char32_t syllable) {
    const std::optional<SyllableParts> parts = syllable_parts(syllable);
    if (!parts || parts->final == 0) return std::nullopt;
    const char32_t final = FINALS[parts->final];
    if (const std::optional<ClusterHalves> halves = cluster_halves(final)) {
        return OpenFinal{
            compose_syllable(parts->initial, parts->medial, final_index(halves->stays)),
            *initial_index(halves->moves)};
    }
    return OpenFinal{compose_syllable(parts->initial, parts->medial, 0), *initial_index(final)};
}

std::string compose_two_set(std::string_view keys) {
    Composer composer;
    for (char c : keys) {
        if (!is_ascii_letter(c)) {
            composer.flush();
            composer.output.push_back(c);
            continue;
        }
        const char32_t jamo = key_jamo(c);
        if (is_compat_consonant(jamo)) {
            composer.consonant(jamo);
        } else {
            composer.vowel(jamo);
        }
    }
    composer.flush();
    return std::move(composer.output);
}

std::optional<std::string> english_to_hangul(std::string_view word) {
    bool has_letter = false;
    for (char c : word) {
        if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
        has_letter = has_letter || is_ascii_letter(c);
    }
    if (!has_letter) return std::nullopt;

    std::string out = compose_two_set(word);
    // Only text that reads as Korean: some syllable, no lone vowel, no lone cluster.
    bool has_syllable = false;
    for (size_t pos = 0; pos < out.size();) {
        const char32_t c = decode_utf8(out, pos);
        if (is_syllable(c)) has_syllable = true;
        if (is_compat_vowel(c) || (is_compat_consonant(c) && !can_begin_syllable(c)))
            return std::nullopt;
    }
    if (!has_syllable) return std::nullopt;
    return out;
}

}  // namespace norvik
