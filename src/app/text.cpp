#include "app/text.h"

#include <mutex>
#include <utility>

namespace norvik {

namespace {

std::function<Language()>& chooser() {
    static std::function<Language()> installed;
    return installed;
}

}  // namespace

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

std::string choose_text(std::string_view korean, std::string_view english) {
    return std::string(current_language() == Language::Ko ? korean : english);
}

std::string fill_placeholders(std::string_view text,
                              std::initializer_list<std::string_view> values) {
    std::string out(text);
    size_t index = 0;
    for (std::string_view value : values) {
        const std::string placeholder = "{" + std::to_string(index++) + "}";
        for (size_t at = out.find(placeholder); at != std::string::npos;
             at = out.find(placeholder, at + value.size())) {
            out.replace(at, placeholder.size(), value);
        }
    }
    return out;
}

}  // namespace norvik
