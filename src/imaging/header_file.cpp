#include "header_file.h"

#include <algorithm>
#include <climits>

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

std::size_t HeaderFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count)
{
    if (!IsOpen() || offset > static_cast<std::uint64_t>(LLONG_MAX))
        return 0;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(count, MAXDWORD));
    if (!SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN) || !ReadFile(handle_, buffer, wanted, &read, nullptr))
        return 0;
    return read;
}
