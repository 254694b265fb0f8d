// Memory made ready on a thread of its own is handed over whole, once, and only for the sizes
// last asked for.
#include <gtest/gtest.h>

#include <utility>

#include "memory_warmer.h"

TEST(MemoryWarmer, HandsOverMemoryOfTheSizesAskedOnceAndForgetsItOnRequest)
{
    constexpr std::size_t kPixels = 3000 * 1000;
    constexpr std::size_t kReduced = 1000 * 333;
    MemoryWarmer warmer;
    EXPECT_EQ(0u, warmer.Take().pixels.capacity()) << "nothing started";

    warmer.Start(kPixels, kReduced);
    warmer.Start(kPixels, kReduced);  // asked again while it is made: the same memory
    EXPECT_EQ(kPixels, warmer.PixelsStarted());
    PreviewMemory memory = warmer.Take();
    EXPECT_EQ(kPixels, memory.pixels.size());
    EXPECT_EQ(kPixels, memory.scratch.size());
    EXPECT_EQ(kReduced, memory.reduced.size());
    memory.pixels.back() = 1;  // written as any memory is
    EXPECT_EQ(0u, warmer.PixelsStarted());
    EXPECT_EQ(0u, warmer.Take().pixels.capacity()) << "handed over twice";

    // Other sizes replace the memory being made; Forget gives it back.
    warmer.Start(kPixels, kReduced);
    warmer.Start(kPixels / 2, 0);
    EXPECT_EQ(kPixels / 2, warmer.PixelsStarted());
    warmer.Forget();
    EXPECT_EQ(0u, warmer.Take().scratch.capacity());

    // Moved while it is made, it arrives with the memory.
    warmer.Start(kPixels, 0);
    MemoryWarmer moved = std::move(warmer);
    EXPECT_EQ(kPixels, moved.Take().scratch.size());
    EXPECT_EQ(0u, warmer.Take().scratch.capacity());
}
