// norvik-cli's command line, parsed into options or a usage error without touching anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "query/order.h"

namespace norvik {

enum class CliCommand { Help, Index, Search, Stats };
enum class OutputFormat { Paths, Tsv, Json };

struct CliOptions {
    CliCommand command = CliCommand::Help;
    std::string index_file;  // --index / --output; empty: the program's own index_path()

    // index
    std::vector<std::string> roots;
    std::optional<unsigned> workers;
    bool verbose = false;               // name every folder that could not be read
    std::vector<std::string> excluded;  // --exclude: folders kept out, as given

    // search
    std::string query;   // the words joined by single spaces
    uint8_t filter = 0;  // filter tab 0-6
    SortColumn sort = SortColumn::Relevance;
    bool descending = false;
    bool composing = false;
    std::optional<size_t> limit;
    OutputFormat format = OutputFormat::Paths;
    bool null_separated = false;  // --null: paths end in NUL, not newline

    bool operator==(const CliOptions&) const = default;
};

struct UsageError {
    std::string message;  // one line, without the program name
    bool operator==(const UsageError&) const = default;
};

// --workers takes at most this many threads per folder.
inline constexpr unsigned MAX_WORKERS = 256;

// args are the arguments after the program name, in UTF-8. Options may come before, between or
// after the positional words; "--" ends the options, so later words may start with "-".
// Options take their value as the next argument or after "=" (--limit=5). --help (or -h) after
// any command asks for the help.
std::variant<CliOptions, UsageError> parse_command_line(const std::vector<std::string>& args);

// The usage text printed by --help and after a usage error.
std::string_view usage_text();

}  // namespace norvik
