#include "cli/cli.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <thread>

#include "cli/hit_format.h"
#include "cli/watch_command.h"
#include "index/index.h"
#include "index/scan.h"
#include "kinds/kinds.h"
#include "search/resolve_hit.h"
#include "search/search.h"
#include "store/index_file.h"

namespace norvik {

namespace {

constexpr std::string_view PROGRAM = "norvik-cli: ";

std::filesystem::path path_of(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string text_of(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string index_file_of(const CliOptions& options) {
    return options.index_file.empty() ? index_path() : options.index_file;
}

// Loads the index file, or says why not and returns nothing.
std::optional<std::vector<VolumeTable>> load_or_explain(const std::string& file, Console& console) {
    LoadResult loaded = load_index_file(file);
    switch (loaded.status) {
        case LoadStatus::Loaded:
            return std::move(loaded.tables);
        case LoadStatus::Missing:
            console.err(std::string(PROGRAM) + "no index file at " + file +
                        "; run \"norvik-cli index\" to make one\n");
            break;
        case LoadStatus::Damaged:
            console.err(std::string(PROGRAM) + "the index file " + file +
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

}  // namespace

std::optional<std::string> resolve_root(const std::string& folder) {
    std::string given = folder;
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
#ifdef _WIN32
    // "D:" alone means the drive's root here, not the current folder on D:.
    if (given.size() == 2 && given[1] == ':') given.push_back('\\');
#endif
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path_of(given), error);
    if (error || !std::filesystem::is_directory(absolute, error)) return std::nullopt;
    std::string root = text_of(absolute.lexically_normal());
    while (root.size() > 1 && (root.back() == separator || root.back() == '/'))
        root.pop_back();
    if (root.back() != separator) root.push_back(separator);
    return root;
}

std::optional<std::vector<std::string>> resolve_roots(const std::vector<std::string>& folders,
                                                      Console& console) {
    std::vector<std::string> roots;
    for (const std::string& folder : folders) {
        std::optional<std::string> root = resolve_root(folder);
        if (!root) {
            console.err(std::string(PROGRAM) + "\"" + folder + "\" is not a folder\n");
            return std::nullopt;
        }
        if (std::find(roots.begin(), roots.end(), *root) == roots.end()) roots.push_back(*root);
    }
    return roots;
}

int run_index(const CliOptions& options, Console& console) {
    std::optional<std::vector<std::string>> resolved = resolve_roots(options.roots, console);
    if (!resolved) return EXIT_FAILED;
    const std::vector<std::string>& roots = *resolved;
    std::string output = index_file_of(options);

    ScanOptions scan;
    scan.workers = options.workers.value_or(worker_count(roots.size()));
    std::atomic<uint64_t> items{0};
    std::atomic<bool> stop{false};
    scan.items_read = &items;
    scan.exit_requested = &stop;

    auto started = std::chrono::steady_clock::now();
    std::vector<std::optional<VolumeTable>> tables(roots.size());
    std::vector<std::thread> threads;
    std::atomic<size_t> finished{0};
    try {
        for (size_t i = 0; i < roots.size(); ++i) {
            threads.emplace_back([&, i] {
                tables[i] = scan_root(roots[i], scan);
                finished.fetch_add(1);
            });
        }
    } catch (const std::system_error&) {
        stop = true;  // the scans that did start stop at their next folder
        for (std::thread& t : threads)
            t.join();
        console.err(std::string(PROGRAM) + "cannot start the scan threads\n");
        return EXIT_FAILED;
    }
    bool progress = console.err_is_terminal();
    while (progress && finished.load() < roots.size()) {
        console.err("\r" + format_count(items.load()) + " items read");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (std::thread& t : threads)
        t.join();
    if (progress) console.err("\r" + format_count(items.load()) + " items read\n");

    Index index;
    uint64_t entries = 0;
    for (std::optional<VolumeTable>& table : tables) {
        entries += table->live_count;
        index.replace_or_insert(std::move(*table));
    }
    if (IoStatus written = write_index_file(output, index.tables); !written) {
        console.err(std::string(PROGRAM) + "cannot write the index file: " + written.error() +
                    "\n");
        return EXIT_FAILED;
    }
    auto elapsed = std::chrono::steady_clock::now() - started;
    console.err(format_count(entries) + " items in " + std::to_string(roots.size()) +
                (roots.size() == 1 ? " folder" : " folders") + " indexed into " + output + " (" +
                milliseconds(elapsed) + " ms)\n");
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

    size_t limit = options.limit.value_or(result.hits.size());
    size_t shown = 0;
    std::string out;
    for (const Hit& hit : result.hits) {
        if (shown == limit) break;
        // Nothing changes the index here, but a hit is read back one way only.
        const VolumeTable* table = resolve_hit(index, result.table_ids, hit);
        if (!table) continue;
        append_row(out, make_row(*table, hit.entry, hit.at_start), options.format, shown == 0);
        ++shown;
        if (out.size() >= (1 << 16)) {
            console.out(out);
            out.clear();
        }
    }
    append_end(out, options.format, shown != 0);
    console.out(out);
    console.flush();
    console.err(format_count(result.hits.size()) + " found (" +
                milliseconds(result.elapsed.duration()) + " ms)\n");
    return EXIT_OK;
}

int run_stats(const CliOptions& options, Console& console) {
    std::string file = index_file_of(options);
    std::optional<std::vector<VolumeTable>> tables = load_or_explain(file, console);
    if (!tables) return EXIT_INDEX_MISSING;
    std::string out = file + ": " + std::to_string(tables->size()) +
                      (tables->size() == 1 ? " table\n" : " tables\n");
    uint64_t live = 0;
    for (const VolumeTable& table : *tables) {
        size_t late = 0;
        for (const auto& [folder, children] : table.late_children)
            late += children.size();
        out += table.root + "\n";
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
    console.flush();
    return EXIT_OK;
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
            console.flush();
            return EXIT_OK;
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
