// An allocator whose vectors leave new elements default-initialized: growing a vector of plain
// records or bytes writes nothing, so a loaded table's records and names are read from the file
// straight into place instead of being zeroed first and then overwritten.
#pragma once

#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace norvik {

template <class T>
struct UninitializedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };

    UninitializedAllocator() = default;
    template <class U>
    UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}

    template <class U>
    void construct(U* at) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(at)) U;
    }
    template <class U, class... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

// Makes room for `capacity` elements, moving the present ones with one memcpy. A vector of this
// allocator would move them one element at a time (the standard library copies in bulk only for
// its own allocator), and tables grow by a sixteenth at a time, so that cost recurs.
template <class T>
void reserve_in_bulk(std::vector<T, UninitializedAllocator<T>>& v, size_t capacity) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (capacity <= v.capacity()) return;
    std::vector<T, UninitializedAllocator<T>> grown;
    grown.reserve(capacity);
    grown.resize(v.size());  // default-initialized: nothing is written
    if (!v.empty()) std::memcpy(grown.data(), v.data(), v.size() * sizeof(T));
    v.swap(grown);
}

}  // namespace norvik
