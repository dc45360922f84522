#include "cli/watch_command.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "cli/cli.h"
#include "index/list_directory.h"
#include "kinds/kinds.h"
#include "store/index_file.h"
#include "watch/change_batch.h"

namespace norvik {

namespace {

constexpr std::string_view PROGRAM = "norvik-cli: ";

// Opens every folder below root once. Under Wine this is what makes the watcher report changes
// inside folders that existed before it started; Windows needs nothing of the kind.
void open_every_folder(const std::string& root) {
    std::vector<NativePath> stack{native_path(root)};
    std::vector<ListedItem> listing;
    while (!stack.empty()) {
        NativePath folder = std::move(stack.back());
        stack.pop_back();
        if (list_directory(folder, listing) != ListStatus::Listed) continue;
        for (const ListedItem& item : listing) {
            if (is_walkable_folder(item.facts.attributes, item.reparse_tag))
                stack.push_back(join_native(folder, item.native_name));
        }
    }
}

// "--index" of "--index=FILE" or of "--index".
std::string_view option_name(std::string_view arg) {
    return arg.substr(0, arg.find('='));
}

}  // namespace

std::variant<WatchOptions, UsageError> parse_watch_options(const std::vector<std::string>& args) {
    WatchOptions options;
    bool options_ended = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            options.roots.push_back(arg);
        } else if (arg == "--") {
            options_ended = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        } else if (std::string_view name = option_name(arg);
                   name == "--index" || name == "--exclude") {
            std::string value;
            if (arg == name) {
                if (i + 1 >= args.size())
                    return UsageError{"option " + std::string(name) + " needs a value"};
                value = args[++i];
            } else {
                value = arg.substr(name.size() + 1);
            }
            if (value.empty())
                return UsageError{"invalid value for " + std::string(name) + ": \"\""};
            if (name == "--index") {
                options.index_file = value;
            } else {
                options.excluded.push_back(value);
            }
        } else {
            return UsageError{"unknown option \"" + std::string(option_name(arg)) + "\" for watch"};
        }
    }
    if (options.roots.empty()) return UsageError{"watch needs at least one folder"};
    return options;
}

std::string format_change(std::string_view root, const Change& change, BatchOutcome outcome) {
    std::string line;
    switch (change.type) {
        case ChangeType::Added:
            line = "added    " + event_full_path(root, change.path);
            if (!change.facts) line += " (gone again)";
            if (!change.walked.empty())
                line += " (with " + format_count(change.walked.size()) + " items inside)";
            break;
        case ChangeType::Removed:
            line = "removed  " + event_full_path(root, change.path);
            break;
        case ChangeType::Modified:
            line = "modified " + event_full_path(root, change.path);
            if (change.facts && !(change.facts->attributes & ATTRIBUTE_DIRECTORY))
                line += " (" + format_size(change.facts->size) + ")";
            break;
        case ChangeType::Renamed:
            line = "renamed  " + event_full_path(root, change.path) + " -> " +
                   event_full_path(root, change.new_path);
            break;
    }
    if (outcome == BatchOutcome::HeldBack) line += " [held back until the rescan ends]";
    if (outcome == BatchOutcome::NoTable) line += " [no table for this folder]";
    return line;
}

int run_watch(const std::vector<std::string>& args, Console& console,
              std::function<void()> wait_for_interrupt) {
    std::variant<WatchOptions, UsageError> parsed = parse_watch_options(args);
    if (const UsageError* error = std::get_if<UsageError>(&parsed)) {
        console.err(std::string(PROGRAM) + error->message + "\n" + std::string(usage_text()));
        return EXIT_USAGE;
    }
    const WatchOptions& options = std::get<WatchOptions>(parsed);
    if (options.help) {
        console.out(usage_text());
        console.flush();
        return EXIT_OK;
    }
    if (!system_watcher_available()) {
        console.err(std::string(PROGRAM) +
                    "watch needs the Windows build: this build has no change watcher\n");
        return EXIT_FAILED;
    }
    std::optional<std::vector<std::string>> resolved = resolve_roots(options.roots, console);
    if (!resolved) return EXIT_FAILED;
    const std::vector<std::string>& roots = *resolved;
    std::optional<std::vector<std::string>> excluded = resolve_folders(options.excluded, console);
    if (!excluded) return EXIT_FAILED;
    std::string file = options.index_file.empty() ? index_path() : options.index_file;
    if (IoStatus usable = check_replaceable(file); !usable) {
        console.err(std::string(PROGRAM) + "cannot write the index file: " + usable.error() + "\n");
        return EXIT_FAILED;
    }

    // Batches arrive on the watcher threads; one line at a time reaches the console.
    std::mutex print_mutex;
    auto print = [&](const std::string& text, bool error_stream) {
        std::lock_guard lock(print_mutex);
        if (error_stream) {
            console.err(text);
        } else {
            console.out(text);
            console.flush();
        }
    };

    Index index;
    std::atomic<uint64_t> items{0};
    std::atomic<bool> quit{false};
    std::atomic<bool> dirty{false};
    ServicePlatform platform = system_service_platform({});
    platform.list_volumes = [roots] { return roots; };
    platform.batch_handled = [&](const std::string& root, const std::vector<Change>& batch,
                                 BatchOutcome outcome) {
        std::string text;
        for (const Change& change : batch)
            text += format_change(root, change, outcome) + "\n";
        print(text, false);
    };
    platform.relisted = [&](const std::string& root, size_t folders, size_t changes,
                            std::chrono::milliseconds took) {
        print("listed " + std::to_string(folders) + " folders of " + root +
                  " again after a burst: " + std::to_string(changes) + " changes in " +
                  std::to_string(took.count()) + " ms\n",
              true);
    };
    ServiceOptions service_options;
    service_options.index_file = file;
    service_options.items_read = &items;
    service_options.exit_requested = &quit;
    service_options.index_dirty = &dirty;
    // The file may hold other folders (the program's own index, another watch): they stay.
    service_options.keep_other_roots = true;
    service_options.excluded_folders = std::move(*excluded);
    IndexService service(index, std::move(platform), service_options);

    std::thread starter([&] {
        auto started = std::chrono::steady_clock::now();
        service.run_index_service(false);  // loads the file, watches, rescans, saves
        if (quit.load()) return;
        if (running_under_wine()) {
            for (const std::string& root : roots)
                open_every_folder(root);
        }
        uint64_t live = 0;
        {
            std::shared_lock lock(index.lock);
            for (const VolumeTable& table : index.tables)
                live += table.live_count;
        }
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - started);
        print(format_count(live) + " items indexed in " + std::to_string(elapsed.count()) +
                  " ms; watching " + std::to_string(roots.size()) +
                  (roots.size() == 1 ? " folder" : " folders") +
                  " (Ctrl+C saves the index and ends)\n",
              true);
    });

    if (wait_for_interrupt) {
        wait_for_interrupt();
    } else {
        wait_for_console_interrupt();
    }
    // As the window does when the program quits: stop the scans, then save.
    quit.store(true);
    starter.join();
    service.wait_for_rescans();
    // The program may be saving index.tmp in its folder at this moment: a file of our own.
    SaveResult saved = save_index(index, dirty, file, TemporaryName::Unique);
    switch (saved.outcome) {
        case SaveOutcome::Written:
            print("index saved to " + file + "\n", true);
            return EXIT_OK;
        case SaveOutcome::Unchanged:
            print("index unchanged since it was saved to " + file + "\n", true);
            return EXIT_OK;
        case SaveOutcome::Failed:
            print(std::string(PROGRAM) + "cannot write the index file: " + saved.error + "\n",
                  true);
            return EXIT_FAILED;
    }
    return EXIT_FAILED;
}

}  // namespace norvik
