#include "app/updater/installer_version.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace norvik {
namespace {

void put16(std::vector<uint8_t>& image, size_t at, uint32_t value) {
    image[at] = static_cast<uint8_t>(value);
    image[at + 1] = static_cast<uint8_t>(value >> 8);
}

void put32(std::vector<uint8_t>& image, size_t at, uint32_t value) {
    put16(image, at, value & 0xFFFF);
    put16(image, at + 2, value >> 16);
}

// Offsets of the image the tests build: one section ".rsrc" at file offset 0x200, address 0x1000.
constexpr size_t PE_AT = 0x40, OPTIONAL_AT = PE_AT + 24, RAW = 0x200;
constexpr uint32_t ADDRESS = 0x1000;
constexpr size_t VERSION_BLOCK = 0x58;  // within the section

// A minimal executable image, PE32 (as installers are) or PE32+, whose version resource gives
// product version a.b.c.d; its file version differs, so the two cannot be confused.
std::vector<uint8_t> image(bool pe32_plus, uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    std::vector<uint8_t> image(0x400, 0);
    put16(image, 0, 0x5A4D);
    put32(image, 0x3C, PE_AT);
    put32(image, PE_AT, 0x4550);
    put16(image, PE_AT + 6, 1);  // one section
    const uint32_t optional_size = pe32_plus ? 240 : 224;
    put16(image, PE_AT + 20, optional_size);
    put16(image, OPTIONAL_AT, pe32_plus ? 0x20B : 0x10B);
    const size_t directories = OPTIONAL_AT + (pe32_plus ? 112 : 96);
    put32(image, directories - 4, 16);
    put32(image, directories + 16, ADDRESS);  // the resource directory
    put32(image, directories + 20, 0x200);
    const size_t section = OPTIONAL_AT + optional_size;
    put32(image, section + 8, 0x200);
    put32(image, section + 12, ADDRESS);
    put32(image, section + 16, 0x200);
    put32(image, section + 20, RAW);
    // Type 16 (version) -> name 1 -> language 0x409 -> the data entry.
    put16(image, RAW + 14, 1);
    put32(image, RAW + 16, 16);
    put32(image, RAW + 20, 0x8000'0000 | 0x18);
    put16(image, RAW + 0x18 + 14, 1);
    put32(image, RAW + 0x18 + 16, 1);
    put32(image, RAW + 0x18 + 20, 0x8000'0000 | 0x30);
    put16(image, RAW + 0x30 + 14, 1);
    put32(image, RAW + 0x30 + 16, 0x409);
    put32(image, RAW + 0x30 + 20, 0x48);
    put32(image, RAW + 0x48, ADDRESS + VERSION_BLOCK);
    put32(image, RAW + 0x48 + 4, 92);
    const size_t block = RAW + VERSION_BLOCK;
    put16(image, block, 92);
    put16(image, block + 2, 52);
    const std::u16string_view key = u"VS_VERSION_INFO";
    for (size_t i = 0; i < key.size(); ++i)
        put16(image, block + 6 + 2 * i, key[i]);
    put32(image, block + 40, 0xFEEF04BD);
    put32(image, block + 48, 0x0009'0009);  // file version 9.9.9.9
    put32(image, block + 52, 0x0009'0009);
    put32(image, block + 56, uint32_t{a} << 16 | b);
    put32(image, block + 60, uint32_t{c} << 16 | d);
    return image;
}

TEST(InstallerProductVersionTest, ReadsTheFixedProductVersion) {
    EXPECT_EQ(installer_product_version(image(false, 0, 2, 0, 0)), "0.2.0.0");
    EXPECT_EQ(installer_product_version(image(true, 1, 65535, 7, 3)), "1.65535.7.3");
}

// A damaged or hostile image never reads outside its bytes and gives no version.
TEST(InstallerProductVersionTest, NothingFromADamagedImage) {
    using Change = std::function<void(std::vector<uint8_t>&)>;
    const size_t directories = OPTIONAL_AT + 96;
    const size_t section = OPTIONAL_AT + 224;
    const std::pair<const char*, Change> cases[] = {
        {"not MZ", [](auto& i) { i[0] = 'X'; }},
        {"PE header beyond the end", [](auto& i) { put32(i, 0x3C, 0xFFFF'FFF0); }},
        {"no PE signature", [](auto& i) { i[PE_AT] = 'X'; }},
        {"unknown optional header", [](auto& i) { put16(i, OPTIONAL_AT, 0x107); }},
        {"no resource directory", [=](auto& i) { put32(i, directories + 20, 0); }},
        {"too few directories", [=](auto& i) { put32(i, directories - 4, 2); }},
        {"resources outside every section", [=](auto& i) { put32(i, directories + 16, 0x9000); }},
        {"section data beyond the end", [=](auto& i) { put32(i, section + 20, 0x7FFF'0000); }},
        {"no version type", [](auto& i) { put32(i, RAW + 16, 3); }},
        {"type entry not a directory", [](auto& i) { put32(i, RAW + 20, 0x18); }},
        {"entries counted beyond the end",
         [](auto& i) {
             put16(i, RAW + 14, 0xFFFF);
             put32(i, RAW + 16, 3);
         }},
        {"a name without languages", [](auto& i) { put16(i, RAW + 0x30 + 14, 0); }},
        {"data entry beyond the section", [](auto& i) { put32(i, RAW + 0x48, 0x7000'0000); }},
        {"block too small", [](auto& i) { put32(i, RAW + 0x48 + 4, 40); }},
        {"wrong key", [](auto& i) { put16(i, RAW + VERSION_BLOCK + 6, 'X'); }},
        {"no fixed information", [](auto& i) { put16(i, RAW + VERSION_BLOCK + 2, 0); }},
        {"wrong signature", [](auto& i) { put32(i, RAW + VERSION_BLOCK + 40, 0); }},
        {"cut short", [](auto& i) { i.resize(RAW + VERSION_BLOCK + 50); }},
        {"empty", [](auto& i) { i.clear(); }},
    };
    for (const auto& [name, change] : cases) {
        std::vector<uint8_t> damaged = image(false, 0, 2, 0, 0);
        change(damaged);
        EXPECT_EQ(installer_product_version(damaged), std::nullopt) << name;
    }
}

}  // namespace
}  // namespace norvik
