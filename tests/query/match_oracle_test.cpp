// The matcher's fast paths (ASCII folding in place, flags, block search, the literal prefilter,
// the byte search of layout text and of key spellings) checked against a slow oracle that does
// every rule the straightforward way over decoded, fully lowercased names.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "hangul/hangul.h"
#include "hangul/key_spelling.h"
#include "hangul/unicode_case.h"
#include "hangul/utf8.h"
#include "kinds/kinds.h"
#include "query/test_tables.h"

namespace norvik {
namespace {

std::u32string decode(std::string_view text) {
    std::u32string out;
    for (size_t pos = 0; pos < text.size();)
        out.push_back(decode_utf8(text, pos));
    return out;
}

char32_t oracle_char(char32_t c) {
    char32_t lowered =
        c < 0x80 ? static_cast<char32_t>(std::tolower(static_cast<int>(c))) : lower_first(c);
    return lowered == 0x03C2 ? 0x03C3 : lowered;
}

int oracle_initial(char32_t c) {
    if (c >= 0xAC00 && c <= 0xD7A3) return static_cast<int>((c - 0xAC00) / 588);
    for (int i = 0; i < 19; ++i) {
        if (INITIALS[i] == c) return i;
    }
    return -1;
}

// Length in characters of element e matched at chars[i], or nothing.
std::optional<size_t> oracle_element(const PatternElement& e, const std::u32string& chars,
                                     size_t i) {
    auto at = [&](size_t k) { return k < chars.size() ? chars[k] : char32_t{0xFFFFFFFF}; };
    switch (e.kind) {
        case ElementKind::Literal:
            if (at(i) == e.character) return 1;
            return std::nullopt;
        case ElementKind::Initial:
            if (i < chars.size() && oracle_initial(at(i)) == e.initial) return 1;
            return std::nullopt;
        case ElementKind::OpenSyllable:
            if (at(i) == e.character) return 1;
            if (at(i) == e.open && i + 1 < chars.size() && oracle_initial(at(i + 1)) == e.initial)
                return 2;
            return std::nullopt;
        case ElementKind::Cluster:
            if (at(i) == e.character) return 1;
            if (i + 1 < chars.size() && oracle_initial(at(i)) == e.initial &&
                oracle_initial(at(i + 1)) == e.second_initial)
                return 2;
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<size_t> oracle_pattern_start(const JamoPattern& pattern,
                                           const std::u32string& chars) {
    if (pattern.empty()) return 0;
    for (size_t start = 0; start < chars.size(); ++start) {
        size_t i = start;
        bool ok = true;
        for (const PatternElement& e : pattern) {
            std::optional<size_t> used = oracle_element(e, chars, i);
            if (!used) {
                ok = false;
                break;
            }
            i += *used;
        }
        if (ok) return start;
    }
    return std::nullopt;
}

// Glob by dynamic programming: matches[i][j] = pattern[i:] matches chars[j:].
bool oracle_glob(const std::u32string& pattern, const std::u32string& chars) {
    const size_t m = pattern.size();
    const size_t n = chars.size();
    std::vector<std::vector<bool>> matches(m + 1, std::vector<bool>(n + 1, false));
    matches[m][n] = true;
    for (size_t i = m; i-- > 0;) {
        for (size_t j = n + 1; j-- > 0;) {
            if (pattern[i] == U'*') {
                matches[i][j] = matches[i + 1][j] || (j < n && matches[i][j + 1]);
            } else if (j < n && (pattern[i] == U'?' || pattern[i] == chars[j])) {
                matches[i][j] = matches[i + 1][j + 1];
            }
        }
    }
    return matches[0][0];
}

std::string ascii_lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

struct OracleName {
    std::string name;
    bool is_dir;
    std::u32string chars;  // oracle_char of each character
    std::string lowered;   // full lowercase mapping
    bool hangul;
};

OracleName describe(std::string_view name, bool is_dir) {
    OracleName o{std::string(name), is_dir, {}, lower_full(name), false};
    for (char32_t c : decode(name)) {
        o.chars.push_back(oracle_char(c));
        if ((c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x3131 && c <= 0x3163)) o.hangul = true;
    }
    return o;
}

std::optional<bool> oracle_text(const TextTerm& term, const OracleName& o) {
    if (!term.has_hangul || o.hangul) {
        if (term.plain) {
            size_t at = o.lowered.find(term.lowered);
            if (at != std::string::npos) return at == 0;
        } else if (auto start = oracle_pattern_start(term.pattern, o.chars)) {
            return *start == 0;
        }
    }
    if (o.hangul && term.layout_pattern) {
        if (auto start = oracle_pattern_start(*term.layout_pattern, o.chars)) return *start == 0;
    }
    if (!term.key_spelling.empty()) {
        size_t at = o.lowered.find(term.key_spelling);
        if (at != std::string::npos) return at == 0;
    }
    return std::nullopt;
}

bool oracle_filter(uint8_t filter, const OracleName& o) {
    if (filter == 0) return true;
    if (filter == 1) return o.is_dir;
    const Kind wanted[] = {Kind::Document, Kind::Picture, Kind::Music, Kind::Video, Kind::Archive};
    return !o.is_dir && classify(o.name, false) == wanted[filter - 2];
}

bool oracle_extension(const Query& query, const OracleName& o) {
    if (o.is_dir) return false;
    size_t dot = o.name.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;
    std::string extension = o.name.substr(dot + 1);
    for (const std::string& wanted : query.extensions) {
        if (ascii_lower(extension) == wanted || lower_full(extension) == wanted) return true;
    }
    return false;
}

std::optional<bool> oracle_match(const Query& query, const OracleName& o) {
    if (!oracle_filter(query.filter, o)) return std::nullopt;
    if (!query.extensions.empty() && !oracle_extension(query, o)) return std::nullopt;
    bool at_start = false;
    for (size_t t = 0; t < query.terms.size(); ++t) {
        bool term_at_start = false;
        if (const auto* text = std::get_if<TextTerm>(&query.terms[t])) {
            std::optional<bool> found = oracle_text(*text, o);
            if (!found) return std::nullopt;
            term_at_start = *found;
        } else if (!oracle_glob(std::get<WildcardTerm>(query.terms[t]).pattern, o.chars)) {
            return std::nullopt;
        }
        if (t == 0) at_start = term_at_start;
    }
    return at_start;
}

// Text as whole names are compared: fully lowercased, final sigma read as sigma.
std::u32string oracle_spelling(std::string_view lowered) {
    std::u32string chars = decode(lowered);
    std::replace(chars.begin(), chars.end(), char32_t{0x03C2}, char32_t{0x03C3});
    return chars;
}

// Every end of chars[i, ...) read as the whole of pattern, one character for each element (two
// for a cluster typed as two consonants), a syllable still being composed only as itself.
std::vector<size_t> oracle_whole_reading(const JamoPattern& pattern, const std::u32string& chars,
                                         size_t i) {
    std::vector<size_t> ends{i};
    for (const PatternElement& e : pattern) {
        std::vector<size_t> next;
        for (size_t end : ends) {
            if (e.kind == ElementKind::OpenSyllable) {
                if (end < chars.size() && chars[end] == e.character) next.push_back(end + 1);
            } else if (std::optional<size_t> used = oracle_element(e, chars, end)) {
                next.push_back(end + *used);
            }
        }
        ends = std::move(next);
    }
    return ends;
}

// Whether chars[i, ...) is terms[k], terms[k + 1], ... joined by one space, each in any reading
// it has: its own text (initials included), its English-layout Hangul, its English keys. Tries
// every way.
bool oracle_spells(const std::vector<const TextTerm*>& terms, size_t k, const std::u32string& chars,
                   size_t i) {
    const TextTerm& term = *terms[k];
    std::vector<size_t> ends = oracle_whole_reading(term.pattern, chars, i);
    if (term.layout_pattern) {
        for (size_t end : oracle_whole_reading(*term.layout_pattern, chars, i))
            ends.push_back(end);
    }
    const std::u32string keys = decode(term.key_spelling);
    if (!keys.empty() && chars.compare(i, keys.size(), keys) == 0) ends.push_back(i + keys.size());
    for (size_t end : ends) {
        if (k + 1 == terms.size() ? end == chars.size()
                                  : end < chars.size() && chars[end] == U' ' &&
                                        oracle_spells(terms, k + 1, chars, end + 1))
            return true;
    }
    return false;
}

// Whether the name, or a file's name before its last dot, is the query's words joined by one
// space, each word in any of its readings: every word but ext: ones, none with a wildcard.
// Worked out from the typed text (words split at spaces) and the parsed words' readings.
bool oracle_exact(std::string_view text, const Query& query, const OracleName& o) {
    std::vector<const TextTerm*> words;
    for (size_t start = 0; start <= text.size();) {
        size_t end = std::min(text.find(' ', start), text.size());
        std::string word = lower_full(text.substr(start, end - start));
        start = end + 1;
        if (word.empty() || word.starts_with("ext:")) continue;
        if (word.find_first_of("*?") != std::string::npos) return false;
        const size_t k = words.size();
        EXPECT_LT(k, query.terms.size());
        if (k >= query.terms.size()) return false;
        words.push_back(&std::get<TextTerm>(query.terms[k]));
        EXPECT_EQ(words.back()->lowered, word);
    }
    if (words.empty()) return false;
    const std::u32string name = oracle_spelling(o.lowered);
    const size_t dot = name.rfind(U'.');
    return oracle_spells(words, 0, name, 0) || (!o.is_dir && dot != std::u32string::npos &&
                                                oracle_spells(words, 0, name.substr(0, dot), 0));
}

const std::vector<std::string> FRAGMENTS = {
    "report", "Report",   "REPORT", "annual", "2026",   "a",       "b",      "abc",   "ABC",
    "file10", "qhrhtj",   "data",   "x",      "보고서", "보기",    "까",     "한국",  "하나",
    "하",     "가",       "각",     "라면",   "회의록", "안녕",    "고서",   "읽어",  "값",
    "ㄱ",     "ㄴ",       "ㅂ",     "ㅅ",     "ㄳ",     "ㄻ",      "ㅏ",     "ㄲ",    "ΣΟΦΙΑ",
    "σοφια",  "ΟΔΥΣΣΕΑΣ", "ς",      "Σ",      "Ä",      "ä",       "É",      "é",     "İ",
    "\u01C5", "\u24B6",   "\u212A", "ÄRGER",  "excel",  "Invoice", "gksrmf", "EXCEL", "rkskek",
};
const std::vector<std::string> SEPARATORS = {"", "", " ", "_", ".", "-"};
const std::vector<std::string> EXTENSIONS = {
    ".hwp", ".HWP", ".pdf", ".txt", ".tar.gz", ".jpg", ".JPG", ".docx", ".ÄB", ".mp3", "", "", ""};
const std::vector<std::string> SPECIAL_WORDS = {
    "qhrhtj",       "rhtj",     "dkss",      "gksrnr", "rk",       "Rk",         "qhrl",
    "gk",           "rkqt",     "dlfrdj",    "ㅂㄱㅅ", "ㅂㄳ",     "ㄻ",         "ㄳ",
    "보ㄱ",         "ㅂreport", "*.hwp",     "*.HWP",  "a?c",      "*보*",       "?*",
    "*2026*",       "r*t",      "ΟΔΥΣΣΕΑΣ*", "*σ*",    "*ς*",      "ext:hwp",    "ext:pdf,txt",
    "ext:gz",       "ext:ÄB",   "ext:jpg",   "한",     "하ㄴ",     "ΟΔΥΣΣΕΑΣ",   "ΣΟΦΙΑ",
    "ärger",        "ǆ",        "ⓐ",         "k",      "ㄱ데ㅐㄳ", "ㄱ데ㅐㄱㅅ", "ㄷㅌㅊ디",
    "ㅑㅜ패ㅑㅊㄷ", "ㄱ데",     "한글",      "가나다", "ㅁㄴㅇ",   "ㅐㄳ",
};

class OracleTest : public ::testing::Test {
  protected:
    template <class T>
    const T& pick(const std::vector<T>& list) {
        return list[random_() % list.size()];
    }

    std::string random_name() {
        std::string name;
        int parts = 1 + static_cast<int>(random_() % 4);
        for (int i = 0; i < parts; ++i) {
            if (i > 0) name += pick(SEPARATORS);
            name += pick(FRAGMENTS);
        }
        return name + pick(EXTENSIONS);
    }

    // A piece of a name: up to six characters from a random position, maybe in another case.
    std::string random_piece(const std::string& name) {
        std::u32string chars = decode(name);
        size_t start = random_() % chars.size();
        size_t length = 1 + random_() % 6;
        std::string piece;
        for (size_t i = start; i < chars.size() && i < start + length; ++i) {
            char32_t c = chars[i];
            if (c < 0x80 && random_() % 3 == 0)
                c = static_cast<char32_t>(std::toupper(static_cast<int>(c)));
            append_utf8(piece, c);
        }
        return piece;
    }

    std::string random_word(const std::vector<std::string>& names) {
        switch (random_() % 5) {
            case 0:
                return pick(FRAGMENTS);
            case 1:
                return pick(SPECIAL_WORDS);
            case 2:
                return whole_name(pick(names));
            default:
                return random_piece(pick(names));
        }
    }

    // A name as someone types it to find exactly that item: whole, or without its extension,
    // maybe in another case.
    std::string whole_name(std::string name) {
        if (random_() % 2 == 0 && name.rfind('.') != std::string::npos && name.rfind('.') > 0)
            name.erase(name.rfind('.'));
        if (random_() % 3 == 0)
            std::transform(name.begin(), name.end(), name.begin(), [](char c) {
                return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            });
        if (random_() % 3 == 0) name = other_reading(name);
        return name;
    }

    // The name with each run of syllables typed another way: on the English layout, or as
    // initials (보고서_2026 as qhrhtj_2026 or ㅂㄱㅅ_2026).
    std::string other_reading(const std::string& name) {
        const bool keys = random_() % 2 == 0;
        std::string typed;
        std::string run;
        auto flush = [&] {
            if (run.empty()) return;
            if (keys) {
                typed += key_spelling(run).value_or(run);
            } else {
                for (char32_t c : decode(run))
                    append_utf8(typed, INITIALS[(c - 0xAC00) / 588]);
            }
            run.clear();
        };
        for (char32_t c : decode(name)) {
            if (c >= 0xAC00 && c <= 0xD7A3) {
                append_utf8(run, c);
                continue;
            }
            flush();
            append_utf8(typed, c);
        }
        flush();
        read_otherwise_ = read_otherwise_ || typed != name;
        return typed;
    }

    bool read_otherwise_ = false;  // the query has a name typed in another reading

    std::mt19937 random_{20260107};
};

TEST_F(OracleTest, MatcherAgreesWithOracleOnGeneratedNamesAndQueries) {
    VolumeTable table = VolumeTable::with_root("C:\\");
    std::vector<std::string> names;
    std::vector<OracleName> oracle_names(1);  // entry 0 is never asked
    for (int i = 0; i < 3000; ++i) {
        std::string name = random_name();
        bool is_dir = random_() % 10 == 0;
        if (is_dir) {
            testing::add_folder(table, 0, name);
        } else {
            testing::add_file(table, 0, name);
        }
        names.push_back(name);
        oracle_names.push_back(describe(table.stored_name(table.size() - 1), is_dir));
    }
    // Renames append the new name at the end of the arena, so names no longer lie in entry
    // order there: the remembered arena search must notice.
    for (int i = 0; i < 300; ++i) {
        uint32_t index = 1 + static_cast<uint32_t>(random_() % (table.size() - 1));
        table.set_name(index, table.entries[index], random_name());
        oracle_names[index] = describe(table.stored_name(index), table.entries[index].is_dir());
    }
    std::vector<VolumeTable> tables;
    tables.push_back(std::move(table));

    int queries_with_hits = 0;
    size_t total_hits = 0;
    ptrdiff_t exact_hits = 0;
    ptrdiff_t exact_read_otherwise = 0;
    const int query_count = 400;
    for (int q = 0; q < query_count; ++q) {
        std::string text;
        read_otherwise_ = false;
        int words = 1 + static_cast<int>(random_() % 3 == 0 ? 1 : 0);
        for (int w = 0; w < words; ++w)
            text += (w ? " " : "") + random_word(names);
        const uint8_t filter = random_() % 4 == 0 ? static_cast<uint8_t>(random_() % 7) : 0;
        const bool composing = random_() % 3 == 0;
        SCOPED_TRACE(::testing::Message() << "query '" << text << "' filter " << int{filter}
                                          << (composing ? " composing" : ""));

        auto query = parse(text, composing, filter);
        std::vector<Hit> expected;
        for (uint32_t i = 1; i < tables[0].size(); ++i) {
            if (auto at_start = oracle_match(*query, oracle_names[i]))
                expected.push_back(
                    Hit{i, 0, *at_start, *at_start && oracle_exact(text, *query, oracle_names[i])});
        }
        std::vector<Hit> actual = testing::match_all_entries(*query, tables);
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < actual.size(); ++i) {
            ASSERT_EQ(actual[i], expected[i]) << tables[0].stored_name(expected[i].entry);
        }
        // The range matcher, over ranges of random lengths, with one scratch for all of them as
        // a search thread keeps it.
        std::vector<Hit> ranged;
        MatchScratch scratch;
        for (uint32_t begin = 1; begin < tables[0].size();) {
            uint32_t end =
                std::min(tables[0].size(), begin + 1 + static_cast<uint32_t>(random_() % 700));
            match_range(*query, tables[0], 0, begin, end, scratch, ranged);
            begin = end;
        }
        ASSERT_EQ(ranged.size(), expected.size());
        for (size_t i = 0; i < ranged.size(); ++i) {
            ASSERT_EQ(ranged[i], expected[i]) << tables[0].stored_name(expected[i].entry);
        }
        queries_with_hits += !expected.empty();
        total_hits += expected.size();
        const ptrdiff_t exact = std::count_if(expected.begin(), expected.end(),
                                              [](const Hit& hit) { return hit.exact; });
        exact_hits += exact;
        if (read_otherwise_) exact_read_otherwise += exact;
    }
    // The generated queries must exercise matching, not only rejection.
    EXPECT_GT(queries_with_hits, query_count / 2);
    EXPECT_GT(total_hits, 10000u);
    EXPECT_GT(exact_hits, 100) << "whole names typed must find their items";
    EXPECT_GT(exact_read_otherwise, 10) << "and so must names typed in another reading";
}

// Names placed at the very end of the arena leave no room to read ahead: the block search must
// fall back to bytes there and still agree.
TEST_F(OracleTest, NamesAtTheEndOfTheArena) {
    for (int round = 0; round < 300; ++round) {
        std::string name = random_name();
        VolumeTable table = VolumeTable::with_root("C:\\");
        testing::add_file(table, 0, name);
        std::vector<VolumeTable> tables;
        tables.push_back(std::move(table));
        OracleName o = describe(tables[0].stored_name(1), false);
        std::string word = random_piece(name);
        SCOPED_TRACE(name + " / " + word);
        auto query = parse(word, false, 0);
        MatchScratch scratch;
        std::optional<Hit> hit = match_entry(*query, tables[0], 0, 1, scratch);
        std::optional<bool> expected = oracle_match(*query, o);
        ASSERT_EQ(hit.has_value(), expected.has_value());
        if (hit) {
            EXPECT_EQ(hit->at_start, *expected);
            EXPECT_EQ(hit->exact, *expected && oracle_exact(word, *query, o));
        }
    }
}

}  // namespace
}  // namespace norvik
