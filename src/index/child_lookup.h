// A name lookup for the children of one big folder: an open-addressed multiset of (key, child)
// pairs, where the key is a hash of the child's name folded to lowercase. Keys only narrow the
// search: a key's candidates include children of other names (hash collisions) and children that
// have since moved, been removed or renamed, so every candidate must be checked against the table
// before it is used. What the lookup promises is the other way round: a child holding a name is
// among the candidates of that name's key, as long as every listing and rename was registered.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norvik {

// The key of a name: a hash of its full Unicode lowercase mapping (append_lower_full). For ASCII
// text that mapping is the ASCII lowercase, so names equal under either comparison share a key.
// A name that is not ASCII leaves its full lowercase in scratch; an ASCII one leaves scratch as
// it was.
uint32_t child_name_key(std::string_view name, std::string& scratch);

class ChildLookup {
  public:
    // An empty lookup with room for `children` pairs before it asks to grow.
    explicit ChildLookup(size_t children);

    // True when one more pair would crowd the slots; the owner then builds a bigger lookup.
    bool is_full() const { return (used_ + 1) * 4 > slots_.size() * 3; }

    // Adds a pair; the same pair twice is allowed and does no harm. Must not be full.
    void insert(uint32_t key, uint32_t child);

    // Calls visit(child) for every pair of this key, in no particular order.
    template <class F>
    void for_each_candidate(uint32_t key, F&& visit) const;

    size_t memory_bytes() const { return slots_.capacity() * sizeof(Slot); }

  private:
    struct Slot {
        uint32_t key;
        uint32_t child;  // EMPTY_SLOT when unused
    };
    static constexpr uint32_t EMPTY_SLOT = 0xFFFFFFFF;

    std::vector<Slot> slots_;  // a power of two long
    size_t used_ = 0;
};

template <class F>
void ChildLookup::for_each_candidate(uint32_t key, F&& visit) const {
    const size_t mask = slots_.size() - 1;
    for (size_t at = key & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.child == EMPTY_SLOT) return;
        if (slot.key == key) visit(slot.child);
    }
}

}  // namespace norvik
