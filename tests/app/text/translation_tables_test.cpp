#include "app/text/translations.h"

#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "app/text/translation_keys.h"

namespace norvik {
namespace {

// The eight table languages with each one's stored table, parsed keeping the stored order.
std::vector<std::pair<LanguageInfo, nlohmann::ordered_json>> stored_tables() {
    std::vector<std::pair<LanguageInfo, nlohmann::ordered_json>> tables;
    for (const LanguageInfo& info : LANGUAGES) {
        if (info.language == Language::En || info.language == Language::Ko) continue;
        tables.emplace_back(
            info, nlohmann::ordered_json::parse(translation_json(info.language), nullptr, false));
    }
    return tables;
}

size_t occurrences(std::string_view text, std::string_view part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

TEST(TranslationTablesTest, EveryTableTranslatesEveryKeyInOrder) {
    const auto tables = stored_tables();
    ASSERT_EQ(tables.size(), 8u);
    for (const auto& [info, table] : tables) {
        ASSERT_TRUE(table.is_object()) << info.code << " does not parse";
        // A repeated key would parse as one member fewer.
        ASSERT_EQ(table.size(), TRANSLATION_KEYS.size()) << info.code;
        size_t row = 0;
        for (const auto& [english, translated] : table.items()) {
            EXPECT_EQ(english, TRANSLATION_KEYS[row]) << info.code << " row " << row + 1;
            ASSERT_TRUE(translated.is_string()) << info.code << ": " << english;
            EXPECT_FALSE(translated.get<std::string>().empty()) << info.code << ": " << english;
            ++row;
        }
        // What the program loads is that table, member for member.
        const TranslationTable& loaded = translation_table(info.language);
        EXPECT_EQ(loaded.size(), TRANSLATION_KEYS.size()) << info.code;
        for (const auto& [english, translated] : table.items()) {
            const auto found = loaded.find(english);
            ASSERT_NE(found, loaded.end()) << info.code << ": " << english;
            EXPECT_EQ(found->second, translated.get<std::string>());
        }
    }
}

// Placeholders, names, keys, examples and the hint line's separators survive translation, as
// often as the English has them.
TEST(TranslationTablesTest, TranslationsKeepWhatIsNotTranslated) {
    const std::string_view kept[] = {
        "{0}",         "{1}",   "Norvik", "Kastrel", "Windows", "Ctrl+Alt+F",
        "Ctrl+Enter",  "Enter", "ㅂㄱㅅ", "qhrhtj",  "보고서",  "*.hwp",
        "ext:pdf,hwp", "2026",  "  ·  ",  "     ",   "→",
    };
    for (const auto& [info, table] : stored_tables()) {
        for (const auto& [english, translated] : table.items()) {
            const std::string text = translated.get<std::string>();
            for (std::string_view part : kept) {
                EXPECT_EQ(occurrences(text, part), occurrences(english, part))
                    << info.code << ": \"" << part << "\" in " << text;
            }
        }
    }
}

// Two keys sharing a translation is a copy-paste slip, except where the languages really use
// one word for both (the "Folders" tab and the "Folder" column).
TEST(TranslationTablesTest, NoTwoKeysShareATranslation) {
    const std::pair<std::string_view, std::string_view> may_share = {"Folders", "Folder"};
    for (const auto& [info, table] : stored_tables()) {
        std::map<std::string, std::string> key_of;
        for (const auto& [english, translated] : table.items()) {
            const auto [it, fresh] = key_of.emplace(translated.get<std::string>(), english);
            const bool allowed =
                std::pair<std::string_view, std::string_view>(it->second, english) == may_share;
            EXPECT_TRUE(fresh || allowed) << info.code << ": \"" << it->second << "\" and \""
                                          << english << "\" both read " << it->first;
        }
    }
}

TEST(TranslationTablesTest, DamagedTableKeepsOnlyItsTexts) {
    struct Case {
        std::string_view json;
        TranslationTable expected;
    };
    const Case cases[] = {
        {R"({"Open": "Ouvrir", "Quit": 5, "Name": null, "Size": ["x"]})", {{"Open", "Ouvrir"}}},
        {R"({"Open": "Ouvrir", )", {}},
        {R"(["Open", "Ouvrir"])", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parse_translation_table(c.json), c.expected) << c.json;
    }
}

TEST(TranslationTablesTest, EnglishAndKoreanHaveNoTable) {
    for (Language language : {Language::En, Language::Ko}) {
        EXPECT_TRUE(translation_json(language).empty());
        EXPECT_TRUE(translation_table(language).empty());
    }
}

}  // namespace
}  // namespace norvik
