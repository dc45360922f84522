#include "cli/cli.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <system_error>
#include <thread>

#include "app/text/query_message.h"
#include "cli/hit_format.h"
#include "cli/shown_text.h"
#include "cli/watch_command.h"
#include "index/index.h"
#include "index/scan.h"
#include "kinds/kinds.h"
#include "search/resolve_hit.h"
#include "search/search.h"
#include "store/file_io.h"
#include "store/index_file.h"

namespace norvik {

namespace {

constexpr std::string_view PROGRAM = "norvik-cli: ";

std::string index_file_of(const CliOptions& options) {
    return options.index_file.empty() ? index_path() : options.index_file;
}

// "1 item", "2,000 items".
std::string counted(uint64_t count, std::string_view one, std::string_view many) {
    return format_count(count) + " " + std::string(count == 1 ? one : many);
}

// Loads the index file, or says why not and returns nothing.
std::optional<std::vector<VolumeTable>> load_or_explain(const std::string& file, Console& console) {
    std::string shown = escape_for_terminal(file);
    if (path_kind(file) == PathKind::Folder) {
        console.err(std::string(PROGRAM) + shown + " is a folder, not an index file\n");
        return std::nullopt;
    }
    LoadResult loaded = load_index_file(file);
    switch (loaded.status) {
        case LoadStatus::Loaded:
            return std::move(loaded.tables);
        case LoadStatus::Missing:
            console.err(std::string(PROGRAM) + "no index file at " + shown +
                        "; run \"norvik-cli index\" to make one\n");
            break;
        case LoadStatus::Damaged:
            console.err(std::string(PROGRAM) + "the index file " + shown +
                        " is damaged; run \"norvik-cli index\" to rebuild it\n");
            break;
    }
    return std::nullopt;
}

std::string milliseconds(std::chrono::nanoseconds elapsed) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(elapsed.count()) / 1e6);
    return text;
}

// After the results: EXIT_OK when all of them reached standard output, else a message and
// EXIT_FAILED (a script must not take a full disk or a closed output for an empty answer).
int finish_output(Console& console) {
    console.flush();
    std::string error = console.out_error();
    if (error.empty()) return EXIT_OK;
    console.err(std::string(PROGRAM) + "cannot write the results: " + error + "\n");
    return EXIT_FAILED;
}

// The tables of the roots, scanned together; nothing when the scan threads cannot be started.
std::optional<std::vector<VolumeTable>> scan_roots(const std::vector<std::string>& roots,
                                                   const std::vector<std::string>& excluded,
                                                   const CliOptions& options,
                                                   std::vector<ScanReport>& reports,
                                                   Console& console) {
    ScanOptions scan;
    scan.workers = options.workers.value_or(worker_count(roots.size()));
    std::atomic<uint64_t> items{0};
    std::atomic<bool> stop{false};
    scan.items_read = &items;
    scan.exit_requested = &stop;

    std::vector<std::optional<VolumeTable>> tables(roots.size());
    reports.assign(roots.size(), ScanReport{});
    std::vector<std::thread> threads;
    std::atomic<size_t> finished{0};
    try {
        for (size_t i = 0; i < roots.size(); ++i) {
            threads.emplace_back([&, i] {
                ScanOptions own = scan;
                own.report = &reports[i];
                own.excluded = exclusions_under(roots[i], excluded);
                tables[i] = scan_root(roots[i], own);
                finished.fetch_add(1);
            });
        }
    } catch (const std::system_error&) {
        stop = true;  // the scans that did start stop at their next folder
        for (std::thread& t : threads)
            t.join();
        console.err(std::string(PROGRAM) + "cannot start the scan threads\n");
        return std::nullopt;
    }
    bool progress = console.err_is_terminal();
    while (progress && finished.load() < roots.size()) {
        console.err("\r" + format_count(items.load()) + " items read");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (std::thread& t : threads)
        t.join();
    if (progress) console.err("\r" + format_count(items.load()) + " items read\n");
    std::vector<VolumeTable> scanned;
    for (std::optional<VolumeTable>& table : tables)
        scanned.push_back(std::move(*table));  // never stopped: every scan returns its table
    return scanned;
}

// What the scans left out: folders they could not read (counted, or named with --verbose) and
// items a full table refused. The index is written all the same.
std::string scan_shortfalls(const std::vector<VolumeTable>& tables,
                            const std::vector<ScanReport>& reports, bool verbose,
                            Console& console) {
    uint64_t unreadable = 0;
    for (size_t i = 0; i < tables.size(); ++i) {
        unreadable += reports[i].unreadable_folders.size();
        if (verbose) {
            for (uint32_t folder : reports[i].unreadable_folders)
                console.err(std::string(PROGRAM) + "cannot read " +
                            escape_for_terminal(printable_path(tables[i], folder)) + "\n");
        }
        if (reports[i].left_out != 0)
            console.err(std::string(PROGRAM) + escape_for_terminal(tables[i].root) +
                        ": the table is full (2^32 items or 4 GiB of names); " +
                        counted(reports[i].left_out, "item was", "items were") + " left out\n");
    }
    if (unreadable == 0) return {};
    return "; " + counted(unreadable, "folder", "folders") + " could not be read" +
           (verbose ? "" : " (--verbose names them)");
}

// False, after a line for each, when a folder given could not be listed at all: its table would
// hold nothing, and an index of nothing would pass for an empty folder.
bool roots_were_read(const std::vector<VolumeTable>& tables, const std::vector<ScanReport>& reports,
                     Console& console) {
    bool read = true;
    for (size_t i = 0; i < tables.size(); ++i) {
        const std::vector<uint32_t>& unreadable = reports[i].unreadable_folders;
        if (std::find(unreadable.begin(), unreadable.end(), 0u) == unreadable.end()) continue;
        console.err(std::string(PROGRAM) + "\"" + escape_for_terminal(tables[i].root) +
                    "\" could not be read; no index was written\n");
        read = false;
    }
    return read;
}

}  // namespace

int run_index(const CliOptions& options, Console& console) {
    std::optional<std::vector<std::string>> roots = resolve_roots(options.roots, console);
    if (!roots) return EXIT_FAILED;
    std::optional<std::vector<std::string>> excluded = resolve_folders(options.excluded, console);
    if (!excluded) return EXIT_FAILED;
    std::string output = index_file_of(options);
    // Said before the scan, which may take minutes, rather than after it.
    if (IoStatus usable = check_replaceable(output); !usable) {
        console.err(std::string(PROGRAM) +
                    "cannot write the index file: " + escape_for_terminal(usable.error()) + "\n");
        return EXIT_FAILED;
    }

    auto started = std::chrono::steady_clock::now();
    std::vector<ScanReport> reports;
    std::optional<std::vector<VolumeTable>> scanned =
        scan_roots(*roots, *excluded, options, reports, console);
    if (!scanned) return EXIT_FAILED;
    if (!roots_were_read(*scanned, reports, console)) return EXIT_FAILED;
    std::string shortfalls = scan_shortfalls(*scanned, reports, options.verbose, console);

    Index index;
    uint64_t items = 0;  // below the roots: the folders given are not items of their own
    for (VolumeTable& table : *scanned) {
        items += table.live_count - 1;
        index.replace_or_insert(std::move(table));
    }
    if (IoStatus written = write_index_file(output, index.tables); !written) {
        console.err(std::string(PROGRAM) +
                    "cannot write the index file: " + escape_for_terminal(written.error()) + "\n");
        return EXIT_FAILED;
    }
    auto elapsed = std::chrono::steady_clock::now() - started;
    console.err(counted(items, "item", "items") + " under " +
                counted(roots->size(), "folder", "folders") + " indexed into " +
                escape_for_terminal(output) + " (" + milliseconds(elapsed) + " ms)" + shortfalls +
                "\n");
    return EXIT_OK;
}

int run_search(const CliOptions& options, Console& console) {
    std::string file = index_file_of(options);
    std::optional<std::vector<VolumeTable>> tables = load_or_explain(file, console);
    if (!tables) return EXIT_INDEX_MISSING;
    Index index;
    index.replace_all(std::move(*tables));

    SearchRequest request;
    request.text = options.query;
    request.descending = options.descending;
    request.sort_column = static_cast<uint8_t>(options.sort);
    request.composing = options.composing;
    request.filter = options.filter;
    SearchResult result = norvik::run_search(index, request);
    // The same words the window reads, and the same message its status line gives.
    if (result.query && result.query->error) {
        console.err(std::string(PROGRAM) + query_error_text(*result.query->error) + "\n");
        return EXIT_USAGE;
    }

    OutputStyle style{.format = options.format,
                      .null_separated = options.null_separated,
                      .terminal = console.out_is_terminal()};
    size_t limit = options.limit.value_or(result.hits.size());
    size_t shown = 0;
    std::string out;
    for (const Hit& hit : result.hits) {
        if (shown == limit) break;
        // Nothing changes the index here, but a hit is read back one way only.
        const VolumeTable* table = resolve_hit(index, result.table_ids, hit);
        if (!table) continue;
        append_row(out, make_row(*table, hit.entry, hit.at_start), style, shown == 0);
        ++shown;
        if (out.size() >= (1 << 16)) {
            console.out(out);
            out.clear();
        }
    }
    append_end(out, style, shown != 0);
    console.out(out);
    if (int status = finish_output(console); status != EXIT_OK) return status;
    console.err(format_count(result.hits.size()) + " found (" +
                milliseconds(result.elapsed.duration()) + " ms)\n");
    return EXIT_OK;
}

int run_stats(const CliOptions& options, Console& console) {
    std::string file = index_file_of(options);
    std::optional<std::vector<VolumeTable>> tables = load_or_explain(file, console);
    if (!tables) return EXIT_INDEX_MISSING;
    bool terminal = console.out_is_terminal();
    auto shown = [terminal](const std::string& text) {
        return terminal ? escape_for_terminal(text) : text;
    };
    std::string out = shown(file) + ": " + std::to_string(tables->size()) +
                      (tables->size() == 1 ? " table\n" : " tables\n");
    uint64_t live = 0;
    for (const VolumeTable& table : *tables) {
        size_t late = 0;
        for (const auto& [folder, children] : table.late_children)
            late += children.size();
        out += shown(table.root) + "\n";
        out += "  entries        " + std::to_string(table.entries.size()) + "\n";
        out += "  live           " + std::to_string(table.live_count) + "\n";
        out += "  name bytes     " + std::to_string(table.names.size()) + "\n";
        out += "  display names  " + std::to_string(table.display_names.size()) + "\n";
        out += "  late children  " + std::to_string(table.late_children.size()) + " lists, " +
               std::to_string(late) + " entries\n";
        live += table.live_count;
    }
    out += "total live       " + std::to_string(live) + "\n";
    console.out(out);
    return finish_output(console);
}

int run_cli(const std::vector<std::string>& args, Console& console) {
    if (!args.empty() && args[0] == "watch") return run_watch(args, console);
    std::variant<CliOptions, UsageError> parsed = parse_command_line(args);
    if (const UsageError* error = std::get_if<UsageError>(&parsed)) {
        console.err(std::string(PROGRAM) + error->message + "\n" + std::string(usage_text()));
        return EXIT_USAGE;
    }
    const CliOptions& options = std::get<CliOptions>(parsed);
    switch (options.command) {
        case CliCommand::Help:
            console.out(usage_text());
            return finish_output(console);
        case CliCommand::Index:
            return run_index(options, console);
        case CliCommand::Search:
            return run_search(options, console);
        case CliCommand::Stats:
            return run_stats(options, console);
    }
    return EXIT_USAGE;
}

}  // namespace norvik
