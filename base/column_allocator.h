#pragma once

#include <memory>
#include <new>
#include <type_traits>

namespace varkel {

// Room for the large columns of plain numbers that parallel workers fill
// slot by slot (a search's trial ledger): elements are default-initialised,
// so growing a column zeroes nothing. Each slot is written before it is read,
// and the first touch of every page falls to the worker that writes it
// instead of one thread walking tens of megabytes up front.
template <class T>
class ColumnAllocator : public std::allocator<T> {
    static_assert(std::is_trivially_default_constructible_v<T>, "columns hold plain numbers");

public:
    template <class U>
    struct rebind {
        using other = ColumnAllocator<U>;
    };

    using std::allocator<T>::allocator;

    // Only the construction without a value is replaced: construction from a
    // value takes the standard path (std::construct_at).
    template <class U>
    void construct(U* at) noexcept {
        ::new (static_cast<void*>(at)) U;
    }
};

}  // namespace varkel
