#pragma once
#include <cstddef>
#include <string>

// Converts a code page 932 path to UTF-16, with the C library's locale set to "JAPANESE" for
// all categories (it stays set), as the imaging library and the wide file functions take
// paths. The whole path, however long; empty when it does not convert.
std::wstring ConvertPathToWide(const char* path);

// The same into a buffer of capacity units. A path that does not convert, or does not fit
// with its terminator, gives an empty string and false, so no unterminated or stale text is
// ever passed on.
bool ConvertPathToWide(const char* path, wchar_t* wide, std::size_t capacity);

template <std::size_t N>
bool ConvertPathToWide(const char* path, wchar_t (&wide)[N])
{
    return ConvertPathToWide(path, wide, N);
}
