#include "query/match.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "hangul/hangul.h"
#include "hangul/unicode_case.h"
#include "hangul/utf8.h"
#include "kinds/kinds.h"

namespace norvik {

namespace {

constexpr std::array<uint8_t, 256> make_fold_table() {
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = static_cast<uint8_t>(i >= 'A' && i <= 'Z' ? i + 32 : i);
    }
    return table;
}
constexpr std::array<uint8_t, 256> FOLD = make_fold_table();

inline uint8_t fold(char c) {
    return FOLD[static_cast<uint8_t>(c)];
}

// hay's bytes folded against needle's bytes taken as they are.
inline bool equal_folded(const char* hay, const char* needle, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (fold(hay[i]) != static_cast<uint8_t>(needle[i])) return false;
    }
    return true;
}

size_t find_folded_scalar(const char* hay, size_t from, size_t last_start,
                          std::string_view needle) {
    const uint8_t first = static_cast<uint8_t>(needle[0]);
    for (size_t p = from; p <= last_start; ++p) {
        if (fold(hay[p]) == first &&
            equal_folded(hay + p + 1, needle.data() + 1, needle.size() - 1))
            return p;
    }
    return std::string_view::npos;
}

inline bool is_lower_letter(uint8_t c) {
    return c >= 'a' && c <= 'z';
}

// The initial index of a name char, or -1. Syllables by arithmetic; lone consonants by table.
inline int initial_of(char32_t c) {
    if (is_syllable(c)) return static_cast<int>((c - SYLLABLE_FIRST) / 588);
    if (is_compat_consonant(c)) return initial_index(c).value_or(-1);
    return -1;
}

bool filter_admits(uint8_t filter, const Entry& entry) {
    switch (filter) {
        case TAB_ALL:
            return true;
        case TAB_FOLDERS:
            return entry.is_dir();
        case TAB_DOCUMENTS:
            return !entry.is_dir() && entry.kind == static_cast<uint8_t>(Kind::Document);
        case TAB_PICTURES:
            return !entry.is_dir() && entry.kind == static_cast<uint8_t>(Kind::Picture);
        case TAB_MUSIC:
            return !entry.is_dir() && entry.kind == static_cast<uint8_t>(Kind::Music);
        case TAB_VIDEOS:
            return !entry.is_dir() && entry.kind == static_cast<uint8_t>(Kind::Video);
        case TAB_ARCHIVES:
            return !entry.is_dir() && entry.kind == static_cast<uint8_t>(Kind::Archive);
        default:
            return false;  // no such tab
    }
}

bool extension_admits(const Query& query, const Entry& entry, std::string_view name,
                      MatchScratch& scratch) {
    if (entry.is_dir()) return false;
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return false;
    std::string_view extension = name.substr(dot + 1);
    for (const std::string& wanted : query.extensions) {
        if (wanted.size() == extension.size() &&
            equal_folded(extension.data(), wanted.data(), wanted.size()))
            return true;
    }
    // The wanted extensions went through the full lowercase mapping; an extension with uppercase
    // non-ASCII letters must too, or typing it exactly as named would not find it.
    if ((entry.flags & FLAG_UNICODE_UPPER) && !is_ascii(extension)) {
        scratch.lowered.clear();
        append_lower_full(scratch.lowered, extension);
        for (const std::string& wanted : query.extensions) {
            if (wanted == scratch.lowered) return true;
        }
    }
    return false;
}

// Search state of one entry: the name chars are decoded at most once, when a term needs them.
struct EntryView {
    const Entry& entry;
    std::string_view name;
    size_t readable;  // bytes readable from name.data() within the arena
    MatchScratch& scratch;
    bool chars_ready = false;

    const std::u32string& chars() {
        if (!chars_ready) {
            name_chars(name, scratch.chars);
            chars_ready = true;
        }
        return scratch.chars;
    }
};

// The term's match: nothing, or whether it matched at the start of the name.
std::optional<bool> match_text_term(const TextTerm& term, EntryView& view) {
    const uint8_t flags = view.entry.flags;
    if (term.has_hangul && !(flags & FLAG_HANGUL)) return std::nullopt;
    if (term.plain) {
        size_t at;
        if (!(flags & FLAG_UNICODE_UPPER)) {
            // Non-ASCII characters of the name are already lowercase: fold ASCII in place.
            at = find_folded(view.name.data(), view.name.size(), view.readable, term.lowered);
        } else {
            std::string& lowered = view.scratch.lowered;
            lowered.clear();
            append_lower_full(lowered, view.name);
            at = find_folded(lowered.data(), lowered.size(), lowered.size(), term.lowered);
        }
        if (at != std::string_view::npos) return at == 0;
    } else if (auto found = match_pattern(term.pattern, view.chars())) {
        return found->first == 0;
    }
    if (term.layout_pattern && (flags & FLAG_HANGUL)) {
        if (term.layout_literal) {
            // Only Hangul and ASCII non-letters: no name character lowers into them, so the
            // name's own bytes answer, and byte 0 is character 0.
            size_t at =
                find_folded(view.name.data(), view.name.size(), view.readable, term.layout_text);
            if (at != std::string_view::npos) return at == 0;
        } else if (auto found = match_pattern(*term.layout_pattern, view.chars())) {
            return found->first == 0;
        }
    }
    return std::nullopt;
}

bool match_wildcard_term(const WildcardTerm& term, EntryView& view) {
    if (term.prefilter && !(view.entry.flags & FLAG_UNICODE_UPPER)) {
        if (term.literal.size() > view.name.size()) return false;
        if (find_folded(view.name.data(), view.name.size(), view.readable, term.literal) ==
            std::string_view::npos)
            return false;
    }
    return glob_match(term.pattern, view.chars());
}

inline std::optional<Hit> match_one(const Query& query, const VolumeTable& table,
                                    uint8_t table_position, uint32_t index, MatchScratch& scratch) {
    const Entry& entry = table.entries[index];
    if (entry.flags & FLAG_REMOVED) return std::nullopt;
    if (query.filter != TAB_ALL && !filter_admits(query.filter, entry)) return std::nullopt;

    const size_t arena = table.names.size();
    if (size_t{entry.name_offset} + entry.name_len > arena) return std::nullopt;  // damaged
    EntryView view{entry, std::string_view(table.names.data() + entry.name_offset, entry.name_len),
                   arena - entry.name_offset, scratch};

    if (!query.extensions.empty() && !extension_admits(query, entry, view.name, scratch))
        return std::nullopt;

    bool at_start = false;
    for (size_t t = 0; t < query.terms.size(); ++t) {
        const Term& term = query.terms[t];
        bool term_at_start = false;
        if (const TextTerm* text = std::get_if<TextTerm>(&term)) {
            std::optional<bool> found = match_text_term(*text, view);
            if (!found) return std::nullopt;
            term_at_start = *found;
        } else if (!match_wildcard_term(std::get<WildcardTerm>(term), view)) {
            return std::nullopt;
        }
        if (t == 0) at_start = term_at_start;
    }
    return Hit{index, table_position, at_start};
}

}  // namespace

size_t find_folded(const char* hay, size_t n, size_t readable, std::string_view needle) {
    const size_t m = needle.size();
    if (m == 0) return 0;
    if (m > n) return std::string_view::npos;
    const size_t last_start = n - m;
    size_t p = 0;
#if defined(__SSE2__)
    // Compare the needle's first and last bytes at 16 start positions at once; verify the
    // middle only where both agree. A letter matches either case: (b | 0x20) equals a lowercase
    // letter exactly when b is that letter in either case.
    const uint8_t first = static_cast<uint8_t>(needle[0]);
    const uint8_t last = static_cast<uint8_t>(needle[m - 1]);
    const __m128i first_v = _mm_set1_epi8(static_cast<char>(first));
    const __m128i last_v = _mm_set1_epi8(static_cast<char>(last));
    const __m128i first_or = _mm_set1_epi8(is_lower_letter(first) ? 0x20 : 0);
    const __m128i last_or = _mm_set1_epi8(is_lower_letter(last) ? 0x20 : 0);
    while (p <= last_start && p + m - 1 + 16 <= readable) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + p));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + p + m - 1));
        __m128i eq = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, first_or), first_v),
                                   _mm_cmpeq_epi8(_mm_or_si128(b, last_or), last_v));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(eq));
        if (last_start - p < 15) mask &= (2u << (last_start - p)) - 1;
        while (mask != 0) {
            size_t at = p + static_cast<size_t>(__builtin_ctz(mask));
            if (m <= 2 || equal_folded(hay + at + 1, needle.data() + 1, m - 2)) return at;
            mask &= mask - 1;
        }
        p += 16;
    }
    if (p > last_start) return std::string_view::npos;
#else
    (void)readable;
#endif
    return find_folded_scalar(hay, p, last_start, needle);
}

char32_t name_char(char32_t c) {
    if (c < 0x80) return FOLD[c];
    if (is_hangul(c)) return c;  // Hangul has no case
    return pattern_char(lower_first(c));
}

void name_chars(std::string_view name, std::u32string& out) {
    out.clear();
    size_t pos = 0;
    while (pos < name.size()) {
        uint8_t byte = static_cast<uint8_t>(name[pos]);
        if (byte < 0x80) {
            out.push_back(FOLD[byte]);
            ++pos;
        } else {
            out.push_back(name_char(decode_utf8(name, pos)));
        }
    }
}

std::u32string name_chars(std::string_view name) {
    std::u32string chars;
    name_chars(name, chars);
    return chars;
}

std::optional<std::pair<size_t, size_t>> match_pattern(const JamoPattern& pattern,
                                                       std::u32string_view chars) {
    if (pattern.empty()) return std::pair<size_t, size_t>{0, 0};
    const size_t n = chars.size();
    for (size_t start = 0; start < n; ++start) {
        size_t i = start;
        bool matched = true;
        for (const PatternElement& element : pattern) {
            if (i >= n) {
                matched = false;
                break;
            }
            const char32_t c = chars[i];
            switch (element.kind) {
                case ElementKind::Literal:
                    matched = c == element.character;
                    i += 1;
                    break;
                case ElementKind::Initial:
                    matched = initial_of(c) == element.initial;
                    i += 1;
                    break;
                case ElementKind::OpenSyllable:
                    if (c == element.character) {
                        i += 1;
                    } else {
                        matched = c == element.open && i + 1 < n &&
                                  initial_of(chars[i + 1]) == element.initial;
                        i += 2;
                    }
                    break;
                case ElementKind::Cluster:
                    if (c == element.character) {
                        i += 1;
                    } else {
                        matched = initial_of(c) == element.initial && i + 1 < n &&
                                  initial_of(chars[i + 1]) == element.second_initial;
                        i += 2;
                    }
                    break;
            }
            if (!matched) break;
        }
        if (matched) return std::pair<size_t, size_t>{start, i};
    }
    return std::nullopt;
}

bool glob_match(std::u32string_view pattern, std::u32string_view chars) {
    size_t p = 0;
    size_t c = 0;
    size_t star = std::u32string_view::npos;  // pattern position just past the last "*"
    size_t star_chars = 0;                    // name position that "*" was last tried from
    while (c < chars.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            star = ++p;
            star_chars = c;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == chars[c])) {
            ++p;
            ++c;
        } else if (star != std::u32string_view::npos) {
            p = star;
            c = ++star_chars;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

std::optional<Hit> match_entry(const Query& query, const VolumeTable& table, uint8_t table_position,
                               uint32_t index, MatchScratch& scratch) {
    if (index >= table.entries.size()) return std::nullopt;
    return match_one(query, table, table_position, index, scratch);
}

void match_range(const Query& query, const VolumeTable& table, uint8_t table_position,
                 uint32_t begin, uint32_t end, MatchScratch& scratch, std::vector<Hit>& hits) {
    end = std::min<uint32_t>(end, table.size());
    for (uint32_t i = begin; i < end; ++i) {
        if (std::optional<Hit> hit = match_one(query, table, table_position, i, scratch))
            hits.push_back(*hit);
    }
}

}  // namespace norvik
