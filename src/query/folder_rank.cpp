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
};

// One place in a group of siblings' order: the folder's own key, or the keys of everything
// below it (its key followed by '\' and more).
struct Item {
    std::string key;
    bool below;
    uint32_t node;

    bool operator<(const Item& other) const {
        if (key != other.key) return key < other.key;
        return below < other.below;  // a key sorts before the longer keys it begins
    }
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
        labels_.resize(nodes_.size());
        for (uint32_t n = 0; n < nodes_.size(); ++n) {
            std::string_view name = tables_[nodes_[n].table].stored_name(nodes_[n].entry);
            if (name.find('\\') != std::string_view::npos) return false;
            labels_[n] = lower_full(name);
        }
        rank_of_node_.assign(nodes_.size(), 0);
        std::vector<Item> items;
        if (empty_key) items.push_back(Item{std::string(), false, EMPTY_KEY});
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
        const Node& node = nodes_[n];
        std::string key = labels_[n];
        // A bare drive as the top of a path is written as its root folder ("c:\"), and the
        // paths below it go on from there.
        std::string_view name = tables_[node.table].stored_name(node.entry);
        const bool drive = node.parent == NO_NODE && name.size() == 2 && name[1] == ':';
        if (node.holds_hits) items.push_back(Item{drive ? key + '\\' : key, false, n});
        if (node.has_children) items.push_back(Item{std::move(key) + '\\', true, n});
    }

    // Puts a group's items in order and numbers its folders; the items that stand for the
    // folders below equal keys are ordered together, as one group.
    void order_group(std::vector<Item>& items) {
        std::sort(items.begin(), items.end());
        for (size_t i = 0; i < items.size();) {
            size_t j = i + 1;
            while (j < items.size() && items[j].key == items[i].key &&
                   items[j].below == items[i].below)
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
    std::vector<std::string> labels_;  // each node's name, lowercased
    std::vector<uint32_t> rank_of_node_;
    uint32_t empty_rank_ = 0;
    uint32_t next_rank_ = 0;
};

}  // namespace

FolderRanking rank_folders(std::span<const Hit> hits, std::span<const VolumeTable> tables,
                           const SupersededTest& superseded, std::vector<uint32_t>& rank_of_hit) {
    TreeRanker ranker(tables);
    std::vector<uint32_t> node_of_hit(hits.size());
    bool empty_key = false;
    for (size_t i = 0; i < hits.size(); ++i) {
        if (i % SUPERSEDED_CHECK_INTERVAL == 0 && superseded && superseded())
            return FolderRanking::Superseded;
        const Hit& hit = hits[i];
        const VolumeTable* table = hit.table < tables.size() ? &tables[hit.table] : nullptr;
        const uint32_t parent = table != nullptr && hit.entry < table->entries.size()
                                    ? table->entries[hit.entry].parent
                                    : NO_PARENT;
        if (table == nullptr || parent >= table->entries.size()) {
            node_of_hit[i] = EMPTY_KEY;
            empty_key = true;
            continue;
        }
        const uint32_t node = ranker.node_for(hit.table, parent);
        if (node == NO_NODE) return FolderRanking::Unsuitable;
        ranker.node(node).holds_hits = true;
        node_of_hit[i] = node;
    }
    if (!ranker.rank(empty_key)) return FolderRanking::Unsuitable;
    rank_of_hit.resize(hits.size());
    for (size_t i = 0; i < hits.size(); ++i)
        rank_of_hit[i] = ranker.rank_of(node_of_hit[i]);
    return FolderRanking::Ranked;
}

}  // namespace norvik
