#include "path_conversion.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

bool ConvertPathToWide(const char* path, wchar_t* wide, std::size_t capacity)
{
    if (capacity == 0)
        return false;
    std::setlocale(LC_ALL, "JAPANESE");
    // Asking for the terminator too means a complete conversion always ends in one.
    const std::size_t wanted = std::strlen(path) + 1;
    const std::size_t converted = std::mbstowcs(wide, path, wanted < capacity ? wanted : capacity);
    if (converted == static_cast<std::size_t>(-1) || converted >= capacity) {
        wide[0] = L'\0';
        return false;
    }
    return true;
}
