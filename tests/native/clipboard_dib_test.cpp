// The reader of clipboard bitmaps over bytes built here, and its writer read back: pure
// code, no windows.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "clipboard_dib.h"
#include "dib_bytes.h"

namespace {

DibPixels Read(const DibBytes& bytes)
{
    MemoryReader reader(bytes.data(), bytes.size());
    return ReadClipboardDib(reader);
}

// Six pixels of every alpha kind: transparent with a colour, half, opaque.
const std::vector<std::uint32_t> kSix = {0x00123456, 0x80FF0000, 0xFF00FF00, 0x010000FF, 0xFFFFFFFF, 0x7F808080};
const std::vector<std::uint32_t> kArgbMasks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};

}  // namespace

TEST(ClipboardDib, WrittenBitmapsReadBackExactlyAndRowOrderFollowsTheHeightSign)
{
    DibBytes written(DibV5Bytes(3, 2));
    WriteDibV5(3, 2, kSix.data(), written.data());
    EXPECT_EQ(kDibV5HeaderBytes, Le32At(written, 0));
    EXPECT_EQ(2u, Le32At(written, 8)) << "bottom-up";
    EXPECT_EQ(kSix[3], Le32At(written, kDibV5HeaderBytes)) << "the bottom row comes first";
    EXPECT_EQ(kSix, Read(written).pixels);

    for (bool bottomUp : {true, false}) {
        const DibSpec spec = {124, 3, bottomUp ? 2 : -2, 32, kDibBitfields, 0, kArgbMasks};
        const DibPixels read = Read(MakeDib(spec, Rows32(kSix, 3, bottomUp)));
        EXPECT_EQ(DibVerdict::Read, read.verdict);
        EXPECT_EQ(3u, read.width);
        EXPECT_EQ(2u, read.height);
        EXPECT_EQ(kSix, read.pixels) << "bottom-up " << bottomUp;
    }
}

TEST(ClipboardDib, WithoutAnAlphaMaskTheFourthByteIsAlphaUnlessItIsZeroEverywhere)
{
    const std::vector<std::uint32_t> noAlpha = {0x00123456, 0x00FF0000};
    EXPECT_EQ((std::vector<std::uint32_t>{0xFF123456, 0xFFFF0000}),
              Read(MakeDib({40, 2, 1, 32, kDibRgb}, Rows32(noAlpha, 2, true))).pixels);
    EXPECT_EQ(kSix, Read(MakeDib({40, 6, 1, 32, kDibRgb}, Rows32(kSix, 6, true))).pixels);
    // Masks after an info header; 6-bit green widened to 8 bits, the free top byte is alpha.
    const DibSpec narrow = {40, 2, 1, 32, kDibBitfields, 0, {0xFF0000, 0x3F00, 0xFF}};
    EXPECT_EQ((std::vector<std::uint32_t>{0x40FFFF00, 0x40000000}),
              Read(MakeDib(narrow, Rows32({0x40FF3F00, 0x40000000}, 2, true))).pixels);
    // An alpha mask keeps an alpha of 0 everywhere.
    const DibSpec masked = {40, 2, 1, 32, kDibAlphaBitfields, 0, kArgbMasks};
    EXPECT_EQ(noAlpha, Read(MakeDib(masked, Rows32(noAlpha, 2, true))).pixels);
}

TEST(ClipboardDib, PaletteAndTwentyFourBitRowsArePaddedToFourBytesAndOpaque)
{
    // Two palette entries (blue, green, red, unused), then 3 indexes padded to 4 bytes.
    const DibBytes twoColours = {0x10, 0x20, 0x30, 0, 0xAA, 0xBB, 0xCC, 0x55, 1, 0, 7, 0xEE};
    EXPECT_EQ((std::vector<std::uint32_t>{0xFFCCBBAA, 0xFF302010, 0xFF000000}),
              Read(MakeDib({40, 3, 1, 8, kDibRgb, 2}, twoColours)).pixels)
        << "an index past the palette is black";
    DibBytes full(256 * 4, 0);
    full[255 * 4] = 0x01;
    full.insert(full.end(), {255, 0, 0, 0});
    EXPECT_EQ((std::vector<std::uint32_t>{0xFF000001}), Read(MakeDib({40, 1, 1, 8, kDibRgb, 0}, full)).pixels)
        << "0 colours used means all 256";
    const DibBytes rows24 = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    EXPECT_EQ((std::vector<std::uint32_t>{0xFF090807, 0xFF0C0B0A, 0xFF030201, 0xFF060504}),
              Read(MakeDib({40, 2, 2, 24, kDibRgb}, rows24)).pixels);
}

TEST(ClipboardDib, ClaimsPastTheBytesOrTheLimitsAndUnknownKindsAreRefusedWithNoPixels)
{
    const DibBytes whole = MakeDib({40, 100, 100, 24, kDibRgb}, DibBytes(100 * 300, 0));
    EXPECT_EQ(DibVerdict::Read, Read(whole).verdict);
    const auto verdictOf = [](const DibBytes& bytes) {
        const DibPixels read = Read(bytes);
        EXPECT_TRUE(read.pixels.empty());
        return read.verdict;
    };
    EXPECT_EQ(DibVerdict::PastData, verdictOf(DibBytes(whole.begin(), whole.end() - 1)));
    EXPECT_EQ(DibVerdict::PastData, verdictOf(DibBytes(whole.begin(), whole.begin() + 39)));
    EXPECT_EQ(DibVerdict::PastData, verdictOf(MakeDib({40, 1, 1, 32, kDibRgb, 0x40000000}, DibBytes(8, 0))));
    EXPECT_EQ(DibVerdict::PastData, verdictOf(MakeDib({40, 1, 1, 32, kDibBitfields}, {})));
    EXPECT_EQ(DibVerdict::PastLimits, verdictOf(MakeDib({40, 16385, 1, 8, kDibRgb}, DibBytes(20000, 0))));
    EXPECT_EQ(DibVerdict::PastLimits, verdictOf(MakeDib({40, 16384, -7813, 8, kDibRgb}, {})));
    for (const DibSpec& unknown : {DibSpec{12, 1, 1, 24}, DibSpec{40, 1, 1, 16}, DibSpec{40, 1, 1, 8, 1},
                                   DibSpec{40, 1, 1, 24, kDibBitfields}, DibSpec{40, 0, 1, 24},
                                   DibSpec{40, 1, INT32_MIN, 24}, DibSpec{40, 1, 1, 8, kDibRgb, 257},
                                   DibSpec{124, 1, 1, 32, kDibBitfields, 0, {0xF0F0, 0, 0, 0}}})
        EXPECT_EQ(DibVerdict::Unsupported, verdictOf(MakeDib(unknown, DibBytes(2048, 0))))
            << unknown.headerSize << " " << unknown.bits << " " << unknown.compression;
}
