#include "app/core/open_failure.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace norvik {
namespace {

TEST(OpenFailureTest, ExtensionOfTheLastName) {
    struct Case {
        const char* path;
        const char* extension;
    };
    const Case cases[] = {
        {"C:\\Notes\\readme.md", ".md"},
        {"C:\\Notes\\Report.Final.PDF", ".pdf"},  // the last dot; lower-cased
        {"C:\\v1.2\\Makefile", ""},               // a dot in a folder is no extension
        {"C:\\Notes\\report.", ""},
        {"C:\\Notes\\.gitignore", ".gitignore"},  // as the shell looks it up
        {"D:\\보고서.HWP", ".hwp"},
        {"notes.txt", ".txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(extension_of(c.path), c.extension) << c.path;
}

TEST(OpenFailureTest, EachErrorInWords) {
    struct Case {
        uint32_t error;
        const char* path;
        std::optional<std::string> text;
        ShellVerb verb = ShellVerb::Open;
    };
    const Case cases[] = {
        {SHELL_OK, "C:\\a.md", std::nullopt},
        {SHELL_CANCELLED, "C:\\a.md", std::nullopt},
        {SHELL_NO_ASSOCIATION, "C:\\Notes\\readme.md", "No app is set to open .md files"},
        {SHELL_NO_ASSOCIATION, "C:\\Notes\\Makefile", "No app is set to open this file"},
        {SHELL_ACCESS_DENIED, "C:\\a.md", "Could not open it: access denied"},
        {SHELL_FILE_NOT_FOUND, "C:\\a.md", "Not found. It was deleted or moved."},
        {SHELL_PATH_NOT_FOUND, "C:\\a.md", "Not found. It was deleted or moved."},
        {SHELL_BAD_EXE_FORMAT, "C:\\Notes\\readme.md", "No app is set to open .md files"},
        {SHELL_BAD_EXE_FORMAT, "C:\\Tools\\old.EXE", "Could not open it (error 193)"},
        {87, "C:\\a.md", "Could not open it (error 87)"},
        // The chooser and the properties dialog need no program: no "no app" words for them,
        // and each names itself.
        {SHELL_BAD_EXE_FORMAT, "C:\\Notes\\readme.md",
         "Could not open the list of programs (error 193)", ShellVerb::OpenWith},
        {SHELL_ACCESS_DENIED, "C:\\a.md", "Could not open the list of programs: access denied",
         ShellVerb::OpenWith},
        {87, "C:\\a.md", "Could not show the properties (error 87)", ShellVerb::Properties},
        {SHELL_NO_ASSOCIATION, "C:\\a.md", "Could not show the properties (error 1155)",
         ShellVerb::Properties},
        {SHELL_ACCESS_DENIED, "C:\\a.md", "Could not show the properties: access denied",
         ShellVerb::Properties},
        {SHELL_FILE_NOT_FOUND, "C:\\a.md", "Not found. It was deleted or moved.",
         ShellVerb::Properties},
    };
    for (const Case& c : cases)
        EXPECT_EQ(open_failure_text(c.error, c.path, c.verb), c.text) << c.error;
}

}  // namespace
}  // namespace norvik
