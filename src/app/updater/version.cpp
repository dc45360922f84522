#include "app/updater/version.h"

#include <algorithm>
#include <limits>

namespace norvik {

namespace {

bool is_white_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_white_space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_white_space(text.back()))
        text.remove_suffix(1);
    return text;
}

uint32_t piece_value(std::string_view piece) {
    if (!piece.empty() && piece.front() == '+') piece.remove_prefix(1);
    if (piece.empty()) return 0;
    uint64_t value = 0;
    for (char c : piece) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > std::numeric_limits<uint32_t>::max()) return 0;
    }
    return static_cast<uint32_t>(value);
}

}  // namespace

std::vector<uint32_t> parse_version(std::string_view text) {
    text = trim(text);
    while (!text.empty() && text.front() == 'v')
        text.remove_prefix(1);
    std::vector<uint32_t> numbers;
    for (;;) {
        const size_t dot = text.find('.');
        numbers.push_back(piece_value(text.substr(0, dot)));
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return numbers;
}

bool version_newer(std::string_view offered, std::string_view running) {
    std::vector<uint32_t> a = parse_version(offered);
    std::vector<uint32_t> b = parse_version(running);
    const size_t length = std::max(a.size(), b.size());
    a.resize(length, 0);
    b.resize(length, 0);
    return a > b;
}

bool version_equal(std::string_view a, std::string_view b) {
    return !version_newer(a, b) && !version_newer(b, a);
}

}  // namespace norvik
