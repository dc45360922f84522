#include "index/volume_table.h"

#include <algorithm>

#include "hangul/hangul.h"
#include "hangul/unicode_case.h"
#include "hangul/utf8.h"
#include "kinds/kinds.h"

namespace norvik {

namespace {

// Fixed growth steps keep the memory peak of a tens-of-millions table near its size; doubling
// would briefly hold three times the entries while copying.
constexpr size_t ENTRY_GROWTH_MIN = 4096;
constexpr size_t NAME_GROWTH_MIN = 65536;
constexpr size_t NAME_FREE_MIN = 1024;

bool contains_hangul(std::string_view name) {
    // Syllables and compatibility jamo all start with lead byte 0xE3 (U+3131-U+3163) or
    // 0xEA-0xED (U+AC00-U+D7A3), so most names are rejected without decoding.
    for (size_t pos = 0; pos < name.size();) {
        unsigned char b = static_cast<unsigned char>(name[pos]);
        if (b < 0xE3 || b > 0xED) {
            ++pos;
            continue;
        }
        if (is_hangul(decode_utf8(name, pos))) return true;
    }
    return false;
}

bool ascii_equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return false;
    }
    return true;
}

}  // namespace

VolumeTable VolumeTable::with_root(std::string root) {
    VolumeTable table;
    table.root = std::move(root);
    std::string_view name = table.root;
    while (name.size() > 1 && (name.back() == '\\' || name.back() == '/'))
        name.remove_suffix(1);
    FileFacts facts{.size = 0, .mtime = 0, .attributes = ATTRIBUTE_DIRECTORY};
    std::string root_name(name);
    table.add_entry(NO_PARENT, root_name, facts, 0);
    return table;
}

uint32_t VolumeTable::add_entry(uint32_t parent, std::string_view name, const FileFacts& facts,
                                uint32_t reparse_tag) {
    if (entries.size() == entries.capacity())
        entries.reserve(entries.size() + std::max(ENTRY_GROWTH_MIN, entries.size() / 16));
    if (names.capacity() - names.size() < NAME_FREE_MIN)
        names.reserve(names.capacity() + std::max(NAME_GROWTH_MIN, names.size() / 16));

    Entry entry{};
    bool is_dir = facts.attributes & ATTRIBUTE_DIRECTORY;
    entry.flags = (is_dir ? FLAG_DIR : 0) |
                  static_cast<uint8_t>(facts.attributes & (ATTRIBUTE_HIDDEN | ATTRIBUTE_SYSTEM));
    if ((facts.attributes & ATTRIBUTE_REPARSE_POINT) &&
        (reparse_tag == REPARSE_TAG_MOUNT_POINT || reparse_tag == REPARSE_TAG_SYMLINK))
        entry.flags |= FLAG_LINK;
    entry.size = is_dir ? 0 : facts.size;
    entry.mtime = facts.mtime;
    entry.parent = parent;

    uint32_t index = static_cast<uint32_t>(entries.size());
    set_name(index, entry, name);
    entries.push_back(entry);
    ++live_count;
    return index;
}

void VolumeTable::set_name(uint32_t index, Entry& entry, std::string_view name) {
    std::optional<std::string> normalized = normalize_nfc(name);
    std::string_view stored = normalized ? std::string_view(*normalized) : name;
    stored = stored.substr(0, cut_at_char_boundary(stored, MAX_NAME_BYTES));

    // A long rename can need more than the usual free space.
    if (names.capacity() - names.size() < stored.size())
        names.reserve(names.size() + stored.size() + std::max(NAME_GROWTH_MIN, names.size() / 16));
    entry.name_offset = static_cast<uint32_t>(names.size());
    entry.name_len = static_cast<uint16_t>(stored.size());
    names.insert(names.end(), stored.begin(), stored.end());

    entry.flags &= ~(FLAG_DISPLAY_NAME | FLAG_HANGUL | FLAG_UNICODE_UPPER);
    if (!is_ascii(stored)) {
        if (contains_hangul(stored)) entry.flags |= FLAG_HANGUL;
        if (has_non_ascii_upper(stored)) entry.flags |= FLAG_UNICODE_UPPER;
    }
    bool is_dir = entry.flags & FLAG_DIR;
    entry.kind = is_dir ? 0 : static_cast<uint8_t>(classify(stored, false));

    if (normalized) {
        entry.flags |= FLAG_DISPLAY_NAME;
        display_names[index] = std::string(name);
    } else {
        display_names.erase(index);
    }
}

std::string_view VolumeTable::stored_name(uint32_t index) const {
    if (index >= entries.size()) return {};
    const Entry& e = entries[index];
    return std::string_view(names.data() + e.name_offset, e.name_len);
}

std::string_view VolumeTable::display_name(uint32_t index) const {
    if (index < entries.size() && (entries[index].flags & FLAG_DISPLAY_NAME)) {
        if (auto it = display_names.find(index); it != display_names.end()) return it->second;
    }
    return stored_name(index);
}

std::vector<uint32_t> VolumeTable::children(uint32_t index) const {
    std::vector<uint32_t> result;
    for_each_child(index, [&](uint32_t child) { result.push_back(child); });
    return result;
}

std::optional<uint32_t> VolumeTable::find_child(uint32_t parent, std::string_view name) const {
    std::optional<uint32_t> found;
    if (is_ascii(name)) {
        for_each_child(parent, [&](uint32_t child) {
            if (!found && ascii_equal_ignoring_case(display_name(child), name)) found = child;
        });
        return found;
    }
    std::string wanted = lower_full(name);
    std::string candidate;
    for_each_child(parent, [&](uint32_t child) {
        if (found) return;
        candidate.clear();
        append_lower_full(candidate, display_name(child));
        if (candidate == wanted) found = child;
    });
    return found;
}

std::optional<uint32_t> VolumeTable::find_path(std::string_view relative_path) const {
    uint32_t current = 0;
    if (entries.empty()) return std::nullopt;
    while (!relative_path.empty()) {
        size_t cut = relative_path.find('\\');
        std::string_view component = relative_path.substr(0, cut);
        relative_path =
            cut == std::string_view::npos ? std::string_view{} : relative_path.substr(cut + 1);
        if (component.empty()) continue;
        std::optional<uint32_t> child = find_child(current, component);
        if (!child) return std::nullopt;
        current = *child;
    }
    return current;
}

std::string VolumeTable::full_path(uint32_t index, bool use_stored_names) const {
    if (index >= entries.size()) return {};
    auto name_of = [&](uint32_t at) {
        return use_stored_names ? stored_name(at) : display_name(at);
    };
    // First pass measures, second fills from the end: no list of names to keep (the Folder
    // sort builds one path per distinct parent, so this runs often).
    size_t count = 0;
    size_t length = 0;
    for (uint32_t at = index; at < entries.size() && count < MAX_PATH_NAMES;
         at = entries[at].parent, ++count)
        length += name_of(at).size();
    length += count - 1;
    bool bare_drive = count == 1 && length == 2 && name_of(index)[1] == ':';

    std::string path(length + (bare_drive ? 1 : 0), '\\');
    size_t end = length;
    uint32_t at = index;
    for (size_t i = 0; i < count; ++i, at = entries[at].parent) {
        std::string_view name = name_of(at);
        end -= name.size();
        name.copy(path.data() + end, name.size());
        if (end > 0) --end;  // the separator, already in place
    }
    return path;
}

}  // namespace norvik
