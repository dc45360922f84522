#include "query/folder_rank.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "hangul/unicode_case.h"

namespace norvik {

namespace {

constexpr uint32_t NO_NODE = 0xFFFFFFFF;
// The hits whose key is "" (no entry, or no valid parent) stand for this node.
constexpr uint32_t EMPTY_KEY = 0xFFFFFFFE;
constexpr size_t SUPERSEDED_CHECK_INTERVAL = 4096;

// A folder that holds hits or lies above one.
struct Node {
    uint32_t entry;
    uint32_t parent;  // node of the folder above, NO_NODE for the top of a chain
    uint32_t depth;   // names from the top down to this folder, both counted
    uint8_t table;
    bool holds_hits = false;
    bool has_children = false;
    bool drive = false;  // a bare drive ("C:") at the top: its own key is its root folder "c:\"
};

// One place in a group of siblings' order: the folder's own key, or the keys of everything
// below it (its key followed by '\' and more).
struct Item {
    uint32_t node;
    bool below;
};

class TreeRanker {
  public:
    explicit TreeRanker(std::span<const VolumeTable> tables)
        : tables_(tables), node_of_(tables.size()) {}

    // The node of the folder `folder` of table t, made with the folders above it; NO_NODE when
    // the chain runs deeper than a path holds (full_path would cut it) or loops.
    uint32_t node_for(uint8_t t, uint32_t folder) {
        const VolumeTable& table = tables_[t];
        std::vector<uint32_t>& node_of = node_of_[t];
        if (node_of.empty()) node_of.assign(table.entries.size(), NO_NODE);
        chain_.clear();
        uint32_t at = folder;
        while (at < table.entries.size() && node_of[at] == NO_NODE) {
            if (chain_.size() >= MAX_PATH_NAMES) return NO_NODE;
            chain_.push_back(at);
            at = table.entries[at].parent;
        }
        uint32_t parent = at < table.entries.size() ? node_of[at] : NO_NODE;
        for (size_t i = chain_.size(); i-- > 0;) {
            const uint32_t depth = parent == NO_NODE ? 1 : nodes_[parent].depth + 1;
            if (depth > MAX_PATH_NAMES) return NO_NODE;
            if (parent != NO_NODE) nodes_[parent].has_children = true;
            const auto n = static_cast<uint32_t>(nodes_.size());
            nodes_.push_back(Node{chain_[i], parent, depth, t});
            node_of[chain_[i]] = n;
            parent = n;
        }
        return node_of[folder];
    }

    Node& node(uint32_t n) { return nodes_[n]; }

    // Asks for the records node_for will read first for `folder`.
    void prefetch(uint8_t t, uint32_t folder) const {
        __builtin_prefetch(&tables_[t].entries[folder]);
        if (!node_of_[t].empty()) __builtin_prefetch(&node_of_[t][folder]);
    }

    // Ranks every node that holds hits, and the empty key when `empty_key` says hits have it.
    // False when a name holds '\' (its key could fall inside a sibling's run of keys).
    bool rank(bool empty_key) {
        // Children of each node, grouped: children_[child_start_[n], child_start_[n + 1]).
        child_start_.assign(nodes_.size() + 1, 0);
        for (const Node& n : nodes_)
            if (n.parent != NO_NODE) ++child_start_[n.parent + 1];
        for (size_t n = 0; n < nodes_.size(); ++n)
            child_start_[n + 1] += child_start_[n];
        children_.resize(child_start_.back());
        std::vector<uint32_t> fill(child_start_.begin(), child_start_.end() - 1);
        for (uint32_t n = 0; n < nodes_.size(); ++n) {
            if (nodes_[n].parent == NO_NODE)
                tops_.push_back(n);
            else
                children_[fill[nodes_[n].parent]++] = n;
        }
        label_end_.resize(nodes_.size());
        for (uint32_t n = 0; n < nodes_.size(); ++n) {
            Node& node = nodes_[n];
            std::string_view name = tables_[node.table].stored_name(node.entry);
            if (name.find('\\') != std::string_view::npos) return false;
            node.drive = node.parent == NO_NODE && name.size() == 2 && name[1] == ':';
            append_lower_full(labels_, name);
            label_end_[n] = labels_.size();
        }
        rank_of_node_.assign(nodes_.size(), 0);
        std::vector<Item> items;
        if (empty_key) items.push_back(Item{EMPTY_KEY, false});
        for (uint32_t n : tops_)
            add_items(n, items);
        order_group(items);
        return true;
    }

    uint32_t rank_of(uint32_t node) const {
        return node == EMPTY_KEY ? empty_rank_ : rank_of_node_[node];
    }

  private:
    void add_items(uint32_t n, std::vector<Item>& items) const {
        if (nodes_[n].holds_hits) items.push_back(Item{n, false});
        if (nodes_[n].has_children) items.push_back(Item{n, true});
    }

    std::string_view label(uint32_t n) const {
        if (n == EMPTY_KEY) return {};
        const size_t begin = n == 0 ? 0 : label_end_[n - 1];
        return std::string_view(labels_).substr(begin, label_end_[n] - begin);
    }

    // Compares the keys of two items as strings: the label, then '\' for the folders below it
    // (and for a drive's own key), then the end, which sorts first.
    int compare(const Item& a, const Item& b) const {
        const std::string_view x = label(a.node);
        const std::string_view y = label(b.node);
        const size_t common = std::min(x.size(), y.size());
        if (int order = x.substr(0, common).compare(y.substr(0, common)); order != 0) return order;
        const bool x_slash = a.below || (a.node != EMPTY_KEY && nodes_[a.node].drive);
        const bool y_slash = b.below || (b.node != EMPTY_KEY && nodes_[b.node].drive);
        auto at = [](std::string_view text, bool slash, size_t i) -> int {
            if (i < text.size()) return static_cast<unsigned char>(text[i]);
            return i == text.size() && slash ? '\\' : -1;
        };
        for (size_t i = common;; ++i) {
            const int p = at(x, x_slash, i);
            const int q = at(y, y_slash, i);
            if (p != q) return p < q ? -1 : 1;
            if (p == -1) break;
        }
        // A key sorts before the longer keys it begins.
        return static_cast<int>(a.below) - static_cast<int>(b.below);
    }

    // Puts a group's items in order and numbers its folders; the items that stand for the
    // folders below equal keys are ordered together, as one group.
    void order_group(std::vector<Item>& items) {
        std::sort(items.begin(), items.end(),
                  [this](const Item& a, const Item& b) { return compare(a, b) < 0; });
        for (size_t i = 0; i < items.size();) {
            size_t j = i + 1;
            while (j < items.size() && compare(items[i], items[j]) == 0)
                ++j;
            if (!items[i].below) {
                for (size_t k = i; k < j; ++k) {
                    if (items[k].node == EMPTY_KEY)
                        empty_rank_ = next_rank_;
                    else
                        rank_of_node_[items[k].node] = next_rank_;
                }
                ++next_rank_;
            } else {
                std::vector<Item> below;
                for (size_t k = i; k < j; ++k) {
                    const uint32_t n = items[k].node;
                    for (uint32_t c = child_start_[n]; c < child_start_[n + 1]; ++c)
                        add_items(children_[c], below);
                }
                order_group(below);
            }
            i = j;
        }
    }

    std::span<const VolumeTable> tables_;
    std::vector<std::vector<uint32_t>> node_of_;  // per table: entry -> node, or NO_NODE
    std::vector<Node> nodes_;
    std::vector<uint32_t> chain_;
    std::vector<uint32_t> child_start_;
    std::vector<uint32_t> children_;
    std::vector<uint32_t> tops_;
    std::string labels_;             // each node's name lowercased, back to back
    std::vector<size_t> label_end_;  // where each node's label ends in labels_
    std::vector<uint32_t> rank_of_node_;
    uint32_t empty_rank_ = 0;
    uint32_t next_rank_ = 0;
};

}  // namespace

FolderRanking rank_folders(std::span<const Hit> hits, std::span<const VolumeTable> tables,
                           const SupersededTest& superseded, std::vector<uint32_t>& rank_of_hit) {
    // Each hit's parent first, then its folder's node: the entries lie far apart in a large
    // table, so each pass asks for the records it needs a few hits ahead.
    constexpr size_t AHEAD = 8;
    std::vector<uint32_t> node_of_hit(hits.size());
    bool empty_key = false;
    for (size_t i = 0; i < hits.size(); ++i) {
        if (i % SUPERSEDED_CHECK_INTERVAL == 0 && superseded && superseded())
            return FolderRanking::Superseded;
        if (i + AHEAD < hits.size()) {
            const Hit& ahead = hits[i + AHEAD];
            if (ahead.table < tables.size() && ahead.entry < tables[ahead.table].entries.size())
                __builtin_prefetch(&tables[ahead.table].entries[ahead.entry]);
        }
        const Hit& hit = hits[i];
        const VolumeTable* table = hit.table < tables.size() ? &tables[hit.table] : nullptr;
        const uint32_t parent = table != nullptr && hit.entry < table->entries.size()
                                    ? table->entries[hit.entry].parent
                                    : NO_PARENT;
        if (table == nullptr || parent >= table->entries.size()) {
            node_of_hit[i] = EMPTY_KEY;
            empty_key = true;
        } else {
            node_of_hit[i] = parent;
        }
    }

    TreeRanker ranker(tables);
    uint32_t last_parent = NO_PARENT;
    uint8_t last_table = 0;
    uint32_t last_node = NO_NODE;
    for (size_t i = 0; i < hits.size(); ++i) {
        if (i + AHEAD < hits.size() && node_of_hit[i + AHEAD] != EMPTY_KEY)
            ranker.prefetch(hits[i + AHEAD].table, node_of_hit[i + AHEAD]);
        const uint32_t parent = node_of_hit[i];
        if (parent == EMPTY_KEY) continue;
        // Hits come mostly in entry order, and the items of a folder lie together.
        if (parent != last_parent || hits[i].table != last_table) {
            last_node = ranker.node_for(hits[i].table, parent);
            if (last_node == NO_NODE) return FolderRanking::Unsuitable;
            ranker.node(last_node).holds_hits = true;
            last_parent = parent;
            last_table = hits[i].table;
        }
        node_of_hit[i] = last_node;
    }
    if (!ranker.rank(empty_key)) return FolderRanking::Unsuitable;
    rank_of_hit.resize(hits.size());
    for (size_t i = 0; i < hits.size(); ++i)
        rank_of_hit[i] = ranker.rank_of(node_of_hit[i]);
    return FolderRanking::Ranked;
}

}  // namespace norvik
