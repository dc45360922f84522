#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvik {
namespace {

CliOptions search_for(std::string query) {
    CliOptions o;
    o.command = CliCommand::Search;
    o.query = std::move(query);
    return o;
}

TEST(ParseCommandLine, ValidCommands) {
    struct Case {
        std::vector<std::string> args;
        CliOptions expected;
    };
    std::vector<Case> cases;
    {
        CliOptions o;
        o.command = CliCommand::Index;
        o.roots = {"C:\\", "/home/me"};
        cases.push_back({{"index", "C:\\", "/home/me"}, o});
        o.index_file = "out.bin";
        o.workers = 3;
        cases.push_back({{"index", "--output", "out.bin", "--workers=3", "C:\\", "/home/me"}, o});
        cases.push_back({{"index", "C:\\", "--output=out.bin", "/home/me", "--workers", "3"}, o});
        o.verbose = true;
        cases.push_back(
            {{"index", "--verbose", "--output=out.bin", "--workers=3", "C:\\", "/home/me"}, o});
        o.excluded = {"C:\\Games", "build"};
        cases.push_back({{"index", "--verbose", "--output=out.bin", "--exclude", "C:\\Games",
                          "--workers=3", "C:\\", "/home/me", "--exclude=build"},
                         o});
    }
    {
        CliOptions o = search_for("x");
        o.null_separated = true;
        cases.push_back({{"search", "--null", "x"}, o});
    }
    cases.push_back({{"search", "보고서"}, search_for("보고서")});
    cases.push_back({{"search", "two", "words", "here"}, search_for("two words here")});
    cases.push_back({{"search", "--", "-starts", "with", "dash"}, search_for("-starts with dash")});
    cases.push_back({{"search", "a", "--", "--limit"}, search_for("a --limit")});
    cases.push_back({{"search", "-"}, search_for("-")});
    {
        CliOptions o = search_for("");  // the Pictures tab with an empty box
        o.filter = 3;
        cases.push_back({{"search", "--filter", "pictures"}, o});
    }
    {
        CliOptions o = search_for("*.jpg ext:png");
        o.index_file = "i.bin";
        o.filter = 3;
        o.sort = SortColumn::DateModified;
        o.descending = true;
        o.composing = true;
        o.limit = 20;
        o.format = OutputFormat::Json;
        cases.push_back(
            {{"search", "--index", "i.bin", "--filter", "pictures", "--sort=date", "--descending",
              "--composing", "--limit", "20", "--format", "json", "*.jpg", "ext:png"},
             o});
    }
    const std::pair<const char*, uint8_t> filters[] = {
        {"all", 0},   {"folders", 1}, {"documents", 2}, {"pictures", 3},
        {"music", 4}, {"videos", 5},  {"archives", 6}};
    for (auto [name, tab] : filters) {
        CliOptions o = search_for("x");
        o.filter = tab;
        cases.push_back({{"search", "--filter", name, "x"}, o});
    }
    const std::pair<const char*, SortColumn> sorts[] = {{"relevance", SortColumn::Relevance},
                                                        {"name", SortColumn::Name},
                                                        {"folder", SortColumn::Folder},
                                                        {"size", SortColumn::Size},
                                                        {"date", SortColumn::DateModified}};
    for (auto [name, column] : sorts) {
        CliOptions o = search_for("x");
        o.sort = column;
        cases.push_back({{"search", "--sort", name, "x"}, o});
    }
    {
        CliOptions o = search_for("x");
        o.format = OutputFormat::Tsv;
        o.limit = 0;
        cases.push_back({{"search", "--format=tsv", "--limit=0", "x"}, o});
    }
    {
        CliOptions o;
        o.command = CliCommand::Stats;
        cases.push_back({{"stats"}, o});
        o.index_file = "x.bin";
        cases.push_back({{"stats", "--index", "x.bin"}, o});
    }
    cases.push_back({{"--help"}, CliOptions{}});
    cases.push_back({{"help"}, CliOptions{}});

    for (const Case& c : cases) {
        std::variant<CliOptions, UsageError> parsed = parse_command_line(c.args);
        std::string line;
        for (const std::string& a : c.args)
            line += a + " ";
        ASSERT_TRUE(std::holds_alternative<CliOptions>(parsed))
            << line << "-> " << std::get<UsageError>(parsed).message;
        EXPECT_TRUE(std::get<CliOptions>(parsed) == c.expected) << line;
    }
}

TEST(ParseCommandLine, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        const char* message_part;
    };
    const Case cases[] = {
        {{}, "no command"},
        {{"find", "x"}, "unknown command"},
        {{"index"}, "at least one folder"},
        {{"index", "--output"}, "needs a value"},
        {{"index", "--workers", "0", "C:\\"}, "--workers"},
        {{"index", "--workers", "two", "C:\\"}, "--workers"},
        {{"index", "--workers", "-1", "C:\\"}, "--workers"},
        {{"index", "--workers", "4x", "C:\\"}, "--workers"},
        {{"index", "--index", "f", "C:\\"}, "unknown option \"--index\""},
        {{"index", "--output=", "C:\\"}, "--output"},
        {{"index", "C:\\", "--exclude"}, "needs a value"},
        {{"index", "--exclude=", "C:\\"}, "invalid value for --exclude"},
        {{"search", "--exclude", "C:\\", "x"}, "unknown option \"--exclude\""},
        {{"search"}, "needs a query"},
        {{"search", "--limit", "5"}, "needs a query"},
        {{"search", "--filter", "all"}, "needs a query"},
        {{"search", "--null", "--format", "tsv", "x"}, "--null goes with --format paths"},
        {{"search", "--null=1", "x"}, "takes no value"},
        {{"search", "--verbose", "x"}, "unknown option"},
        {{"index", "--workers", "257", "C:\\"}, "1 to 256"},
        {{"search", "-x"}, "unknown option \"-x\""},
        {{"search", "--dash-query"}, "unknown option"},
        {{"search", "--filter", "photos", "x"}, "\"photos\""},
        {{"search", "--sort", "Size", "x"}, "\"Size\""},
        {{"search", "--format", "xml", "x"}, "\"xml\""},
        {{"search", "--limit", "-3", "x"}, "--limit"},
        {{"search", "--descending=yes", "x"}, "takes no value"},
        {{"search", "--output", "f", "x"}, "unknown option"},
        {{"search", "x", "--format"}, "needs a value"},
        {{"stats", "extra"}, "takes no words"},
        {{"stats", "--limit", "3"}, "unknown option"},
        {{"help", "me"}, "no arguments"},
    };
    for (const Case& c : cases) {
        std::variant<CliOptions, UsageError> parsed = parse_command_line(c.args);
        std::string line;
        for (const std::string& a : c.args)
            line += a + " ";
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << line;
        EXPECT_NE(std::get<UsageError>(parsed).message.find(c.message_part), std::string::npos)
            << line << "-> " << std::get<UsageError>(parsed).message;
    }
}

}  // namespace
}  // namespace norvik
