// index.bin, little-endian, no padding, no checksum:
//   header:  magic (8 bytes "NORVIK" 0x00 0x01), u32 table count
//   tables, in the order of the Index (ascending root), each:
//     root           u64 length, UTF-8 bytes
//     live_count     u32 (low 32 bits)
//     entries        u64 byte length (24 x count), the Entry records as one block
//     names          u64 length, the name arena
//     display_names  u32 count, then per item: u32 entry, u64 length, UTF-8 bytes
//     late_children  u32 count, then per item: u32 folder, u32 child count, u32 children...
// Nothing follows the last table. The file is identified by its magic alone.
#pragma once

#include <cstddef>
#include <cstdint>

#include "index/entry.h"

namespace norvik {

// "NORVIK", 0x00, 0x01 read as one little-endian 8-byte value.
inline constexpr uint64_t INDEX_MAGIC = 0x01'00'4B'49'56'52'4F'4Eull;
inline constexpr size_t INDEX_HEADER_BYTES = 12;
inline constexpr size_t ENTRY_RECORD_BYTES = 24;
// A file that declares more tables has the rest ignored.
inline constexpr uint32_t INDEX_MAX_TABLES = 64;
// Both the writer and the reader go through buffers of this size.
inline constexpr size_t INDEX_BUFFER_BYTES = 1 << 20;
// A late-children list starts with at most this capacity, however long it says it is.
inline constexpr uint32_t LATE_CHILDREN_INITIAL_CAPACITY = 1 << 20;

// The header is written field by field: as a struct it would be padded to 16 bytes.
static_assert(sizeof(INDEX_MAGIC) + sizeof(uint32_t) == INDEX_HEADER_BYTES);
static_assert(sizeof(Entry) == ENTRY_RECORD_BYTES, "entries go to disk byte for byte");
static_assert(INDEX_MAGIC == (uint64_t{'N'} | uint64_t{'O'} << 8 | uint64_t{'R'} << 16 |
                              uint64_t{'V'} << 24 | uint64_t{'I'} << 32 | uint64_t{'K'} << 40 |
                              uint64_t{0x00} << 48 | uint64_t{0x01} << 56));

}  // namespace norvik
