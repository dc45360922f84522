// One indexed file or folder: a fixed 24-byte little-endian record, also the on-disk layout of
// the index file, so the field offsets below are binding.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace norvik {

inline constexpr uint32_t NO_PARENT = 0xFFFFFFFF;

// Bits 0x01-0x10 come from the item and from removal; 0x20-0x80 are recomputed with each name.
inline constexpr uint8_t FLAG_DIR = 0x01;
inline constexpr uint8_t FLAG_HIDDEN = 0x02;
inline constexpr uint8_t FLAG_SYSTEM = 0x04;
inline constexpr uint8_t FLAG_LINK = 0x08;           // junction or symbolic link; never entered
inline constexpr uint8_t FLAG_REMOVED = 0x10;        // tombstone: every reader skips it
inline constexpr uint8_t FLAG_DISPLAY_NAME = 0x20;   // the name as found is in display_names
inline constexpr uint8_t FLAG_HANGUL = 0x40;         // a syllable or compatibility jamo in the name
inline constexpr uint8_t FLAG_UNICODE_UPPER = 0x80;  // a non-ASCII char changes when lowercased

// Windows attribute bits and reparse tags as they arrive in file facts.
inline constexpr uint32_t ATTRIBUTE_HIDDEN = 0x02;
inline constexpr uint32_t ATTRIBUTE_SYSTEM = 0x04;
inline constexpr uint32_t ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr uint32_t ATTRIBUTE_REPARSE_POINT = 0x400;
inline constexpr uint32_t REPARSE_TAG_MOUNT_POINT = 0xA0000003;
inline constexpr uint32_t REPARSE_TAG_SYMLINK = 0xA000000C;

struct Entry {
    uint64_t size;         // file: bytes; folder: first_child << 32 | child_count (0 = no run)
    uint32_t name_offset;  // stored name's offset in the table's name arena
    uint32_t parent;       // containing folder, NO_PARENT for the root entry
    uint32_t mtime;        // seconds since 1970 UTC, 0 before 1970, saturating
    uint16_t name_len;     // stored name's length in bytes
    uint8_t flags;
    uint8_t kind;  // Kind of a file; 0 and never read for a folder

    bool is_dir() const { return flags & FLAG_DIR; }
    bool is_removed() const { return flags & FLAG_REMOVED; }
    uint32_t first_child() const { return static_cast<uint32_t>(size >> 32); }
    uint32_t child_count() const { return static_cast<uint32_t>(size); }
    void set_child_span(uint32_t first, uint32_t count) {
        size = (static_cast<uint64_t>(first) << 32) | count;
    }
};

static_assert(std::endian::native == std::endian::little, "the index layout is little-endian");
static_assert(sizeof(Entry) == 24);
static_assert(offsetof(Entry, size) == 0);
static_assert(offsetof(Entry, name_offset) == 8);
static_assert(offsetof(Entry, parent) == 12);
static_assert(offsetof(Entry, mtime) == 16);
static_assert(offsetof(Entry, name_len) == 20);
static_assert(offsetof(Entry, flags) == 22);
static_assert(offsetof(Entry, kind) == 23);

// What the file system says about an item, from a directory listing or an attribute query.
struct FileFacts {
    uint64_t size = 0;
    uint32_t mtime = 0;
    uint32_t attributes = 0;
};

// The entry flags an item's attributes decide: hidden and system (same bits as the attributes).
inline uint8_t attribute_flags(uint32_t attributes) {
    static_assert(FLAG_HIDDEN == ATTRIBUTE_HIDDEN && FLAG_SYSTEM == ATTRIBUTE_SYSTEM);
    return static_cast<uint8_t>(attributes & (ATTRIBUTE_HIDDEN | ATTRIBUTE_SYSTEM));
}

// Seconds since 1970 as stored in Entry::mtime: 0 before 1970, saturating at 0xFFFFFFFF.
inline uint32_t clamp_unix_time(int64_t seconds) {
    if (seconds <= 0) return 0;
    if (seconds >= 0xFFFFFFFFLL) return 0xFFFFFFFF;
    return static_cast<uint32_t>(seconds);
}

}  // namespace norvik
