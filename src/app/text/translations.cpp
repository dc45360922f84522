#include "app/text/translations.h"

#include <array>
#include <mutex>
#include <nlohmann/json.hpp>

#include "translation_tables.h"

namespace norvik {

std::string_view translation_json(Language language) {
    namespace tables = translation_tables;
    switch (language) {
        case Language::Ja:
            return tables::ja;
        case Language::ZhHans:
            return tables::zh_Hans;
        case Language::ZhHant:
            return tables::zh_Hant;
        case Language::Es:
            return tables::es;
        case Language::Fr:
            return tables::fr;
        case Language::De:
            return tables::de;
        case Language::Pt:
            return tables::pt;
        case Language::Ru:
            return tables::ru;
        case Language::En:
        case Language::Ko:
            break;
    }
    return {};
}

TranslationTable parse_translation_table(std::string_view json) {
    TranslationTable table;
    // No exceptions: a damaged table yields a discarded value, and its texts stay English.
    const nlohmann::json object = nlohmann::json::parse(json, nullptr, false);
    if (!object.is_object()) return table;
    for (const auto& [english, translated] : object.items()) {
        if (translated.is_string()) table.emplace(english, translated.get<std::string>());
    }
    return table;
}

const TranslationTable& translation_table(Language language) {
    // One slot per language, though the program only ever loads its own: tests look up every
    // language in one process.
    struct Slot {
        std::once_flag once;
        TranslationTable table;
    };
    static std::array<Slot, LANGUAGES.size()> slots;
    Slot& slot = slots[static_cast<size_t>(language)];
    std::call_once(slot.once,
                   [&] { slot.table = parse_translation_table(translation_json(language)); });
    return slot.table;
}

}  // namespace norvik
