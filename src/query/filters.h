// The filters a query word can name: size:, dm: (date modified), folder: and file:, with their
// Korean names 크기:, 날짜:, 폴더: and 파일:. Each is decided from an entry's record alone (its
// flags, size and mtime), before the name is read, and several of them narrow one RecordFilter.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "index/entry.h"
#include "query/calendar.h"

namespace norvik {

// What every hit's record must be. 32 bytes, compared field by field: a query holds one.
struct RecordFilter {
    static constexpr uint8_t FILES = 1;
    static constexpr uint8_t FOLDERS = 2;

    uint64_t size_min = 0;  // a file's size, both ends included; folders never pass a size
    uint64_t size_max = UINT64_MAX;
    uint32_t mtime_min = 0;  // seconds since 1970 UTC, both ends included
    uint32_t mtime_max = UINT32_MAX;
    uint8_t kinds = FILES | FOLDERS;

    bool operator==(const RecordFilter&) const = default;

    // Anything narrower than every entry.
    bool active() const { return *this != RecordFilter{}; }

    [[gnu::always_inline]] bool admits(const Entry& entry) const {
        if (entry.is_dir()) {
            // A folder's size field holds its children's span, never compared.
            if (!(kinds & FOLDERS)) return false;
        } else if (!(kinds & FILES) || entry.size < size_min || entry.size > size_max) {
            return false;
        }
        return entry.mtime >= mtime_min && entry.mtime <= mtime_max;
    }

    // Both this and other must hold.
    void narrow(const RecordFilter& other);
};

// Which filter a word's name before ":" is (lowered: "size", "크기", ...).
enum class FilterName : uint8_t { None, Extension, Size, Date, Folder, File };
FilterName filter_named(std::string_view lowered_name);

// The filter of a size: word's text after the colon (lowered): N, >N, >=N, <N, <=N, =N or N..M
// (either end may be left out), N a number with decimals and an optional unit b, kb, mb, gb or
// tb (multiples of 1,024). Nothing when it does not parse.
std::optional<RecordFilter> parse_size_filter(std::string_view text);

// The filter of a dm: word's text after the colon (lowered): DATE, >DATE, >=DATE, <DATE, <=DATE
// or DATE..DATE, a DATE being YYYY, YYYY-MM or YYYY-MM-DD (also with . or / between) for that
// whole year, month or day in the calendar's zone, or a date word (today, 오늘, thisweek, ...).
// Entries whose date is unknown (0) never pass. Nothing when it does not parse.
std::optional<RecordFilter> parse_date_filter(std::string_view text, const Calendar& calendar);

}  // namespace norvik
