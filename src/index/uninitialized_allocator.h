// An allocator whose vectors leave new elements default-initialized: growing a vector of plain
// records or bytes writes nothing, so a loaded table's records and names are read from the file
// straight into place instead of being zeroed first and then overwritten.
#pragma once

#include <memory>
#include <new>
#include <type_traits>
#include <utility>

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

}  // namespace norvik
