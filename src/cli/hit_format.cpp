#include "cli/hit_format.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "cli/shown_text.h"
#include "kinds/kinds.h"

namespace norvik {

std::string printable_path(const VolumeTable& table, uint32_t index) {
    std::string path = table.root;
    if (index == 0 || index >= table.size()) return path;
    // A root that starts with '/' is a Linux folder, whatever its names hold: a backslash is an
    // ordinary character there ("/tmp/bs\\root/").
    char separator = table.root.starts_with('/') ? '/' : '\\';
    if (!path.empty() && path.back() != separator) path.push_back(separator);
    path += table.relative_path(index, false, separator);
    return path;
}

std::string_view kind_name(const Entry& entry) {
    if (entry.is_dir()) return "folder";
    switch (static_cast<Kind>(entry.kind)) {
        case Kind::Picture:
            return "picture";
        case Kind::Video:
            return "video";
        case Kind::Music:
            return "music";
        case Kind::Document:
            return "document";
        case Kind::Archive:
            return "archive";
        case Kind::Program:
            return "program";
        case Kind::Temporary:
            return "temporary";
        case Kind::Other:
            break;
    }
    return "other";
}

std::string iso8601_utc(uint32_t seconds) {
    // Days to a civil date (proleptic Gregorian), after Howard Hinnant's days_from_civil inverse.
    int64_t days = seconds / 86400;
    uint32_t rest = seconds % 86400;
    days += 719468;
    int64_t era = days / 146097;
    int64_t day_of_era = days - era * 146097;
    int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    int64_t year = year_of_era + era * 400;
    int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    int64_t month_index = (5 * day_of_year + 2) / 153;
    int64_t day = day_of_year - (153 * month_index + 2) / 5 + 1;
    int64_t month = month_index < 10 ? month_index + 3 : month_index - 9;
    if (month <= 2) ++year;
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02u:%02u:%02uZ",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), rest / 3600, rest / 60 % 60, rest % 60);
    return text;
}

HitRow make_row(const VolumeTable& table, uint32_t index, bool at_start) {
    const Entry& e = table.entries[index];
    HitRow row;
    row.path = printable_path(table, index);
    row.kind = kind_name(e);
    if (!e.is_dir()) row.size = e.size;
    if (e.mtime != 0) row.mtime = e.mtime;
    row.at_start = at_start;
    return row;
}

void append_row(std::string& out, const HitRow& row, const OutputStyle& style, bool first) {
    switch (style.format) {
        case OutputFormat::Paths:
            // NUL cannot be in a name, so a script reading --null output gets every path whole.
            if (style.null_separated) {
                out += row.path;
                out.push_back('\0');
            } else {
                out += style.terminal ? escape_for_terminal(row.path) : row.path;
                out.push_back('\n');
            }
            break;
        case OutputFormat::Tsv: {
            std::string path = escape_tsv_field(row.path);
            out += style.terminal ? escape_for_terminal(path) : path;
            out.push_back('\t');
            out += row.kind;
            out.push_back('\t');
            if (row.size) out += std::to_string(*row.size);
            out.push_back('\t');
            if (row.mtime) out += iso8601_utc(*row.mtime);
            out.push_back('\t');
            out.push_back(row.at_start ? '1' : '0');
            out.push_back('\n');
            break;
        }
        case OutputFormat::Json: {
            nlohmann::ordered_json object;
            object["path"] = row.path;
            object["kind"] = row.kind;
            object["size"] = row.size ? nlohmann::ordered_json(*row.size) : nullptr;
            object["modified"] = row.mtime ? nlohmann::ordered_json(iso8601_utc(*row.mtime))
                                           : nlohmann::ordered_json(nullptr);
            object["at_start"] = row.at_start;
            out += first ? "[\n  " : ",\n  ";
            // Names are valid UTF-8 by construction; replacing keeps a surprise from throwing.
            out += object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
            break;
        }
    }
}

void append_end(std::string& out, const OutputStyle& style, bool any_rows) {
    if (style.format == OutputFormat::Json) out += any_rows ? "\n]\n" : "[]\n";
}

}  // namespace norvik
