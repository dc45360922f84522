#include "index/volume_table.h"

#include <algorithm>
#include <utility>

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

// Folders listing more children than this get a name lookup. Building one reads every child's
// record and name, a few scans' worth, while a scan of a smaller folder reads a handful of cache
// lines; measured on generated tables, lookups for smaller folders cost more than they save.
constexpr uint64_t CHILD_LOOKUP_MIN = 256;

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

// True when text's full lowercase is `lower`. The first character's mapping starts the text's
// (no final sigma can stand first), which turns most texts away before any lowercasing; an
// ASCII text's full lowercase is its ASCII fold, compared without being written out.
bool lowercases_to(std::string_view text, std::string_view lower, std::string& scratch) {
    if (text.empty() || lower.empty()) return text.empty() && lower.empty();
    size_t at = 0;
    size_t lower_at = 0;
    if (lower_first(decode_utf8(text, at)) != decode_utf8(lower, lower_at)) return false;
    if (is_ascii(text)) return ascii_equal_ignoring_case(text, lower);
    scratch.clear();
    append_lower_full(scratch, text);
    return scratch == lower;
}

}  // namespace

VolumeTable VolumeTable::with_root(std::string root, TableLimits limits) {
    VolumeTable table;
    table.root = std::move(root);
    table.limits = limits;
    std::string_view name = table.root;
    while (name.size() > 1 && (name.back() == '\\' || name.back() == '/'))
        name.remove_suffix(1);
    FileFacts facts{.size = 0, .mtime = 0, .attributes = ATTRIBUTE_DIRECTORY};
    std::string root_name(name);
    table.add_entry(NO_PARENT, root_name, facts, 0);
    return table;
}

void VolumeTable::size_entries_for_load(size_t count) {
    entries.reserve(count + std::max(ENTRY_GROWTH_MIN, count / 16));
    entries.resize(count);
}

void VolumeTable::size_names_for_load(size_t bytes) {
    names.reserve(bytes + std::max(NAME_GROWTH_MIN, bytes / 16));
    names.resize(bytes);
}

uint32_t VolumeTable::add_entry(uint32_t parent, std::string_view name, const FileFacts& facts,
                                uint32_t reparse_tag) {
    if (entries.size() >= limits.entries) return NO_ENTRY;
    if (entries.size() == entries.capacity())
        reserve_in_bulk(entries, entries.size() + std::max(ENTRY_GROWTH_MIN, entries.size() / 16));
    if (names.capacity() - names.size() < NAME_FREE_MIN)
        reserve_in_bulk(names, names.capacity() + std::max(NAME_GROWTH_MIN, names.size() / 16));

    Entry entry{};
    bool is_dir = facts.attributes & ATTRIBUTE_DIRECTORY;
    entry.flags = (is_dir ? FLAG_DIR : 0) | attribute_flags(facts.attributes);
    if ((facts.attributes & ATTRIBUTE_REPARSE_POINT) &&
        (reparse_tag == REPARSE_TAG_MOUNT_POINT || reparse_tag == REPARSE_TAG_SYMLINK))
        entry.flags |= FLAG_LINK;
    entry.size = is_dir ? 0 : facts.size;
    entry.mtime = facts.mtime;
    entry.parent = parent;

    uint32_t index = static_cast<uint32_t>(entries.size());
    if (!set_name(index, entry, name)) return NO_ENTRY;
    entries.push_back(entry);
    ++live_count;
    return index;
}

bool VolumeTable::set_name(uint32_t index, Entry& entry, std::string_view name) {
    std::optional<std::string> normalized = normalize_nfc(name);
    std::string_view stored = normalized ? std::string_view(*normalized) : name;
    stored = stored.substr(0, cut_at_char_boundary(stored, MAX_NAME_BYTES));
    // name_offset is 32-bit: past 4 GiB of names an offset would wrap onto other names.
    if (uint64_t{names.size()} + stored.size() > limits.name_bytes) return false;

    // A long rename can need more than the usual free space.
    if (names.capacity() - names.size() < stored.size())
        reserve_in_bulk(
            names, names.size() + stored.size() + std::max(NAME_GROWTH_MIN, names.size() / 16));
    entry.name_offset = static_cast<uint32_t>(names.size());
    entry.name_len = static_cast<uint16_t>(stored.size());
    names.insert(names.end(), stored.begin(), stored.end());

    // Only an entry flagged so has a display_names item: most names skip the map entirely.
    bool had_display_name = entry.flags & FLAG_DISPLAY_NAME;
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
    } else if (had_display_name) {
        display_names.erase(index);
    }
    // A new entry (add_entry) is listed nowhere yet; whoever lists it registers it.
    if (index < entries.size()) register_child(entry.parent, index, normalized ? name : stored);
    return true;
}

void VolumeTable::add_late_child(uint32_t folder, uint32_t child) {
    late_children[folder].push_back(child);
    register_child(folder, child, display_name(child));
}

void VolumeTable::move_entry(uint32_t index, uint32_t folder) {
    if (index >= entries.size() || entries[index].parent == folder) return;
    // Listing the item a second time would make children return it twice.
    if (!is_listed_under(folder, index)) late_children[folder].push_back(index);
    entries[index].parent = folder;
    // Registered even when the folder listed it already: the folder's lookup may have been built
    // while the item lived elsewhere, or under another name.
    register_child(folder, index, display_name(index));
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

bool VolumeTable::is_listed_under(uint32_t folder, uint32_t child) const {
    if (folder >= entries.size()) return false;
    const Entry& f = entries[folder];
    if (f.is_dir() && f.size != 0) {
        uint64_t end = uint64_t{f.first_child()} + f.child_count();
        if (child >= f.first_child() && child < end) return true;
    }
    auto it = late_children.find(folder);
    return it != late_children.end() &&
           std::find(it->second.begin(), it->second.end(), child) != it->second.end();
}

const std::vector<uint32_t>* VolumeTable::late_list(uint32_t folder) const {
    auto it = late_children.find(folder);
    return it == late_children.end() ? nullptr : &it->second;
}

uint64_t VolumeTable::listed_count(uint32_t folder, const std::vector<uint32_t>* late) const {
    const Entry& f = entries[folder];
    uint64_t count = f.is_dir() && f.size != 0 ? f.child_count() : 0;
    return count + (late ? late->size() : 0);
}

ChildLookup& VolumeTable::build_child_lookup(uint32_t folder) {
    // Sized by what the folder lists, which counts removed and moved-away children too; a
    // damaged run can claim more children than the table has entries.
    uint64_t listed = std::min<uint64_t>(listed_count(folder, late_list(folder)), entries.size());
    ChildLookup lookup(static_cast<size_t>(listed));
    std::string scratch;
    for_each_child(folder, [&](uint32_t child) {
        lookup.insert(child_name_key(display_name(child), scratch), child);
    });
    return child_lookups_.insert_or_assign(folder, std::move(lookup)).first->second;
}

void VolumeTable::register_child(uint32_t folder, uint32_t child, std::string_view display) {
    if (child_lookups_.empty()) return;
    auto it = child_lookups_.find(folder);
    if (it == child_lookups_.end()) return;
    ChildLookup* lookup = &it->second;
    // A rebuild reads every listed child's name from the table; the pair is still added after
    // it, in case this child's record is not the table's yet.
    if (lookup->is_full()) lookup = &build_child_lookup(folder);
    std::string scratch;
    lookup->insert(child_name_key(display, scratch), child);
}

size_t VolumeTable::child_lookup_bytes() const {
    size_t bytes = child_lookups_.bucket_count() * sizeof(void*);
    for (const auto& [folder, lookup] : child_lookups_)
        bytes += sizeof(std::pair<const uint32_t, ChildLookup>) + 2 * sizeof(void*) +
                 lookup.memory_bytes();
    return bytes;
}

std::optional<uint32_t> VolumeTable::find_child(uint32_t parent, std::string_view name) {
    if (parent >= entries.size()) return std::nullopt;
    const std::vector<uint32_t>* late = late_list(parent);
    const ChildLookup* lookup = nullptr;
    // A folder's listing only grows, so one that is small now never had a lookup.
    if (listed_count(parent, late) > CHILD_LOOKUP_MIN) {
        auto it = child_lookups_.find(parent);
        lookup = it != child_lookups_.end() ? &it->second : &build_child_lookup(parent);
    }
    return find_child_in(parent, name, late, lookup);
}

std::optional<uint32_t> VolumeTable::find_child(uint32_t parent, std::string_view name) const {
    if (parent >= entries.size()) return std::nullopt;
    const std::vector<uint32_t>* late = late_list(parent);
    const ChildLookup* lookup = nullptr;
    if (listed_count(parent, late) > CHILD_LOOKUP_MIN) {
        if (auto it = child_lookups_.find(parent); it != child_lookups_.end()) lookup = &it->second;
    }
    return find_child_in(parent, name, late, lookup);
}

std::optional<uint32_t> VolumeTable::find_child_in(uint32_t parent, std::string_view name,
                                                   const std::vector<uint32_t>* late,
                                                   const ChildLookup* lookup) const {
    const bool ascii = is_ascii(name);
    std::string wanted;  // the name's full lowercase, when it is not ASCII
    std::string scratch;
    auto matches = [&](uint32_t child) {
        const Entry& e = entries[child];
        // Most children are turned away by their length, read from the record. Without a
        // display name the record's name is the one compared; without a non-ASCII capital its
        // full lowercase is never shorter (only a malformed byte, becoming U+FFFD, lengthens it).
        const bool plain = !(e.flags & (FLAG_DISPLAY_NAME | FLAG_UNICODE_UPPER));
        if (ascii) {
            if (!(e.flags & FLAG_DISPLAY_NAME) && e.name_len != name.size()) return false;
            return ascii_equal_ignoring_case(display_name(child), name);
        }
        if (plain && e.name_len > wanted.size()) return false;
        return lowercases_to(display_name(child), wanted, scratch);
    };
    if (!lookup) {
        if (!ascii) append_lower_full(wanted, name);
        return first_child_in(parent, late, matches);
    }

    const uint32_t key = child_name_key(name, wanted);  // leaves the lowercase in wanted
    // The same checks as the scan of the children: a candidate may be stale.
    uint32_t found = NO_PARENT;
    bool several = false;
    lookup->for_each_candidate(key, [&](uint32_t child) {
        if (several || child == found || child >= entries.size()) return;
        const Entry& e = entries[child];
        if (e.parent != parent || e.is_removed() || !matches(child)) return;
        if (found == NO_PARENT) {
            found = child;
        } else {
            several = true;
        }
    });
    // Names that differ only in case, in a case-sensitive folder: the scan knows which comes
    // first in children order.
    if (several) return first_child_in(parent, late, matches);
    if (found == NO_PARENT) return std::nullopt;
    return found;
}

namespace {

// find_path for either constness of the table, so each step uses the matching find_child.
template <class Table>
std::optional<uint32_t> walk_path(Table& table, std::string_view relative_path) {
    uint32_t current = 0;
    if (table.entries.empty()) return std::nullopt;
    while (!relative_path.empty()) {
        size_t cut = relative_path.find('\\');
        std::string_view component = relative_path.substr(0, cut);
        relative_path =
            cut == std::string_view::npos ? std::string_view{} : relative_path.substr(cut + 1);
        if (component.empty()) continue;
        std::optional<uint32_t> child = table.find_child(current, component);
        if (!child) return std::nullopt;
        current = *child;
    }
    return current;
}

}  // namespace

std::optional<uint32_t> VolumeTable::find_path(std::string_view relative_path) const {
    return walk_path(*this, relative_path);
}

std::optional<uint32_t> VolumeTable::find_path(std::string_view relative_path) {
    return walk_path(*this, relative_path);
}

std::string VolumeTable::full_path(uint32_t index, bool use_stored_names) const {
    if (index >= entries.size()) return {};
    std::string path = join_path(index, use_stored_names, '\\', NO_ENTRY);
    // The root alone: a bare drive ("C:") is written as its root folder ("C:\").
    if (entries[index].parent >= entries.size() && path.size() == 2 && path[1] == ':')
        path.push_back('\\');
    return path;
}

std::string VolumeTable::relative_path(uint32_t index, bool use_stored_names,
                                       char separator) const {
    if (index == 0 || index >= entries.size()) return {};
    return join_path(index, use_stored_names, separator, 0);
}

std::string VolumeTable::join_path(uint32_t index, bool use_stored_names, char separator,
                                   uint32_t stop) const {
    auto name_of = [&](uint32_t at) {
        return use_stored_names ? stored_name(at) : display_name(at);
    };
    // First pass measures, second fills from the end: no list of names to keep (the Folder
    // sort builds one path per distinct parent, so this runs often).
    size_t count = 0;
    size_t length = 0;
    for (uint32_t at = index; at < entries.size() && at != stop && count < MAX_PATH_NAMES;
         at = entries[at].parent, ++count)
        length += name_of(at).size();
    if (count == 0) return {};
    length += count - 1;

    std::string path(length, separator);
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
