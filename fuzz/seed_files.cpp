// seed_files: writes the crafted seed files of the fuzz targets into a folder, one
// subfolder per format (png, gif, ico, bmp, jpeg, tiff, and dib for bitmaps as the clipboard
// holds them). They are built with the tests' own builders (tests/crafted): headers claiming
// huge sizes, chunks claiming more than the file holds, compressed text near the 8 MB budget,
// GIFs of many frames, icons holding PNGs, files cut short, bitmaps whose headers claim more
// than they hold. Each stays small, so the fuzzers start near every limit without committing
// binaries.
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "crafted_bytes.h"
#include "dib_bytes.h"

namespace {

using Seeds = std::vector<std::pair<std::string, Bytes>>;

// An RGBA PNG of that size, every pixel 0.
Bytes ZeroPng(std::uint32_t width, std::uint32_t height)
{
    ByteWriter png = PngHeader(width, height);
    return PngZeroImage(png, width, height).Get();
}

// A PNG whose header claims the size, with the image data of a single pixel.
Bytes PngClaimingOnePixel(std::uint32_t width, std::uint32_t height)
{
    ByteWriter png = PngHeader(width, height);
    return PngZeroImage(png, 1, 1).Get();
}

void PngSeeds(Seeds& out)
{
    // The ancillary budget less the record every chunk counts for.
    constexpr std::uint64_t kRoom = 8 * 1024 * 1024 - 4096;
    constexpr std::uint64_t kTextPrefix = 9;           // "Comment", its zero, the method
    constexpr std::uint64_t kInternationalPrefix = 12;  // and the flag, no language, no translation
    out.push_back({"plain.png", ZeroPng(640, 480)});
    out.push_back({"huge.png", PngClaimingOnePixel(100000, 100000)});
    out.push_back({"gama-first.png", PngClaiming(100, 100, "gAMA")});
    out.push_back({"ztxt-inside.png", PngWith("zTXt", CompressedText("zTXt", 'a', kRoom - kTextPrefix))});
    out.push_back({"ztxt-over.png", PngWith("zTXt", CompressedText("zTXt", 'a', kRoom - kTextPrefix + 1))});
    out.push_back({"itxt-over.png", PngWith("iTXt", CompressedText("iTXt", 'a', kRoom - kInternationalPrefix + 1))});
    out.push_back({"itxt-plain.png", PngWith("iTXt", ByteWriter().Raw(Keyword()).Raw({0, 0, 0, 0}).Text("text").Get())});
    out.push_back({"iccp.png", PngWith("iCCP", CompressedRgbProfile(4096))});
    out.push_back({"text.png", PngWith("tEXt", ByteWriter().Raw(Keyword()).Text("hello").Get())});
    out.push_back({"records.png", PngWith("prVt", {}, 40)});
    ByteWriter claiming = PngHeader(16, 16);
    out.push_back({"text-past-end.png", PngChunkClaiming(claiming, "tEXt", 1000, Keyword()).Get()});
    ByteWriter tooLong = PngHeader(16, 16);
    out.push_back({"too-long.png", PngChunkClaiming(tooLong, "IDAT", 0x80000000u, ZlibZeros(16 * 65)).Get()});
    ByteWriter image = PngHeader(16, 16);
    out.push_back({"image-past-end.png", PngChunkClaiming(image, "IDAT", 0x7FFFFFFF, ZlibZeros(16 * 65)).Get()});
    const Bytes complete = ZeroPng(16, 16);
    out.push_back({"cut-in-end.png", FirstBytes(complete, complete.size() - 2)});
    out.push_back({"cut-in-header.png", FirstBytes(complete, 8 + 25 - 3)});
    ByteWriter trailing = PngHeader(16, 16);
    PngZeroImage(trailing, 16, 16);
    PngChunk(trailing, "zTXt", CompressedText("zTXt", 'a', 100000));
    out.push_back({"after-end.png", trailing.Get()});
}

// A GIF of frames whose image data is a few bytes the walker steps over (no decoder reads
// seeds), with a graphic control extension before the first frame.
Bytes GifSeed(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t frameWidth,
              std::uint32_t frameHeight, int frames)
{
    constexpr std::size_t kHeaderAndPalette = 13 + 6;
    const Bytes imageData = {8, 3, 0, 1, 1, 0};
    Bytes gif = GifOfFrames(screenWidth, screenHeight, frameWidth, frameHeight, frames, imageData);
    const Bytes control = {0x21, 0xF9, 4, 0, 0, 0, 0, 0};
    gif.insert(gif.begin() + kHeaderAndPalette, control.begin(), control.end());
    return gif;
}

void GifSeeds(Seeds& out)
{
    out.push_back({"one-frame.gif", GifSeed(16, 16, 64, 48, 1)});
    out.push_back({"wide-frame.gif", GifSeed(16, 8, 20000, 1, 1)});
    out.push_back({"three-frames.gif", GifSeed(16, 16, 4096, 4096, 3)});
    out.push_back({"many-frames.gif", GifSeed(16, 16, 1, 1, 200)});
    out.push_back({"screen-only.gif", ByteWriter().Text("GIF87a").Le16(60000).Le16(300).Raw({0, 0, 0}).Get()});
    const Bytes frames = GifSeed(100, 20, 30, 50, 2);
    out.push_back({"cut.gif", FirstBytes(frames, frames.size() - 5)});
}

void IconSeeds(Seeds& out)
{
    const Bytes small = ZeroPng(16, 16);
    out.push_back({"bitmap-and-png.ico", IconOf({{48, 48, IconBitmap(48, 48)}, {0, 0, small}})});
    out.push_back({"huge-png.ico",
                   IconOf({{16, 16, IconBitmap(16, 16)}, {0, 0, PngClaimingOnePixel(100000, 100000)}})});
    out.push_back({"wide-bitmap.ico", IconOf({{32, 32, IconBitmap(20000, 300)}})});
    out.push_back({"past-end.ico", IconOf({{0, 40, {}}})});
    out.push_back({"text-png.ico", IconOf({{16, 16, PngWith("zTXt", CompressedText("zTXt", 'a', 100000))}})});
    out.push_back({"65-pngs.ico", IconOf(std::vector<IconImage>(65, IconImage{16, 16, small}))});
    Bytes cursor = IconOf({{32, 32, IconBitmap(32, 32)}});
    cursor[2] = 2;  // the resource type: a cursor
    out.push_back({"cursor.cur", cursor});
}

// The headers of a 24-bit BMP and 64 bytes of pixels.
Bytes BmpSeed(std::uint32_t headerSize, std::int32_t width, std::int32_t height, std::uint32_t compression = 0)
{
    return BmpHeaders(headerSize, width, height, compression).Repeat(64, 0).Get();
}

void BmpSeeds(Seeds& out)
{
    out.push_back({"bmp/core.bmp", BmpSeed(12, 60000, 50000)});
    out.push_back({"bmp/top-down.bmp", BmpSeed(40, 131168, -70000)});
    out.push_back({"bmp/most-negative.bmp", BmpSeed(40, 5, INT32_MIN)});
    out.push_back({"bmp/v5.bmp", BmpSeed(124, 300, -200)});
    out.push_back({"bmp/rle.bmp", BmpSeed(40, 16384, 7813, 1)});
}

// The start of a JPEG: its marker, an application segment, one holding a frame marker's
// bytes, a table and a comment, then fill bytes before the next marker.
ByteWriter JpegStart()
{
    ByteWriter jpeg;
    jpeg.Raw({0xFF, 0xD8, 0xFF, 0xE0}).Be16(16).Text("JFIF").Repeat(10, 0);
    jpeg.Raw({0xFF, 0xE1}).Be16(2 + 11).Raw({0xFF, 0xC0, 0, 17, 8, 0x7F, 0xFF, 0x7F, 0xFF, 3, 0});
    jpeg.Raw({0xFF, 0xC4}).Be16(2 + 3).Raw({0, 1, 2});
    jpeg.Raw({0xFF, 0xFE}).Be16(2 + 4).Text("note").Raw({0xFF, 0xFF, 0xFF});
    return jpeg;
}

void JpegAndTiffSeeds(Seeds& out)
{
    ByteWriter progressive = JpegStart();
    out.push_back({"jpeg/progressive.jpg", JpegFrame(progressive, 0xC2, 640, 480).Get()});
    ByteWriter stray = JpegStart();
    stray.Raw({0x00, 0x41, 0xFF, 0x00, 0x42});
    out.push_back({"jpeg/stray.jpg", JpegFrame(stray, 0xC0, 22500, 33300).Get()});
    ByteWriter shortLength;
    shortLength.Raw({0xFF, 0xD8, 0xFF, 0xE5}).Be16(0);
    out.push_back({"jpeg/short-length.jpg", JpegFrame(shortLength, 0xC1, 70, 50).Get()});
    ByteWriter scanFirst;
    scanFirst.Raw({0xFF, 0xD8, 0xFF, 0xDA}).Be16(8).Repeat(6, 0);
    out.push_back({"jpeg/scan-first.jpg", JpegFrame(scanFirst, 0xC0, 640, 480).Get()});
    out.push_back({"tiff/little.tif", TiffClaiming(false, 60000, 100000)});
    out.push_back({"tiff/big.tif", TiffClaiming(true, 60000, 100000)});
    out.push_back({"tiff/no-length.tif", TiffClaiming(false, 640, 480, false)});
}

// Every seed, named by its path under the seed folder.
Seeds AllSeeds()
{
    Seeds files;
    const auto addUnder = [&files](const std::string& folder, void (*build)(Seeds&)) {
        Seeds some;
        build(some);
        for (auto& file : some)
            files.push_back({folder + file.first, std::move(file.second)});
    };
    addUnder("png/", PngSeeds);
    addUnder("gif/", GifSeeds);
    addUnder("ico/", IconSeeds);
    addUnder("", BmpSeeds);
    addUnder("", JpegAndTiffSeeds);
    return files;
}

// A bitmap as the clipboard holds it: the header of headerSize bytes (40, or 124 with the
// masks given), then what follows it, with no file header.
Bytes Dib(std::uint32_t headerSize, std::int32_t width, std::int32_t height, std::uint32_t bits,
          std::uint32_t compression, std::uint32_t colours, const std::vector<std::uint32_t>& masks, const Bytes& after)
{
    return MakeDib(DibSpec(headerSize, width, height, bits, compression, colours, masks), after);
}

// Bytes that count up from first, to fill rows and palettes with something to read.
Bytes Counting(std::size_t count, unsigned first)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(first + i * 37);
    return bytes;
}

void DibSeeds(Seeds& out)
{
    const std::vector<std::uint32_t> argb = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    const std::vector<std::uint32_t> rgb = {0xFF0000, 0xFF00, 0xFF};
    out.push_back({"dib/v5-alpha.dib", Dib(124, 4, 3, 32, 3, 0, argb, Counting(48, 1))});
    out.push_back({"dib/v5-top-down.dib", Dib(124, 5, -2, 32, 3, 0, argb, Counting(40, 9))});
    out.push_back({"dib/zero-alpha.dib", Dib(40, 3, 2, 32, 0, 0, {}, Bytes(24, 0x40))});
    out.push_back({"dib/masks-after.dib", Dib(40, 2, 2, 32, 3, 0, rgb, Counting(16, 3))});
    out.push_back({"dib/alpha-masks-after.dib", Dib(40, 2, 2, 32, 6, 0, argb, Counting(16, 5))});
    out.push_back({"dib/565-masks.dib", Dib(40, 2, 2, 32, 3, 0, {0xF800, 0x7E0, 0x1F}, Counting(16, 7))});
    out.push_back({"dib/24-bit.dib", Dib(40, 3, 3, 24, 0, 0, {}, Counting(36, 11))});
    Bytes palette = Counting(8, 200);
    Bytes indexed = palette;
    for (unsigned char index : Counting(8, 0))
        indexed.push_back(index % 3);
    out.push_back({"dib/8-bit-2-colours.dib", Dib(40, 3, 2, 8, 0, 2, {}, indexed)});
    out.push_back({"dib/8-bit-256-colours.dib", Dib(40, 4, 2, 8, 0, 0, {}, Counting(1024 + 8, 13))});
    out.push_back({"dib/claims-more.dib", Dib(40, 100, 100, 24, 0, 0, {}, Counting(10, 0))});
    out.push_back({"dib/past-limits.dib", Dib(40, 20000, 1, 8, 0, 1, {}, Counting(20004, 0))});
    out.push_back({"dib/huge-palette.dib", Dib(40, 1, 1, 32, 0, 0x40000000, {}, Counting(8, 0))});
}

bool Write(const std::string& path, const Bytes& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: seed_files FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    Seeds files = AllSeeds();
    DibSeeds(files);
    mkdir(folder.c_str(), 0755);
    for (const char* sub : {"png", "gif", "ico", "bmp", "jpeg", "tiff", "dib"})
        mkdir((folder + "/" + sub).c_str(), 0755);
    for (const auto& file : files)
        if (!Write(folder + "/" + file.first, file.second)) {
            std::fprintf(stderr, "seed_files: cannot write %s/%s\n", folder.c_str(), file.first.c_str());
            return 1;
        }
    std::printf("seed_files: %zu files in %s\n", files.size(), folder.c_str());
    return 0;
}
