#include "kinds/kinds.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace norvik {
namespace {

// An extension of up to 8 bytes packed into one integer, first byte lowest, ASCII letters folded
// to lower case. Two extensions of the same length are equal exactly when their keys are.
constexpr uint64_t ascii_lower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<uint64_t>(c | 0x20) : c;
}

constexpr uint64_t pack(std::string_view ext) {
    uint64_t key = 0;
    for (size_t i = 0; i < ext.size(); ++i)
        key |= ascii_lower(static_cast<unsigned char>(ext[i])) << (8 * i);
    return key;
}

struct KnownExtension {
    std::string_view ext;
    Kind kind;
};

constexpr KnownExtension EXTENSIONS[] = {
    // Picture
    {"jpg", Kind::Picture},
    {"png", Kind::Picture},
    {"gif", Kind::Picture},
    {"bmp", Kind::Picture},
    {"tif", Kind::Picture},
    {"jxl", Kind::Picture},
    {"psd", Kind::Picture},
    {"svg", Kind::Picture},
    {"ico", Kind::Picture},
    {"raw", Kind::Picture},
    {"cr2", Kind::Picture},
    {"cr3", Kind::Picture},
    {"nef", Kind::Picture},
    {"arw", Kind::Picture},
    {"dng", Kind::Picture},
    {"orf", Kind::Picture},
    {"rw2", Kind::Picture},
    {"raf", Kind::Picture},
    {"jpeg", Kind::Picture},
    {"webp", Kind::Picture},
    {"heic", Kind::Picture},
    {"heif", Kind::Picture},
    {"avif", Kind::Picture},
    {"tiff", Kind::Picture},
    // Video
    {"ts", Kind::Video},
    {"mp4", Kind::Video},
    {"mkv", Kind::Video},
    {"avi", Kind::Video},
    {"mov", Kind::Video},
    {"wmv", Kind::Video},
    {"flv", Kind::Video},
    {"m4v", Kind::Video},
    {"mpg", Kind::Video},
    {"mts", Kind::Video},
    {"3gp", Kind::Video},
    {"vob", Kind::Video},
    {"webm", Kind::Video},
    {"mpeg", Kind::Video},
    {"m2ts", Kind::Video},
    // Music
    {"mp3", Kind::Music},
    {"wav", Kind::Music},
    {"aac", Kind::Music},
    {"m4a", Kind::Music},
    {"ogg", Kind::Music},
    {"wma", Kind::Music},
    {"mid", Kind::Music},
    {"flac", Kind::Music},
    {"opus", Kind::Music},
    {"aiff", Kind::Music},
    {"alac", Kind::Music},
    {"midi", Kind::Music},
    // Document
    {"md", Kind::Document},
    {"pdf", Kind::Document},
    {"doc", Kind::Document},
    {"xls", Kind::Document},
    {"ppt", Kind::Document},
    {"hwp", Kind::Document},
    {"txt", Kind::Document},
    {"rtf", Kind::Document},
    {"odt", Kind::Document},
    {"ods", Kind::Document},
    {"odp", Kind::Document},
    {"csv", Kind::Document},
    {"key", Kind::Document},
    {"docx", Kind::Document},
    {"xlsx", Kind::Document},
    {"pptx", Kind::Document},
    {"hwpx", Kind::Document},
    {"epub", Kind::Document},
    {"pages", Kind::Document},
    {"numbers", Kind::Document},
    // Archive
    {"7z", Kind::Archive},
    {"gz", Kind::Archive},
    {"xz", Kind::Archive},
    {"zip", Kind::Archive},
    {"rar", Kind::Archive},
    {"tar", Kind::Archive},
    {"tgz", Kind::Archive},
    {"bz2", Kind::Archive},
    {"zst", Kind::Archive},
    {"cab", Kind::Archive},
    {"iso", Kind::Archive},
    {"img", Kind::Archive},
    {"vhd", Kind::Archive},
    {"egg", Kind::Archive},
    {"alz", Kind::Archive},
    {"wim", Kind::Archive},
    {"esd", Kind::Archive},
    {"vhdx", Kind::Archive},
    {"vmdk", Kind::Archive},
    // Program
    {"exe", Kind::Program},
    {"dll", Kind::Program},
    {"msi", Kind::Program},
    {"msp", Kind::Program},
    {"msu", Kind::Program},
    {"sys", Kind::Program},
    {"ocx", Kind::Program},
    {"jar", Kind::Program},
    {"bat", Kind::Program},
    {"cmd", Kind::Program},
    {"ps1", Kind::Program},
    {"com", Kind::Program},
    {"pak", Kind::Program},
    {"pck", Kind::Program},
    {"appx", Kind::Program},
    {"msix", Kind::Program},
    {"node", Kind::Program},
    {"bundle", Kind::Program},
    // Temporary
    {"pf", Kind::Temporary},
    {"tmp", Kind::Temporary},
    {"log", Kind::Temporary},
    {"bak", Kind::Temporary},
    {"old", Kind::Temporary},
    {"dmp", Kind::Temporary},
    {"etl", Kind::Temporary},
    {"temp", Kind::Temporary},
    {"part", Kind::Temporary},
    {"cache", Kind::Temporary},
    {"crdownload", Kind::Temporary},
};
static_assert(std::size(EXTENSIONS) == 119);

// The one extension longer than a packed key holds.
constexpr std::string_view LONG_EXTENSION = "crdownload";
constexpr Kind LONG_EXTENSION_KIND = Kind::Temporary;
constexpr size_t MAX_PACKED = 8;
constexpr size_t MAX_EXTENSION = 11;  // 12 bytes and longer are Other without a look-up

struct Candidate {
    uint64_t key;
    Kind kind;
};

// The extensions of one length, sorted by key.
template <size_t Length>
constexpr auto candidates_of_length() {
    constexpr size_t count = [] {
        size_t n = 0;
        for (const auto& e : EXTENSIONS)
            n += e.ext.size() == Length;
        return n;
    }();
    std::array<Candidate, count> out{};
    size_t n = 0;
    for (const auto& e : EXTENSIONS) {
        if (e.ext.size() == Length) out[n++] = {pack(e.ext), e.kind};
    }
    std::sort(out.begin(), out.end(),
              [](const Candidate& a, const Candidate& b) { return a.key < b.key; });
    return out;
}

constexpr auto LENGTH_2 = candidates_of_length<2>();
constexpr auto LENGTH_3 = candidates_of_length<3>();
constexpr auto LENGTH_4 = candidates_of_length<4>();
constexpr auto LENGTH_5 = candidates_of_length<5>();
constexpr auto LENGTH_6 = candidates_of_length<6>();
constexpr auto LENGTH_7 = candidates_of_length<7>();

// Every table extension is covered by exactly one of the per-length lists above.
static_assert(LENGTH_2.size() + LENGTH_3.size() + LENGTH_4.size() + LENGTH_5.size() +
                  LENGTH_6.size() + LENGTH_7.size() + 1 ==
              std::size(EXTENSIONS));
template <size_t N>
constexpr bool keys_unique(const std::array<Candidate, N>& list) {
    for (size_t i = 1; i < N; ++i) {
        if (list[i - 1].key == list[i].key) return false;
    }
    return true;
}
static_assert(keys_unique(LENGTH_2) && keys_unique(LENGTH_3) && keys_unique(LENGTH_4) &&
              keys_unique(LENGTH_5) && keys_unique(LENGTH_6) && keys_unique(LENGTH_7));

template <size_t N>
Kind find_kind(const std::array<Candidate, N>& list, uint64_t key) {
    auto it = std::lower_bound(list.begin(), list.end(), key,
                               [](const Candidate& c, uint64_t k) { return c.key < k; });
    return (it != list.end() && it->key == key) ? it->kind : Kind::Other;
}

bool equals_folded(std::string_view ext, std::string_view lower) {
    if (ext.size() != lower.size()) return false;
    for (size_t i = 0; i < ext.size(); ++i) {
        if (ascii_lower(static_cast<unsigned char>(ext[i])) != static_cast<uint64_t>(lower[i]))
            return false;
    }
    return true;
}

}  // namespace

Kind classify(std::string_view name, bool is_folder) {
    if (is_folder) return static_cast<Kind>(0);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return Kind::Other;
    std::string_view ext = name.substr(dot + 1);
    if (ext.size() > MAX_EXTENSION) return Kind::Other;
    if (ext.size() > MAX_PACKED) {
        return equals_folded(ext, LONG_EXTENSION) ? LONG_EXTENSION_KIND : Kind::Other;
    }
    // No buffer: the folded extension is compared as one integer against its length's list.
    uint64_t key = pack(ext);
    switch (ext.size()) {
        case 2:
            return find_kind(LENGTH_2, key);
        case 3:
            return find_kind(LENGTH_3, key);
        case 4:
            return find_kind(LENGTH_4, key);
        case 5:
            return find_kind(LENGTH_5, key);
        case 6:
            return find_kind(LENGTH_6, key);
        case 7:
            return find_kind(LENGTH_7, key);
        default:
            return Kind::Other;
    }
}

std::string format_size(uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " B";

    static constexpr const char* UNITS[] = {"KB", "MB", "GB", "TB", "PB"};
    // The size is taken as a double, as the display has always done; from there on everything
    // is exact integer arithmetic, so rounding is the same under every C library. Above 2^53
    // the conversion itself rounds; the double's value is an integer of at most 2^64.
    using u128 = unsigned __int128;
    const u128 value = static_cast<u128>(static_cast<double>(bytes));

    int unit = 0;  // the value shown is value / 2^shift
    unsigned shift = 10;
    while (unit < 4 && value >= (u128{1024} << shift)) {
        ++unit;
        shift += 10;
    }

    // Decimals by the value before rounding: 9.999 KB prints as 10.00 KB.
    const u128 one = u128{1} << shift;
    unsigned decimals = value < 10 * one ? 2 : value < 100 * one ? 1 : 0;
    const unsigned scale = decimals == 2 ? 100 : decimals == 1 ? 10 : 1;

    // Round value * scale / 2^shift to the nearest integer, an exact tie to the even one.
    const u128 scaled = value * scale;
    uint64_t digits = static_cast<uint64_t>(scaled >> shift);
    const u128 rest = scaled & (one - 1);
    const u128 half = one >> 1;
    if (rest > half || (rest == half && (digits & 1))) ++digits;

    std::string out = std::to_string(digits / scale);
    if (decimals > 0) {
        std::string fraction = std::to_string(digits % scale);
        out += '.';
        out.append(decimals - fraction.size(), '0');
        out += fraction;
    }
    out += ' ';
    out += UNITS[unit];
    return out;
}

std::string format_count(uint64_t count) {
    std::string digits = std::to_string(count);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace norvik
