// The texts the user sees. Each is written in the code as a (Korean, English) pair; the language
// is chosen once per process, and eight languages besides Korean and English come from
// translation tables keyed by the English text (app/text/translation_keys.h lists the keys).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace norvik {

// In menu order.
enum class Language : uint8_t { En, Ko, Ja, ZhHans, ZhHant, Es, Fr, De, Pt, Ru };

struct LanguageInfo {
    Language language;
    uint32_t menu_id;              // the Language submenu's command
    std::string_view code;         // as the `Language` setting stores it
    std::string_view native_name;  // the submenu's label, the same in every UI language
};

// The ten languages in menu order.
inline constexpr std::array<LanguageInfo, 10> LANGUAGES = {{
    {Language::En, 101, "en", "English"},
    {Language::Ko, 102, "ko", "한국어"},
    {Language::Ja, 103, "ja", "日本語"},
    {Language::ZhHans, 104, "zh-Hans", "简体中文"},
    {Language::ZhHant, 105, "zh-Hant", "繁體中文"},
    {Language::Es, 106, "es", "Español"},
    {Language::Fr, 107, "fr", "Français"},
    {Language::De, 108, "de", "Deutsch"},
    {Language::Pt, 109, "pt", "Português"},
    {Language::Ru, 110, "ru", "Русский"},
}};

// The menu command that chooses "Follow Windows" (an empty `Language` setting).
inline constexpr uint32_t FOLLOW_WINDOWS_MENU_ID = 100;

// The code the `Language` setting stores for language ("en", "zh-Hans", ...).
std::string_view language_code(Language language);

// The language for a `Language` setting (empty when absent) and the Windows UI language
// (GetUserDefaultUILanguage): the setting when it is one of the ten codes exactly, letter case
// included; otherwise the UI language's primary language, English when there is no table for it.
Language choose_language(std::string_view setting, uint16_t ui_langid);

// Installs what decides the language the first time a text is chosen; the program's chooser reads
// the `Language` setting and GetUserDefaultUILanguage and calls choose_language. Without one the
// language is English. Must be called before any thread chooses a text; later calls are ignored
// once the language is decided.
void install_language_chooser(std::function<Language()> chooser);

// The process's language, decided once on first use (by any thread) and never changed.
Language current_language();

// The text to show for a (Korean, English) pair in language: Korean in ko, else the English
// text's translation from the language's table, else the English text.
std::string text_for(Language language, std::string_view korean, std::string_view english);

// text_for in the current language.
std::string choose_text(std::string_view korean, std::string_view english);

// The vendor's web page for language ("More apps from Kastrel"): the Korean page for ko, the
// main page for en, each table language its own page.
std::string vendor_page_for(Language language);

// vendor_page_for in the current language.
std::string vendor_page_url();

// text with each "{i}" replaced by values[i], in one pass: a value is inserted as it is, never
// searched for placeholders itself. A placeholder without a value stays as written.
std::string fill_placeholders(std::string_view text,
                              std::initializer_list<std::string_view> values);

}  // namespace norvik
