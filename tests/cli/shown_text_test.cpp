#include "cli/shown_text.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

TEST(ShownText, TerminalSeesNoControlCharacters) {
    struct Case {
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"보고서 report.txt", "보고서 report.txt"},
        {"red\x1B[31m", "red\\x1B[31m"},
        {std::string("nul\0x", 5), "nul\\x00x"},
        {"line\nbreak\ttab\rcr\x7F", "line\\x0Abreak\\x09tab\\x0Dcr\\x7F"},
        {"c1 \xC2\x9B"
         "31m",
         "c1 \\u009B31m"},  // CSI as one character
        {"bad\xFF\xFEname", "bad\\xFF\\xFEname"},
        {"real \xEF\xBF\xBD stays", "real \xEF\xBF\xBD stays"},
        {"back\\slash", "back\\slash"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(escape_for_terminal(c.text), c.shown);
}

TEST(ShownText, TsvFieldsKeepOneLineAndTheirColumns) {
    EXPECT_EQ(escape_tsv_field("a\tb\nc\rd\\e"), "a\\tb\\nc\\rd\\\\e");
    EXPECT_EQ(escape_tsv_field("plain 한글"), "plain 한글");
}

}  // namespace
}  // namespace norvik
