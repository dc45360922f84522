// Reading FILE_NOTIFY_INFORMATION records: well-formed buffers round-trip, and truncated or
// hostile ones are read only as far as they fit (ASan checks that no byte past the returned
// count is touched: every buffer here is its own exactly sized allocation).
#include "watch/notify_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace norvik {
namespace {

std::vector<std::byte> header(uint32_t next, uint32_t action, uint32_t name_bytes) {
    std::vector<std::byte> out(NOTIFY_HEADER_BYTES);
    std::memcpy(out.data(), &next, 4);
    std::memcpy(out.data() + 4, &action, 4);
    std::memcpy(out.data() + 8, &name_bytes, 4);
    return out;
}

void append_units(std::vector<std::byte>& out, std::u16string_view units) {
    size_t at = out.size();
    out.resize(at + units.size() * 2);
    std::memcpy(out.data() + at, units.data(), units.size() * 2);
}

// Parses from a heap copy of exactly `bytes` bytes, so reading one byte further is an ASan error.
std::vector<RawEvent> parse_exact(const std::vector<std::byte>& buffer, size_t bytes) {
    auto copy = std::make_unique<std::byte[]>(bytes == 0 ? 1 : bytes);
    if (bytes != 0) std::memcpy(copy.get(), buffer.data(), bytes);
    return parse_notify_records(std::span<const std::byte>(copy.get(), bytes));
}

TEST(NotifyRecords, RoundTripKeepsOrderActionsAndNames) {
    std::vector<RawEvent> events = {
        {ACTION_ADDED, "docs\\new.txt"},
        {ACTION_MODIFIED, "docs\\new.txt"},
        {ACTION_RENAMED_OLD_NAME, "보고서.hwp"},
        {ACTION_RENAMED_NEW_NAME, "보고서 최종.hwp"},
        {ACTION_REMOVED, "a"},
        {ACTION_ADDED, "music\\\xF0\x9F\x8E\xB5.mp3"},  // a surrogate pair in UTF-16
        {99, "unknown action kept for the batch to skip"},
        {ACTION_ADDED, ""},
    };
    std::vector<std::byte> buffer = encode_notify_records(events);
    EXPECT_EQ(buffer.size() % 4, 0u);
    EXPECT_EQ(parse_exact(buffer, buffer.size()), events);
}

TEST(NotifyRecords, EmptyAndShortBuffersHoldNothing) {
    std::vector<std::byte> buffer = encode_notify_records({{ACTION_ADDED, "abc"}});
    for (size_t bytes = 0; bytes < NOTIFY_HEADER_BYTES; ++bytes)
        EXPECT_TRUE(parse_exact(buffer, bytes).empty()) << bytes;
}

// Every cut of a buffer yields exactly the records whose header and name lie before the cut.
TEST(NotifyRecords, EveryTruncationYieldsTheRecordsThatFit) {
    std::vector<RawEvent> events = {{ACTION_ADDED, "first"},
                                    {ACTION_MODIFIED, "second.txt"},
                                    {ACTION_REMOVED, "third\\x"},
                                    {ACTION_ADDED, "넷째"}};
    std::vector<std::byte> buffer = encode_notify_records(events);
    // Where each record's name ends.
    std::vector<size_t> ends;
    for (size_t at = 0, i = 0; i < events.size(); ++i) {
        uint32_t next, name_bytes;
        std::memcpy(&next, buffer.data() + at, 4);
        std::memcpy(&name_bytes, buffer.data() + at + 8, 4);
        ends.push_back(at + NOTIFY_HEADER_BYTES + name_bytes);
        at += next;
    }
    for (size_t cut = 0; cut <= buffer.size(); ++cut) {
        std::vector<RawEvent> parsed = parse_exact(buffer, cut);
        size_t fitting = 0;
        while (fitting < ends.size() && ends[fitting] <= cut)
            ++fitting;
        ASSERT_EQ(parsed.size(), fitting) << "cut at " << cut;
        for (size_t i = 0; i < fitting; ++i)
            EXPECT_EQ(parsed[i], events[i]);
    }
}

TEST(NotifyRecords, HostileHeaders) {
    struct Case {
        const char* what;
        std::vector<std::byte> buffer;
        size_t expected_records;
    };
    auto record = [](uint32_t next, uint32_t action, std::u16string_view name, uint32_t length) {
        std::vector<std::byte> out = header(next, action, length);
        append_units(out, name);
        return out;
    };
    auto concat = [](std::vector<std::byte> a, const std::vector<std::byte>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    std::vector<Case> cases = {
        {"name length far past the end", record(0, 1, u"ab", 0xFFFFFFFF), 0},
        {"name length one unit past the end", record(0, 1, u"ab", 6), 0},
        {"next offset far past the end", record(0xFFFFFFF0, 1, u"ab", 4), 1},
        {"next offset just past the end", record(17, 1, u"ab", 4), 1},
        {"next offset 0 ends even with bytes left",
         concat(record(0, 1, u"ab", 4), record(0, 2, u"cd", 4)), 1},
        // The second "record" starts inside the first: its name length is read from the
        // first name's bytes (0x00620061) and does not fit.
        {"next offset into the middle of a record",
         concat(record(4, 1, u"ab", 4), std::vector<std::byte>(16)), 1},
        {"next offset 1 over zeros: a record at every byte while headers fit",
         concat(record(1, 1, u"", 0), std::vector<std::byte>(3)), 2},
        {"unaligned second record",
         concat(concat(record(17, 1, u"ab", 4), {std::byte{0}}), record(0, 3, u"cd", 4)), 2},
    };
    for (const Case& c : cases) {
        std::vector<RawEvent> parsed = parse_exact(c.buffer, c.buffer.size());
        EXPECT_EQ(parsed.size(), c.expected_records) << c.what;
    }
}

TEST(NotifyRecords, OddNameLengthDropsTheLowBit) {
    std::vector<std::byte> buffer = header(0, ACTION_ADDED, 5);
    append_units(buffer, u"ab");
    buffer.resize(buffer.size() + 1);  // the odd byte is there, but is not part of the name
    std::vector<RawEvent> parsed = parse_exact(buffer, buffer.size());
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0].name, "ab");
}

TEST(NotifyRecords, UnpairedSurrogatesBecomeReplacementCharacters) {
    std::vector<std::byte> buffer = header(0, ACTION_ADDED, 8);
    append_units(buffer, std::u16string{u'a', char16_t(0xD800), u'b', char16_t(0xDC00)});
    std::vector<RawEvent> parsed = parse_exact(buffer, buffer.size());
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0].name,
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

// Random bytes (fixed seed, small values so that offsets and lengths often fit): never a read
// out of bounds, and never more records than there are header positions (each record moves at
// least one byte on).
TEST(NotifyRecords, RandomBuffersStayInBounds) {
    std::mt19937 random(1225);
    for (int round = 0; round < 2000; ++round) {
        size_t size = random() % 200;
        std::vector<std::byte> buffer(size);
        for (std::byte& b : buffer)
            b = std::byte(random() % 4 == 0 ? random() : random() % 24);
        std::vector<RawEvent> parsed = parse_exact(buffer, size);
        size_t positions = size >= NOTIFY_HEADER_BYTES ? size - NOTIFY_HEADER_BYTES + 1 : 0;
        EXPECT_LE(parsed.size(), positions) << "round " << round;
    }
}

}  // namespace
}  // namespace norvik
