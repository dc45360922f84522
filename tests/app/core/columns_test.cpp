#include "app/core/columns.h"

#include <cstdint>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "support/fake_shell.h"

namespace norvik {
namespace {

using testing::MemorySettings;

TEST(ColumnsTest, ADraggedBorderTradesWidthBetweenItsTwoColumnsOnly) {
    // A 960-DIP window's default split: Name 333, Folder 333, Size 86, Date modified 136.
    const ColumnWidths start{333, 86, 136};
    struct Case {
        uint32_t border;
        float dx;
        ColumnWidths expected;
    };
    const Case cases[] = {
        {0, 40, {293, 86, 136}},    // Name grows into Folder
        {0, -40, {373, 86, 136}},   // Folder grows into Name
        {0, -400, {616, 86, 136}},  // Name stops at its minimum
        {0, 400, {50, 86, 136}},    // Folder stops at its minimum
        {1, 20, {353, 66, 136}},    // Folder into Size
        {1, 50, {369, 50, 136}},    // Size stops at its minimum
        {2, -36, {333, 50, 172}},   // Date modified into Size
        {2, 200, {333, 172, 50}},   // Date modified stops at its minimum
        {3, 30, {333, 86, 136}},    // no such border: nothing moves
    };
    for (const Case& c : cases) {
        EXPECT_EQ(drag_column_border(start, 333, c.border, c.dx), c.expected)
            << "border " << c.border << " by " << c.dx;
    }
    // A sized column never grows past the maximum, even with the room for it.
    EXPECT_EQ(drag_column_border({3990, 86, 136}, 5000, 0, -100),
              (ColumnWidths{MAX_COLUMN_DIPS, 86, 136}));
    // Columns already at their minimums leave the border where it is.
    EXPECT_EQ(drag_column_border({50, 50, 136}, 50, 1, 10), (ColumnWidths{50, 50, 136}));
}

std::vector<uint8_t> stored(uint32_t folder, uint32_t size, uint32_t date) {
    std::vector<uint8_t> bytes;
    for (const uint32_t value : {folder, size, date}) {
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<uint8_t>(value >> (8 * b)));
    }
    return bytes;
}

TEST(ColumnsTest, WidthsAreStoredInWholeDipsAndABadValueMeansTheDefault) {
    MemorySettings store;
    EXPECT_EQ(saved_column_widths(store), std::nullopt);  // never sized

    ASSERT_TRUE(save_column_widths(store, ColumnWidths{240.4f, 90.6f, 150}));
    EXPECT_EQ(store.binaries.at(std::string(SETTING_COLUMN_WIDTHS)), stored(240, 91, 150));
    EXPECT_EQ(saved_column_widths(store), (ColumnWidths{240, 91, 150}));

    struct Case {
        std::vector<uint8_t> bytes;
        std::optional<ColumnWidths> expected;
    };
    std::vector<uint8_t> short_value = stored(240, 91, 150);
    short_value.pop_back();
    const Case cases[] = {
        {stored(50, 50, 4000), ColumnWidths{50, 50, 4000}},
        {stored(49, 91, 150), std::nullopt},     // below the minimum
        {stored(240, 4001, 150), std::nullopt},  // above the maximum
        {stored(240, 91, 0xFFFFFFFF), std::nullopt},
        {short_value, std::nullopt},
        {{}, std::nullopt},  // what going back to the default stores
    };
    for (const Case& c : cases) {
        store.binaries[std::string(SETTING_COLUMN_WIDTHS)] = c.bytes;
        EXPECT_EQ(saved_column_widths(store), c.expected) << c.bytes.size() << " bytes";
    }

    ASSERT_TRUE(save_column_widths(store, std::nullopt));
    EXPECT_TRUE(store.binaries.at(std::string(SETTING_COLUMN_WIDTHS)).empty());
    store.writes_fail = true;
    EXPECT_FALSE(save_column_widths(store, ColumnWidths{240, 91, 150}));
}

}  // namespace
}  // namespace norvik
