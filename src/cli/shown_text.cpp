#include "cli/shown_text.h"

#include <cstdio>

#include "hangul/utf8.h"

namespace norvik {

namespace {

void append_escape(std::string& out, const char* format, unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, format, value);
    out += text;
}

}  // namespace

std::string escape_for_terminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x20 || byte == 0x7F) {
            append_escape(out, "\\x%02X", byte);
            ++pos;
            continue;
        }
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
            ++pos;
            continue;
        }
        size_t start = pos;
        char32_t c = decode_utf8(text, pos);
        std::string_view sequence = text.substr(start, pos - start);
        if (c == REPLACEMENT_CHARACTER && sequence != "\xEF\xBF\xBD") {
            append_escape(out, "\\x%02X", byte);  // a byte that is not UTF-8
        } else if (c >= 0x80 && c <= 0x9F) {
            append_escape(out, "\\u%04X", static_cast<unsigned>(c));  // C1: CSI and its kin
        } else {
            out += sequence;
        }
    }
    return out;
}

std::string escape_tsv_field(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

}  // namespace norvik
