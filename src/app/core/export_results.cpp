#include "app/core/export_results.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <shared_mutex>
#include <utility>

#include "app/text/text.h"
#include "kinds/kinds.h"
#include "platform/detached_thread.h"
#include "search/resolve_hit.h"
#include "search/search.h"
#include "store/index_file.h"

namespace norvik {

namespace {

// Rows resolved under one hold of the index read lock: the watcher's writes wait at most this
// long, and the lock is never held while the disk is written.
constexpr size_t EXPORT_BATCH_ROWS = 4096;
// How often the export thread tells the window how far it came.
constexpr auto EXPORT_NOTIFY_EVERY = std::chrono::milliseconds(250);

bool needs_quotes(std::string_view text) {
    return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

// Spreadsheet programs run a cell that begins with one of these as a formula (a tab or a
// carriage return can stand before one).
bool looks_like_formula(std::string_view text) {
    return !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
}

std::string kind_word(const Entry& entry) {
    if (entry.is_dir()) return choose_text("폴더", "Folder");
    switch (static_cast<Kind>(entry.kind)) {
        case Kind::Picture:
            return choose_text("사진", "Picture");
        case Kind::Video:
            return choose_text("동영상", "Video");
        case Kind::Music:
            return choose_text("음악", "Music");
        case Kind::Document:
            return choose_text("문서", "Document");
        case Kind::Archive:
            return choose_text("압축 파일", "Archive");
        case Kind::Program:
            return choose_text("프로그램", "Program");
        case Kind::Temporary:
            return choose_text("임시 파일", "Temporary file");
        case Kind::Other:
            break;
    }
    return choose_text("파일", "File");
}

ExportRow export_row(const VolumeTable& table, uint32_t index) {
    const Entry& entry = table.entries[index];
    ExportRow row;
    row.name = std::string(table.display_name(index));
    if (entry.parent != NO_PARENT) row.folder = table.full_path(entry.parent, false);
    row.kind = kind_word(entry);
    row.size = entry.size;
    row.mtime = entry.mtime;
    row.is_folder = entry.is_dir();
    return row;
}

// The text of hits[from, until) in format, read under the index read lock; rows that no longer
// resolve are left out. `rows` counts the rows written.
std::string batch_text(const ExportInput& input, size_t from, size_t until, ExportFormat format,
                       uint64_t& rows) {
    std::string text;
    std::shared_lock lock(input.index->lock);
    for (size_t i = from; i < until; ++i) {
        const Hit& hit = input.hits[i];
        const VolumeTable* table = resolve_hit(*input.index, input.table_ids, hit);
        if (!table || !table->is_live(hit.entry)) continue;
        if (format == ExportFormat::Csv) {
            text += csv_line(export_row(*table, hit.entry));
        } else {
            text += table->full_path(hit.entry, false);
            text += "\r\n";
        }
        ++rows;
    }
    return text;
}

}  // namespace

std::string csv_field(std::string_view text) {
    std::string field;
    if (looks_like_formula(text)) field += '\'';
    field += text;
    if (!needs_quotes(field)) return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string iso8601_utc(uint32_t seconds) {
    if (seconds == 0) return {};
    // Days since 1970 to a civil date (Howard Hinnant's days_from_civil, inverted).
    const int64_t days = seconds / 86400;
    const uint32_t in_day = seconds % 86400;
    const int64_t z = days + 719468;
    const int64_t era = z / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02u:%02u:%02uZ",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), in_day / 3600, in_day / 60 % 60, in_day % 60);
    return text;
}

std::string csv_header() {
    return csv_field(choose_text("이름", "Name")) + "," + csv_field(choose_text("폴더", "Folder")) +
           "," + csv_field(choose_text("크기(바이트)", "Size (bytes)")) + "," +
           csv_field(choose_text("수정한 날짜", "Date modified")) + "," +
           csv_field(choose_text("종류", "Kind")) + "\r\n";
}

std::string csv_line(const ExportRow& row) {
    return csv_field(row.name) + "," + csv_field(row.folder) + "," +
           (row.is_folder ? std::string() : std::to_string(row.size)) + "," +
           iso8601_utc(row.mtime) + "," + csv_field(row.kind) + "\r\n";
}

std::string suggested_export_name(std::string_view query, ExportFormat format) {
    std::string name;
    for (char c : query) {
        const bool refused = static_cast<unsigned char>(c) < 0x20 ||
                             std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
        name += refused ? '_' : c;
    }
    // Trailing dots and spaces are dropped by Windows; leading spaces only confuse.
    while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
        name.pop_back();
    while (!name.empty() && name.front() == ' ')
        name.erase(name.begin());
    if (name.size() > 60) {
        name.resize(60);
        // A character cut short by that goes whole.
        size_t lead = name.size();
        while (lead > 0 && (static_cast<unsigned char>(name[lead - 1]) & 0xC0) == 0x80)
            --lead;
        if (lead > 0) {
            const unsigned char first = static_cast<unsigned char>(name[lead - 1]);
            const size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
            if (lead - 1 + length > name.size()) name.resize(lead - 1);
        }
    }
    if (name.empty()) name = "Norvik";
    return name + (format == ExportFormat::Csv ? ".csv" : ".txt");
}

void run_export(ExportInput input, ExportJob& job, const std::function<void()>& notify) {
    {
        // Past the search's ordered front the rows are in no order yet; the window orders
        // them only as the list comes near, so the export orders its own copy.
        std::shared_lock lock(input.index->lock);
        order_rest(input.hits, input.ordered, static_cast<uint8_t>(input.sort_column),
                   input.descending, input.index->tables);
    }
    auto last_notice = std::chrono::steady_clock::now();
    const IoStatus status =
        write_file_replacing(job.path, TemporaryName::Unique, [&](ByteSink& sink) {
            std::string head(UTF8_BOM);
            if (job.format == ExportFormat::Csv) head += csv_header();
            if (!sink.write(head.data(), head.size())) return false;
            uint64_t rows = 0;
            for (size_t from = 0; from < input.hits.size(); from += EXPORT_BATCH_ROWS) {
                const size_t until = std::min(input.hits.size(), from + EXPORT_BATCH_ROWS);
                const std::string text = batch_text(input, from, until, job.format, rows);
                if (!sink.write(text.data(), text.size())) return false;
                job.written.store(rows);
                const auto now = std::chrono::steady_clock::now();
                if (now - last_notice >= EXPORT_NOTIFY_EVERY) {
                    last_notice = now;
                    notify();
                }
            }
            return true;
        });
    job.error = status.error();
    job.finished.store(true);
    notify();
}

void ask_export_file(App& app, Shell& shell) {
    if (app.export_job) {
        set_toast(app, shell, choose_text("아직 내보내는 중입니다", "An export is still running"));
        return;
    }
    if (app.results.empty()) {
        set_toast(app, shell,
                  choose_text("내보낼 결과가 없습니다", "There are no results to export"));
        return;
    }
    shell.defer(SaveDialogRequest{suggested_export_name(display_query(app), ExportFormat::Csv)});
}

void start_export(App& app, Shell& shell, const std::string& path, ExportFormat format) {
    if (app.export_job || app.results.empty()) return;
    auto job = std::make_shared<ExportJob>();
    job->path = path;
    job->format = format;
    job->total = app.results.size();
    ExportInput input{app.engine.index,    app.results,     app.table_ids,
                      app.results_ordered, app.sort_column, app.sort_descending};
    input.ordered = std::min(input.ordered, input.hits.size());
    std::function<void()> notify = shell.poster(WM_APP_EXPORT);
    // The thread holds the job, so a window that has let it go (quit) frees nothing it uses.
    if (!start_detached_thread([job, input = std::move(input), notify]() mutable {
            run_export(std::move(input), *job, notify);
        })) {
        set_toast(app, shell, choose_text("내보내지 못했습니다", "Could not export the results"));
        return;
    }
    app.export_job = std::move(job);
    shell.invalidate();
}

void on_export_progress(App& app, Shell& shell) {
    if (!app.export_job) return;
    shell.invalidate();
    if (!app.export_job->finished.load()) return;
    const std::shared_ptr<ExportJob> job = std::exchange(app.export_job, nullptr);
    if (job->error.empty()) {
        set_toast(
            app, shell,
            fill_placeholders(choose_text("결과 {0}개를 내보냈습니다", "Exported {0} results"),
                              {format_count(job->written.load())}));
    } else {
        set_toast(
            app, shell,
            choose_text("내보내지 못했습니다", "Could not export the results") + ": " + job->error);
    }
}

std::string export_status(const App& app) {
    if (!app.export_job) return {};
    return fill_placeholders(
        choose_text("내보내는 중… {0}/{1}", "Exporting… {0} of {1}"),
        {format_count(app.export_job->written.load()), format_count(app.export_job->total)});
}

}  // namespace norvik
