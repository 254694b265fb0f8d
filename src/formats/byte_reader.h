#pragma once
// Reading an image file's bytes by offset, without decoding: where the bytes come from (a
// file, memory), the buffered view the walkers read headers through, and the byte orders
// the formats use. Pure C++: the file reader with its system calls lives elsewhere.
#include <cstddef>
#include <cstdint>
#include <optional>

// The bytes of one file, by offset.
class ByteReader {
public:
    virtual ~ByteReader() = default;

    // The length in bytes when reading began; 0 when it cannot be told.
    virtual std::uint64_t Size() const = 0;

    // Copies up to count bytes from offset into buffer; returns how many there were, 0 past
    // the end or when the read fails.
    virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) = 0;
};

// Bytes held in memory by the caller, who keeps them alive while this is used.
class MemoryReader final : public ByteReader {
public:
    MemoryReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    const unsigned char* data_;
    std::size_t size_;
};

// A view of a reader through a block buffer, so that walking a header a few bytes at a time
// costs one read of the reader per block, not per byte. Reads past the end fail.
class ByteView {
public:
    explicit ByteView(ByteReader& reader) : reader_(reader), size_(reader.Size()) {}
    ByteView(const ByteView&) = delete;
    ByteView& operator=(const ByteView&) = delete;

    // The reader's length, as ByteReader::Size tells it.
    std::uint64_t Size() const { return size_; }

    // Copies up to count bytes (at most kMaxRead) from offset; returns how many there were.
    std::size_t ReadUpTo(std::uint64_t offset, void* buffer, std::size_t count);

    // Reads exactly count bytes (at most kMaxRead) from offset; false when the bytes end first.
    bool Read(std::uint64_t offset, void* buffer, std::size_t count)
    {
        return count <= kMaxRead && ReadUpTo(offset, buffer, count) == count;
    }

    // The offset of the first byte equal to value in [from, end), a block at a time; nothing
    // when there is none or the bytes end first.
    std::optional<std::uint64_t> Find(unsigned char value, std::uint64_t from, std::uint64_t end);

    // The reader itself, for reading long runs of bytes in blocks of the caller's own.
    ByteReader& Reader() { return reader_; }

    static constexpr std::size_t kMaxRead = 64;
    static constexpr std::size_t kBlockBytes = 4096;

private:
    bool Holds(std::uint64_t offset) const { return offset >= start_ && offset - start_ < length_; }
    void Fill(std::uint64_t offset);

    ByteReader& reader_;
    std::uint64_t size_;
    unsigned char buffer_[kBlockBytes];
    std::uint64_t start_ = 0;
    std::size_t length_ = 0;
};

inline std::uint32_t BigEndian16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
inline std::uint32_t BigEndian32(const unsigned char* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (p[2] << 8) | p[3];
}
inline std::uint32_t LittleEndian16(const unsigned char* p) { return p[0] | (p[1] << 8); }
inline std::uint32_t LittleEndian32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
