#pragma once
// A file's bytes by offset through POSIX reads, for the native programs here: the same
// reads the program makes through Win32 (header_file.h).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "byte_reader.h"

// Owns the file descriptor.
class FileReader final : public ByteReader {
public:
    explicit FileReader(const char* path) : fd_(open(path, O_RDONLY))
    {
        struct stat status;
        if (fd_ >= 0 && fstat(fd_, &status) == 0 && status.st_size > 0)
            size_ = static_cast<std::uint64_t>(status.st_size);
    }
    ~FileReader() override
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        const ssize_t got = fd_ >= 0 && offset <= INT64_MAX ? pread(fd_, buffer, count, static_cast<off_t>(offset)) : -1;
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

private:
    int fd_;
    std::uint64_t size_ = 0;
};
