#include "path_conversion.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <vector>

std::wstring ConvertPathToWide(const char* path)
{
    std::setlocale(LC_ALL, "JAPANESE");
    const std::size_t units = std::mbstowcs(nullptr, path, 0);
    if (units == static_cast<std::size_t>(-1))
        return {};
    // Asking for the terminator too means a complete conversion always ends in one.
    std::vector<wchar_t> wide(units + 1);
    if (std::mbstowcs(wide.data(), path, wide.size()) != units)
        return {};
    return std::wstring(wide.data(), units);
}

bool ConvertPathToWide(const char* path, wchar_t* wide, std::size_t capacity)
{
    if (capacity == 0)
        return false;
    const std::wstring converted = ConvertPathToWide(path);
    if ((converted.empty() && *path != '\0') || converted.size() >= capacity) {
        wide[0] = L'\0';
        return false;
    }
    std::copy_n(converted.c_str(), converted.size() + 1, wide);
    return true;
}
