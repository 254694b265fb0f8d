#pragma once
// An image file's bytes read through Win32, for the walkers in byte_reader.h.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "byte_reader.h"

// A read-only file by offset. Other programs may read, write and delete the file meanwhile,
// so a read may find fewer bytes than Size promised. Owns the file handle.
class HeaderFile final : public ByteReader {
public:
    explicit HeaderFile(const wchar_t* path);
    ~HeaderFile() override;
    HeaderFile(const HeaderFile&) = delete;
    HeaderFile& operator=(const HeaderFile&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    // The file's length in bytes when it was opened; 0 when it cannot be told.
    std::uint64_t Size() const override { return size_; }

    // Copies up to count bytes from offset: as many as one read of the file gives.
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    HANDLE handle_;
    std::uint64_t size_ = 0;
};
