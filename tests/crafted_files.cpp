#include "crafted_files.h"

#include <gtest/gtest.h>

#include "test_support.h"

Bytes JpegClaiming(const TempFolder& folder, std::uint32_t width, std::uint32_t height, bool strayBytes)
{
    const std::wstring path = folder.Path(L"source.jpg");
    EXPECT_TRUE(WriteJpeg(*MakePatternImage(32, 24), path));
    Bytes jpeg = ReadFileBytes(path);
    std::size_t at = 2;
    while (at + 9 < jpeg.size() && !(jpeg[at + 1] >= 0xC0 && jpeg[at + 1] <= 0xC2))
        at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
    EXPECT_LT(at + 9, jpeg.size()) << "no frame header in the written JPEG";
    if (at + 9 >= jpeg.size())
        return {};
    jpeg[at + 5] = static_cast<unsigned char>(height >> 8);
    jpeg[at + 6] = static_cast<unsigned char>(height);
    jpeg[at + 7] = static_cast<unsigned char>(width >> 8);
    jpeg[at + 8] = static_cast<unsigned char>(width);
    if (strayBytes)
        jpeg.insert(jpeg.begin() + at, {0x00, 0x12, 0x34, 0xFF, 0x00});
    return jpeg;
}

std::string Describe(const std::optional<ClaimedSize>& claim)
{
    return claim ? std::to_string(claim->width) + " x " + std::to_string(claim->height) : "nothing";
}

std::string Expect(std::uint64_t width, std::uint64_t height)
{
    return Describe(ClaimedSize{width, height});
}

std::optional<ClaimedSize> ClaimOf(const TempFolder& folder, const Bytes& bytes,
                                   const std::wstring& name)
{
    EXPECT_TRUE(WriteFileBytes(folder.Path(name), bytes));
    return ReadClaimedSize(folder.Path(name).c_str());
}
