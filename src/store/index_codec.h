// Encoding and decoding the index file format (index_format.h), apart from any file: the writer
// pours bytes into a sink, the reader draws them from a source that knows how many are left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "index/volume_table.h"

namespace norvik {

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Takes all of the bytes, or reports failure.
    [[nodiscard]] virtual bool write(const void* data, size_t size) = 0;
};

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Fills all of out when that many bytes are left; fails without reading when they are not,
    // so a damaged length field fails before anything is allocated for it.
    [[nodiscard]] virtual bool read(void* out, size_t size) = 0;
    virtual uint64_t remaining() const = 0;
};

// Writes tables (already in root order) in the index file format.
[[nodiscard]] bool encode_index(ByteSink& sink, const std::vector<VolumeTable>& tables);
std::string encode_index(const std::vector<VolumeTable>& tables);
// The number of bytes encode_index writes for tables.
uint64_t encoded_size(const std::vector<VolumeTable>& tables);

// Reads a whole index file. Nothing when any read or any check fails: a damaged file is
// rejected whole, tables before the damage included. Checks: the magic; valid UTF-8 roots in
// strictly ascending order (the Index holds one table per root, sorted); entry lengths that are
// a non-zero multiple of 24; a valid UTF-8 name arena; every name range inside the arena with both
// ends on character boundaries; every parent NO_PARENT or an entry; display names of existing
// entries in valid UTF-8; late children that are existing entries. Flags, kinds, times, sizes
// and child spans are taken as stored.
std::optional<std::vector<VolumeTable>> decode_index(ByteSource& source);
std::optional<std::vector<VolumeTable>> decode_index(std::span<const uint8_t> bytes);

// A source over bytes in memory.
class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool read(void* out, size_t size) override;
    uint64_t remaining() const override { return bytes_.size() - position_; }

  private:
    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
};

}  // namespace norvik
