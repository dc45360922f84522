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
