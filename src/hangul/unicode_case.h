// Unicode case data shared by names and queries, from generated tables so that the native and
// the Windows builds agree to the code point (tools/gen_case_tables writes them from ICU).
#pragma once

#include <string>
#include <string_view>

namespace norvik {

// Appends the full lowercase mapping of UTF-8 text to out (one character may become several).
// Capital sigma becomes final sigma (U+03C2) where the final-sigma rule of Unicode's
// SpecialCasing applies: preceded by a cased letter (skipping case-ignorable characters) and not
// followed by one. Malformed bytes become U+FFFD. Names and query words both go through this.
void append_lower_full(std::string& out, std::string_view text);
std::string lower_full(std::string_view text);

// The first character of c's full lowercase mapping (c itself when lowercasing leaves it alone).
char32_t lower_first(char32_t c);

// True when c changes when lowercased (its full lowercase mapping differs from c): uppercase and
// titlecase letters, circled capitals and the like. ASCII A-Z are included.
bool changes_when_lowercased(char32_t c);

// Cased and Case_Ignorable in Unicode's sense: the two classes the final-sigma rule looks at.
bool is_cased(char32_t c);
bool is_case_ignorable(char32_t c);

// True when some non-ASCII character of the UTF-8 text changes when lowercased, so an ASCII-only
// fold of the text would be incomplete.
bool has_non_ascii_upper(std::string_view text);

}  // namespace norvik
