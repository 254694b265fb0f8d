#pragma once
// Reading image headers byte by byte, without decoding: a buffered read-only view of a
// file by offset, and the byte orders the formats use.
#include <windows.h>

#include <cstddef>
#include <cstdint>

// A read-only view of a file by offset, through a small buffer so that walking a header
// byte by byte stays cheap. Reads past the end fail. Other programs may read, write and
// delete the file meanwhile.
class HeaderFile {
public:
    explicit HeaderFile(const wchar_t* path);
    ~HeaderFile();
    HeaderFile(const HeaderFile&) = delete;
    HeaderFile& operator=(const HeaderFile&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    // The file's length in bytes when it was opened; 0 when it cannot be told.
    std::uint64_t Size() const { return size_; }

    // Copies up to count bytes (at most kMaxRead) from offset; returns how many there were.
    std::size_t ReadUpTo(std::uint64_t offset, void* buffer, std::size_t count);

    // Reads exactly count bytes (at most kMaxRead) from offset; false when the file ends first.
    bool Read(std::uint64_t offset, void* buffer, std::size_t count)
    {
        return count <= kMaxRead && ReadUpTo(offset, buffer, count) == count;
    }

    static constexpr std::size_t kMaxRead = 64;

private:
    void Fill(std::uint64_t offset);

    HANDLE handle_;
    std::uint64_t size_ = 0;
    unsigned char buffer_[4096];
    std::uint64_t bufferStart_ = 0;
    std::size_t bufferLength_ = 0;
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
