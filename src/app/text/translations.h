// The translation tables of the eight languages that are neither Korean nor English: JSON
// objects from English text to translated text, embedded in the program, and the hash map each
// becomes when a text in that language is first looked up.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "app/text/text.h"

namespace norvik {

struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

using TranslationTable = std::unordered_map<std::string, std::string, TextHash, std::equal_to<>>;

// The language's table as embedded UTF-8 JSON text; empty for English and Korean.
std::string_view translation_json(Language language);

// The language's table, parsed once on first use by whichever thread asks first, then shared
// read-only for the life of the process. Empty for English and Korean. Members that are not
// strings are left out, and so is a table that does not parse: its texts show in English.
const TranslationTable& translation_table(Language language);

// The table that `json` describes (the loader of translation_table, for any text).
TranslationTable parse_translation_table(std::string_view json);

}  // namespace norvik
