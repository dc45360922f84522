#include "query/match.h"

#include <algorithm>
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

[[gnu::always_inline]] inline uint8_t fold(char c) {
    return FOLD[static_cast<uint8_t>(c)];
}

// hay's bytes folded against needle's bytes taken as they are.
[[gnu::always_inline]] inline bool equal_folded(const char* hay, const char* needle, size_t n) {
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

// Initial index of each compatibility consonant U+3131-U+314E, -1 for the clusters (which cannot
// begin a syllable): INITIALS read backwards, spelled out for the matcher's inner loop.
constexpr int8_t CONSONANT_INITIAL[30] = {0,  1, -1, 2, -1, -1, 3,  4,  5,  -1, -1, -1, -1, -1, -1,
                                          -1, 6, 7,  8, -1, 9,  10, 11, 12, 13, 14, 15, 16, 17, 18};

// The initial index of a name char, or -1. Syllables by arithmetic; lone consonants by table.
inline int initial_of(char32_t c) {
    if (is_syllable(c)) return static_cast<int>((c - SYLLABLE_FIRST) / 588);
    if (is_compat_consonant(c)) return CONSONANT_INITIAL[c - JAMO_CONSONANT_FIRST];
    return -1;
}

// The name char at name[pos] (see name_char), advancing pos past its bytes. ASCII and
// three-byte characters (Hangul among them) are decoded here; anything else, and any malformed
// sequence, by decode_utf8.
[[gnu::always_inline]] inline char32_t read_name_char(std::string_view name, size_t& pos) {
    const uint8_t byte = static_cast<uint8_t>(name[pos]);
    if (byte < 0x80) {
        ++pos;
        return FOLD[byte];
    }
    if ((byte & 0xF0) == 0xE0 && pos + 2 < name.size()) {
        const uint8_t b1 = static_cast<uint8_t>(name[pos + 1]);
        const uint8_t b2 = static_cast<uint8_t>(name[pos + 2]);
        const char32_t c =
            (char32_t{byte & 0x0Fu} << 12) | (char32_t{b1 & 0x3Fu} << 6) | (b2 & 0x3Fu);
        if ((b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80 && c >= 0x800 &&
            (c < 0xD800 || c > 0xDFFF)) {
            pos += 3;
            return is_hangul(c) ? c : name_char(c);
        }
    }
    return name_char(decode_utf8(name, pos));
}

// Where a pattern is matched: name chars already decoded (positions are indexes), or a stored
// name decoded as the match goes (positions are byte offsets), which spares decoding the rest of
// a name once the pattern has failed at every start.
struct DecodedChars {
    std::u32string_view chars;
    bool read(size_t& pos, char32_t& c) const {
        if (pos >= chars.size()) return false;
        c = chars[pos++];
        return true;
    }
};

struct StoredChars {
    std::string_view name;
    bool read(size_t& pos, char32_t& c) const {
        if (pos >= name.size()) return false;
        c = read_name_char(name, pos);
        return true;
    }
};

// Whether element, of kind Kind, matches the name char c read just before pos; an element that
// needs a second character reads it, advancing pos.
template <ElementKind Kind, class Chars>
[[gnu::always_inline]] inline bool element_match_as(const PatternElement& element, char32_t c,
                                                    const Chars& chars, size_t& pos) {
    if constexpr (Kind == ElementKind::Literal) {
        return c == element.character;
    } else if constexpr (Kind == ElementKind::Initial) {
        return initial_of(c) == element.initial;
    } else if constexpr (Kind == ElementKind::OpenSyllable) {
        char32_t next;
        if (c == element.character) return true;
        return c == element.open && chars.read(pos, next) && initial_of(next) == element.initial;
    } else {
        char32_t next;
        if (c == element.character) return true;
        return initial_of(c) == element.initial && chars.read(pos, next) &&
               initial_of(next) == element.second_initial;
    }
}

template <class Chars>
[[gnu::always_inline]] inline bool element_match(const PatternElement& element, char32_t c,
                                                 const Chars& chars, size_t& pos) {
    switch (element.kind) {
        case ElementKind::Literal:
            return element_match_as<ElementKind::Literal>(element, c, chars, pos);
        case ElementKind::Initial:
            return element_match_as<ElementKind::Initial>(element, c, chars, pos);
        case ElementKind::OpenSyllable:
            return element_match_as<ElementKind::OpenSyllable>(element, c, chars, pos);
        case ElementKind::Cluster:
            return element_match_as<ElementKind::Cluster>(element, c, chars, pos);
    }
    return false;
}

// The leftmost match of pattern, whose first element is of kind First: (start, end) positions,
// end exclusive. Most starts fail at the first element, so its test is compiled for its kind.
template <ElementKind First, class Chars>
std::optional<std::pair<size_t, size_t>> find_pattern_from(const JamoPattern& pattern,
                                                           Chars chars) {
    const PatternElement& first = pattern.front();
    for (size_t start = 0;;) {
        size_t pos = start;
        char32_t c;
        if (!chars.read(pos, c)) return std::nullopt;
        const size_t next_start = pos;
        bool matched = element_match_as<First>(first, c, chars, pos);
        for (size_t e = 1; matched && e < pattern.size(); ++e)
            matched = chars.read(pos, c) && element_match(pattern[e], c, chars, pos);
        if (matched) return std::pair<size_t, size_t>{start, pos};
        start = next_start;
    }
}

template <class Chars>
std::optional<std::pair<size_t, size_t>> find_pattern(const JamoPattern& pattern, Chars chars) {
    if (pattern.empty()) return std::pair<size_t, size_t>{0, 0};
    switch (pattern.front().kind) {
        case ElementKind::Literal:
            return find_pattern_from<ElementKind::Literal>(pattern, chars);
        case ElementKind::Initial:
            return find_pattern_from<ElementKind::Initial>(pattern, chars);
        case ElementKind::OpenSyllable:
            return find_pattern_from<ElementKind::OpenSyllable>(pattern, chars);
        case ElementKind::Cluster:
            return find_pattern_from<ElementKind::Cluster>(pattern, chars);
    }
    return std::nullopt;
}

// filter_admits and extension_admits run on every entry of a search: forced inline, since
// MinGW's g++ otherwise calls them and passes the name through memory.
[[gnu::always_inline]] inline bool filter_admits(uint8_t filter, const Entry& entry) {
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

// The extension test of a name with uppercase non-ASCII letters: rare, so kept out of line.
[[gnu::noinline]] bool extension_admits_unicode(const Query& query, std::string_view name,
                                                MatchScratch& scratch) {
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
    if (!is_ascii(extension)) {
        scratch.extension.clear();
        append_lower_full(scratch.extension, extension);
        for (const std::string& wanted : query.extensions) {
            if (wanted == scratch.extension) return true;
        }
    }
    return false;
}

[[gnu::always_inline]] inline bool extension_admits(const Query& query, const Entry& entry,
                                                    std::string_view name, MatchScratch& scratch) {
    if (entry.is_dir()) return false;
    if (entry.flags & FLAG_UNICODE_UPPER) return extension_admits_unicode(query, name, scratch);
    // The extension keeps its length when lowered, so each wanted one is checked in place: a dot
    // just before it that is not the first byte. A wanted extension holding a dot can never
    // follow the last dot of a name, so it is passed over.
    const char* end = name.data() + name.size();
    for (const std::string& wanted : query.extensions) {
        const size_t length = wanted.size();
        if (name.size() < length + 2 || end[-static_cast<ptrdiff_t>(length) - 1] != '.') continue;
        if (equal_folded(end - length, wanted.data(), length) &&
            wanted.find('.') == std::string::npos)
            return true;
    }
    return false;
}

// find_in_name, inlined into the matcher's loop. Names of a table lie in its arena in entry
// order, so the next entries' names are mostly answered by the remembered occurrence, and the
// arena is scanned about once per range instead of once per name.
[[gnu::always_inline]] inline size_t find_in_name_at(const char* arena, size_t arena_size,
                                                     size_t offset, size_t length,
                                                     std::string_view needle, ArenaCursor* cursor,
                                                     size_t window = ARENA_WINDOW) {
    const size_t m = needle.size();
    if (m > length) return std::string_view::npos;
    if (cursor == nullptr) return find_folded(arena + offset, length, arena_size - offset, needle);

    const size_t last = offset + length - m;  // the last start inside the name
    const bool covered = cursor->from <= offset && offset <= cursor->until &&
                         (cursor->found || last < cursor->until);
    if (!covered) {
        // Looking ahead pays only when moving forward; a name found back in the arena (renamed
        // entries keep their new names at its end) is searched alone.
        size_t window_last = last;
        if (offset >= cursor->from)
            window_last = std::max(last, std::min(offset + window, arena_size - m));
        size_t at =
            find_folded(arena + offset, window_last - offset + m, arena_size - offset, needle);
        cursor->from = offset;
        cursor->found = at != std::string_view::npos;
        cursor->until = cursor->found ? offset + at : window_last + 1;
    }
    if (cursor->found && cursor->until <= last) return cursor->until - offset;
    return std::string_view::npos;
}

// A needle that match_range's names must hold, found through an arena cursor. The stretch of
// the arena that the cursor has cleared is kept at hand, so a name inside it costs two
// comparisons, which is all that most names cost.
struct NeedleFilter {
    const std::string* text = nullptr;
    ArenaCursor* cursor = nullptr;
    uint8_t needs = 0;  // searched only in names having these flags; absent from the rest
    // No name lying inside [clear_from, clear_end) holds the needle.
    size_t clear_from = 1;
    size_t clear_end = 0;

    // Whether the needle is missing from the entry's name. A name running past the arena is
    // left to match_one, which rejects it.
    [[gnu::always_inline]] bool absent(const char* arena, size_t arena_size, const Entry& entry) {
        if ((entry.flags & needs) != needs) return true;
        const size_t offset = entry.name_offset;
        if (offset >= clear_from && offset + entry.name_len <= clear_end) return true;
        if (offset + entry.name_len > arena_size) return false;
        const size_t at = find_in_name_at(arena, arena_size, offset, entry.name_len, *text, cursor);
        // No occurrence starts in [from, until): a name from `from` on that ends before an
        // occurrence at `until` could end cannot hold one.
        clear_from = cursor->from;
        clear_end = cursor->until + text->size() - 1;
        return at == std::string_view::npos;
    }
};

// Search state of one entry: the name chars are decoded at most once, when a term needs them,
// into buffers that belong to this view alone while it lives (a view of a folder gets others).
struct EntryView {
    const Entry& entry;
    const char* arena;
    size_t arena_size;
    std::string_view name;
    NameBuffers& buffers;
    ArenaCursor* cursors;  // two per term, or null when matching a single entry
    bool chars_ready = false;
    bool lowered_ready = false;

    [[gnu::always_inline]] const std::u32string& chars() {
        if (!chars_ready) {
            name_chars(name, buffers.chars);
            chars_ready = true;
        }
        return buffers.chars;
    }

    // needle in the name's own bytes with A-Z folded, through the term's cursor `which`.
    [[gnu::always_inline]] size_t find(std::string_view needle, size_t term, size_t which) {
        return find_in_name_at(arena, arena_size, entry.name_offset, entry.name_len, needle,
                               cursors ? &cursors[2 * term + which] : nullptr);
    }

    // needle (lowercase) in the name's full lowercase form, as a plain word is searched.
    [[gnu::always_inline]] size_t find_lowered(std::string_view needle, size_t term, size_t which) {
        // Non-ASCII characters of the name are already lowercase: fold ASCII in place.
        if (!(entry.flags & FLAG_UNICODE_UPPER)) return find(needle, term, which);
        const std::string_view lowered = lowered_name();
        return find_folded(lowered.data(), lowered.size(), lowered.size(), needle);
    }

    // The name as plain words are compared with it: as stored when only its ASCII letters may
    // be uppercase (compare with A-Z folded), else its full lowercase form.
    std::string_view comparable_name() {
        return (entry.flags & FLAG_UNICODE_UPPER) ? lowered_name() : name;
    }

  private:
    std::string_view lowered_name() {
        if (!lowered_ready) {
            buffers.lowered.clear();
            append_lower_full(buffers.lowered, name);
            lowered_ready = true;
        }
        return buffers.lowered;
    }
};

// The view of entry's name, or nothing when the name runs past the arena (a damaged table).
[[gnu::always_inline]] inline std::optional<EntryView> view_of(const VolumeTable& table,
                                                               const Entry& entry,
                                                               NameBuffers& buffers,
                                                               ArenaCursor* cursors) {
    const size_t arena_size = table.names.size();
    if (size_t{entry.name_offset} + entry.name_len > arena_size) return std::nullopt;
    const char* arena = table.names.data();
    return EntryView{entry,      arena,
                     arena_size, std::string_view(arena + entry.name_offset, entry.name_len),
                     buffers,    cursors};
}

// The term's match: nothing, or whether it matched at the start of the name.
[[gnu::always_inline]] inline std::optional<bool> match_text_term(const TextTerm& term, size_t t,
                                                                  EntryView& view) {
    const uint8_t flags = view.entry.flags;
    // A term holding Hangul can only be found as written in a name holding Hangul.
    if (!term.has_hangul || (flags & FLAG_HANGUL)) {
        if (term.plain) {
            size_t at = view.find_lowered(term.lowered, t, 0);
            if (at != std::string_view::npos) return at == 0;
        } else if (auto found = find_pattern(term.pattern, StoredChars{view.name})) {
            return found->first == 0;
        }
    }
    // The layout text (of an ASCII word) and the key spelling (of a Hangul word) never both
    // exist, so they share the term's second cursor.
    if (term.layout_pattern && (flags & FLAG_HANGUL)) {
        if (term.layout_literal) {
            // Only Hangul and ASCII non-letters: no name character lowers into them, so the
            // name's own bytes answer, and byte 0 is character 0.
            size_t at = view.find(term.layout_text, t, 1);
            if (at != std::string_view::npos) return at == 0;
        } else if (auto found = find_pattern(*term.layout_pattern, StoredChars{view.name})) {
            return found->first == 0;
        }
    }
    if (!term.key_spelling.empty()) {
        size_t at = view.find_lowered(term.key_spelling, t, 1);
        if (at != std::string_view::npos) return at == 0;
    }
    return std::nullopt;
}

[[gnu::always_inline]] inline bool match_wildcard_term(const WildcardTerm& term, size_t t,
                                                       EntryView& view) {
    if (term.prefilter && !(view.entry.flags & FLAG_UNICODE_UPPER)) {
        if (view.find(term.literal, t, 0) == std::string_view::npos) return false;
    }
    return glob_match(term.pattern, view.chars());
}

// Whether the folder entry's name matches one folder segment of a path word.
bool folder_name_matches(const Term& term, const VolumeTable& table, uint32_t folder,
                         NameBuffers& buffers) {
    std::optional<EntryView> view = view_of(table, table.entries[folder], buffers, nullptr);
    if (!view) return false;
    if (const TextTerm* text = std::get_if<TextTerm>(&term))
        return match_text_term(*text, 0, *view).has_value();
    return match_wildcard_term(std::get<WildcardTerm>(term), 0, *view);
}

// Whether `folder` matches path's first folder segment, its folder the second, and so on.
// `level` numbers the path's first segment among the query's folder segments, for the memo.
// Walks up without recursion (a pasted path may hold thousands of segments) and stops at the
// first folder whose answer is known, or whose name does not match: every folder walked so far
// then shares that answer, since each of them matched its own segment.
bool folders_match(const PathWord& path, size_t level, const VolumeTable& table,
                   uint8_t table_position, uint32_t folder, MatchScratch& scratch) {
    const FolderMemo* memo = scratch.folders;
    auto known = [&](size_t segment, uint32_t at) {
        return memo != nullptr ? memo->answer(table_position, level + segment, at)
                               : FolderMemo::UNKNOWN;
    };
    std::vector<uint32_t>& walked = scratch.walked;
    walked.clear();
    bool matched = true;
    for (size_t segment = 0; segment < path.folders.size(); ++segment) {
        if (folder >= table.entries.size()) {  // above the root
            matched = false;
            break;
        }
        if (const uint8_t answer = known(segment, folder); answer != FolderMemo::UNKNOWN) {
            matched = answer == FolderMemo::YES;
            break;
        }
        walked.push_back(folder);
        if (!folder_name_matches(path.folders[segment], table, folder, scratch.folder)) {
            matched = false;
            break;
        }
        folder = table.entries[folder].parent;
    }
    if (memo != nullptr) {
        for (size_t segment = 0; segment < walked.size(); ++segment)
            memo->remember(table_position, level + segment, walked[segment],
                           matched ? FolderMemo::YES : FolderMemo::NO);
    }
    return matched;
}

// Whether the item in `folder` lies where every path word of the query says.
bool paths_match(const Query& query, const VolumeTable& table, uint8_t table_position,
                 uint32_t folder, MatchScratch& scratch) {
    size_t level = 0;
    for (const PathWord& path : query.paths) {
        if (!folders_match(path, level, table, table_position, folder, scratch)) return false;
        level += path.folders.size();
    }
    return true;
}

// Whether `name` (lowercase but for its ASCII letters) reads as `text` (lowercase): A-Z folded,
// and final sigma read as sigma, since a word lowered on its own may end in final sigma where the
// same letters inside a name do not.
bool reads_as(std::string_view name, std::string_view text) {
    if (name.size() != text.size()) return false;  // sigma and final sigma are both two bytes
    if (equal_folded(name.data(), text.data(), text.size())) return true;
    size_t i = 0;
    size_t j = 0;
    while (i < name.size() && j < text.size()) {
        if (read_name_char(name, i) != pattern_char(decode_utf8(text, j))) return false;
    }
    return i == name.size() && j == text.size();
}

// Whether `part` from byte pos on (lowercase but for its ASCII letters) begins with the whole of
// pattern read as a name: one character for each element, a syllable for an initial (ㄱㅅㅅ
// reads 결산서), two consonants for a cluster the IME joined, and a syllable still being
// composed only as itself (하나 is what 한 may become, not what it spells). Moves pos past it.
bool reads_whole_pattern(const JamoPattern& pattern, std::string_view part, size_t& pos) {
    for (const PatternElement& element : pattern) {
        if (pos >= part.size()) return false;
        const char32_t c = read_name_char(part, pos);
        switch (element.kind) {
            case ElementKind::Literal:
            case ElementKind::OpenSyllable:
                if (c != element.character) return false;
                break;
            case ElementKind::Initial:
                if (initial_of(c) != element.initial) return false;
                break;
            case ElementKind::Cluster:
                if (c == element.character) break;
                if (initial_of(c) != element.initial || pos >= part.size() ||
                    initial_of(read_name_char(part, pos)) != element.second_initial)
                    return false;
                break;
        }
    }
    return true;
}

// Whether `part` from byte pos on begins with term in one of its readings: its own text
// (initials included), the Hangul its keys type on the Korean layout, or the English word its
// jamo were typed for. Moves pos past it. The readings never begin alike (an ASCII word's text
// against its Hangul, a Hangul word's jamo against its ASCII keys), so at most one applies and
// the first found is the only one.
bool reads_term(const TextTerm& term, std::string_view part, size_t& pos) {
    size_t end = pos;
    if (reads_whole_pattern(term.pattern, part, end)) {
        pos = end;
        return true;
    }
    end = pos;
    if (term.layout_pattern && reads_whole_pattern(*term.layout_pattern, part, end)) {
        pos = end;
        return true;
    }
    const std::string& keys = term.key_spelling;
    if (keys.empty() || part.size() - pos < keys.size() ||
        !equal_folded(part.data() + pos, keys.data(), keys.size()))
        return false;
    pos += keys.size();
    return true;
}

// Whether the term can be read as anything but its text: initials, the Hangul of its keys, or
// the English word of its jamo.
bool reads_otherwise(const TextTerm& term) {
    return !term.plain || term.layout_pattern || !term.key_spelling.empty();
}

// The exact word of query.exact_terms[k] (a text term), or null.
const TextTerm* exact_term(const Query& query, size_t k) {
    const size_t t = query.exact_terms[k];
    return t < query.terms.size() ? std::get_if<TextTerm>(&query.terms[t]) : nullptr;
}

// Whether a name that a query spells up to byte `end` is spelled whole: it ends there, or, for a
// file, its extension's dot (the last) stands there.
bool ends_spelled(const EntryView& view, std::string_view name, size_t end) {
    if (end == name.size()) return true;
    return end < name.size() && name[end] == '.' && !view.entry.is_dir() &&
           name.find('.', end + 1) == std::string_view::npos;
}

// Whether the entry's whole name, or a file's name without its extension (the text before the
// last dot), is the query's exact words joined by one space, each in any of its readings. Asked
// only of hits whose first word is at the start of the name.
bool names_exactly(const Query& query, EntryView& view) {
    // Lowercase but for its ASCII letters.
    const std::string_view name = view.comparable_name();
    // The words as typed, in one comparison: most names fail on their length, and for most words
    // (보고서, 2026) that is all there is to try.
    const std::string_view text = query.exact_name;
    if (name.size() >= text.size() && ends_spelled(view, name, text.size()) &&
        reads_as(name.substr(0, text.size()), text))
        return true;
    bool readings = false;
    for (size_t k = 0; k < query.exact_terms.size() && !readings; ++k) {
        const TextTerm* term = exact_term(query, k);
        readings = term != nullptr && reads_otherwise(*term);
    }
    if (!readings) return false;
    // One walk decides both the whole name and the name without its extension, since a reading
    // that fits before the dot fits the same way in the whole name.
    size_t pos = 0;
    for (size_t k = 0; k < query.exact_terms.size(); ++k) {
        if (k > 0 && (pos >= name.size() || name[pos++] != ' ')) return false;
        const TextTerm* term = exact_term(query, k);
        if (term == nullptr || !reads_term(*term, name, pos)) return false;
    }
    return ends_spelled(view, name, pos);
}

// The outcome of one entry, kept to a plain integer so the hot loop builds no optional.
enum Outcome : int { MISS = 0, HIT = 1, HIT_AT_START = 2, HIT_EXACT = 3 };

inline Hit hit_of(Outcome outcome, uint32_t index, uint8_t table_position) {
    return Hit{index, table_position, outcome >= HIT_AT_START, outcome == HIT_EXACT};
}

[[gnu::always_inline]] inline Outcome match_one(const Query& query, const VolumeTable& table,
                                                uint8_t table_position, uint32_t index,
                                                MatchScratch& scratch, ArenaCursor* cursors) {
    const Entry& entry = table.entries[index];
    if (entry.flags & FLAG_REMOVED) return MISS;
    if (query.filter != TAB_ALL && !filter_admits(query.filter, entry)) return MISS;

    std::optional<EntryView> found = view_of(table, entry, scratch.item, cursors);
    if (!found) return MISS;
    EntryView& view = *found;

    if (!query.extensions.empty() && !extension_admits(query, entry, view.name, scratch))
        return MISS;

    bool at_start = false;
    for (size_t t = 0; t < query.terms.size(); ++t) {
        const Term& term = query.terms[t];
        bool term_at_start = false;
        if (const TextTerm* text = std::get_if<TextTerm>(&term)) {
            std::optional<bool> found = match_text_term(*text, t, view);
            if (!found) return MISS;
            term_at_start = *found;
        } else if (!match_wildcard_term(std::get<WildcardTerm>(term), t, view)) {
            return MISS;
        }
        if (t == 0) at_start = term_at_start;
    }
    // The folders are looked at last: the name's own words reject most entries first.
    if (!query.paths.empty() && !paths_match(query, table, table_position, entry.parent, scratch))
        return MISS;
    if (!at_start) return HIT;
    // A name that is the words themselves begins with the first of them: the rest never pay.
    if (!query.exact_name.empty() && names_exactly(query, view)) return HIT_EXACT;
    return HIT_AT_START;
}

// match_range's loop over entries [begin, end), compiled once for each way of telling, before
// match_one, which names may match (may_match): the flags every hit must have and the filter tab
// are tested first, with the query's fields held in registers.
template <class MayMatch>
[[gnu::always_inline]] inline void scan_entries(const Query& query, const VolumeTable& table,
                                                uint8_t table_position, uint32_t begin,
                                                uint32_t end, uint8_t required,
                                                MatchScratch& scratch, std::vector<Hit>& hits,
                                                MayMatch may_match) {
    const Entry* entries = table.entries.data();
    ArenaCursor* cursors = scratch.cursors.data();
    const uint8_t filter = query.filter;
    const uint8_t tested = FLAG_REMOVED | required;
    for (uint32_t i = begin; i < end; ++i) {
        const Entry& entry = entries[i];
        if ((entry.flags & tested) != required) continue;
        if (filter != TAB_ALL && !filter_admits(filter, entry)) continue;
        if (!may_match(entry)) continue;
        if (Outcome outcome = match_one(query, table, table_position, i, scratch, cursors);
            outcome != MISS)
            hits.push_back(hit_of(outcome, i, table_position));
    }
}

}  // namespace

FolderMemo::FolderMemo(const Query& query, std::span<const VolumeTable> tables) {
    for (const PathWord& path : query.paths)
        levels_ += path.folders.size();
    levels_ = std::min(levels_, MAX_LEVELS);
    if (levels_ == 0) return;
    for (const VolumeTable& table : tables) {
        const size_t count = (size_t{table.size()} + PAGE_ENTRIES - 1) / PAGE_ENTRIES;
        page_counts_.push_back(count);
        pages_.push_back(std::make_unique<std::atomic<Answer*>[]>(levels_ * count));
    }
}

FolderMemo::~FolderMemo() {
    for (size_t t = 0; t < pages_.size(); ++t) {
        for (size_t i = 0; i < levels_ * page_counts_[t]; ++i)
            delete[] pages_[t][i].load(std::memory_order_relaxed);
    }
}

std::atomic<FolderMemo::Answer*>* FolderMemo::slot(size_t table, size_t level,
                                                   uint32_t folder) const {
    if (!covers(table, level)) return nullptr;
    const size_t page = folder / PAGE_ENTRIES;
    if (page >= page_counts_[table]) return nullptr;
    return &pages_[table][level * page_counts_[table] + page];
}

uint8_t FolderMemo::answer(size_t table, size_t level, uint32_t folder) const {
    std::atomic<Answer*>* at = slot(table, level, folder);
    if (at == nullptr) return UNKNOWN;
    const Answer* page = at->load(std::memory_order_acquire);
    if (page == nullptr) return UNKNOWN;
    return page[folder % PAGE_ENTRIES].load(std::memory_order_relaxed);
}

void FolderMemo::remember(size_t table, size_t level, uint32_t folder, uint8_t answer) const {
    std::atomic<Answer*>* at = slot(table, level, folder);
    if (at == nullptr) return;
    Answer* page = at->load(std::memory_order_acquire);
    if (page == nullptr) {
        // Two threads may make the same page at once: the first one kept is used by both.
        Answer* made = new Answer[PAGE_ENTRIES]();
        if (at->compare_exchange_strong(page, made, std::memory_order_acq_rel,
                                        std::memory_order_acquire)) {
            page = made;
            pages_made_.fetch_add(1, std::memory_order_relaxed);
        } else {
            delete[] made;
        }
    }
    page[folder % PAGE_ENTRIES].store(answer, std::memory_order_relaxed);
}

size_t FolderMemo::bytes() const {
    size_t slots = 0;
    for (size_t count : page_counts_)
        slots += levels_ * count;
    return slots * sizeof(std::atomic<Answer*>) +
           pages_made_.load(std::memory_order_relaxed) * PAGE_ENTRIES * sizeof(Answer);
}

size_t find_in_name(const char* arena, size_t arena_size, size_t offset, size_t length,
                    std::string_view needle, ArenaCursor* cursor, size_t window) {
    if (offset > arena_size || length > arena_size - offset) return std::string_view::npos;
    return find_in_name_at(arena, arena_size, offset, length, needle, cursor, window);
}

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
    // Byte i of the result is set when the first and last bytes agree for the start at + i.
    auto candidates = [&](size_t at) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + at));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + at + m - 1));
        return _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, first_or), first_v),
                             _mm_cmpeq_epi8(_mm_or_si128(b, last_or), last_v));
    };
    // The first start of mask (bit i: the start at + i) whose middle agrees too, or npos.
    auto verify = [&](size_t at, unsigned mask) {
        for (; mask != 0; mask &= mask - 1) {
            const size_t start = at + static_cast<size_t>(__builtin_ctz(mask));
            if (m <= 2 || equal_folded(hay + start + 1, needle.data() + 1, m - 2)) return start;
        }
        return std::string_view::npos;
    };
    // Two blocks at a time while all their 32 starts lie in the haystack and their loads stay
    // readable, with one branch for both: most of a long haystack holds no candidate.
    const size_t full_end = std::min(last_start + 1, readable + 1 - m);
    for (; p + 32 <= full_end; p += 32) {
        const __m128i low = candidates(p);
        const __m128i high = candidates(p + 16);
        if (_mm_movemask_epi8(_mm_or_si128(low, high)) == 0) continue;
        size_t at = verify(p, static_cast<unsigned>(_mm_movemask_epi8(low)));
        if (at == std::string_view::npos)
            at = verify(p + 16, static_cast<unsigned>(_mm_movemask_epi8(high)));
        if (at != std::string_view::npos) return at;
    }
    for (; p <= last_start && p + m - 1 + 16 <= readable; p += 16) {
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(candidates(p)));
        if (last_start - p < 15) mask &= (2u << (last_start - p)) - 1;
        if (size_t at = verify(p, mask); at != std::string_view::npos) return at;
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

char32_t next_name_char(std::string_view name, size_t& pos) {
    return read_name_char(name, pos);
}

void name_chars(std::string_view name, std::u32string& out) {
    out.resize(name.size());  // a character takes at least one byte
    char32_t* chars = out.data();
    size_t count = 0;
    for (size_t pos = 0; pos < name.size();)
        chars[count++] = read_name_char(name, pos);
    out.resize(count);
}

std::u32string name_chars(std::string_view name) {
    std::u32string chars;
    name_chars(name, chars);
    return chars;
}

std::optional<std::pair<size_t, size_t>> match_pattern(const JamoPattern& pattern,
                                                       std::u32string_view chars) {
    return find_pattern(pattern, DecodedChars{chars});
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
    Outcome outcome = match_one(query, table, table_position, index, scratch, nullptr);
    if (outcome == MISS) return std::nullopt;
    return hit_of(outcome, index, table_position);
}

void match_range(const Query& query, const VolumeTable& table, uint8_t table_position,
                 uint32_t begin, uint32_t end, MatchScratch& scratch, std::vector<Hit>& hits) {
    end = std::min<uint32_t>(end, table.size());
    // Fresh cursors for this table's arena: two per term (its text, and its layout text or key
    // spelling).
    scratch.cursors.assign(2 * query.terms.size(), ArenaCursor{});
    ArenaCursor* cursors = scratch.cursors.data();
    // The cheapest tests are done here, with everything in registers, before match_one: flags
    // every hit must have (a term holding Hangul rejects names without Hangul, and most names
    // have none), the filter tab, and the absence of the first term's needles from a name that
    // ASCII folding lowercases completely (the remembered arena search answers most names).
    // A needle is a plain term's text, or a Hangul term's key spelling, which is all that such
    // a term can find in a name without Hangul.
    uint8_t required = 0;
    NeedleFilter first;
    NeedleFilter second;  // the key spelling of a plain Hangul word, beside its text
    uint8_t needle_skip = FLAG_UNICODE_UPPER;
    for (size_t t = 0; t < query.terms.size(); ++t) {
        const TextTerm* text = std::get_if<TextTerm>(&query.terms[t]);
        if (text == nullptr) continue;
        const bool spelled = !text->key_spelling.empty();
        if (text->has_hangul && !spelled) required |= FLAG_HANGUL;
        if (first.text != nullptr || !(text->plain || spelled)) continue;
        const NeedleFilter words{&text->lowered, &cursors[2 * t],
                                 text->has_hangul ? FLAG_HANGUL : uint8_t{0}};
        const NeedleFilter keys{&text->key_spelling, &cursors[2 * t + 1], 0};
        if (!spelled) {
            first = words;
        } else if (text->plain) {
            first = words;
            second = keys;
        } else {
            first = keys;
        }
        // Names that the layout fallback or a Hangul pattern could still match are left to
        // match_one.
        if (text->layout_pattern || (spelled && !text->plain)) needle_skip |= FLAG_HANGUL;
    }
    const char* arena = table.names.data();
    const size_t arena_size = table.names.size();
    if (first.text == nullptr) {
        scan_entries(query, table, table_position, begin, end, required, scratch, hits,
                     [](const Entry&) { return true; });
    } else if (second.text == nullptr) {
        scan_entries(query, table, table_position, begin, end, required, scratch, hits,
                     [&](const Entry& entry) {
                         return (entry.flags & needle_skip) ||
                                !first.absent(arena, arena_size, entry);
                     });
    } else {
        scan_entries(query, table, table_position, begin, end, required, scratch, hits,
                     [&](const Entry& entry) {
                         return (entry.flags & needle_skip) ||
                                !first.absent(arena, arena_size, entry) ||
                                !second.absent(arena, arena_size, entry);
                     });
    }
}

}  // namespace norvik
