#pragma once
// Owners of the system's movable memory (GlobalAlloc), for the clipboard's formats and the
// streams images are decoded from.
#include <windows.h>

#include <cstddef>

// Movable memory, freed when it goes unless it was handed on.
class MovableMemory {
public:
    explicit MovableMemory(std::size_t bytes) noexcept : memory_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~MovableMemory()
    {
        if (memory_)
            GlobalFree(memory_);
    }
    MovableMemory(const MovableMemory&) = delete;
    MovableMemory& operator=(const MovableMemory&) = delete;
    HGLOBAL Get() const noexcept { return memory_; }
    // Hands the memory on to whatever took it (the clipboard, a stream); it is no longer freed here.
    HGLOBAL Release() noexcept
    {
        HGLOBAL memory = memory_;
        memory_ = nullptr;
        return memory;
    }

private:
    HGLOBAL memory_;
};

// Movable memory locked for the length of a scope, with its length.
class LockedMemory {
public:
    explicit LockedMemory(HANDLE memory) noexcept
        : memory_(memory), data_(memory ? static_cast<unsigned char*>(GlobalLock(memory)) : nullptr),
          size_(data_ ? GlobalSize(memory) : 0)
    {
    }
    ~LockedMemory()
    {
        if (data_)
            GlobalUnlock(memory_);
    }
    LockedMemory(const LockedMemory&) = delete;
    LockedMemory& operator=(const LockedMemory&) = delete;
    unsigned char* Data() const noexcept { return data_; }
    std::size_t Size() const noexcept { return size_; }

private:
    HANDLE memory_;
    unsigned char* data_;
    std::size_t size_;
};
