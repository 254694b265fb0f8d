#include "command_line.h"

#include <windows.h>

#include <cstring>

#include "path_conversion.h"
#include "startup.h"

namespace {

constexpr std::size_t kSwitchLength = 2;  // "/f"

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The text with its blanks and then one pair of enclosing quotes taken off.
std::string Unwrapped(std::string text)
{
    while (!text.empty() && IsBlank(text.back()))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    text.erase(0, start);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return text;
}

// Whether a full path names a file, however long the path: past MAX_PATH only the wide
// functions with the "\\?\" prefix can look.
bool IsExistingFile(const std::string& fullPath)
{
    std::wstring wide = ConvertPathToWide(fullPath.c_str());
    if (wide.empty())
        return false;
    if (fullPath.size() >= MAX_PATH)
        wide.insert(0, L"\\\\?\\");
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The full path of a name, relative ones counted from the current folder.
std::string FullPathOf(const std::string& name)
{
    const DWORD needed = GetFullPathNameA(name.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::string full(needed, '\0');
    const DWORD length = GetFullPathNameA(name.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed)
        return {};
    full.resize(length);
    return full;
}

}  // namespace

std::string StartupFilePath(const char* commandLine)
{
    std::string named(commandLine);
    if (WantsPopupWindow(commandLine))
        named.resize(named.size() - kSwitchLength);
    named = Unwrapped(named);
    if (named.empty())
        return {};
    const std::string full = FullPathOf(named);
    return !full.empty() && IsExistingFile(full) ? full : std::string();
}
