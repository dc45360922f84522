#include "cli/cli_options.h"

#include <charconv>
#include <utility>

namespace norvik {

namespace {

constexpr std::string_view USAGE =
    "usage: norvik-cli index [--output FILE] [--workers N] [--verbose] [--exclude FOLDER]...\n"
    "                        FOLDER...\n"
    "       norvik-cli search [--index FILE] [--filter all|folders|documents|pictures|music|"
    "videos|archives]\n"
    "                         [--sort relevance|name|folder|size|date] [--descending] "
    "[--composing]\n"
    "                         [--limit N] [--format paths|tsv|json] [--null] [--] [QUERY...]\n"
    "       norvik-cli stats [--index FILE]\n"
    "       norvik-cli watch [--index FILE] [--exclude FOLDER]... FOLDER...   (Windows build)\n"
    "--exclude FOLDER (repeatable): keep that folder and all it holds out of the index.\n"
    "--workers N: scan threads per folder, 1 to 256. --verbose: name each folder that could\n"
    "not be read. QUERY may be left out with a --filter other than all. --null: end each path\n"
    "with a NUL instead of a newline, as find -print0 (paths format only). tsv escapes tab,\n"
    "newline, carriage return and backslash in paths as \\t \\n \\r \\\\.\n"
    "QUERY: words a name must all hold: report, ㅂㄱㅅ (Korean initials), qhrhtj (Korean typed\n"
    "in English mode), *.hwp (wildcards), ext:pdf,hwp (extensions), documents\\report (in a\n"
    "folder of that name), \"2026 report\" (one word, spaces included), 보고서|report (either),\n"
    "!ext:tmp (leave out what a word finds), folder: and file: (only folders, only files),\n"
    "size:>10mb (also =, <, <=, >=, N..M; units b kb mb gb tb, by 1,024), dm:2026-03 (date\n"
    "modified in local time (TZ): YYYY, YYYY-MM or YYYY-MM-DD, compared as whole periods, or\n"
    "today yesterday thisweek lastweek thismonth lastmonth thisyear lastyear). Korean names:\n"
    "크기: 날짜: 폴더: 파일:, 오늘 어제 이번주 지난주 이번달 지난달 올해 작년. Quote for the\n"
    "shell: norvik-cli search 'size:>10mb' '\"2026 report\"'. A word that cannot be read\n"
    "(size:big) finds nothing and is told on standard error with status 2.\n"
    "Exit status: 0 done (also with no hits), 2 usage error or unreadable query, 3 index file\n"
    "missing or damaged, 1 any other failure.\n";

template <class T>
std::optional<T> pick(std::string_view value,
                      std::initializer_list<std::pair<std::string_view, T>> choices) {
    for (const auto& [name, result] : choices) {
        if (name == value) return result;
    }
    return std::nullopt;
}

template <class T>
std::optional<T> parse_number(std::string_view text, T smallest) {
    T value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < smallest)
        return std::nullopt;
    return value;
}

struct Parser {
    explicit Parser(const std::vector<std::string>& a) : args(a) {}

    const std::vector<std::string>& args;
    size_t next = 1;  // args[0] is the command
    CliOptions options;
    std::vector<std::string> words;

    // The value of an option: after '=', or the next argument.
    std::optional<std::string> value_of(std::string_view name,
                                        std::optional<std::string> inline_value,
                                        UsageError& error) {
        if (inline_value) return inline_value;
        if (next >= args.size()) {
            error.message = "option " + std::string(name) + " needs a value";
            return std::nullopt;
        }
        return args[next++];
    }
};

bool takes_option(CliCommand command, std::string_view name) {
    switch (command) {
        case CliCommand::Index:
            return name == "--output" || name == "--workers" || name == "--verbose" ||
                   name == "--exclude";
        case CliCommand::Search:
            return name == "--index" || name == "--filter" || name == "--sort" ||
                   name == "--descending" || name == "--composing" || name == "--limit" ||
                   name == "--format" || name == "--null";
        case CliCommand::Stats:
            return name == "--index";
        case CliCommand::Help:
            return false;
    }
    return false;
}

// Applies one option; false with error set when it is not valid.
bool apply_option(Parser& p, std::string_view name, std::optional<std::string> inline_value,
                  UsageError& error) {
    CliOptions& o = p.options;
    auto bad = [&](const std::string& value) {
        error.message = "invalid value for " + std::string(name) + ": \"" + value + "\"";
        return false;
    };
    for (auto [flag, field] : {std::pair{"--descending", &o.descending},
                               {"--composing", &o.composing},
                               {"--verbose", &o.verbose},
                               {"--null", &o.null_separated}}) {
        if (name != flag) continue;
        if (inline_value) {
            error.message = "option " + std::string(name) + " takes no value";
            return false;
        }
        *field = true;
        return true;
    }
    std::optional<std::string> value = p.value_of(name, std::move(inline_value), error);
    if (!value) return false;
    if (name == "--output" || name == "--index") {
        if (value->empty()) return bad(*value);
        o.index_file = *value;
    } else if (name == "--exclude") {
        if (value->empty()) return bad(*value);
        o.excluded.push_back(std::move(*value));
    } else if (name == "--workers") {
        std::optional<unsigned> n = parse_number<unsigned>(*value, 1);
        if (!n || *n > MAX_WORKERS) {
            error.message = "invalid value for --workers: \"" + *value + "\" (1 to " +
                            std::to_string(MAX_WORKERS) + ")";
            return false;
        }
        o.workers = n;
    } else if (name == "--limit") {
        std::optional<size_t> n = parse_number<size_t>(*value, 0);
        if (!n) return bad(*value);
        o.limit = n;
    } else if (name == "--filter") {
        std::optional<uint8_t> tab = pick<uint8_t>(*value, {{"all", 0},
                                                            {"folders", 1},
                                                            {"documents", 2},
                                                            {"pictures", 3},
                                                            {"music", 4},
                                                            {"videos", 5},
                                                            {"archives", 6}});
        if (!tab) return bad(*value);
        o.filter = *tab;
    } else if (name == "--sort") {
        std::optional<SortColumn> column =
            pick<SortColumn>(*value, {{"relevance", SortColumn::Relevance},
                                      {"name", SortColumn::Name},
                                      {"folder", SortColumn::Folder},
                                      {"size", SortColumn::Size},
                                      {"date", SortColumn::DateModified}});
        if (!column) return bad(*value);
        o.sort = *column;
    } else if (name == "--format") {
        std::optional<OutputFormat> format =
            pick<OutputFormat>(*value, {{"paths", OutputFormat::Paths},
                                        {"tsv", OutputFormat::Tsv},
                                        {"json", OutputFormat::Json}});
        if (!format) return bad(*value);
        o.format = *format;
    }
    return true;
}

}  // namespace

std::string_view usage_text() {
    return USAGE;
}

std::variant<CliOptions, UsageError> parse_command_line(const std::vector<std::string>& args) {
    if (args.empty()) return UsageError{"no command given"};
    std::optional<CliCommand> command = pick<CliCommand>(args[0], {{"index", CliCommand::Index},
                                                                   {"search", CliCommand::Search},
                                                                   {"stats", CliCommand::Stats},
                                                                   {"help", CliCommand::Help},
                                                                   {"--help", CliCommand::Help},
                                                                   {"-h", CliCommand::Help}});
    if (!command) return UsageError{"unknown command \"" + args[0] + "\""};
    Parser p(args);
    p.options.command = *command;
    if (*command == CliCommand::Help) {
        if (args.size() > 1) return UsageError{"help takes no arguments"};
        return p.options;
    }

    bool options_ended = false;
    while (p.next < args.size()) {
        const std::string& arg = args[p.next++];
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            p.words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_ended = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") return CliOptions{};
        size_t equals = arg.find('=');
        std::string_view name = std::string_view(arg).substr(0, equals);
        std::optional<std::string> inline_value;
        if (equals != std::string::npos) inline_value = arg.substr(equals + 1);
        if (!takes_option(*command, name)) {
            return UsageError{"unknown option \"" + std::string(name) + "\" for " + args[0]};
        }
        UsageError error;
        if (!apply_option(p, name, std::move(inline_value), error)) return error;
    }

    CliOptions& o = p.options;
    switch (*command) {
        case CliCommand::Index:
            if (p.words.empty()) return UsageError{"index needs at least one folder to scan"};
            o.roots = std::move(p.words);
            break;
        case CliCommand::Search:
            if (o.null_separated && o.format != OutputFormat::Paths)
                return UsageError{"--null goes with --format paths only"};
            // A tab with an empty box lists what it admits (every picture, every folder); the
            // All tab with an empty box lists nothing, so it needs words.
            if (p.words.empty() && o.filter == 0)
                return UsageError{"search needs a query, or a --filter other than all"};
            for (const std::string& word : p.words) {
                if (!o.query.empty()) o.query.push_back(' ');
                o.query += word;
            }
            break;
        case CliCommand::Stats:
            if (!p.words.empty()) return UsageError{"stats takes no words: \"" + p.words[0] + "\""};
            break;
        case CliCommand::Help:
            break;
    }
    return o;
}

}  // namespace norvik
