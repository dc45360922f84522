#include "index/child_lookup.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "hangul/unicode_case.h"

namespace norvik {

namespace {

constexpr uint64_t HIGH_BITS = 0x8080808080808080;

// ASCII capitals of an all-ASCII word to small letters: a byte gets 0x20 when it is at least 'A'
// and not above 'Z'. Adding 0x3F (0x25) to a byte below 0x80 sets its top bit exactly when the
// byte is at least 0x41 (0x5B), and never carries into the next byte.
uint64_t fold_ascii_word(uint64_t w) {
    const uint64_t at_least_a = w + 0x3F3F3F3F3F3F3F3F;
    const uint64_t past_z = w + 0x2525252525252525;
    const uint64_t capitals = at_least_a & ~past_z & HIGH_BITS;
    return w | (capitals >> 2);
}

// Hashes text eight bytes at a time. With FOLD the words are ASCII-folded first, and a word
// holding a non-ASCII byte stops the hash (false). Folding a text and hashing it without FOLD
// gives the same value as hashing it with FOLD.
template <bool FOLD>
bool hash_words(std::string_view text, uint64_t& hash) {
    uint64_t h = 0x9E3779B97F4A7C15 ^ text.size();
    for (size_t at = 0; at < text.size(); at += 8) {
        uint64_t w = 0;
        std::memcpy(&w, text.data() + at, std::min<size_t>(8, text.size() - at));
        if constexpr (FOLD) {
            if (w & HIGH_BITS) return false;
            w = fold_ascii_word(w);
        }
        h = (h ^ w) * 0xBF58476D1CE4E5B9;
        h ^= h >> 31;
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCD;
    h ^= h >> 33;
    hash = h;
    return true;
}

}  // namespace

uint32_t child_name_key(std::string_view name, std::string& scratch) {
    uint64_t hash = 0;
    // An ASCII name's full lowercase is its ASCII fold, hashed here without being written out.
    if (!hash_words<true>(name, hash)) {
        scratch.clear();
        append_lower_full(scratch, name);
        hash_words<false>(scratch, hash);
    }
    return static_cast<uint32_t>(hash);
}

ChildLookup::ChildLookup(size_t children) {
    // At most half full when built, so a folder can take half as many children again before the
    // owner rebuilds it; probes stay short either way.
    size_t slots = std::bit_ceil(std::max<size_t>(children * 2, 16));
    slots_.assign(slots, Slot{0, EMPTY_SLOT});
}

void ChildLookup::insert(uint32_t key, uint32_t child) {
    const size_t mask = slots_.size() - 1;
    size_t at = key & mask;
    while (slots_[at].child != EMPTY_SLOT)
        at = (at + 1) & mask;
    slots_[at] = Slot{key, child};
    ++used_;
}

}  // namespace norvik
