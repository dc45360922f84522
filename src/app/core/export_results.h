// "Export results…": every row of the shown results written to a file the user chose, as CSV
// (for a spreadsheet) or as a plain list of paths. The file is written on a thread of its own,
// through a temporary file renamed into place, so the window keeps taking keys and a failed
// export leaves no half file; the status line shows how far it has come.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/app.h"
#include "app/core/shell.h"

namespace norvik {

// One result as exported. size is empty for a folder; mtime 0 is an unknown date.
struct ExportRow {
    std::string name;
    std::string folder;
    std::string kind;
    uint64_t size = 0;
    uint32_t mtime = 0;
    bool is_folder = false;
};

// One CSV field: quoted (quotes doubled) when it holds a comma, a quote or a line break; a text
// that a spreadsheet would run as a formula (it begins with = + - @, a tab or a carriage return)
// gets a leading apostrophe first.
std::string csv_field(std::string_view text);

// Seconds since 1970 UTC as ISO 8601 in UTC ("2024-03-05T14:07:09Z"); empty for 0.
std::string iso8601_utc(uint32_t seconds);

// The header line and one row's line of the CSV, each ending in CRLF.
std::string csv_header();
std::string csv_line(const ExportRow& row);

// What the first bytes of an exported file are: the UTF-8 byte order mark, so that a
// spreadsheet program reads Korean names as UTF-8 and not in the system's code page.
inline constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

// The file name the save dialog suggests: the query with the characters Windows refuses in a
// name made '_', at most 60 characters, or "Norvik" for an empty query; then the extension.
std::string suggested_export_name(std::string_view query, ExportFormat format);

// An export under way, shared by the window and the export thread. The window reads `written`
// for the status line; the thread sets `error` (empty: it worked) before `finished`.
struct ExportJob {
    std::string path;
    ExportFormat format = ExportFormat::Csv;
    uint64_t total = 0;
    std::atomic<uint64_t> written{0};
    std::atomic<bool> finished{false};
    std::string error;  // read only after `finished`
};

// Writes the results (hits in display order from `ordered`, the rest ordered first by column
// and direction) to job.path. Runs on the export thread: reads the index under its read lock a
// batch of rows at a time, never across a write to the disk. Rows whose table was rebuilt or
// whose entry is gone since the search are left out. `notify` is called now and then as rows
// are written and once at the end, after `finished` is set.
struct ExportInput {
    Index* index = nullptr;
    std::vector<Hit> hits;
    std::vector<uint32_t> table_ids;
    size_t ordered = 0;
    SortColumn sort_column = SortColumn::Relevance;
    bool descending = false;
};
void run_export(ExportInput input, ExportJob& job, const std::function<void()>& notify);

// Ctrl+S and the settings menu's "Export results…": the save dialog, unless there is nothing to
// export or an export is still running (each said in a toast).
void ask_export_file(App& app, Shell& shell);

// The save dialog's answer: the export starts on its own thread with every row of the current
// results.
void start_export(App& app, Shell& shell, const std::string& path, ExportFormat format);

// WM_APP_EXPORT: the status line shows the progress; once the thread finished, a toast says how
// it went and the job is let go.
void on_export_progress(App& app, Shell& shell);

// The status line's part for an export under way ("Exporting… 1,024 of 5,000"); empty without.
std::string export_status(const App& app);

}  // namespace norvik
