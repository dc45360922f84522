// The filters, alternatives, exclusions and quotes of the query language: how each word parses,
// and what the parsed query finds, with dates read in a fixed zone (UTC+9, weeks from Sunday).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "hangul/utf8.h"
#include "query/calendar.h"
#include "query/filters.h"
#include "query/match.h"
#include "query/query.h"
#include "test_tables.h"

namespace norvik {
namespace {

using testing::add_file;
using testing::add_folder;

constexpr int32_t KST = 9 * 3600;

// Seconds since 1970 UTC of a wall-clock time in UTC+9.
int64_t kst(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return days_from_civil({year, month, day}) * 86400 + hour * 3600 + minute * 60 + second - KST;
}

// Wednesday 2026-03-18, 10:00 in UTC+9, with weeks starting on Sunday (as in Korea).
Calendar test_calendar() {
    return fixed_offset_calendar(kst(2026, 3, 18, 10), KST, 6);
}

std::shared_ptr<const Query> parse_here(std::string_view text, bool composing = false) {
    return parse(text, composing, 0, test_calendar());
}

// A time in UTC+9 as "2026-03-18 10:00:00".
std::string shown_time(int64_t seconds) {
    const int64_t local = seconds + KST;
    const int64_t days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
    const int64_t rest = local - days * 86400;
    const CivilDay day = civil_from_days(days);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", day.year, day.month, day.day,
                  static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                  static_cast<int>(rest % 60));
    return text;
}

std::string describe_term(const Term& term) {
    if (const TextTerm* text = std::get_if<TextTerm>(&term)) return text->lowered;
    std::string out;
    for (char32_t c : std::get<WildcardTerm>(term).pattern)
        append_utf8(out, c);
    return out;
}

const char* problem_name(QueryProblem problem) {
    switch (problem) {
        case QueryProblem::UnknownFilter:
            return "unknown";
        case QueryProblem::BadSize:
            return "size";
        case QueryProblem::BadDate:
            return "date";
        case QueryProblem::BadAlternative:
            return "alternative";
    }
    return "?";
}

// A query in one line: its words, alternatives, extensions, record filter, exclusions, exact
// name and error, each part only when present.
std::string describe(const Query& query) {
    std::vector<std::string> parts;
    for (const Term& term : query.terms)
        parts.push_back("[" + describe_term(term) + "]");
    for (const Alternatives& group : query.alternatives) {
        std::string alternatives;
        for (const Term& option : group.options)
            alternatives += (alternatives.empty() ? "" : "|") + describe_term(option);
        parts.push_back("any(" + alternatives + ")");
    }
    if (!query.paths.empty()) parts.push_back("paths=" + std::to_string(query.paths.size()));
    for (const std::string& extension : query.extensions)
        parts.push_back("ext=" + extension);
    const RecordFilter& record = query.record;
    if (record.kinds == RecordFilter::FILES) parts.push_back("files");
    if (record.kinds == RecordFilter::FOLDERS) parts.push_back("folders");
    if (record.kinds == 0) parts.push_back("nothing");
    if (record.size_min != 0 || record.size_max != UINT64_MAX) {
        parts.push_back("size=" + std::to_string(record.size_min) + ".." +
                        (record.size_max == UINT64_MAX ? "" : std::to_string(record.size_max)));
    }
    if (record.mtime_min != 0 || record.mtime_max != UINT32_MAX) {
        parts.push_back("dm=" + (record.mtime_min <= 1 ? "" : shown_time(record.mtime_min)) + ".." +
                        (record.mtime_max == UINT32_MAX ? "" : shown_time(record.mtime_max)));
    }
    for (const Query& excluded : query.excluded)
        parts.push_back("!(" + describe(excluded) + ")");
    if (query.alternatives_first) parts.push_back("first=any");
    if (!query.exact_name.empty()) parts.push_back("exact=" + query.exact_name);
    if (query.error)
        parts.push_back(std::string("error=") + problem_name(query.error->problem) + " " +
                        query.error->argument);
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : " ") + part;
    return out;
}

struct ParseCase {
    const char* text;
    const char* query;
};

TEST(FilterParseTest, EveryFormOfTheLanguage) {
    const ParseCase cases[] = {
        // Sizes: every comparison, decimals, each unit in any case, ranges with both ends.
        {"size:1024", "files size=1024..1024"},
        {"size:>1kb", "files size=1025.."},
        {"size:>=1KB", "files size=1024.."},
        {"size:<1mb", "files size=0..1048575"},
        {"size:<=1.5Mb", "files size=0..1572864"},
        {"size:=2gb", "files size=2147483648..2147483648"},
        {"size:1tb", "files size=1099511627776..1099511627776"},
        {"size:10b", "files size=10..10"},
        {"size:1mb..2mb", "files size=1048576..2097152"},
        {"size:1..2mb", "files size=1048576..2097152"},  // the bare end takes the other's unit
        {"size:2mb..1mb", "files size=1048576..2097152"},
        {"size:..1kb", "files size=0..1024"},
        {"size:1kb..", "files size=1024.."},
        {"size:<0", "nothing size=0..0"},
        {"크기:>10mb", "files size=10485761.."},
        {"SIZE:>1kb size:<2kb", "files size=1025..2047"},
        // Dates: a year, month or day whole; after its end, before its start; ranges.
        {"dm:2026", "dm=2026-01-01 00:00:00..2026-12-31 23:59:59"},
        {"dm:2026-03", "dm=2026-03-01 00:00:00..2026-03-31 23:59:59"},
        {"dm:2024-02-29", "dm=2024-02-29 00:00:00..2024-02-29 23:59:59"},
        {"dm:2026.3.5", "dm=2026-03-05 00:00:00..2026-03-05 23:59:59"},
        {"dm:2026/03/05", "dm=2026-03-05 00:00:00..2026-03-05 23:59:59"},
        {"dm:>2026-03", "dm=2026-04-01 00:00:00.."},
        {"dm:>=2026-03", "dm=2026-03-01 00:00:00.."},
        {"dm:<2026-03", "dm=..2026-02-28 23:59:59"},
        {"dm:<=2026-03", "dm=..2026-03-31 23:59:59"},
        {"dm:2025-12..2026-01", "dm=2025-12-01 00:00:00..2026-01-31 23:59:59"},
        {"dm:2026-01..2025-12", "dm=2025-12-01 00:00:00..2026-01-31 23:59:59"},
        {"dm:today", "dm=2026-03-18 00:00:00..2026-03-18 23:59:59"},
        {"dm:Yesterday", "dm=2026-03-17 00:00:00..2026-03-17 23:59:59"},
        {"dm:thisweek", "dm=2026-03-15 00:00:00..2026-03-21 23:59:59"},
        {"dm:lastweek", "dm=2026-03-08 00:00:00..2026-03-14 23:59:59"},
        {"dm:thismonth", "dm=2026-03-01 00:00:00..2026-03-31 23:59:59"},
        {"dm:lastmonth", "dm=2026-02-01 00:00:00..2026-02-28 23:59:59"},
        {"dm:thisyear", "dm=2026-01-01 00:00:00..2026-12-31 23:59:59"},
        {"dm:lastyear", "dm=2025-01-01 00:00:00..2025-12-31 23:59:59"},
        {"날짜:오늘", "dm=2026-03-18 00:00:00..2026-03-18 23:59:59"},
        {"날짜:어제", "dm=2026-03-17 00:00:00..2026-03-17 23:59:59"},
        {"날짜:이번주", "dm=2026-03-15 00:00:00..2026-03-21 23:59:59"},
        {"날짜:지난주", "dm=2026-03-08 00:00:00..2026-03-14 23:59:59"},
        {"날짜:이번달", "dm=2026-03-01 00:00:00..2026-03-31 23:59:59"},
        {"날짜:지난달", "dm=2026-02-01 00:00:00..2026-02-28 23:59:59"},
        {"날짜:올해", "dm=2026-01-01 00:00:00..2026-12-31 23:59:59"},
        {"날짜:작년", "dm=2025-01-01 00:00:00..2025-12-31 23:59:59"},
        {"dm:>=어제", "dm=2026-03-17 00:00:00.."},
        {"dm:1969", "dm=..1970-01-01 09:00:00"},
        // Kinds, alone and with a word.
        {"folder:", "folders"},
        {"file:", "files"},
        {"폴더:", "folders"},
        {"파일:보고서", "[보고서] files exact=보고서"},
        {"FOLDER:docs", "[docs] folders exact=docs"},
        {"folder: file:", "nothing"},
        // Filters combine with words; the exact tier takes the name words only.
        {"report size:>1mb ext:pdf", "[report] ext=pdf files size=1048577.. exact=report"},
        {"ㅂㄱㅅ dm:2026", "[ㅂㄱㅅ] dm=2026-01-01 00:00:00..2026-12-31 23:59:59 exact=ㅂㄱㅅ"},
        // Alternatives: any one option; no exact tier; empty options passed over.
        {"보고서|report", "any(보고서|report) first=any"},
        {"*.hwp|*.hwpx", "any(*.hwp|*.hwpx) first=any"},
        {"2026 보고서|report", "[2026] any(보고서|report)"},
        {"보고서|", "[보고서]"},
        {"a|*", ""},
        {"|", ""},
        // Exclusions of every kind.
        {"!report", "!([report])"},
        {"!ext:tmp,log report", "[report] !(ext=tmp ext=log) exact=report"},
        {"!size:>1mb", "!(files size=1048577..)"},
        {"!dm:today", "!(dm=2026-03-18 00:00:00..2026-03-18 23:59:59)"},
        {"!folder:", "!(folders)"},
        {"!*.tmp", "!([*.tmp])"},
        {"!a|b", "!(any(a|b) first=any)"},
        {"!docs\\report", "!([report] paths=1)"},
        {"!", ""},
        {"a|!b", "any(a|!b) first=any"},
        // Quotes: one word with its spaces; ! | : plain inside; an unclosed quote runs on.
        {"\"2026 report\"", "[2026 report] exact=2026 report"},
        {"\"!important\"", "[!important] exact=!important"},
        {"\"a|b\"", "[a|b] exact=a|b"},
        {"\"a:b\"", "[a:b] exact=a:b"},
        {"\"2026 rep", "[2026 rep] exact=2026 rep"},
        {"!\"old report\"", "!([old report])"},
        {"\"a b\"|c", "any(a b|c) first=any"},
        {"\"\"", ""},
        // Path words keep their colon.
        {"c:\\보고서", "[보고서] paths=1 exact=보고서"},
        // Malformed words: the query says what was expected, with the filter as typed.
        {"size:big", "error=size size:"},
        {"size:", "error=size size:"},
        {"크기:10mm", "error=size 크기:"},
        {"size:>", "error=size size:"},
        {"dm:2026-13", "error=date dm:"},
        {"dm:2026-02-30", "error=date dm:"},
        {"dm:26", "error=date dm:"},
        {"날짜:내일", "error=date 날짜:"},
        {"abc:def report", "[report] exact=report error=unknown abc:"},
        {"c:", "error=unknown c:"},
        {"a|size:>1", "error=alternative a|size:>1"},
        {"a|docs\\b", "error=alternative a|docs\\b"},
        {"!size:huge", "error=size size:"},
        {"folder:dm:x", "folders error=date dm:"},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(describe(*parse_here(c.text)), c.query);
    }
}

// An entry named so, with a size (files) and a modification time.
struct Item {
    const char* name;
    uint64_t size;  // a folder when it is UINT64_MAX
    int64_t mtime;
};

struct FindCase {
    const char* text;
    std::vector<std::string> names;  // in entry order
};

TEST(FilterMatchTest, FindsWhatEachFilterSays) {
    const Item items[] = {
        {"empty.txt", 0, kst(2026, 3, 18, 9)},
        {"kb-1.bin", 1023, kst(2026, 3, 18, 0, 0, 0)},      // first second of today
        {"kb.bin", 1024, kst(2026, 3, 17, 23, 59, 59)},     // last second of yesterday
        {"kb+1.bin", 1025, kst(2026, 3, 15, 0, 0, 0)},      // first second of this week
        {"mb.bin", 1048576, kst(2026, 3, 14, 23, 59, 59)},  // last second of last week
        {"mb+1.bin", 1048577, kst(2026, 3, 1, 0, 0, 0)},    // first second of March
        {"feb.bin", 5, kst(2026, 2, 28, 23, 59, 59)},       // last second of February
        {"newyear.bin", 5, kst(2026, 1, 1, 0, 0, 0)},       // first second of 2026
        {"oldyear.bin", 5, kst(2025, 12, 31, 23, 59, 59)},  // last second of 2025
        {"unknown.bin", 5, 0},                              // no date
        {"보고서.hwp", 2048, kst(2026, 3, 10)},
        {"보고서.tmp", 10, kst(2026, 3, 10)},
        {"report.pdf", 3000, kst(2026, 3, 11)},
        {"회의록.txt", 100, kst(2026, 3, 12)},
        {"보고서", UINT64_MAX, kst(2026, 3, 18, 8)},
    };
    VolumeTable table = VolumeTable::with_root("C:\\");
    for (const Item& item : items) {
        const auto mtime = static_cast<uint32_t>(item.mtime);
        if (item.size == UINT64_MAX) {
            add_folder(table, 0, item.name, mtime);
        } else {
            add_file(table, 0, item.name, mtime, item.size);
        }
    }
    const FindCase cases[] = {
        // Sizes at the unit boundaries; folders never pass a size.
        {"size:1kb", {"kb.bin"}},
        {"size:<1kb *.bin", {"kb-1.bin", "feb.bin", "newyear.bin", "oldyear.bin", "unknown.bin"}},
        {"size:>1kb", {"kb+1.bin", "mb.bin", "mb+1.bin", "보고서.hwp", "report.pdf"}},
        {"size:>=1mb", {"mb.bin", "mb+1.bin"}},
        {"size:1kb..1mb", {"kb.bin", "kb+1.bin", "mb.bin", "보고서.hwp", "report.pdf"}},
        {"size:0", {"empty.txt"}},
        // Dates at the edges of days, weeks, months and years; unknown dates never pass.
        {"dm:today", {"empty.txt", "kb-1.bin", "보고서"}},
        {"dm:yesterday", {"kb.bin"}},
        {"dm:thisweek *.bin", {"kb-1.bin", "kb.bin", "kb+1.bin"}},
        {"dm:lastweek *.bin", {"mb.bin"}},
        {"dm:2026-03 *.bin", {"kb-1.bin", "kb.bin", "kb+1.bin", "mb.bin", "mb+1.bin"}},
        {"dm:<2026-03 *.bin", {"feb.bin", "newyear.bin", "oldyear.bin"}},
        {"dm:2026-01..2026-02", {"feb.bin", "newyear.bin"}},
        {"dm:lastyear", {"oldyear.bin"}},
        {"dm:<=2025", {"oldyear.bin"}},
        // Kinds, combined with words and filters.
        {"folder:", {"보고서"}},
        {"file:보고서", {"보고서.hwp", "보고서.tmp"}},
        {"보고서 size:>1kb", {"보고서.hwp"}},
        {"ㅂㄱㅅ dm:2026-03-10", {"보고서.hwp", "보고서.tmp"}},
        // Alternatives with initials, the English layout and wildcards.
        {"ㅂㄱㅅ|report", {"보고서.hwp", "보고서.tmp", "report.pdf", "보고서"}},
        {"qhrhtj|ghldml", {"보고서.hwp", "보고서.tmp", "회의록.txt", "보고서"}},
        {"*.hwp|*.pdf", {"보고서.hwp", "report.pdf"}},
        {"ㅎㅇ|ext size:>100", {}},
        // Exclusions with initials, the English layout, extensions and filters.
        {"보고서 !ext:tmp", {"보고서.hwp", "보고서"}},
        {"ext:hwp,txt,pdf !ghldml", {"empty.txt", "보고서.hwp", "report.pdf"}},
        {"*.hwp|*.tmp|*.pdf !ㅂㄱㅅ", {"report.pdf"}},
        {"ㅂㄱㅅ !folder: !size:<1kb", {"보고서.hwp"}},
        {"!dm:2026 *.bin", {"oldyear.bin", "unknown.bin"}},
        {"ㅂㄱㅅ !!ext:hwp", {"보고서.hwp"}},
        // A malformed word finds nothing.
        {"보고서 size:big", {}},
    };
    const std::vector<VolumeTable> tables{std::move(table)};
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.text);
        const std::shared_ptr<const Query> query = parse_here(c.text);
        std::vector<Hit> hits;
        MatchScratch scratch;
        match_range(*query, tables[0], 0, 1, tables[0].size(), scratch, hits);
        EXPECT_EQ(testing::names_of(hits, tables), c.names);
        // Entry by entry, as the window's tests of a single row ask, the same entries match.
        EXPECT_EQ(testing::match_all_entries(*query, tables), hits);
    }
}

}  // namespace
}  // namespace norvik
