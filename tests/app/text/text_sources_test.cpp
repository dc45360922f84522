// Checks on the source tree itself: the texts the program's code chooses, and the stored tables
// before the build configured them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/text/text.h"
#include "app/text/translation_keys.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// One C++ string literal (with adjacent ones joined) at `at`, after any white space; `at` moves
// past it. Nothing when something else stands there (a variable, a raw or prefixed literal).
std::optional<std::string> string_literal(std::string_view code, size_t& at) {
    std::optional<std::string> text;
    for (;;) {
        while (at < code.size() && std::isspace(static_cast<unsigned char>(code[at])))
            ++at;
        if (at >= code.size() || code[at] != '"') return text;
        if (!text) text.emplace();
        for (++at; at < code.size() && code[at] != '"'; ++at) {
            if (code[at] == '\\' && at + 1 < code.size()) ++at;  // \" and \\ stand for one char
            *text += code[at];
        }
        ++at;
    }
}

struct ChosenText {
    std::string korean, english;
};

// The pairs passed as literals to choose_text in code.
std::vector<ChosenText> chosen_texts(std::string_view code) {
    std::vector<ChosenText> found;
    constexpr std::string_view call = "choose_text(";
    for (size_t at = code.find(call); at != std::string_view::npos; at = code.find(call, at)) {
        at += call.size();
        std::optional<std::string> korean = string_literal(code, at);
        if (!korean || at >= code.size() || code[at] != ',') continue;
        ++at;
        std::optional<std::string> english = string_literal(code, at);
        if (english) found.push_back({*korean, *english});
    }
    return found;
}

TEST(ChosenTextsTest, ReadsLiteralPairsAndSkipsTheRest) {
    const std::string_view code = R"(
        set_toast(app, shell, choose_text("이름을 복사했습니다", "Name copied"));
        const std::string hint = choose_text(
            "Ctrl+Alt+F 로 언제든 열기  ·  "
            "Enter 열기",
            "Ctrl+Alt+F opens \"Norvik\"  ·  "
            "Enter open");
        std::string choose_text(std::string_view korean, std::string_view english);
        choose_text(korean_page, vendor::MAIN_URL);
    )";
    const std::vector<ChosenText> found = chosen_texts(code);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].korean, "이름을 복사했습니다");
    EXPECT_EQ(found[0].english, "Name copied");
    EXPECT_EQ(found[1].korean, "Ctrl+Alt+F 로 언제든 열기  ·  Enter 열기");
    EXPECT_EQ(found[1].english, "Ctrl+Alt+F opens \"Norvik\"  ·  Enter open");
}

// A text the code chooses that is not a key would show in English in all eight table languages.
TEST(ChosenTextsTest, EveryTextTheProgramChoosesIsTranslated) {
    size_t checked = 0;
    for (const auto& entry :
         fs::recursive_directory_iterator(fs::path(NORVIK_SOURCE_DIR) / "src")) {
        const fs::path& path = entry.path();
        if (path.extension() != ".cpp" && path.extension() != ".h") continue;
        for (const ChosenText& text : chosen_texts(read_file(path))) {
            ++checked;
            EXPECT_NE(std::find(TRANSLATION_KEYS.begin(), TRANSLATION_KEYS.end(), text.english),
                      TRANSLATION_KEYS.end())
                << path.filename() << ": \"" << text.english
                << "\" is not in TRANSLATION_KEYS, so no table translates it";
        }
    }
    if (checked == 0) GTEST_SKIP() << "no literal choose_text call in src yet";
}

// Every Korean text the program chooses, from the sources under src.
std::vector<std::string> korean_texts_in_sources() {
    std::vector<std::string> texts;
    for (const auto& entry :
         fs::recursive_directory_iterator(fs::path(NORVIK_SOURCE_DIR) / "src")) {
        const fs::path& path = entry.path();
        if (path.extension() != ".cpp" && path.extension() != ".h") continue;
        for (ChosenText& text : chosen_texts(read_file(path)))
            texts.push_back(std::move(text.korean));
    }
    return texts;
}

bool ends_word(std::string_view text, size_t at) {
    return at == text.size() || std::isspace(static_cast<unsigned char>(text[at])) ||
           std::ispunct(static_cast<unsigned char>(text[at]));
}

// A particle after a Latin word or a number is written against it ("Ctrl+Alt+F로", "PC의"), and
// after a name it takes the form the name's last sound asks for: Norvik and Kastrel end in a
// consonant ("Norvik을", never "Norvik를").
TEST(ChosenTextsTest, KoreanParticlesJoinTheWordBeforeInTheFormItsSoundAsks) {
    static const std::string_view PARTICLES[] = {"을", "를",   "이", "가",   "은", "는", "의",
                                                 "로", "으로", "에", "에서", "와", "과", "도"};
    struct Name {
        std::string_view word;
        std::vector<std::string_view> wrong;  // forms for a word ending in a vowel
    };
    const Name names[] = {{"Norvik", {"를", "가", "는", "와", "로"}},
                          {"Kastrel", {"를", "가", "는", "와"}}};
    const std::vector<std::string> texts = korean_texts_in_sources();
    ASSERT_FALSE(texts.empty());
    for (const std::string& text : texts) {
        for (std::string_view particle : PARTICLES) {
            const std::string spaced = " " + std::string(particle);
            for (size_t at = text.find(spaced); at != std::string::npos;
                 at = text.find(spaced, at + 1)) {
                const unsigned char before = at > 0 ? text[at - 1] : ' ';
                const bool after_latin = std::isalnum(before) || before == '}' || before == ')';
                EXPECT_FALSE(after_latin && ends_word(text, at + spaced.size()))
                    << "a space before \"" << particle << "\" in \"" << text << "\"";
            }
        }
        for (const Name& name : names) {
            for (std::string_view particle : name.wrong) {
                const std::string joined = std::string(name.word) + std::string(particle);
                const size_t at = text.find(joined);
                EXPECT_FALSE(at != std::string::npos && ends_word(text, at + joined.size()))
                    << "\"" << joined << "\" in \"" << text << "\"";
            }
        }
    }
}

// The vendor's pages come from the build setting, so a packager's address reaches every table.
TEST(TranslationSourcesTest, TablesTakeTheVendorAddressFromTheBuild) {
    for (const LanguageInfo& info : LANGUAGES) {
        if (info.language == Language::En || info.language == Language::Ko) continue;
        std::string page(info.code);
        std::transform(page.begin(), page.end(), page.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const std::string stored =
            read_file(fs::path(NORVIK_SOURCE_DIR) / "src/app/text/translations" /
                      (std::string(info.code) + ".json"));
        EXPECT_NE(stored.find("\"@NORVIK_VENDOR_URL@\": \"@NORVIK_VENDOR_URL@" + page + "/\""),
                  std::string::npos)
            << info.code;
        EXPECT_EQ(stored.find("://"), std::string::npos) << info.code << " names an address";
    }
}

}  // namespace
}  // namespace norvik
