// How norvik-cli prints entries: full paths as found on disk, kinds, times, and the three
// output formats of a hit list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/cli_options.h"
#include "index/volume_table.h"

namespace norvik {

// The entry's path with its names as found on disk: the table's root, then the names below it
// joined by the root's own separator ('/' for a root such as "/home/me/", '\' for "C:\").
std::string printable_path(const VolumeTable& table, uint32_t index);

// "folder" for a folder, else the file kind in lower case ("document", "picture", ...).
std::string_view kind_name(const Entry& entry);

// Seconds since 1970 as ISO 8601 in UTC: "2024-03-01T12:00:05Z".
std::string iso8601_utc(uint32_t seconds);

struct HitRow {
    std::string path;
    std::string_view kind;
    std::optional<uint64_t> size;   // none for folders
    std::optional<uint32_t> mtime;  // none when the entry has no time (0), as the root
    bool at_start = false;
};

HitRow make_row(const VolumeTable& table, uint32_t index, bool at_start);

struct OutputStyle {
    OutputFormat format = OutputFormat::Paths;
    bool null_separated = false;  // paths: a NUL after each path instead of a newline
    bool terminal = false;        // written to a terminal: control characters shown escaped
};

// Appends one row; `first` lets JSON open its array.
// paths: the path and a newline (a NUL with null_separated). tsv: path (its tabs, newlines,
// carriage returns and backslashes escaped), kind, size (empty for folders), time (empty when
// none), at-start (1/0), separated by tabs. json: an array of objects with the keys path, kind,
// size (null for folders), modified (null when none) and at_start. On a terminal, paths and tsv
// show control characters escaped (JSON escapes them itself).
void append_row(std::string& out, const HitRow& row, const OutputStyle& style, bool first);
// What closes the output after the last row (or when there was none).
void append_end(std::string& out, const OutputStyle& style, bool any_rows);

}  // namespace norvik
