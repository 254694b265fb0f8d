#include "memory_warmer.h"

#include <exception>
#include <new>
#include <utility>

namespace {

// The smallest page of the platforms this runs on: writing a byte in each faults it in.
constexpr std::size_t kPageBytes = 4096;

// Memory that will be given back unused is not worth its faults: stop asks the writing to end.
template <typename Vector>
void WriteEveryPage(Vector& vector, std::size_t count, const std::atomic<bool>& stop)
{
    vector.resize(count);
    auto* bytes = reinterpret_cast<unsigned char*>(vector.data());
    const std::size_t size = count * sizeof(typename Vector::value_type);
    for (std::size_t at = 0; at < size && !stop.load(std::memory_order_relaxed); at += kPageBytes)
        bytes[at] = 0;
}

void Make(PreviewMemory& memory, std::size_t pixels, std::size_t reduced, const std::atomic<bool>& stop) noexcept
{
    try {
        WriteEveryPage(memory.pixels, pixels, stop);
        WriteEveryPage(memory.scratch, pixels, stop);
        WriteEveryPage(memory.reduced, reduced, stop);
    } catch (const std::bad_alloc&) {
        memory = PreviewMemory{};
    }
}

}  // namespace

void MemoryWarmer::Start(std::size_t pixels, std::size_t reduced) noexcept
{
    if ((thread_.joinable() || !memory_.pixels.empty()) && pixels == pixels_ && reduced == reduced_)
        return;
    Forget();
    pixels_ = pixels;
    reduced_ = reduced;
    try {
        thread_ = std::thread([this, pixels, reduced] { Make(memory_, pixels, reduced, stop_); });
    } catch (const std::exception&) {
        pixels_ = reduced_ = 0;  // no thread: the preview makes its memory as it goes
    }
}

MemoryWarmer& MemoryWarmer::operator=(MemoryWarmer&& other) noexcept
{
    if (this != &other) {
        Forget();
        other.Wait();
        memory_ = std::move(other.memory_);
        pixels_ = other.pixels_.exchange(0);
        reduced_ = std::exchange(other.reduced_, 0);
        other.memory_ = PreviewMemory{};
    }
    return *this;
}

void MemoryWarmer::Wait() noexcept
{
    if (thread_.joinable())
        thread_.join();
}

PreviewMemory MemoryWarmer::Take() noexcept
{
    Wait();
    PreviewMemory taken = std::move(memory_);
    memory_ = PreviewMemory{};
    pixels_ = reduced_ = 0;
    return taken;
}

void MemoryWarmer::Forget() noexcept
{
    stop_ = true;
    Wait();
    stop_ = false;
    memory_ = PreviewMemory{};
    pixels_ = reduced_ = 0;
}
