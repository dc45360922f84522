#include "app/updater/installer_version.h"

#include <string_view>
#include <vector>

namespace norvik {

namespace {

constexpr uint32_t RT_VERSION_ID = 16;
constexpr uint32_t SUBDIRECTORY_BIT = 0x8000'0000;
constexpr uint32_t FIXED_INFO_SIGNATURE = 0xFEEF'04BD;
constexpr std::u16string_view VERSION_KEY = u"VS_VERSION_INFO";

// Little-endian reads that fail, rather than read past the end, at any offset.
class Bytes {
  public:
    explicit Bytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool has(uint64_t offset, uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::optional<uint32_t> u16(uint64_t offset) const { return read(offset, 2); }
    std::optional<uint32_t> u32(uint64_t offset) const { return read(offset, 4); }

  private:
    std::optional<uint32_t> read(uint64_t offset, unsigned length) const {
        if (!has(offset, length)) return std::nullopt;
        uint32_t value = 0;
        for (unsigned i = length; i-- > 0;)
            value = value << 8 | bytes_[static_cast<size_t>(offset) + i];
        return value;
    }

    std::span<const uint8_t> bytes_;
};

struct Section {
    uint32_t address, raw_size, raw_offset;
};

// The file offset of length bytes at a relative virtual address, within one section's raw data.
std::optional<uint64_t> file_offset(const Bytes& bytes, const std::vector<Section>& sections,
                                    uint32_t address, uint32_t length) {
    for (const Section& s : sections) {
        if (address < s.address) continue;
        const uint64_t within = address - s.address;
        if (within + length > s.raw_size) continue;
        const uint64_t offset = s.raw_offset + within;
        if (bytes.has(offset, length)) return offset;
    }
    return std::nullopt;
}

// The entry of a resource directory at `directory` (an offset into the resource section at
// `base`): the one with id `id`, or the first when id is empty. Its OffsetToData field.
std::optional<uint32_t> directory_entry(const Bytes& bytes, uint64_t base, uint32_t directory,
                                        std::optional<uint32_t> id) {
    const auto named = bytes.u16(base + directory + 12);
    const auto numbered = bytes.u16(base + directory + 14);
    if (!named || !numbered) return std::nullopt;
    const uint32_t count = *named + *numbered;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = base + directory + 16 + 8ull * i;
        const auto name = bytes.u32(entry);
        const auto data = bytes.u32(entry + 4);
        if (!name || !data) return std::nullopt;
        if (!id || *name == *id) return *data;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> installer_product_version(std::span<const uint8_t> image) {
    const Bytes bytes(image);
    if (bytes.u16(0) != 0x5A4D) return std::nullopt;  // "MZ"
    const auto pe = bytes.u32(0x3C);
    if (!pe || bytes.u32(*pe) != 0x0000'4550) return std::nullopt;  // "PE\0\0"
    const uint64_t coff = *pe + 4ull;
    const auto section_count = bytes.u16(coff + 2);
    const auto optional_size = bytes.u16(coff + 16);
    const uint64_t optional = coff + 20;
    const auto magic = bytes.u16(optional);
    if (!section_count || !optional_size || !magic) return std::nullopt;
    uint64_t directories = 0;
    if (*magic == 0x10B) {
        directories = optional + 96;
    } else if (*magic == 0x20B) {
        directories = optional + 112;
    } else {
        return std::nullopt;
    }
    const auto directory_count = bytes.u32(directories - 4);
    if (!directory_count || *directory_count < 3) return std::nullopt;
    const auto resource_address = bytes.u32(directories + 16);
    const auto resource_size = bytes.u32(directories + 20);
    if (!resource_address || !resource_size || *resource_size == 0) return std::nullopt;

    std::vector<Section> sections;
    for (uint32_t i = 0; i < *section_count; ++i) {
        const uint64_t header = optional + *optional_size + 40ull * i;
        const auto address = bytes.u32(header + 12);
        const auto raw_size = bytes.u32(header + 16);
        const auto raw_offset = bytes.u32(header + 20);
        if (!address || !raw_size || !raw_offset) return std::nullopt;
        sections.push_back({*address, *raw_size, *raw_offset});
    }
    const auto base = file_offset(bytes, sections, *resource_address, 16);
    if (!base) return std::nullopt;

    // Type RT_VERSION, then its first name, then its first language: a data entry.
    const auto type = directory_entry(bytes, *base, 0, RT_VERSION_ID);
    if (!type || !(*type & SUBDIRECTORY_BIT)) return std::nullopt;
    const auto name = directory_entry(bytes, *base, *type & ~SUBDIRECTORY_BIT, std::nullopt);
    if (!name || !(*name & SUBDIRECTORY_BIT)) return std::nullopt;
    const auto language = directory_entry(bytes, *base, *name & ~SUBDIRECTORY_BIT, std::nullopt);
    if (!language || (*language & SUBDIRECTORY_BIT)) return std::nullopt;
    const auto data_address = bytes.u32(*base + *language);
    const auto data_size = bytes.u32(*base + *language + 4);
    if (!data_address || !data_size) return std::nullopt;

    // VS_VERSIONINFO: length, value length, type, the key, padding to 32 bits, the fixed info.
    constexpr uint32_t FIXED_AT = 40, FIXED_SIZE = 52;
    if (*data_size < FIXED_AT + FIXED_SIZE) return std::nullopt;
    const auto block = file_offset(bytes, sections, *data_address, *data_size);
    if (!block || bytes.u16(*block + 2).value_or(0) < FIXED_SIZE) return std::nullopt;
    for (size_t i = 0; i <= VERSION_KEY.size(); ++i) {
        const char16_t expected = i < VERSION_KEY.size() ? VERSION_KEY[i] : u'\0';
        if (bytes.u16(*block + 6 + 2 * i) != expected) return std::nullopt;
    }
    const uint64_t fixed = *block + FIXED_AT;
    if (bytes.u32(fixed) != FIXED_INFO_SIGNATURE) return std::nullopt;
    const auto high = bytes.u32(fixed + 16);
    const auto low = bytes.u32(fixed + 20);
    if (!high || !low) return std::nullopt;
    return std::to_string(*high >> 16) + '.' + std::to_string(*high & 0xFFFF) + '.' +
           std::to_string(*low >> 16) + '.' + std::to_string(*low & 0xFFFF);
}

}  // namespace norvik
