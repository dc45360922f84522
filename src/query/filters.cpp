#include "query/filters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace norvik {

void RecordFilter::narrow(const RecordFilter& other) {
    size_min = std::max(size_min, other.size_min);
    size_max = std::min(size_max, other.size_max);
    mtime_min = std::max(mtime_min, other.mtime_min);
    mtime_max = std::min(mtime_max, other.mtime_max);
    kinds &= other.kinds;
}

FilterName filter_named(std::string_view name) {
    struct Named {
        std::string_view name;
        FilterName filter;
    };
    static constexpr std::array<Named, 9> NAMES = {{
        {"ext", FilterName::Extension},
        {"size", FilterName::Size},
        {"크기", FilterName::Size},
        {"dm", FilterName::Date},
        {"날짜", FilterName::Date},
        {"folder", FilterName::Folder},
        {"폴더", FilterName::Folder},
        {"file", FilterName::File},
        {"파일", FilterName::File},
    }};
    for (const Named& named : NAMES)
        if (named.name == name) return named.filter;
    return FilterName::None;
}

namespace {

// How a filter's text compares: the operator before a single value, or a range.
enum class Compare : uint8_t { Equal, Greater, GreaterEqual, Less, LessEqual };

// Takes the operator off the front of text.
Compare take_compare(std::string_view& text) {
    static constexpr std::array<std::pair<std::string_view, Compare>, 5> OPERATORS = {{
        {">=", Compare::GreaterEqual},
        {"<=", Compare::LessEqual},
        {">", Compare::Greater},
        {"<", Compare::Less},
        {"=", Compare::Equal},
    }};
    for (const auto& [spelled, compare] : OPERATORS) {
        if (text.starts_with(spelled)) {
            text.remove_prefix(spelled.size());
            return compare;
        }
    }
    return Compare::Equal;
}

// A range's two ends: the text split at its first "..". Nothing without one.
std::optional<std::pair<std::string_view, std::string_view>> split_range(std::string_view text) {
    const size_t dots = text.find("..");
    if (dots == std::string_view::npos) return std::nullopt;
    return std::pair{text.substr(0, dots), text.substr(dots + 2)};
}

// --- Sizes ---

struct SizeText {
    long double number = 0;
    std::optional<uint64_t> unit;  // bytes per unit, when one was written
};

std::optional<SizeText> parse_size_text(std::string_view text) {
    size_t at = 0;
    size_t digits = 0;
    bool point = false;
    long double number = 0;
    long double scale = 1;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c >= '0' && c <= '9') {
            ++digits;
            if (point) {
                scale /= 10;
                number += (c - '0') * scale;
            } else {
                number = number * 10 + (c - '0');
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return std::nullopt;
    static constexpr std::array<std::pair<std::string_view, uint64_t>, 5> UNITS = {{
        {"b", 1},
        {"kb", uint64_t{1} << 10},
        {"mb", uint64_t{1} << 20},
        {"gb", uint64_t{1} << 30},
        {"tb", uint64_t{1} << 40},
    }};
    const std::string_view unit = text.substr(at);
    if (unit.empty()) return SizeText{number, std::nullopt};
    for (const auto& [name, bytes] : UNITS)
        if (unit == name) return SizeText{number, bytes};
    return std::nullopt;
}

// A size in whole bytes, rounded to the nearest and saturating.
uint64_t bytes_of(const SizeText& size, uint64_t unit) {
    const long double bytes = std::round(size.number * static_cast<long double>(unit));
    if (bytes >= 18446744073709551615.0L) return UINT64_MAX;
    return static_cast<uint64_t>(bytes);
}

// --- Dates ---

// Days [first, end) since 1970-01-01 in the calendar's zone.
struct Period {
    int64_t first = 0;
    int64_t end = 0;
};

Period year_period(int year) {
    return {days_from_civil({year, 1, 1}), days_from_civil({year + 1, 1, 1})};
}

Period month_period(int year, int month) {
    const int64_t first = days_from_civil({year, month, 1});
    return {first, first + days_in_month(year, month)};
}

std::optional<Period> date_word_period(std::string_view word, const Calendar& calendar) {
    enum Word { Today, Yesterday, ThisWeek, LastWeek, ThisMonth, LastMonth, ThisYear, LastYear };
    static constexpr std::array<std::pair<std::string_view, Word>, 16> WORDS = {{
        {"today", Today},
        {"오늘", Today},
        {"yesterday", Yesterday},
        {"어제", Yesterday},
        {"thisweek", ThisWeek},
        {"이번주", ThisWeek},
        {"lastweek", LastWeek},
        {"지난주", LastWeek},
        {"thismonth", ThisMonth},
        {"이번달", ThisMonth},
        {"lastmonth", LastMonth},
        {"지난달", LastMonth},
        {"thisyear", ThisYear},
        {"올해", ThisYear},
        {"lastyear", LastYear},
        {"작년", LastYear},
    }};
    const auto found = std::find_if(WORDS.begin(), WORDS.end(),
                                    [word](const auto& named) { return named.first == word; });
    if (found == WORDS.end()) return std::nullopt;
    const int64_t today = calendar.today;
    const CivilDay date = civil_from_days(today);
    const int64_t week = today - (weekday_of(today) - calendar.first_weekday + 7) % 7;
    switch (found->second) {
        case Today:
            return Period{today, today + 1};
        case Yesterday:
            return Period{today - 1, today};
        case ThisWeek:
            return Period{week, week + 7};
        case LastWeek:
            return Period{week - 7, week};
        case ThisMonth:
            return month_period(date.year, date.month);
        case LastMonth:
            return date.month == 1 ? month_period(date.year - 1, 12)
                                   : month_period(date.year, date.month - 1);
        case ThisYear:
            return year_period(date.year);
        case LastYear:
            return year_period(date.year - 1);
    }
    return std::nullopt;
}

// A number of exactly `digits` digits (1 or 2 for a month or day, 4 for a year) at the front of
// text, taken off it.
std::optional<int> take_number(std::string_view& text, size_t fewest, size_t most) {
    size_t n = 0;
    int value = 0;
    while (n < text.size() && n < most && text[n] >= '0' && text[n] <= '9')
        value = value * 10 + (text[n++] - '0');
    if (n < fewest || (n < text.size() && text[n] >= '0' && text[n] <= '9')) return std::nullopt;
    text.remove_prefix(n);
    return value;
}

bool take_separator(std::string_view& text) {
    if (text.empty() || (text[0] != '-' && text[0] != '.' && text[0] != '/')) return false;
    text.remove_prefix(1);
    return true;
}

std::optional<Period> period_of(std::string_view text, const Calendar& calendar) {
    if (std::optional<Period> named = date_word_period(text, calendar)) return named;
    const std::optional<int> year = take_number(text, 4, 4);
    if (!year) return std::nullopt;
    if (text.empty()) return year_period(*year);
    if (!take_separator(text)) return std::nullopt;
    const std::optional<int> month = take_number(text, 1, 2);
    if (!month || *month < 1 || *month > 12) return std::nullopt;
    if (text.empty()) return month_period(*year, *month);
    if (!take_separator(text)) return std::nullopt;
    const std::optional<int> day = take_number(text, 1, 2);
    if (!day || *day < 1 || *day > days_in_month(*year, *month) || !text.empty())
        return std::nullopt;
    const int64_t first = days_from_civil({*year, *month, *day});
    return Period{first, first + 1};
}

// Seconds since 1970 UTC as an entry's mtime holds them: unknown dates (0) are below every
// filter's range, and times past the field's end saturate.
uint32_t clamp_mtime(int64_t seconds) {
    return static_cast<uint32_t>(std::clamp<int64_t>(seconds, 1, UINT32_MAX));
}

}  // namespace

std::optional<RecordFilter> parse_size_filter(std::string_view text) {
    RecordFilter filter;
    filter.kinds = RecordFilter::FILES;
    if (auto range = split_range(text)) {
        std::optional<SizeText> low;
        std::optional<SizeText> high;
        if (!range->first.empty() && !(low = parse_size_text(range->first))) return std::nullopt;
        if (!range->second.empty() && !(high = parse_size_text(range->second))) return std::nullopt;
        if (!low && !high) return std::nullopt;
        // "1..2mb" reads as 1 to 2 MB: a bare lower end takes the upper end's unit.
        const uint64_t high_unit = high && high->unit ? *high->unit : 1;
        if (low) filter.size_min = bytes_of(*low, low->unit ? *low->unit : high_unit);
        if (high) filter.size_max = bytes_of(*high, high_unit);
        if (low && high && filter.size_min > filter.size_max)
            std::swap(filter.size_min, filter.size_max);
        return filter;
    }
    const Compare compare = take_compare(text);
    const std::optional<SizeText> size = parse_size_text(text);
    if (!size) return std::nullopt;
    const uint64_t bytes = bytes_of(*size, size->unit.value_or(1));
    switch (compare) {
        case Compare::Equal:
            filter.size_min = filter.size_max = bytes;
            break;
        case Compare::Greater:
            if (bytes == UINT64_MAX) filter.kinds = 0;  // nothing is larger
            filter.size_min = bytes == UINT64_MAX ? bytes : bytes + 1;
            break;
        case Compare::GreaterEqual:
            filter.size_min = bytes;
            break;
        case Compare::Less:
            if (bytes == 0) filter.kinds = 0;  // nothing is smaller
            filter.size_max = bytes == 0 ? 0 : bytes - 1;
            break;
        case Compare::LessEqual:
            filter.size_max = bytes;
            break;
    }
    return filter;
}

std::optional<RecordFilter> parse_date_filter(std::string_view text, const Calendar& calendar) {
    if (!calendar.day_start) return std::nullopt;
    // A range [first, end) of days; an open end is no bound.
    std::optional<int64_t> first_day;
    std::optional<int64_t> end_day;
    if (auto range = split_range(text)) {
        std::optional<Period> low;
        std::optional<Period> high;
        if (!range->first.empty() && !(low = period_of(range->first, calendar)))
            return std::nullopt;
        if (!range->second.empty() && !(high = period_of(range->second, calendar)))
            return std::nullopt;
        if (!low && !high) return std::nullopt;
        // Written the other way round, the range still covers both periods whole.
        if (low && high && high->first < low->first) std::swap(low, high);
        if (low) first_day = low->first;
        if (high) end_day = high->end;
    } else {
        const Compare compare = take_compare(text);
        const std::optional<Period> period = period_of(text, calendar);
        if (!period) return std::nullopt;
        switch (compare) {
            case Compare::Equal:
                first_day = period->first;
                end_day = period->end;
                break;
            case Compare::Greater:
                first_day = period->end;
                break;
            case Compare::GreaterEqual:
                first_day = period->first;
                break;
            case Compare::Less:
                end_day = period->first;
                break;
            case Compare::LessEqual:
                end_day = period->end;
                break;
        }
    }
    RecordFilter filter;
    filter.mtime_min = first_day ? clamp_mtime(calendar.day_start(*first_day)) : 1;
    // A period that ends before any known date takes nothing: its end falls below the start.
    if (end_day)
        filter.mtime_max = static_cast<uint32_t>(
            std::clamp<int64_t>(calendar.day_start(*end_day) - 1, 0, UINT32_MAX));
    return filter;
}

}  // namespace norvik
