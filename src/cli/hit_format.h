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
    std::optional<uint64_t> size;  // none for folders
    uint32_t mtime = 0;
    bool at_start = false;
};

HitRow make_row(const VolumeTable& table, uint32_t index, bool at_start);

// Appends one row in the format; `first` and `last` let JSON open and close its array.
// paths: the path and a newline. tsv: path, kind, size (empty for folders), time, at-start (1/0)
// separated by tabs. json: an array of objects with the keys path, kind, size (null for
// folders), modified and at_start.
void append_row(std::string& out, const HitRow& row, OutputFormat format, bool first);
// What closes the output after the last row (or when there was none).
void append_end(std::string& out, OutputFormat format, bool any_rows);

}  // namespace norvik
