#include "app/text/text.h"

#include <charconv>
#include <mutex>
#include <utility>

#include "app/text/translations.h"
#include "vendor.h"

namespace norvik {

namespace {

std::function<Language()>& chooser() {
    static std::function<Language()> installed;
    return installed;
}

// Windows' primary language identifiers (the low 10 bits of a LANGID).
constexpr uint16_t LANG_CHINESE = 0x04;
constexpr uint16_t LANG_GERMAN = 0x07;
constexpr uint16_t LANG_SPANISH = 0x0A;
constexpr uint16_t LANG_FRENCH = 0x0C;
constexpr uint16_t LANG_JAPANESE = 0x11;
constexpr uint16_t LANG_KOREAN = 0x12;
constexpr uint16_t LANG_PORTUGUESE = 0x16;
constexpr uint16_t LANG_RUSSIAN = 0x19;

// Chinese (PRC) and Chinese (Singapore) write simplified characters; Taiwan, Hong Kong and
// Macao traditional.
constexpr uint16_t LANGID_CHINESE_PRC = 0x0804;
constexpr uint16_t LANGID_CHINESE_SINGAPORE = 0x1004;

}  // namespace

std::string_view language_code(Language language) {
    return LANGUAGES[static_cast<size_t>(language)].code;
}

Language choose_language(std::string_view setting, uint16_t ui_langid) {
    for (const LanguageInfo& info : LANGUAGES) {
        if (setting == info.code) return info.language;
    }
    switch (ui_langid & 0x3FF) {
        case LANG_CHINESE:
            return ui_langid == LANGID_CHINESE_PRC || ui_langid == LANGID_CHINESE_SINGAPORE
                       ? Language::ZhHans
                       : Language::ZhHant;
        case LANG_GERMAN:
            return Language::De;
        case LANG_SPANISH:
            return Language::Es;
        case LANG_FRENCH:
            return Language::Fr;
        case LANG_JAPANESE:
            return Language::Ja;
        case LANG_KOREAN:
            return Language::Ko;
        case LANG_PORTUGUESE:
            return Language::Pt;
        case LANG_RUSSIAN:
            return Language::Ru;
        default:
            return Language::En;
    }
}

void install_language_chooser(std::function<Language()> choose) {
    chooser() = std::move(choose);
}

Language current_language() {
    static std::once_flag once;
    static Language language = Language::En;
    std::call_once(once, [] {
        if (chooser()) language = chooser()();
    });
    return language;
}

std::string text_for(Language language, std::string_view korean, std::string_view english) {
    if (language == Language::Ko) return std::string(korean);
    if (language == Language::En) return std::string(english);
    const TranslationTable& table = translation_table(language);
    const auto found = table.find(english);
    return found != table.end() ? found->second : std::string(english);
}

std::string choose_text(std::string_view korean, std::string_view english) {
    return text_for(current_language(), korean, english);
}

std::string vendor_page_for(Language language) {
    const std::string korean_page = std::string(vendor::MAIN_URL) + "ko/";
    return text_for(language, korean_page, vendor::MAIN_URL);
}

std::string vendor_page_url() {
    return vendor_page_for(current_language());
}

std::string fill_placeholders(std::string_view text,
                              std::initializer_list<std::string_view> values) {
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    for (size_t open = text.find('{'); open != std::string_view::npos; open = text.find('{', at)) {
        out.append(text, at, open - at);
        at = open + 1;
        const size_t close = text.find('}', at);
        if (close == std::string_view::npos) {
            at = open;
            break;
        }
        // Exactly "{" index "}", the index written as std::to_string writes it.
        const std::string_view digits = text.substr(at, close - at);
        size_t index = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), index);
        const bool canonical = digits.size() == 1 || (!digits.empty() && digits[0] != '0');
        if (error == std::errc() && end == digits.data() + digits.size() && canonical &&
            index < values.size()) {
            out += values.begin()[index];
            at = close + 1;
        } else {
            out += '{';
        }
    }
    out.append(text, at);
    return out;
}

}  // namespace norvik
