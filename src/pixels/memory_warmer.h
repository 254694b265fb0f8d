#pragma once
// Memory made ready on a thread of its own before it is needed. Fresh memory costs a fault
// for each page the first time it is written, and on some machines that costs as much as
// the work that fills it: a tool's first preview of a large image would pay it while the
// user waits. Started while the user reads the menu that offers the tool, it is paid before
// the click. Pure C++.
#include <atomic>
#include <cstddef>
#include <thread>
#include <utility>

#include "pixel_vector.h"

// The memory a tool's preview keeps: the new pixels, the work's byte a pixel, the reduced view.
struct PreviewMemory {
    PixelVector pixels;
    ByteVector scratch;
    PixelVector reduced;
};

class MemoryWarmer {
public:
    MemoryWarmer() = default;
    // A move waits for the memory being made, which then moves with it.
    MemoryWarmer(MemoryWarmer&& other) noexcept { *this = std::move(other); }
    MemoryWarmer& operator=(MemoryWarmer&& other) noexcept;
    ~MemoryWarmer() { Forget(); }

    // Starts making memory for pixels new pixels, as many bytes and reduced view pixels, every
    // page of it written once. Nothing when memory of those sizes is already being made;
    // memory of other sizes is forgotten first. Without memory, or a thread, nothing is made.
    void Start(std::size_t pixels, std::size_t reduced) noexcept;
    // Whether memory is being made, or made and not yet taken: how many pixels it is for.
    // Safe to ask from any thread.
    std::size_t PixelsStarted() const noexcept { return pixels_; }
    // Waits for the memory being made and hands it over; empty when none was started.
    PreviewMemory Take() noexcept;
    // Gives back the memory, made or being made (which then stops at once).
    void Forget() noexcept;

private:
    void Wait() noexcept;

    std::thread thread_;
    std::atomic<bool> stop_{false};
    PreviewMemory memory_;  // the thread's own until it is joined
    std::atomic<std::size_t> pixels_{0};
    std::size_t reduced_ = 0;
};
