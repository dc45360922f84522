// The query language: the search box text turned into words that must all match a name, a list
// of extensions and the filter tab. A Query is built once per search, never changed, and shared
// read-only (std::shared_ptr<const Query>) by the worker, its search threads and the window.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace norvik {

// One element of a jamo pattern, matched against one or two characters of a name.
enum class ElementKind : uint8_t {
    Literal,       // `character` itself
    Initial,       // a character whose initial_index is `initial` (syllable or lone consonant)
    OpenSyllable,  // `character` (the full syllable), or `open` followed by a character whose
                   // initial_index is `initial`
    Cluster,       // `character` (a cluster letter such as ㄳ) itself, or two characters whose
              // initial_index are `initial` then `second_initial` (ㄱ then ㅅ): the Korean IME
              // joins two consonants typed in a row into a cluster letter
};

struct PatternElement {
    ElementKind kind = ElementKind::Literal;
    uint8_t initial = 0;
    uint8_t second_initial = 0;
    char32_t character = 0;
    char32_t open = 0;

    bool operator==(const PatternElement&) const = default;
};

using JamoPattern = std::vector<PatternElement>;

// A word without wildcards.
struct TextTerm {
    std::string lowered;  // NFC, then the full Unicode lowercase mapping (final sigma included)
    JamoPattern pattern;  // jamo pattern of lowered, its last element possibly opened
    // english_to_hangul of the word as typed, when it yields Hangul. layout_text is that Hangul
    // as UTF-8 and layout_literal tells that layout_pattern holds Literal elements only, so the
    // fallback can search the name's bytes directly.
    std::optional<JamoPattern> layout_pattern;
    std::string layout_text;
    bool layout_literal = false;
    bool plain = false;       // pattern holds Literal elements only
    bool has_hangul = false;  // lowered holds a syllable or a compatibility jamo
    // The keys that typed a Hangul word, when it reads as an English word typed while the input
    // method was in Korean mode ("ㄱ데ㅐㄳ" -> "report"); empty when that reading does not apply.
    // A name containing it (ASCII case-insensitive, like a plain word) also matches the term.
    std::string key_spelling;
};

// A word holding "*" or "?", matched against the whole name.
struct WildcardTerm {
    std::u32string pattern;  // the characters of the lowered word, wildcards included
    std::string literal;     // longest wildcard-free run of the lowered word (UTF-8), maybe empty
    // literal may be used to reject names by a byte search before the glob runs. False when it
    // is empty or holds a sigma, which the glob compares loosely (see pattern_char).
    bool prefilter = false;
};

using Term = std::variant<TextTerm, WildcardTerm>;

// A word holding "\" or "/" names folders above the item: its last segment is an ordinary term
// of the query (none when empty: then any item matches), and each earlier segment must match a
// folder's name, each the folder directly above the one before. A root matches by its stored
// name.
struct PathWord {
    std::vector<Term> folders;  // the item's folder first, then that folder's folder, and so on
};

struct Query {
    std::vector<Term> terms;              // in the order typed; all must match
    std::vector<PathWord> paths;          // all must match; their last segments are among terms
    std::vector<std::string> extensions;  // lowercase, without dot; any one must match
    uint8_t filter = 0;                   // filter tab 0-6
    // The words an item's whole name would be, lowered as the words are and joined by one space:
    // a name equal to it, or to it followed by an extension, ranks first. Empty when the words
    // cannot spell a whole name: none typed (ext: alone, a path ending in a separator), or a
    // wildcard among them ("*.hwp" says what a name looks like, not what it is).
    std::string exact_name;
    // The terms of exact_name's words, in order (indexes into terms): a name spelled by them in
    // any of their readings (qhrhtj for 보고서, ㄱㅅㅅ for 결산서, ㄱ데ㅐㄳ for report) ranks
    // first too. Empty when exact_name is.
    std::vector<size_t> exact_terms;
};

// Builds the query for the search box text. `composing` is true while the input method holds an
// unfinished composition: the last syllable of the last word then also matches the syllables it
// may still become. Never fails.
std::shared_ptr<const Query> parse(std::string_view text, bool composing, uint8_t filter);

// No terms, no path words, no extensions and filter 0: matches nothing and costs no scan.
bool is_empty(const Query& query);

// The English reading of a lowered word: its key_spelling (see TextTerm) when the word holds only
// syllables and compatibility jamo, at least one of them a lone jamo, not consonants alone, and
// spells at least three keys; else empty.
std::string english_keys(std::string_view lowered);

// The jamo pattern of lowercase text: a consonant that can begin a syllable becomes Initial, a
// cluster letter becomes Cluster, everything else Literal (with final sigma read as sigma).
JamoPattern jamo_pattern(std::string_view lowered);

// White_Space property of Unicode.
bool is_white_space(char32_t c);

// The character as patterns and name chars compare it: final sigma (U+03C2) reads as sigma
// (U+03C3). A word lowercased on its own may end in final sigma where the same letters inside a
// longer name read as sigma; comparing them as one letter lets a name be found by its own text.
inline char32_t pattern_char(char32_t c) {
    return c == 0x03C2 ? 0x03C3 : c;
}

}  // namespace norvik
