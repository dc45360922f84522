#include "kinds/kinds.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace norvik {
namespace {

struct KindList {
    Kind kind;
    std::vector<std::string> extensions;
};

// The extension table as the filter tabs promise it to the user, written out independently of
// the packed look-up in kinds.cpp.
const std::vector<KindList>& kind_lists() {
    static const std::vector<KindList> lists = {
        {Kind::Picture, {"jpg", "png", "gif",  "bmp",  "tif",  "jxl",  "psd",  "svg",
                         "ico", "raw", "cr2",  "cr3",  "nef",  "arw",  "dng",  "orf",
                         "rw2", "raf", "jpeg", "webp", "heic", "heif", "avif", "tiff"}},
        {Kind::Video,
         {"ts", "mp4", "mkv", "avi", "mov", "wmv", "flv", "m4v", "mpg", "mts", "3gp", "vob", "webm",
          "mpeg", "m2ts"}},
        {Kind::Music,
         {"mp3", "wav", "aac", "m4a", "ogg", "wma", "mid", "flac", "opus", "aiff", "alac", "midi"}},
        {Kind::Document,
         {"md",  "pdf", "doc", "xls",  "ppt",  "hwp",  "txt",  "rtf",  "odt",   "ods",
          "odp", "csv", "key", "docx", "xlsx", "pptx", "hwpx", "epub", "pages", "numbers"}},
        {Kind::Archive,
         {"7z", "gz", "xz", "zip", "rar", "tar", "tgz", "bz2", "zst", "cab", "iso", "img", "vhd",
          "egg", "alz", "wim", "esd", "vhdx", "vmdk"}},
        {Kind::Program,
         {"exe", "dll", "msi", "msp", "msu", "sys", "ocx", "jar", "bat", "cmd", "ps1", "com", "pak",
          "pck", "appx", "msix", "node", "bundle"}},
        {Kind::Temporary,
         {"pf", "tmp", "log", "bak", "old", "dmp", "etl", "temp", "part", "cache", "crdownload"}},
    };
    return lists;
}

std::map<std::string, Kind> oracle_table() {
    std::map<std::string, Kind> table;
    for (const auto& list : kind_lists()) {
        for (const auto& ext : list.extensions)
            table.emplace(ext, list.kind);
    }
    return table;
}

// The slow reading of the rule: copy, lower-case, look up.
Kind oracle_classify(const std::string& name) {
    static const std::map<std::string, Kind> table = oracle_table();
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return Kind::Other;
    std::string ext = name.substr(dot + 1);
    if (ext.size() >= 12) return Kind::Other;
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    auto it = table.find(ext);
    return it == table.end() ? Kind::Other : it->second;
}

std::string upper_ascii(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

TEST(Classify, TableHasAllExtensionsOnce) {
    size_t total = 0;
    std::set<std::string> seen;
    for (const auto& list : kind_lists()) {
        total += list.extensions.size();
        seen.insert(list.extensions.begin(), list.extensions.end());
    }
    EXPECT_EQ(total, 119u);
    EXPECT_EQ(seen.size(), 119u);
}

TEST(Classify, EveryExtensionGivesItsKind) {
    for (const auto& list : kind_lists()) {
        for (const auto& ext : list.extensions) {
            SCOPED_TRACE(ext);
            EXPECT_EQ(classify("file." + ext, false), list.kind);
            EXPECT_EQ(classify("FILE." + upper_ascii(ext), false), list.kind);
            EXPECT_EQ(classify("a.b." + ext, false), list.kind);
            // One letter too many or too few is another extension.
            EXPECT_EQ(classify("file." + ext + "x", false), oracle_classify("file." + ext + "x"));
            EXPECT_EQ(classify("file." + ext.substr(1), false),
                      oracle_classify("file." + ext.substr(1)));
        }
    }
}

TEST(Classify, MixedCaseVariants) {
    // Every upper/lower pattern of a few extensions of each packed length, and the long one.
    const std::vector<std::pair<std::string, Kind>> cases = {
        {"pdf", Kind::Document},         {"jpeg", Kind::Picture},     {"pages", Kind::Document},
        {"bundle", Kind::Program},       {"numbers", Kind::Document}, {"7z", Kind::Archive},
        {"crdownload", Kind::Temporary},
    };
    for (const auto& [ext, kind] : cases) {
        for (unsigned mask = 0; mask < (1u << ext.size()); ++mask) {
            std::string variant = ext;
            for (size_t i = 0; i < variant.size(); ++i) {
                if ((mask >> i) & 1) variant[i] = upper_ascii(std::string(1, variant[i]))[0];
            }
            SCOPED_TRACE(variant);
            EXPECT_EQ(classify("name." + variant, false), kind);
        }
    }
}

TEST(Classify, NamesByTheRule) {
    struct Case {
        std::string name;
        Kind expected;
    };
    const std::vector<Case> cases = {
        {"REPORT.PDF", Kind::Document},
        {"Report.Pdf", Kind::Document},
        {"photo.JPG", Kind::Picture},
        {"archive.tar.gz", Kind::Archive},
        {"a.crdownload", Kind::Temporary},
        {"a.CRDOWNLOAD", Kind::Temporary},
        {"a.crdownloax", Kind::Other},
        {"a.abcdefghijk", Kind::Other},     // 11 bytes: no extension that long
        {"a.crdownloadx", Kind::Other},     // 11 bytes
        {"a.abcdefghijkl", Kind::Other},    // exactly 12 bytes
        {"a.numbersnumbers", Kind::Other},  // 14 bytes
        {"a.numbers1", Kind::Other},        // 8 bytes
        {"a.numbersx", Kind::Other},        // 8 bytes
        {"a.x", Kind::Other},               // 1 byte
        {".bashrc", Kind::Other},
        {".jpg", Kind::Other},     // the only dot is the first byte
        {"..jpg", Kind::Picture},  // the last dot is not the first byte
        {"backup.", Kind::Other},
        {"photo.jpg.", Kind::Other},
        {"x.jpg ", Kind::Other},  // a trailing space is part of the extension
        {"x. jpg", Kind::Other},
        {"x.jp g", Kind::Other},
        {"noextension", Kind::Other},
        {"", Kind::Other},
        {".", Kind::Other},
        {"..", Kind::Other},
        {"x.jpé", Kind::Other},  // a non-ASCII letter never matches
        {"x.JPÉ", Kind::Other},
        {"x.\xC3\xA9pg", Kind::Other},
        {"사진.jpg", Kind::Picture},
        {"보고서.HWP", Kind::Document},
        {std::string("x.j\0g", 5), Kind::Other},
        {"C:", Kind::Other},
        {"setup.exe", Kind::Program},
        {"x.ts", Kind::Video},
        {"x.tS", Kind::Video},
        {"x.t", Kind::Other},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(classify(c.name, false), c.expected);
        EXPECT_EQ(oracle_classify(c.name), c.expected);
    }
}

TEST(Classify, FolderIsNeverClassifiedByName) {
    for (const char* name : {"holiday.jpg", "Music.mp3", "archive.zip", "noext", ".git", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(static_cast<int>(classify(name, true)), 0);
    }
}

TEST(Classify, AgreesWithSlowReadingOnGeneratedNames) {
    // Names made from extension letters, their neighbours in case and in the byte order, dots,
    // spaces and a non-ASCII byte, so that near misses of every length come up often.
    const std::string alphabet = "abcdefgijklmnoprstuvwxyzABCDEFGJKMPSTXZ0123456789. \xC3\xA9`{@[";
    std::mt19937_64 rng(20260101);
    std::vector<std::string> known;
    for (const auto& list : kind_lists())
        known.insert(known.end(), list.extensions.begin(), list.extensions.end());
    for (int i = 0; i < 200000; ++i) {
        std::string name;
        size_t stem = rng() % 4;
        for (size_t j = 0; j < stem; ++j)
            name += alphabet[rng() % alphabet.size()];
        if (rng() % 2) {
            std::string ext = known[rng() % known.size()];
            // Mutate at most one byte, or change the case of some letters.
            switch (rng() % 4) {
                case 0:
                    ext[rng() % ext.size()] = alphabet[rng() % alphabet.size()];
                    break;
                case 1:
                    ext = upper_ascii(ext);
                    break;
                case 2:
                    ext += alphabet[rng() % alphabet.size()];
                    break;
                default:
                    break;
            }
            name += '.' + ext;
        } else {
            size_t tail = rng() % 14;
            for (size_t j = 0; j < tail; ++j)
                name += alphabet[rng() % alphabet.size()];
        }
        ASSERT_EQ(classify(name, false), oracle_classify(name)) << '"' << name << '"';
    }
}

struct SizeCase {
    uint64_t bytes;
    const char* expected;
};

TEST(FormatSize, Cases) {
    const SizeCase cases[] = {
        {0, "0 B"},
        {1, "1 B"},
        {999, "999 B"},
        {1023, "1023 B"},
        {1024, "1.00 KB"},
        {1025, "1.00 KB"},
        {1152, "1.12 KB"},  // 1.125 exactly: ties to the even 2
        {1178, "1.15 KB"},  // 1.150390625
        {1160, "1.13 KB"},  // 1.1328125
        {1536, "1.50 KB"},
        {1664, "1.62 KB"},  // 1.625: tie, to even
        {1408, "1.38 KB"},  // 1.375: tie, to even
        {1689, "1.65 KB"},  // 1.6494...
        {1690, "1.65 KB"},  // 1.6503...
        {2048, "2.00 KB"},
        {10188, "9.95 KB"},   // 9.94921875
        {10235, "10.00 KB"},  // 9.9951...: two decimals, rounded up
        {10234, "9.99 KB"},   // 9.9941...
        {10239, "10.00 KB"},  // 9.999: two decimals, rounded up
        {10240, "10.0 KB"},
        {10291, "10.0 KB"},  // 10.0498
        {10292, "10.1 KB"},  // 10.0508
        {10496, "10.2 KB"},  // 10.25 exactly: tie, to even
        {11008, "10.8 KB"},  // 10.75 exactly: tie, to even
        {10752, "10.5 KB"},  // 10.5 exactly
        {10803, "10.5 KB"},  // 10.5498
        {10803 + 2, "10.6 KB"},
        {11315, "11.0 KB"},    // 11.0498
        {102348, "99.9 KB"},   // 99.949...
        {102349, "100.0 KB"},  // 99.95...: one decimal, rounded up
        {102400, "100 KB"},
        {102912, "100 KB"},  // 100.5 exactly: tie, to even 100
        {103936, "102 KB"},  // 101.5 exactly: tie, to even 102
        {1048063, "1023 KB"},
        {1048064, "1024 KB"},  // 1023.5: tie, to even 1024, still KB
        {1048575, "1024 KB"},
        {1048576, "1.00 MB"},
        {1572864, "1.50 MB"},
        {1073741823, "1024 MB"},
        {1073741824, "1.00 GB"},
        {5368709120ull, "5.00 GB"},
        {1099511627776ull, "1.00 TB"},
        {1ull << 50, "1.00 PB"},
        {(1ull << 50) * 9 / 8, "1.12 PB"},  // 1.125: tie, to even
        {(1ull << 50) * 10, "10.0 PB"},
        {1ull << 60, "1024 PB"},
        {(1ull << 60) * 15, "15360 PB"},
        {UINT64_MAX, "16384 PB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(format_size(c.bytes), c.expected);
    }
}

// Rounds value * 10^decimals half to even with a different method: long division on the exact
// binary fraction (value = bytes / 2^shift), then a decimal string.
std::string slow_format_size(uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " B";
    const char* units[] = {"KB", "MB", "GB", "TB", "PB"};
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 4) {
        value /= 1024;
        ++unit;
    }
    int decimals = value < 10 ? 2 : value < 100 ? 1 : 0;
    // value is exact in a double; split it into integer and fraction and round the fraction. The
    // fraction has at most 52 bits after the point, so times 100 it is exact in a long double's
    // 64-bit mantissa.
    double whole = static_cast<double>(static_cast<uint64_t>(value));
    long double fraction = static_cast<long double>(value) - whole;
    long double scaled = fraction * (decimals == 2 ? 100 : decimals == 1 ? 10 : 1);
    uint64_t frac_digits = static_cast<uint64_t>(scaled);
    long double rest = scaled - static_cast<long double>(frac_digits);
    uint64_t whole_digits = static_cast<uint64_t>(whole);
    uint64_t limit = decimals == 2 ? 100 : decimals == 1 ? 10 : 1;
    bool odd = decimals == 0 ? (whole_digits & 1) : (frac_digits & 1);
    if (rest > 0.5 || (rest == 0.5 && odd)) {
        if (decimals == 0) {
            ++whole_digits;
        } else if (++frac_digits == limit) {
            frac_digits = 0;
            ++whole_digits;
        }
    }
    std::string out = std::to_string(whole_digits);
    if (decimals > 0) {
        std::string f = std::to_string(frac_digits);
        out += '.';
        out.append(static_cast<size_t>(decimals) - f.size(), '0');
        out += f;
    }
    out += ' ';
    out += units[unit];
    return out;
}

TEST(FormatSize, AgreesWithSlowRoundingAcrossMagnitudes) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 200000; ++i) {
        int bits = 10 + static_cast<int>(rng() % 54);
        uint64_t bytes = rng() >> (64 - bits);
        // Every few cases, land on or next to a tie of the printed precision.
        if (i % 3 == 0) bytes = (bytes >> 3 << 3) + (rng() % 3) - 1;
        bytes |= 1024;  // stays at KB or above
        ASSERT_EQ(format_size(bytes), slow_format_size(bytes)) << bytes;
    }
}

#ifdef __GLIBC__
// glibc prints the exact binary value rounded half to even; the display must agree with it.
TEST(FormatSize, AgreesWithGlibcPrintf) {
    std::mt19937_64 rng(11);
    const char* units[] = {"KB", "MB", "GB", "TB", "PB"};
    for (int i = 0; i < 100000; ++i) {
        int bits = 11 + static_cast<int>(rng() % 53);
        uint64_t bytes = rng() >> (64 - bits);
        if (bytes < 1024) continue;
        double value = static_cast<double>(bytes) / 1024;
        int unit = 0;
        while (value >= 1024 && unit < 4) {
            value /= 1024;
            ++unit;
        }
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f %s",
                      value < 10    ? 2
                      : value < 100 ? 1
                                    : 0,
                      value, units[unit]);
        ASSERT_EQ(format_size(bytes), buf) << bytes;
    }
}
#endif

TEST(FormatCount, Cases) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0"},
        {7, "7"},
        {99, "99"},
        {999, "999"},
        {1000, "1,000"},
        {1001, "1,001"},
        {12345, "12,345"},
        {100000, "100,000"},
        {999999, "999,999"},
        {1000000, "1,000,000"},
        {1234567, "1,234,567"},
        {4294967295u, "4,294,967,295"},
        {UINT64_MAX, "18,446,744,073,709,551,615"},
    };
    for (const auto& [count, expected] : cases) {
        SCOPED_TRACE(count);
        EXPECT_EQ(format_count(count), expected);
    }
}

}  // namespace
}  // namespace norvik
