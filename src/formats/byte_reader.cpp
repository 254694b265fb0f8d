#include "byte_reader.h"

#include <algorithm>
#include <cstring>

std::size_t MemoryReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t count)
{
    if (offset >= size_)
        return 0;
    const std::size_t copied = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - offset));
    std::memcpy(buffer, data_ + offset, copied);
    return copied;
}

std::size_t ByteView::ReadUpTo(std::uint64_t offset, void* buffer, std::size_t count)
{
    count = std::min(count, kMaxRead);
    if (!Holds(offset) || length_ - (offset - start_) < count)
        Fill(offset);
    if (!Holds(offset))
        return 0;
    const std::size_t copied = std::min(count, static_cast<std::size_t>(length_ - (offset - start_)));
    std::memcpy(buffer, buffer_ + (offset - start_), copied);
    return copied;
}

std::optional<std::uint64_t> ByteView::Find(unsigned char value, std::uint64_t from, std::uint64_t end)
{
    while (from < end) {
        if (!Holds(from))
            Fill(from);
        if (!Holds(from))
            return std::nullopt;
        const unsigned char* begin = buffer_ + (from - start_);
        const std::size_t span = static_cast<std::size_t>(std::min<std::uint64_t>(length_ - (from - start_), end - from));
        if (const void* found = std::memchr(begin, value, span))
            return from + static_cast<std::uint64_t>(static_cast<const unsigned char*>(found) - begin);
        from += span;
    }
    return std::nullopt;
}

void ByteView::Fill(std::uint64_t offset)
{
    start_ = offset;
    length_ = reader_.ReadAt(offset, buffer_, sizeof buffer_);
}
