#include "query/query.h"

#include <algorithm>
#include <utility>

#include "hangul/hangul.h"
#include "hangul/key_spelling.h"
#include "hangul/unicode_case.h"
#include "hangul/utf8.h"

namespace norvik {

bool is_white_space(char32_t c) {
    if (c >= 0x09 && c <= 0x0D) return true;
    if (c < 0x80) return c == 0x20;
    switch (c) {
        case 0x85:
        case 0xA0:
        case 0x1680:
        case 0x2028:
        case 0x2029:
        case 0x202F:
        case 0x205F:
        case 0x3000:
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;
    }
}

bool is_empty(const Query& query) {
    return query.terms.empty() && query.paths.empty() && query.extensions.empty() &&
           query.filter == 0;
}

JamoPattern jamo_pattern(std::string_view lowered) {
    JamoPattern pattern;
    size_t pos = 0;
    while (pos < lowered.size()) {
        char32_t c = decode_utf8(lowered, pos);
        PatternElement element;
        if (auto halves = cluster_halves(c)) {
            // Both halves of every cluster can begin a syllable.
            element.kind = ElementKind::Cluster;
            element.character = c;
            element.initial = static_cast<uint8_t>(initial_index(halves->stays).value_or(0));
            element.second_initial = static_cast<uint8_t>(initial_index(halves->moves).value_or(0));
        } else if (auto index = is_compat_consonant(c) ? initial_index(c) : std::nullopt) {
            element.kind = ElementKind::Initial;
            element.initial = static_cast<uint8_t>(*index);
        } else {
            element.kind = ElementKind::Literal;
            element.character = pattern_char(c);
        }
        pattern.push_back(element);
    }
    return pattern;
}

std::string english_keys(std::string_view lowered) {
    // Consonants alone are an initial-consonant search (ㅂㄱㅅ), and one or two keys would find
    // nearly every name: neither is read as English. A word of whole syllables is what a Korean
    // user types on purpose (보고서); English keys in Korean mode almost always leave a letter the
    // IME could not join (ㄱ데ㅐㄳ), so only a word holding one is read as English. That keeps
    // every ordinary Korean search answering as before, and as fast: it never has to look for
    // its keys among the names without Hangul.
    constexpr size_t MIN_KEYS = 3;
    bool lone_letter = false;
    bool only_consonants = true;
    for (size_t pos = 0; pos < lowered.size();) {
        const char32_t c = decode_utf8(lowered, pos);
        lone_letter = lone_letter || is_compat_jamo(c);
        only_consonants = only_consonants && is_compat_consonant(c);
    }
    if (!lone_letter || only_consonants) return {};
    std::optional<std::string> keys = key_spelling(lowered);
    if (!keys || keys->size() < MIN_KEYS) return {};
    return std::move(*keys);
}

namespace {

std::vector<std::string_view> split_words(std::string_view text) {
    std::vector<std::string_view> words;
    size_t pos = 0;
    size_t word_start = std::string_view::npos;
    while (pos < text.size()) {
        size_t at = pos;
        char32_t c = decode_utf8(text, pos);
        if (is_white_space(c)) {
            if (word_start != std::string_view::npos) {
                words.push_back(text.substr(word_start, at - word_start));
                word_start = std::string_view::npos;
            }
        } else if (word_start == std::string_view::npos) {
            word_start = at;
        }
    }
    if (word_start != std::string_view::npos) words.push_back(text.substr(word_start));
    return words;
}

std::string_view trim_white_space(std::string_view piece) {
    // Leading: advance over white space characters.
    size_t pos = 0;
    while (pos < piece.size()) {
        size_t next = pos;
        if (!is_white_space(decode_utf8(piece, next))) break;
        pos = next;
    }
    piece.remove_prefix(pos);
    // Trailing: find the end of the last character that is not white space.
    size_t end = 0;
    pos = 0;
    while (pos < piece.size()) {
        if (!is_white_space(decode_utf8(piece, pos))) end = pos;
    }
    return piece.substr(0, end);
}

void add_extensions(std::string_view list, std::vector<std::string>& extensions) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t stop = list.find_first_of(",|;", start);
        if (stop == std::string_view::npos) stop = list.size();
        std::string_view piece = trim_white_space(list.substr(start, stop - start));
        while (piece.starts_with("*."))
            piece.remove_prefix(2);
        while (piece.starts_with('.'))
            piece.remove_prefix(1);
        if (!piece.empty()) extensions.emplace_back(piece);
        start = stop + 1;
    }
}

WildcardTerm make_wildcard_term(const std::string& lowered) {
    WildcardTerm term;
    size_t pos = 0;
    while (pos < lowered.size())
        term.pattern.push_back(pattern_char(decode_utf8(lowered, pos)));

    // The longest run between wildcards, in bytes; on a tie the later run wins.
    size_t run_start = 0;
    for (size_t i = 0; i <= lowered.size(); ++i) {
        if (i == lowered.size() || lowered[i] == '*' || lowered[i] == '?') {
            if (i - run_start >= term.literal.size() && i > run_start) {
                term.literal = lowered.substr(run_start, i - run_start);
            }
            run_start = i + 1;
        }
    }
    // The glob reads final sigma as sigma; a byte search for either would miss the other.
    bool has_sigma = term.literal.find("\xCF\x82") != std::string::npos ||
                     term.literal.find("\xCF\x83") != std::string::npos;
    term.prefilter = !term.literal.empty() && !has_sigma;
    return term;
}

bool holds_hangul(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        if (is_hangul(decode_utf8(text, pos))) return true;
    }
    return false;
}

TextTerm make_text_term(std::string_view word, std::string lowered, bool open_last) {
    TextTerm term;
    term.lowered = std::move(lowered);
    term.pattern = jamo_pattern(term.lowered);
    if (open_last && !term.pattern.empty()) {
        PatternElement& last = term.pattern.back();
        if (last.kind == ElementKind::Literal) {
            if (auto opened = open_final(last.character)) {
                last.kind = ElementKind::OpenSyllable;
                last.open = opened->syllable;
                last.initial = static_cast<uint8_t>(opened->moving_initial);
            }
        }
    }
    if (auto hangul = english_to_hangul(word)) {
        term.layout_pattern = jamo_pattern(*hangul);
        term.layout_literal =
            std::all_of(term.layout_pattern->begin(), term.layout_pattern->end(),
                        [](const PatternElement& e) { return e.kind == ElementKind::Literal; });
        term.layout_text = std::move(*hangul);
    }
    // A word with a sigma goes through the pattern, which reads final sigma as sigma: lowered
    // on its own, "ΟΔΥΣΣΕΑΣ" ends in final sigma, while in the name ΟΔΥΣΣΕΑΣ.txt the same
    // letter lowers to sigma, and a byte search would miss the name typed from its start.
    bool has_sigma = term.lowered.find("\xCF\x82") != std::string::npos ||
                     term.lowered.find("\xCF\x83") != std::string::npos;
    term.plain = !has_sigma &&
                 std::all_of(term.pattern.begin(), term.pattern.end(), [](const PatternElement& e) {
                     return e.kind == ElementKind::Literal;
                 });
    term.has_hangul = holds_hangul(term.lowered);
    if (term.has_hangul) term.key_spelling = english_keys(term.lowered);
    return term;
}

// The word as names are compared with it: NFC, then fully lowercased.
std::string lowered_word(std::string_view word) {
    std::optional<std::string> composed = normalize_nfc(word);
    return lower_full(composed ? std::string_view(*composed) : word);
}

// The term of one word, or of one segment of a path word; nothing for "*" alone, which any
// name matches.
std::optional<Term> make_term(std::string_view word, std::string lowered, bool open_last) {
    if (lowered.find_first_of("*?") != std::string::npos) {
        if (lowered.find_first_not_of('*') == std::string::npos) return std::nullopt;
        return make_wildcard_term(lowered);
    }
    return make_text_term(word, std::move(lowered), open_last);
}

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

// Splits a word holding a separator into its segments. The segments are parsed one by one, each
// as a word of its own, so the English-layout reading and the open syllable work per segment.
void add_path_word(std::string_view word, bool open_last, Query& query) {
    std::vector<std::string_view> folders;
    size_t start = 0;
    for (size_t i = 0; i < word.size(); ++i) {
        if (!is_separator(word[i])) continue;
        if (i > start) folders.push_back(word.substr(start, i - start));
        start = i + 1;
    }
    const std::string_view last = word.substr(start);

    PathWord path;
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        // "*" as a folder stands for any one folder.
        std::optional<Term> term = make_term(*folder, lowered_word(*folder), false);
        path.folders.push_back(term ? std::move(*term) : Term{make_wildcard_term("*")});
    }
    if (!last.empty()) {
        if (std::optional<Term> term = make_term(last, lowered_word(last), open_last))
            query.terms.push_back(std::move(*term));
    }
    if (!path.folders.empty()) query.paths.push_back(std::move(path));
}

// Adds a word's name part (a path word's last segment) to Query::exact_name, which a wildcard
// in it empties for good (`spelled` turns false). True when the part was added: the word's term
// is then the next one of the query.
bool add_to_exact_name(std::string_view lowered, Query& query, bool& spelled) {
    const size_t separator = lowered.find_last_of("\\/");
    if (separator != std::string_view::npos) lowered.remove_prefix(separator + 1);
    if (lowered.empty() || !spelled) return false;
    if (lowered.find_first_of("*?") != std::string_view::npos) {
        spelled = false;
        query.exact_name.clear();
        query.exact_terms.clear();
        return false;
    }
    if (!query.exact_name.empty()) query.exact_name += ' ';
    query.exact_name += lowered;
    return true;
}

}  // namespace

std::shared_ptr<const Query> parse(std::string_view text, bool composing, uint8_t filter) {
    auto query = std::make_shared<Query>();
    query->filter = filter;
    std::vector<std::string_view> words = split_words(text);
    bool spelled = true;  // no wildcard in a name part so far
    for (size_t i = 0; i < words.size(); ++i) {
        std::string_view word = words[i];
        const bool open_last = composing && i + 1 == words.size();
        std::string lowered = lowered_word(word);
        if (lowered.starts_with("ext:")) {
            add_extensions(std::string_view(lowered).substr(4), query->extensions);
            continue;
        }
        const size_t term = query->terms.size();
        if (add_to_exact_name(lowered, *query, spelled)) query->exact_terms.push_back(term);
        if (std::any_of(word.begin(), word.end(), is_separator)) {
            add_path_word(word, open_last, *query);
        } else if (std::optional<Term> made = make_term(word, std::move(lowered), open_last)) {
            query->terms.push_back(std::move(*made));
        }
    }
    return query;
}

}  // namespace norvik
