// The texts the user sees. Each is written in the code as a (Korean, English) pair; the language
// is chosen once per process, and eight languages besides Korean and English come from
// translation tables keyed by the English text.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace norvik {

enum class Language : uint8_t { En, Ko, Ja, ZhHans, ZhHant, Es, Fr, De, Pt, Ru };

// Installs what decides the language the first time a text is chosen (the program reads the
// `Language` setting and the Windows UI language). Without one the language is English. Must be
// called before any thread chooses a text.
void install_language_chooser(std::function<Language()> chooser);

// The process's language, decided once on first use (by any thread) and never changed.
Language current_language();

// The text to show for a (Korean, English) pair in the current language.
std::string choose_text(std::string_view korean, std::string_view english);

// template with every "{i}" replaced by values[i].
std::string fill_placeholders(std::string_view text,
                              std::initializer_list<std::string_view> values);

}  // namespace norvik
