#include "watch/notify_records.h"

#include <cstring>

#include "hangul/utf8.h"

namespace norvik {

namespace {

// Records are 4-byte aligned on Windows, but nothing here relies on it: a hostile buffer may put
// a record anywhere, so every field is copied out byte by byte.
uint32_t read_u32(std::span<const std::byte> bytes, size_t at) {
    uint32_t value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

void write_u32(std::vector<std::byte>& out, size_t at, uint32_t value) {
    std::memcpy(out.data() + at, &value, sizeof value);
}

}  // namespace

std::vector<RawEvent> parse_notify_records(std::span<const std::byte> bytes) {
    std::vector<RawEvent> events;
    std::u16string units;
    size_t offset = 0;
    // offset only grows and never passes the end (NextEntryOffset 0, or one reaching beyond the
    // buffer, ends the loop), so this is one pass and every read below is in bounds.
    while (bytes.size() - offset >= NOTIFY_HEADER_BYTES) {
        uint32_t next = read_u32(bytes, offset);
        uint32_t action = read_u32(bytes, offset + 4);
        size_t name_bytes = read_u32(bytes, offset + 8) & ~uint32_t{1};
        size_t name_at = offset + NOTIFY_HEADER_BYTES;
        if (bytes.size() - name_at < name_bytes) break;

        units.resize(name_bytes / 2);
        if (name_bytes != 0) std::memcpy(units.data(), bytes.data() + name_at, name_bytes);
        events.push_back({action, utf16_to_utf8(units)});

        if (next == 0 || next > bytes.size() - offset) break;
        offset += next;
    }
    return events;
}

std::vector<std::byte> encode_notify_records(const std::vector<RawEvent>& events) {
    std::vector<std::byte> out;
    size_t previous = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        std::u16string name = utf8_to_utf16(events[i].name);
        size_t name_bytes = name.size() * 2;
        size_t at = out.size();
        if (i != 0) write_u32(out, previous, static_cast<uint32_t>(at - previous));
        size_t record = (NOTIFY_HEADER_BYTES + name_bytes + 3) & ~size_t{3};
        out.resize(at + record);
        write_u32(out, at, 0);
        write_u32(out, at + 4, events[i].action);
        write_u32(out, at + 8, static_cast<uint32_t>(name_bytes));
        if (name_bytes != 0)
            std::memcpy(out.data() + at + NOTIFY_HEADER_BYTES, name.data(), name_bytes);
        previous = at;
    }
    return out;
}

}  // namespace norvik
