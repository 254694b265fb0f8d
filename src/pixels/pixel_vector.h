#pragma once
// A vector of pixels whose new elements are left as the memory has them: a buffer that is
// about to be written whole is not zeroed first. For an image's worth of pixels that pass
// would be most of the cost, and it would touch every new page on one thread before the
// threads that write them could. Pure C++.
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "pixel_rows.h"

template <typename T>
class UninitialisedAllocator : public std::allocator<T> {
public:
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };

    UninitialisedAllocator() noexcept = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U>& other) noexcept : std::allocator<T>(other)
    {
    }

    // Default-initialised: for a pixel, nothing is written.
    template <typename U>
    void construct(U* place) noexcept(noexcept(U()))
    {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Args>
    void construct(U* place, Args&&... args)
    {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }
};

// Pixels row by row: resize() leaves the new ones unwritten; (count, value) fills as usual.
using PixelVector = std::vector<ArgbValue, UninitialisedAllocator<ArgbValue>>;
// A byte per pixel, as a mask or a measure that writes every byte before it reads it.
using ByteVector = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;
