// Hangul text: NFC normalization, syllable arithmetic, initial consonants, the open final of a
// syllable being composed, and Korean typed on the English keyboard layout (two-set layout).
// All functions are pure and thread-safe. Jamo are handled in their compatibility form
// (U+3131-U+3163); conjoining jamo are ordinary characters except to normalize_nfc.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace norvik {

inline constexpr char32_t SYLLABLE_FIRST = 0xAC00;
inline constexpr char32_t SYLLABLE_LAST = 0xD7A3;
inline constexpr char32_t JAMO_CONSONANT_FIRST = 0x3131;  // ㄱ
inline constexpr char32_t JAMO_CONSONANT_LAST = 0x314E;   // ㅎ
inline constexpr char32_t JAMO_VOWEL_FIRST = 0x314F;      // ㅏ
inline constexpr char32_t JAMO_VOWEL_LAST = 0x3163;       // ㅣ

// Initial index -> compatibility consonant (19), medial index -> vowel (21),
// final index -> compatibility consonant (28, index 0 = no final, stored as 0).
extern const char32_t INITIALS[19];
extern const char32_t FINALS[28];

struct SyllableParts {
    int initial;  // 0-18
    int medial;   // 0-20
    int final;    // 0-27, 0 = none
    bool operator==(const SyllableParts&) const = default;
};

inline bool is_syllable(char32_t c) {
    return c >= SYLLABLE_FIRST && c <= SYLLABLE_LAST;
}
inline bool is_compat_jamo(char32_t c) {
    return c >= JAMO_CONSONANT_FIRST && c <= JAMO_VOWEL_LAST;
}
inline bool is_compat_consonant(char32_t c) {
    return c >= JAMO_CONSONANT_FIRST && c <= JAMO_CONSONANT_LAST;
}
inline bool is_compat_vowel(char32_t c) {
    return c >= JAMO_VOWEL_FIRST && c <= JAMO_VOWEL_LAST;
}
// Hangul in the sense of FLAG_HANGUL: a precomposed syllable or a compatibility jamo.
inline bool is_hangul(char32_t c) {
    return is_syllable(c) || is_compat_jamo(c);
}

// Brings text into Normalization Form C. Returns nothing when the text is already in NFC, when
// it holds none of the trigger characters (combining marks, conjoining jamo), or when the
// platform normalizer fails; callers then keep the text unchanged.
std::optional<std::string> normalize_nfc(std::string_view text);

std::optional<SyllableParts> syllable_parts(char32_t c);
char32_t compose_syllable(int initial, int medial, int final);

// The initial index of a syllable, or of a compatibility consonant that can begin a syllable.
std::optional<int> initial_index(char32_t c);

// The two halves of a final-cluster letter (ㄳ -> ㄱ, ㅅ), or nothing for any other character.
struct ClusterHalves {
    char32_t stays;
    char32_t moves;
};
std::optional<ClusterHalves> cluster_halves(char32_t c);

// For a syllable with a final: the syllable without its final (or with only the staying half
// of a cluster) and the initial index of the consonant that would move to the next syllable.
struct OpenFinal {
    char32_t syllable;
    int moving_initial;
    bool operator==(const OpenFinal&) const = default;
};
std::optional<OpenFinal> open_final(char32_t syllable);

// What the two-set Korean layout composes from keys, whether or not it reads as Korean: "rt" ->
// "ㄱㅅ", "k" -> "ㅏ", "qhrhtj" -> "보고서". Letters are keys (capitals select the shifted keys:
// "R" -> "ㄲ"); every other byte passes through unchanged and ends the syllable being composed.
// Two consonants with no vowel between them stay two letters.
std::string compose_two_set(std::string_view keys);

// The Hangul that the two-set Korean layout would have produced for an ASCII word typed in
// English mode ("qhrhtj" -> "보고서"), or nothing when the word cannot be such Korean.
std::optional<std::string> english_to_hangul(std::string_view word);

}  // namespace norvik
