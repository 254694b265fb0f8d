#include "image_header.h"

#include "header_file.h"

std::optional<ClaimedSize> ReadClaimedSize(const wchar_t* path)
{
    if (!path)
        return std::nullopt;
    HeaderFile file(path);
    if (!file.IsOpen())
        return std::nullopt;
    return ClaimedSizeOf(file);
}

bool IsSafeToDecode(const wchar_t* path)
{
    if (!path)
        return true;
    HeaderFile file(path);
    if (!file.IsOpen())
        return true;
    return JudgeImage(file) == DecodeVerdict::Decode;
}

bool IsLossyImageFile(const wchar_t* path)
{
    if (!path)
        return false;
    HeaderFile file(path);
    return file.IsOpen() && IsLossyImage(file);
}
