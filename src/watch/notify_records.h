// The records ReadDirectoryChangesW leaves in its buffer (FILE_NOTIFY_INFORMATION), read without
// trusting a single length in them: the parser never looks past the byte count the call returned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace norvik {

// The buffer each watcher allocates once and hands to every read.
inline constexpr size_t NOTIFY_BUFFER_BYTES = 524288;

// FILE_NOTIFY_INFORMATION: NextEntryOffset, Action, FileNameLength (u32 each), then the name.
inline constexpr size_t NOTIFY_HEADER_BYTES = 12;

enum NotifyAction : uint32_t {
    ACTION_ADDED = 1,
    ACTION_REMOVED = 2,
    ACTION_MODIFIED = 3,
    ACTION_RENAMED_OLD_NAME = 4,
    ACTION_RENAMED_NEW_NAME = 5,
};

// One record: its action as delivered (unknown actions included) and its name, relative to the
// watched root with backslash separators, in UTF-8 (unpaired surrogates became U+FFFD).
struct RawEvent {
    uint32_t action = 0;
    std::string name;

    bool operator==(const RawEvent&) const = default;
};

// The records in bytes (exactly what the read returned), in order. A record is taken only while
// its 12-byte header and its name (FileNameLength with the low bit ignored) fit; parsing stops
// at the first record that does not fit and after the record whose NextEntryOffset is 0.
std::vector<RawEvent> parse_notify_records(std::span<const std::byte> bytes);

// Encodes events as the system would lay them out (each record 4-byte aligned, the last one with
// NextEntryOffset 0): for tests, fuzz seeds and the benchmark.
std::vector<std::byte> encode_notify_records(const std::vector<RawEvent>& events);

}  // namespace norvik
