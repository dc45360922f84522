#include "query/order.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "hangul/unicode_case.h"
#include "hangul/utf8.h"
#include "query/folder_rank.h"

namespace norvik {

namespace {

constexpr size_t SUPERSEDED_CHECK_INTERVAL = 4096;

const Entry* entry_of(std::span<const VolumeTable> tables, const Hit& hit) {
    if (hit.table >= tables.size()) return nullptr;
    const VolumeTable& table = tables[hit.table];
    if (hit.entry >= table.entries.size()) return nullptr;
    return &table.entries[hit.entry];
}

std::string_view name_of(std::span<const VolumeTable> tables, const Hit& hit) {
    if (entry_of(tables, hit) == nullptr) return {};
    return tables[hit.table].stored_name(hit.entry);
}

// The first six name chars of a name, packed so that comparing the two words orders names as
// name_order does as far as those characters go: three characters of 21 bits per word, each
// stored as its code point + 1 so that a missing one sorts first. Sorts by name compare these
// integers first and decode the names only when they are equal.
struct NamePrefix {
    uint64_t high = 0;
    uint64_t low = 0;

    static NamePrefix of(std::string_view name) {
        NamePrefix prefix;
        size_t pos = 0;
        for (int i = 0; i < 6; ++i) {
            uint64_t c = pos < name.size() ? uint64_t{next_name_char(name, pos)} + 1 : 0;
            uint64_t& word = i < 3 ? prefix.high : prefix.low;
            word = (word << 21) | c;
        }
        return prefix;
    }
    // Negative, zero or positive like name_order, for these characters.
    int compare(const NamePrefix& other) const {
        if (high != other.high) return high < other.high ? -1 : 1;
        if (low != other.low) return low < other.low ? -1 : 1;
        return 0;
    }
};

// name_order, answered from the prefixes when they differ.
inline int order_names(const NamePrefix& pa, std::string_view a, const NamePrefix& pb,
                       std::string_view b) {
    int order = pa.compare(pb);
    return order != 0 ? order : name_order(a, b);
}

std::string parent_folder_key(const VolumeTable& table, uint32_t parent) {
    if (parent >= table.entries.size()) return {};
    return lower_full(table.full_path(parent, true));
}

// Relevance, Size and Date modified: one 64-bit key per hit, ties by (table, entry) ascending.
// The tie word carries the hit itself: table, entry, then exact and at_start in its two lowest
// bits, which never decide since (table, entry) is unique.
struct Keyed {
    uint64_t key;
    uint64_t tie;
    bool operator<(const Keyed& other) const {
        return key != other.key ? key < other.key : tie < other.tie;
    }
};

// Sorts by (key, tie): a stable radix sort by 11-bit digits, tie words first, then key words,
// skipping digits in which no two items differ. Integer passes instead of comparisons keep the
// order of a hundred thousand hits to about a millisecond. Few items go to std::sort.
void radix_sort(std::vector<Keyed>& items) {
    constexpr size_t SMALL = 512;
    constexpr int DIGIT_BITS = 11;
    constexpr size_t BUCKETS = size_t{1} << DIGIT_BITS;
    if (items.size() <= SMALL) {
        std::sort(items.begin(), items.end());
        return;
    }
    std::vector<Keyed> buffer(items.size());
    Keyed* source = items.data();
    Keyed* target = buffer.data();
    std::vector<size_t> counts(BUCKETS);
    for (uint64_t Keyed::*word : {&Keyed::tie, &Keyed::key}) {
        uint64_t any = 0;
        uint64_t all = ~uint64_t{0};
        for (size_t i = 0; i < items.size(); ++i) {
            any |= source[i].*word;
            all &= source[i].*word;
        }
        const uint64_t varying = any ^ all;
        for (int shift = 0; shift < 64; shift += DIGIT_BITS) {
            if (((varying >> shift) & (BUCKETS - 1)) == 0) continue;
            std::fill(counts.begin(), counts.end(), 0);
            for (size_t i = 0; i < items.size(); ++i)
                ++counts[((source[i].*word) >> shift) & (BUCKETS - 1)];
            size_t offset = 0;
            for (size_t& count : counts)
                offset += std::exchange(count, offset);
            for (size_t i = 0; i < items.size(); ++i)
                target[counts[((source[i].*word) >> shift) & (BUCKETS - 1)]++] = source[i];
            std::swap(source, target);
        }
    }
    if (source != items.data()) std::copy(source, source + items.size(), items.data());
}

// Puts the first `head` items of the order `less` at the front, in that order; the rest follow
// in no particular order. A selection then a sort of the front: linear in the items, where a
// whole sort is not.
template <class T, class Less>
void order_front(std::vector<T>& items, size_t head, Less less) {
    if (head >= items.size()) {
        std::sort(items.begin(), items.end(), less);
        return;
    }
    const auto front_end = items.begin() + static_cast<ptrdiff_t>(head);
    std::nth_element(items.begin(), front_end, items.end(), less);
    std::sort(items.begin(), front_end, less);
}

// The last tie-break of every column: table position, then entry index, ascending. (table,
// entry) is unique, so with it every order is total and the same search lists its rows the same
// way each time it runs.
bool earlier_position(const Hit& a, const Hit& b) {
    return a.table != b.table ? a.table < b.table : a.entry < b.entry;
}

uint64_t column_key(SortColumn column, const Entry& entry, const Hit& hit) {
    switch (column) {
        case SortColumn::Size:
            if (entry.is_dir()) return 0;
            return entry.size == UINT64_MAX ? UINT64_MAX : entry.size + 1;
        case SortColumn::DateModified:
            return entry.mtime;
        default: {
            // Exact names, then names starting with the first word, then the rest; newest first
            // within each.
            const uint64_t tier = hit.exact ? 2 : hit.at_start ? 1 : 0;
            return (tier << 32) | entry.mtime;
        }
    }
}

void sort_by_key(std::span<Hit> hits, SortColumn column, bool descending,
                 std::span<const VolumeTable> tables, size_t head) {
    std::vector<Keyed> keyed;
    keyed.reserve(hits.size());
    for (const Hit& hit : hits) {
        const Entry* entry = entry_of(tables, hit);
        uint64_t key = entry ? column_key(column, *entry, hit) : 0;
        uint64_t tie = (uint64_t{hit.table} << 34) | (uint64_t{hit.entry} << 2) |
                       (uint64_t{hit.exact} << 1) | hit.at_start;
        keyed.push_back({descending ? ~key : key, tie});
    }
    if (head >= keyed.size())
        radix_sort(keyed);
    else
        order_front(keyed, head, std::less<Keyed>());
    for (size_t i = 0; i < hits.size(); ++i) {
        const uint64_t tie = keyed[i].tie;
        hits[i] = Hit{static_cast<uint32_t>(tie >> 2), static_cast<uint8_t>(tie >> 34),
                      (tie & 1) != 0, (tie & 2) != 0};
    }
}

// A hit with what the Name order compares: its name (a view into its table's arena, so the
// index stays locked while these live), the name's first characters packed, and its time.
struct Named {
    NamePrefix prefix;
    std::string_view name;
    uint32_t mtime = 0;
    Hit hit;

    static Named of(std::span<const VolumeTable> tables, const Hit& hit) {
        const Entry* entry = entry_of(tables, hit);
        std::string_view name = name_of(tables, hit);
        return Named{NamePrefix::of(name), name, entry ? entry->mtime : 0, hit};
    }
};

// The Name order: names, newer first among equal names in both directions, then positions.
auto name_less(bool descending) {
    return [descending](const Named& a, const Named& b) {
        int order = order_names(a.prefix, a.name, b.prefix, b.name);
        if (order != 0) return descending ? order > 0 : order < 0;
        if (a.mtime != b.mtime) return a.mtime > b.mtime;  // newer first in both directions
        return earlier_position(a.hit, b.hit);
    };
}

void sort_by_name(std::span<Hit> hits, bool descending, std::span<const VolumeTable> tables,
                  size_t head) {
    std::vector<Named> named;
    named.reserve(hits.size());
    for (const Hit& hit : hits)
        named.push_back(Named::of(tables, hit));
    order_front(named, head, name_less(descending));
    for (size_t i = 0; i < hits.size(); ++i)
        hits[i] = named[i].hit;
}

// Ranks each hit's folder key among the distinct keys of all hits (equal keys share a rank) by
// building each distinct parent's key once and sorting the keys; false when superseded.
bool rank_folder_keys(std::span<const Hit> hits, std::span<const VolumeTable> tables,
                      const SupersededTest& superseded, std::vector<uint32_t>& rank_of_hit) {
    std::unordered_map<uint64_t, uint32_t> slot_of_parent;
    std::vector<std::string> keys;
    rank_of_hit.resize(hits.size());
    for (size_t i = 0; i < hits.size(); ++i) {
        if (i % SUPERSEDED_CHECK_INTERVAL == 0 && superseded && superseded()) return false;
        const Hit& hit = hits[i];
        const Entry* entry = entry_of(tables, hit);
        uint32_t parent = entry ? entry->parent : NO_PARENT;
        uint64_t id = (uint64_t{hit.table} << 32) | parent;
        auto [it, added] = slot_of_parent.try_emplace(id, static_cast<uint32_t>(keys.size()));
        if (added) keys.push_back(entry ? parent_folder_key(tables[hit.table], parent) : "");
        rank_of_hit[i] = it->second;
    }

    std::vector<uint32_t> by_key(keys.size());
    for (uint32_t s = 0; s < by_key.size(); ++s)
        by_key[s] = s;
    std::sort(by_key.begin(), by_key.end(),
              [&keys](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
    std::vector<uint32_t> rank(keys.size());
    uint32_t current = 0;
    for (size_t i = 0; i < by_key.size(); ++i) {
        if (i > 0 && keys[by_key[i]] != keys[by_key[i - 1]]) ++current;
        rank[by_key[i]] = current;
    }
    for (uint32_t& r : rank_of_hit)
        r = rank[r];
    return true;
}

// Past this many table entries per hit, the hits' folders are ranked from their built keys;
// below it, on the folder tree (which costs a slot per entry of each table searched).
constexpr size_t ENTRIES_PER_HIT_FOR_KEYS = 64;

// `between_folders`: also asks `superseded` while ordering the names within folders (a shared
// sort, which may order millions of them).
bool sort_by_folder(std::span<Hit> hits, bool descending, std::span<const VolumeTable> tables,
                    const SupersededTest& superseded, size_t head, bool between_folders = false) {
    size_t entries = 0;
    for (const VolumeTable& table : tables)
        entries += table.entries.size();
    std::vector<uint32_t> rank_of_hit;
    FolderRanking ranking = FolderRanking::Unsuitable;
    if (hits.size() * ENTRIES_PER_HIT_FOR_KEYS >= entries)
        ranking = rank_folders(hits, tables, superseded, rank_of_hit);
    if (ranking == FolderRanking::Superseded) return false;
    if (ranking == FolderRanking::Unsuitable &&
        !rank_folder_keys(hits, tables, superseded, rank_of_hit))
        return false;

    // The hits by folder in one counting pass; then names order each folder's hits, only as far
    // as the first `head` rows reach. Names ascend in both directions.
    uint32_t ranks = 0;
    for (uint32_t r : rank_of_hit)
        ranks = std::max(ranks, r + 1);
    std::vector<size_t> start(size_t{ranks} + 1, 0);
    auto bucket = [&](uint32_t r) { return descending ? ranks - 1 - r : r; };
    for (uint32_t r : rank_of_hit)
        ++start[bucket(r) + 1];
    for (size_t b = 0; b < ranks; ++b)
        start[b + 1] += start[b];
    std::vector<Hit> by_folder(hits.size());
    std::vector<size_t> fill(start.begin(), start.end() - 1);
    for (size_t i = 0; i < hits.size(); ++i)
        by_folder[fill[bucket(rank_of_hit[i])]++] = hits[i];

    struct InFolder {
        NamePrefix prefix;
        std::string_view name;
        Hit hit;
    };
    std::vector<InFolder> named;
    size_t named_since_check = 0;
    for (size_t b = 0; b < ranks && start[b] < std::min(head, hits.size()); ++b) {
        if (start[b + 1] - start[b] < 2) continue;
        named_since_check += start[b + 1] - start[b];
        if (between_folders && named_since_check >= SUPERSEDED_CHECK_INTERVAL) {
            named_since_check = 0;
            if (superseded && superseded()) return false;
        }
        named.clear();
        for (size_t i = start[b]; i < start[b + 1]; ++i) {
            std::string_view name = name_of(tables, by_folder[i]);
            named.push_back({NamePrefix::of(name), name, by_folder[i]});
        }
        order_front(named, head - start[b], [](const InFolder& a, const InFolder& c) {
            int order = order_names(a.prefix, a.name, c.prefix, c.name);
            if (order != 0) return order < 0;
            return earlier_position(a.hit, c.hit);
        });
        for (size_t i = 0; i < named.size(); ++i)
            by_folder[start[b] + i] = named[i].hit;
    }
    std::copy(by_folder.begin(), by_folder.end(), hits.begin());
    return true;
}

// Items of one piece of a shared sort: few enough that giving up waits for one piece at most.
constexpr size_t PIECE_ITEMS = size_t{1} << 16;

// Runs task(k) for every k below count on up to `shares` threads lent by run (on the calling
// thread without them), each share claiming the next k. False when superseded said to stop
// before a task; an exception of a task stops the others and is thrown again here, as a share
// runs on a thread that must not end by one.
template <class Task>
bool run_tasks(size_t count, const RunShares& run, unsigned shares,
               const SupersededTest& superseded, const Task& task) {
    std::atomic<size_t> next{0};
    std::atomic<bool> gave_up{false};
    std::mutex thrown_mutex;
    std::exception_ptr thrown;
    const auto share = [&](unsigned) {
        try {
            for (size_t k = next.fetch_add(1); k < count; k = next.fetch_add(1)) {
                if (superseded && superseded()) {
                    gave_up = true;
                    return;
                }
                task(k);
            }
        } catch (...) {
            std::lock_guard lock(thrown_mutex);
            if (!thrown) thrown = std::current_exception();
            next = count;
        }
    };
    if (run && shares > 1 && count > 1) {
        run(static_cast<unsigned>(std::min<size_t>(shares, count)), share);
    } else {
        share(0);
    }
    if (thrown) std::rethrow_exception(thrown);
    return !gave_up;
}

// Pieces for n items on `shares` threads: at most PIECE_ITEMS items each, and one per thread
// when there are enough items to share.
size_t piece_count(size_t n, unsigned shares) {
    const size_t by_size = (n + PIECE_ITEMS - 1) / PIECE_ITEMS;
    const size_t by_threads = std::min<size_t>(shares, n / 4096 + 1);
    return std::max<size_t>({by_size, by_threads, 1});
}

// Sorts items by less: pieces sorted side by side, then merged in rounds of pairs, each round's
// merges side by side. False when superseded said to stop (the items are then in no order).
template <class T, class Less>
bool sort_in_pieces(std::vector<T>& items, const Less& less, const RunShares& run, unsigned shares,
                    const SupersededTest& superseded) {
    const size_t n = items.size();
    const size_t pieces = piece_count(n, shares);
    const auto bound = [n, pieces](size_t k) { return n * std::min(k, pieces) / pieces; };
    T* from = items.data();
    if (!run_tasks(pieces, run, shares, superseded,
                   [&](size_t k) { std::sort(from + bound(k), from + bound(k + 1), less); }))
        return false;
    if (pieces == 1) return true;
    std::vector<T> buffer(n);
    T* to = buffer.data();
    for (size_t width = 1; width < pieces; width *= 2) {
        const size_t merges = (pieces + 2 * width - 1) / (2 * width);
        if (!run_tasks(merges, run, shares, superseded, [&](size_t m) {
                const size_t lo = bound(2 * m * width);
                const size_t mid = bound((2 * m + 1) * width);
                const size_t hi = bound((2 * m + 2) * width);
                std::merge(from + lo, from + mid, from + mid, from + hi, to + lo, less);
            }))
            return false;
        std::swap(from, to);
    }
    if (from != items.data()) std::copy(from, from + n, items.data());
    return true;
}

bool sort_by_name_shared(std::span<Hit> hits, bool descending, std::span<const VolumeTable> tables,
                         const SupersededTest& superseded, const RunShares& run, unsigned shares) {
    std::vector<Named> named(hits.size());
    const size_t pieces = piece_count(hits.size(), shares);
    const auto bound = [&](size_t k) { return hits.size() * k / pieces; };
    if (!run_tasks(pieces, run, shares, superseded, [&](size_t k) {
            for (size_t i = bound(k); i < bound(k + 1); ++i)
                named[i] = Named::of(tables, hits[i]);
        }))
        return false;
    if (!sort_in_pieces(named, name_less(descending), run, shares, superseded)) return false;
    for (size_t i = 0; i < hits.size(); ++i)
        hits[i] = named[i].hit;
    return true;
}

}  // namespace

int name_order(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        char32_t x = next_name_char(a, i);
        char32_t y = next_name_char(b, j);
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

std::string folder_key(const VolumeTable& table, uint32_t index) {
    if (index >= table.entries.size()) return {};
    return parent_folder_key(table, table.entries[index].parent);
}

bool sort_hits(std::span<Hit> hits, SortColumn column, bool descending,
               std::span<const VolumeTable> tables, const SupersededTest& superseded, size_t head) {
    switch (column) {
        case SortColumn::Name:
            sort_by_name(hits, descending, tables, head);
            return true;
        case SortColumn::Folder:
            return sort_by_folder(hits, descending, tables, superseded, head);
        case SortColumn::Relevance:
            sort_by_key(hits, column, true, tables, head);  // always newest first
            return true;
        default:
            sort_by_key(hits, column, descending, tables, head);
            return true;
    }
}

bool sort_hits_shared(std::span<Hit> hits, SortColumn column, bool descending,
                      std::span<const VolumeTable> tables, const SupersededTest& superseded,
                      const RunShares& run, unsigned shares) {
    if (superseded && superseded()) return false;
    switch (column) {
        case SortColumn::Name:
            return sort_by_name_shared(hits, descending, tables, superseded, run, shares);
        case SortColumn::Folder:
            return sort_by_folder(hits, descending, tables, superseded, SIZE_MAX, true);
        default:
            // Integer keys: a few passes over the hits, a fifth of a second at two million.
            sort_hits(hits, column, descending, tables);
            return !(superseded && superseded());
    }
}

}  // namespace norvik
