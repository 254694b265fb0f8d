#include "header_file.h"

#include <algorithm>
#include <climits>
#include <cstring>

HeaderFile::HeaderFile(const wchar_t* path)
    : handle_(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
{
    LARGE_INTEGER size;
    if (IsOpen() && GetFileSizeEx(handle_, &size) && size.QuadPart > 0)
        size_ = static_cast<std::uint64_t>(size.QuadPart);
}

HeaderFile::~HeaderFile()
{
    if (IsOpen())
        CloseHandle(handle_);
}

std::size_t HeaderFile::ReadUpTo(std::uint64_t offset, void* buffer, std::size_t count)
{
    count = std::min(count, kMaxRead);
    if (offset < bufferStart_ || offset + count > bufferStart_ + bufferLength_)
        Fill(offset);
    if (offset < bufferStart_ || offset >= bufferStart_ + bufferLength_)
        return 0;
    const std::size_t available = static_cast<std::size_t>(bufferStart_ + bufferLength_ - offset);
    const std::size_t copied = std::min(count, available);
    std::memcpy(buffer, buffer_ + (offset - bufferStart_), copied);
    return copied;
}

void HeaderFile::Fill(std::uint64_t offset)
{
    bufferStart_ = offset;
    bufferLength_ = 0;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    if (offset <= static_cast<std::uint64_t>(LLONG_MAX) && SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN) &&
        ReadFile(handle_, buffer_, sizeof buffer_, &read, nullptr))
        bufferLength_ = read;
}
