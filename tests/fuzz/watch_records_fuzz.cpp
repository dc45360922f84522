// libFuzzer target for the change watcher's reading of ReadDirectoryChangesW buffers: any bytes
// are parsed without reading out of bounds, turned into a batch against a fake file system, and
// applied to a small table, which must stay whole: every live entry reachable from the root
// exactly once, and live_count equal to the number reached.
//
// The first input byte picks the fake file system's answers, so the fuzzer explores files,
// folders and vanished items alike. With its high bit clear the rest is the notification buffer
// itself; with it set, the rest is text, one event a line (an action digit, then the name), laid
// out as the system would, so that paths into the table are found without a seed corpus.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "index/changes.h"
#include "watch/change_batch.h"
#include "watch/notify_records.h"

using namespace norvik;

namespace {

VolumeTable base_table() {
    VolumeTable table = VolumeTable::with_root("C:\\");
    FileFacts folder{.size = 0, .mtime = 1, .attributes = 0x10};
    FileFacts file{.size = 5, .mtime = 2, .attributes = 0};
    uint32_t docs = table.add_entry(0, "docs", folder, 0);
    uint32_t pics = table.add_entry(0, "pics", folder, 0);
    table.entries[0].set_child_span(docs, 2);
    uint32_t a = table.add_entry(docs, "a.txt", file, 0);
    table.add_entry(docs, "sub", folder, 0);
    table.entries[docs].set_child_span(a, 2);
    uint32_t p = table.add_entry(pics, "p.jpg", file, 0);
    table.entries[pics].set_child_span(p, 1);
    return table;
}

// Live entries reached from the root through children(), each once; aborts on a repeat.
uint64_t count_reachable(const VolumeTable& table) {
    std::vector<bool> seen(table.size(), false);
    std::vector<uint32_t> stack{0};
    seen[0] = true;
    uint64_t reached = 1;
    while (!stack.empty()) {
        uint32_t at = stack.back();
        stack.pop_back();
        for (uint32_t child : table.children(at)) {
            if (child >= table.size() || seen[child]) std::abort();
            seen[child] = true;
            ++reached;
            (void)table.full_path(child, false);
            if (table.entries[child].is_dir()) stack.push_back(child);
        }
    }
    return reached;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    uint8_t answers = data[0];
    std::span<const std::byte> rest = std::as_bytes(std::span(data + 1, size - 1));
    std::vector<RawEvent> events;
    if (answers & 0x80) {
        std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
        std::vector<RawEvent> lines;
        while (!text.empty()) {
            size_t end = std::min(text.find('\n'), text.size());
            std::string_view line = text.substr(0, end);
            if (!line.empty())
                lines.push_back({uint32_t(line[0] - '0'), std::string(line.substr(1))});
            text.remove_prefix(std::min(end + 1, text.size()));
        }
        std::vector<std::byte> buffer = encode_notify_records(lines);
        events = parse_notify_records(buffer);
    } else {
        events = parse_notify_records(rest);
    }

    FactReader facts = [answers](const std::string& full) -> std::optional<FileFacts> {
        size_t mix = full.size() + answers;
        if (mix % 5 == 0) return std::nullopt;  // vanished again
        uint32_t attributes = (mix % 3 == 0) ? 0x10 : 0;
        return FileFacts{
            .size = mix, .mtime = static_cast<uint32_t>(mix), .attributes = attributes};
    };
    SubtreeWalker walk = [answers](const std::string&, const std::string& relative) {
        SubtreeWalk found;
        if ((answers & 3) == 3) return SubtreeWalk{{}, false};  // there, but cannot be listed
        if (answers & 1) return found;
        found.items.push_back({relative + "\\inner", {0, 3, 0x10}});
        found.items.push_back({relative + "\\inner\\x.txt", {7, 3, 0}});
        found.items.push_back({relative + "\\y.txt", {8, 3, 0}});
        return found;
    };

    static const VolumeTable base = base_table();
    VolumeTable table = base;
    apply_changes(table, build_batch("C:\\", events, facts, walk).changes);
    if (count_reachable(table) != table.live_count) std::abort();
    return 0;
}
