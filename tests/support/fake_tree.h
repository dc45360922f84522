// An in-memory folder tree that stands in for the file system under the scan and the subtree
// walk (through their ListDirectoryFn), and that can be changed the way a user changes a disk,
// so a table patched with the matching Changes can be compared with a fresh scan.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "hangul/utf8.h"
#include "index/list_directory.h"
#include "index/scan.h"
#include "index/volume_table.h"

namespace norvik::testing {

inline FileFacts file_facts(uint64_t size, uint32_t mtime) {
    return {.size = size, .mtime = mtime, .attributes = 0};
}
inline FileFacts folder_facts(uint32_t mtime) {
    return {.size = 0, .mtime = mtime, .attributes = ATTRIBUTE_DIRECTORY};
}

inline bool ascii_iequal(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

class FakeTree {
  public:
    // root as the scan takes it: "/fake/" natively, "X:\" on Windows.
    explicit FakeTree(std::string root = default_root()) : root_(std::move(root)) {
        root_node_.facts = folder_facts(0);
    }

    static std::string default_root() {
#ifdef _WIN32
        return "X:\\";
#else
        return "/fake/";
#endif
    }

    const std::string& root() const {
        return root_;
    }

    // Adds an item under an existing folder; the last one added is listed last.
    void add(std::string_view path, FileFacts facts, uint32_t tag = 0) {
        auto [parent, name] = split(path);
        Node* folder = find(parent);
        ASSERT_NE(folder, nullptr) << "no folder " << parent;
        auto node = std::make_unique<Node>();
        node->name = std::string(name);
        node->facts = facts;
        node->tag = tag;
        folder->children.push_back(std::move(node));
    }
    void add_file(std::string_view path, uint64_t size = 1, uint32_t mtime = 1000) {
        add(path, file_facts(size, mtime));
    }
    void add_folder(std::string_view path, uint32_t mtime = 1000) {
        add(path, folder_facts(mtime));
    }

    void remove(std::string_view path) {
        auto [parent, name] = split(path);
        Node* folder = find(parent);
        if (!folder) return;
        std::erase_if(folder->children, [&](const auto& n) { return ascii_iequal(n->name, name); });
    }

    // Moves or renames; an item already at the new name is replaced, as MoveFileEx does.
    void rename(std::string_view from, std::string_view to) {
        auto [from_parent, from_name] = split(from);
        auto [to_parent, to_name] = split(to);
        Node* source_folder = find(from_parent);
        Node* target_folder = find(to_parent);
        ASSERT_TRUE(source_folder && target_folder);
        auto it = std::find_if(source_folder->children.begin(), source_folder->children.end(),
                               [&](const auto& n) { return ascii_iequal(n->name, from_name); });
        ASSERT_NE(it, source_folder->children.end());
        std::unique_ptr<Node> moving = std::move(*it);
        source_folder->children.erase(it);
        std::erase_if(target_folder->children,
                      [&](const auto& n) { return ascii_iequal(n->name, to_name); });
        moving->name = std::string(to_name);
        target_folder->children.push_back(std::move(moving));
    }

    void modify(std::string_view path, FileFacts facts) {
        Node* node = find(path);
        ASSERT_NE(node, nullptr);
        node->facts = facts;
    }

    std::optional<FileFacts> facts(std::string_view path) {
        Node* node = find(path);
        if (!node) return std::nullopt;
        return node->facts;
    }

    // Listing this folder fails from now on.
    void fail_listing(std::string_view path) {
        Node* node = find(path);
        ASSERT_NE(node, nullptr);
        node->fail = true;
    }

    // The full UTF-8 path of a relative one, as walk_subtree takes it.
    std::string full_path(std::string_view relative) const {
        std::string full = root_;
        for (char c : relative)
            full.push_back(c == '\\' ? native_separator() : c);
        return full;
    }

    ListDirectoryFn lister() {
        return [this](const NativePath& folder, std::vector<ListedItem>& out) {
            return list(folder, out);
        };
    }

    VolumeTable scan(unsigned workers = 2, FolderExclusions excluded = {}) {
        ScanOptions options;
        options.workers = workers;
        options.excluded = std::move(excluded);
        std::atomic<uint64_t> items{0};
        std::atomic<bool> stop{false};
        options.items_read = &items;
        options.exit_requested = &stop;
        options.list = lister();
        std::optional<VolumeTable> table = scan_root(root_, options);
        EXPECT_TRUE(table.has_value());
        return table ? std::move(*table) : VolumeTable::with_root(root_);
    }

    SubtreeWalk walk(std::string_view relative, const FolderExclusions& excluded = {}) {
        return walk_subtree(full_path(relative), relative, lister(), WALK_LIMIT, excluded);
    }

    int listings() const {
        return listings_->load();
    }

  private:
    struct Node {
        std::string name;
        FileFacts facts;
        uint32_t tag = 0;
        bool fail = false;
        std::vector<std::unique_ptr<Node>> children;
    };

    static char native_separator() {
#ifdef _WIN32
        return '\\';
#else
        return '/';
#endif
    }

    static NativePath to_native(const std::string& text) {
#ifdef _WIN32
        std::u16string wide = utf8_to_utf16(text);
        return NativePath(wide.begin(), wide.end());
#else
        return text;
#endif
    }

    static std::string from_native(const NativePath& text) {
#ifdef _WIN32
        return utf16_to_utf8(std::u16string(text.begin(), text.end()));
#else
        return text;
#endif
    }

    static std::pair<std::string_view, std::string_view> split(std::string_view path) {
        size_t cut = path.rfind('\\');
        if (cut == std::string_view::npos) return {{}, path};
        return {path.substr(0, cut), path.substr(cut + 1)};
    }

    Node* find(std::string_view path) {
        Node* at = &root_node_;
        while (!path.empty()) {
            size_t cut = path.find('\\');
            std::string_view part = path.substr(0, cut);
            path = cut == std::string_view::npos ? std::string_view{} : path.substr(cut + 1);
            if (part.empty()) continue;
            auto it = std::find_if(at->children.begin(), at->children.end(),
                                   [&](const auto& n) { return ascii_iequal(n->name, part); });
            if (it == at->children.end()) return nullptr;
            at = it->get();
        }
        return at;
    }

    ListStatus list(const NativePath& folder, std::vector<ListedItem>& out) {
        out.clear();
        ++*listings_;  // workers list folders at the same time
        NativePath base = native_path(root_);
        if (folder.compare(0, base.size(), base) != 0) return ListStatus::Gone;
        std::string relative = from_native(folder.substr(base.size()));
        std::replace(relative.begin(), relative.end(), native_separator(), '\\');
        Node* node = find(relative);
        if (!node || !(node->facts.attributes & ATTRIBUTE_DIRECTORY)) return ListStatus::Gone;
        if (node->fail) return ListStatus::Unreadable;
        for (const auto& child : node->children) {
            ListedItem item;
            item.name = child->name;
            item.facts = child->facts;
            item.reparse_tag = child->tag;
            if (is_walkable_folder(item.facts.attributes, item.reparse_tag))
                item.native_name = to_native(child->name);
            out.push_back(std::move(item));
        }
        return ListStatus::Listed;
    }

    std::string root_;
    Node root_node_;
    std::shared_ptr<std::atomic<int>> listings_ = std::make_shared<std::atomic<int>>(0);
};

// What a table says about the tree, independent of entry order: every live item reachable from
// the root through children(), by path of display names, with the facts a scan records.
struct ItemRecord {
    uint8_t flags;  // DIR, HIDDEN, SYSTEM, LINK
    uint64_t size;  // files only
    uint32_t mtime;
    bool operator==(const ItemRecord&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ItemRecord& r) {
    return out << "{flags " << int(r.flags) << ", size " << r.size << ", mtime " << r.mtime << "}";
}

// Also checks the structure: no folder lists a child twice, nothing is reached twice, and the
// number reached equals live_count.
inline std::map<std::string, ItemRecord> snapshot(const VolumeTable& table) {
    std::map<std::string, ItemRecord> items;
    std::set<uint32_t> seen{0};
    std::vector<std::pair<uint32_t, std::string>> stack{{0, ""}};
    while (!stack.empty()) {
        auto [index, path] = stack.back();
        stack.pop_back();
        std::vector<uint32_t> children = table.children(index);
        std::set<uint32_t> unique(children.begin(), children.end());
        EXPECT_EQ(unique.size(), children.size()) << "a child listed twice under " << path;
        for (uint32_t child : children) {
            EXPECT_TRUE(seen.insert(child).second) << "entry " << child << " reached twice";
            std::string child_path = path.empty()
                                         ? std::string(table.display_name(child))
                                         : path + "\\" + std::string(table.display_name(child));
            const Entry& e = table.entries[child];
            bool inserted =
                items
                    .emplace(child_path, ItemRecord{static_cast<uint8_t>(e.flags & 0x0F),
                                                    e.is_dir() ? 0 : e.size, e.mtime})
                    .second;
            EXPECT_TRUE(inserted) << "two live entries at " << child_path;
            if (e.is_dir()) stack.push_back({child, child_path});
        }
    }
    EXPECT_EQ(seen.size(), table.live_count);
    return items;
}

// After a scan: every folder's children are exactly the run its span names, and every entry but
// the root lies in its parent's run.
inline void expect_contiguous_runs(const VolumeTable& table) {
    std::vector<uint32_t> children_of(table.entries.size(), 0);
    for (uint32_t i = 1; i < table.size(); ++i) {
        const Entry& e = table.entries[i];
        ASSERT_LT(e.parent, table.size());
        const Entry& parent = table.entries[e.parent];
        ASSERT_TRUE(parent.is_dir());
        EXPECT_GE(i, parent.first_child()) << "entry " << i << " before its parent's run";
        EXPECT_LT(i, uint64_t{parent.first_child()} + parent.child_count())
            << "entry " << i << " after its parent's run";
        ++children_of[e.parent];
    }
    for (uint32_t i = 0; i < table.size(); ++i) {
        const Entry& e = table.entries[i];
        if (!e.is_dir()) continue;
        EXPECT_EQ(e.child_count(), children_of[i]) << "folder " << i;
        if (children_of[i] == 0) {
            EXPECT_EQ(e.size, 0u) << "an empty folder with a span: " << i;
        }
    }
    EXPECT_TRUE(table.late_children.empty());
}

}  // namespace norvik::testing
