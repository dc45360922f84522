#include "store/index_codec.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "hangul/utf8.h"
#include "store/index_format.h"

namespace norvik {

namespace {

class StringSink final : public ByteSink {
  public:
    bool write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), size);
        return true;
    }
    std::string out;
};

template <class T>
bool put(ByteSink& sink, T value) {
    return sink.write(&value, sizeof value);
}

bool put_bytes(ByteSink& sink, std::string_view bytes) {
    return put<uint64_t>(sink, bytes.size()) && sink.write(bytes.data(), bytes.size());
}

bool encode_table(ByteSink& sink, const VolumeTable& table) {
    if (!put_bytes(sink, table.root)) return false;
    if (!put<uint32_t>(sink, static_cast<uint32_t>(table.live_count))) return false;
    uint64_t entry_bytes = uint64_t{table.entries.size()} * ENTRY_RECORD_BYTES;
    if (!put(sink, entry_bytes) || !sink.write(table.entries.data(), entry_bytes)) return false;
    if (!put_bytes(sink, std::string_view(table.names.data(), table.names.size()))) return false;

    if (!put<uint32_t>(sink, static_cast<uint32_t>(table.display_names.size()))) return false;
    for (const auto& [index, name] : table.display_names) {
        if (!put(sink, index) || !put_bytes(sink, name)) return false;
    }
    if (!put<uint32_t>(sink, static_cast<uint32_t>(table.late_children.size()))) return false;
    for (const auto& [folder, children] : table.late_children) {
        if (!put(sink, folder) || !put<uint32_t>(sink, static_cast<uint32_t>(children.size())) ||
            !sink.write(children.data(), children.size() * sizeof(uint32_t)))
            return false;
    }
    return true;
}

template <class T>
bool get(ByteSource& source, T& value) {
    return source.read(&value, sizeof value);
}

// A u64 length and that many bytes, which must be valid UTF-8.
bool get_text(ByteSource& source, std::string& out) {
    uint64_t length;
    if (!get(source, length) || length > source.remaining()) return false;
    out.resize(length);
    return source.read(out.data(), length) && is_valid_utf8(out);
}

bool is_boundary(std::span<const char> names, uint64_t position) {
    return position == 0 || position == names.size() ||
           (static_cast<unsigned char>(names[position]) & 0xC0) != 0x80;
}

bool entries_are_sound(const VolumeTable& table) {
    const uint64_t arena = table.names.size();
    const uint64_t count = table.entries.size();
    for (const Entry& e : table.entries) {
        uint64_t end = uint64_t{e.name_offset} + e.name_len;
        if (end > arena) return false;
        if (!is_boundary(table.names, e.name_offset) || !is_boundary(table.names, end))
            return false;
        if (e.parent != NO_PARENT && e.parent >= count) return false;
    }
    return true;
}

std::optional<VolumeTable> decode_table(ByteSource& source) {
    VolumeTable table;
    if (!get_text(source, table.root)) return std::nullopt;
    uint32_t live_count;
    if (!get(source, live_count)) return std::nullopt;

    uint64_t entry_bytes;
    if (!get(source, entry_bytes) || entry_bytes > source.remaining() ||
        entry_bytes % ENTRY_RECORD_BYTES != 0 || entry_bytes == 0)
        return std::nullopt;
    uint64_t count = entry_bytes / ENTRY_RECORD_BYTES;
    if (count > NO_PARENT) return std::nullopt;  // entry indexes are 32-bit
    table.size_entries_for_load(count);
    if (!source.read(table.entries.data(), entry_bytes)) return std::nullopt;

    uint64_t name_bytes;
    if (!get(source, name_bytes) || name_bytes > source.remaining()) return std::nullopt;
    table.size_names_for_load(name_bytes);
    if (!source.read(table.names.data(), name_bytes)) return std::nullopt;
    if (!is_valid_utf8(std::string_view(table.names.data(), table.names.size())))
        return std::nullopt;
    if (!entries_are_sound(table)) return std::nullopt;

    uint32_t display_count;
    if (!get(source, display_count)) return std::nullopt;
    for (uint32_t i = 0; i < display_count; ++i) {
        uint32_t index;
        std::string name;
        if (!get(source, index) || index >= count || !get_text(source, name)) return std::nullopt;
        table.display_names.insert_or_assign(index, std::move(name));
    }

    uint32_t late_count;
    if (!get(source, late_count)) return std::nullopt;
    for (uint32_t i = 0; i < late_count; ++i) {
        uint32_t folder, children;
        // The folder index is accepted whatever its value: readers look lists up by folder.
        if (!get(source, folder) || !get(source, children) ||
            uint64_t{children} * sizeof(uint32_t) > source.remaining())
            return std::nullopt;
        std::vector<uint32_t> list;
        list.reserve(std::min(children, LATE_CHILDREN_INITIAL_CAPACITY));
        for (uint32_t c = 0; c < children; ++c) {
            uint32_t child;
            if (!get(source, child) || child >= count) return std::nullopt;
            list.push_back(child);
        }
        table.late_children.insert_or_assign(folder, std::move(list));
    }
    table.live_count = live_count;
    table.table_id = 0;
    return table;
}

}  // namespace

bool MemorySource::read(void* out, size_t size) {
    if (size > remaining()) return false;
    if (size != 0) std::memcpy(out, bytes_.data() + position_, size);
    position_ += size;
    return true;
}

bool encode_index(ByteSink& sink, const std::vector<VolumeTable>& tables) {
    if (!put(sink, INDEX_MAGIC) || !put<uint32_t>(sink, static_cast<uint32_t>(tables.size())))
        return false;
    for (const VolumeTable& table : tables) {
        if (!encode_table(sink, table)) return false;
    }
    return true;
}

std::string encode_index(const std::vector<VolumeTable>& tables) {
    StringSink sink;
    // Sized once: growing by doubling would briefly hold up to three copies of a large index.
    sink.out.reserve(encoded_size(tables));
    (void)encode_index(sink, tables);  // a string sink never fails
    return std::move(sink.out);
}

uint64_t encoded_size(const std::vector<VolumeTable>& tables) {
    uint64_t size = INDEX_HEADER_BYTES;
    for (const VolumeTable& table : tables) {
        size += sizeof(uint64_t) + table.root.size() + sizeof(uint32_t);
        size += sizeof(uint64_t) + uint64_t{table.entries.size()} * ENTRY_RECORD_BYTES;
        size += sizeof(uint64_t) + table.names.size();
        size += sizeof(uint32_t);
        for (const auto& [index, name] : table.display_names)
            size += sizeof(uint32_t) + sizeof(uint64_t) + name.size();
        size += sizeof(uint32_t);
        for (const auto& [folder, children] : table.late_children)
            size += 2 * sizeof(uint32_t) + uint64_t{children.size()} * sizeof(uint32_t);
    }
    return size;
}

std::optional<std::vector<VolumeTable>> decode_index(ByteSource& source) {
    uint64_t magic;
    uint32_t declared;
    if (!get(source, magic) || magic != INDEX_MAGIC || !get(source, declared)) return std::nullopt;
    std::vector<VolumeTable> tables;
    uint32_t count = std::min(declared, INDEX_MAX_TABLES);
    tables.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        std::optional<VolumeTable> table = decode_table(source);
        if (!table) return std::nullopt;
        // Two tables for one root, or tables out of order, would break the Index's invariants
        // the moment the list is published.
        if (!tables.empty() && !(tables.back().root < table->root)) return std::nullopt;
        tables.push_back(std::move(*table));
    }
    return tables;
}

std::optional<std::vector<VolumeTable>> decode_index(std::span<const uint8_t> bytes) {
    MemorySource source(bytes);
    return decode_index(source);
}
}  // namespace norvik
