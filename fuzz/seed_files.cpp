// seed_files: writes the crafted seed files of the fuzz targets into a folder, one
// subfolder per format (png, gif, ico, bmp, jpeg, tiff, and dib for bitmaps as the clipboard
// holds them). They are the kinds of files the tests craft (tests/crafted_files.h): headers
// claiming huge sizes, chunks claiming more than the file holds, compressed text and
// profiles near the 8 MB budget, GIFs of many frames, icons holding PNGs, files cut short.
// Each stays small, so the fuzzers start near every limit without committing binaries.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// Builds file contents byte by byte.
class Writer {
public:
    Writer& Raw(const Bytes& more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    Writer& Text(const char* text) { return Raw(Bytes(text, text + std::strlen(text))); }
    Writer& Byte(unsigned value)
    {
        bytes.push_back(static_cast<unsigned char>(value));
        return *this;
    }
    Writer& Be16(std::uint32_t v) { return Byte(v >> 8).Byte(v); }
    Writer& Be32(std::uint32_t v) { return Be16(v >> 16).Be16(v & 0xFFFF); }
    Writer& Le16(std::uint32_t v) { return Byte(v).Byte(v >> 8); }
    Writer& Le32(std::uint32_t v) { return Le16(v & 0xFFFF).Le16(v >> 16); }
    Writer& Repeat(std::size_t count, unsigned char value)
    {
        bytes.insert(bytes.end(), count, value);
        return *this;
    }
    Bytes bytes;
};

Bytes Compressed(const Bytes& data)
{
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    Bytes out(length);
    compress2(out.data(), &length, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION);
    out.resize(length);
    return out;
}

Bytes ZlibZeros(std::size_t count)
{
    return Compressed(Bytes(count, 0));
}

void Chunk(Writer& png, const char* type, const Bytes& data)
{
    Writer typed;
    typed.Text(type).Raw(data);
    png.Be32(static_cast<std::uint32_t>(data.size())).Raw(typed.bytes);
    png.Be32(static_cast<std::uint32_t>(crc32(0, typed.bytes.data(), static_cast<uInt>(typed.bytes.size()))));
}

// A chunk whose length claims claimed, followed by only the data given and no CRC.
void ChunkClaiming(Writer& png, const char* type, std::uint32_t claimed, const Bytes& data)
{
    png.Be32(claimed).Text(type).Raw(data);
}

Writer PngHeader(std::uint32_t width, std::uint32_t height, const char* first = "IHDR")
{
    Writer png;
    png.Raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
    Chunk(png, first, Writer().Be32(width).Be32(height).Raw({8, 6, 0, 0, 0}).bytes);
    return png;
}

Writer& ZeroImage(Writer& png, std::uint32_t width, std::uint32_t height)
{
    Chunk(png, "IDAT", ZlibZeros(std::size_t{height} * (1 + 4 * width)));
    Chunk(png, "IEND", {});
    return png;
}

Bytes PngOfZeros(Writer png, std::uint32_t width, std::uint32_t height)
{
    return ZeroImage(png, width, height).bytes;
}

Bytes Keyword()
{
    return Writer().Text("Comment").Byte(0).bytes;
}

Bytes CompressedText(const char* type, std::size_t count)
{
    Writer data;
    data.Raw(Keyword());
    if (std::strcmp(type, "iTXt") == 0)
        data.Raw({1, 0}).Text("ja").Byte(0).Byte(0);
    else
        data.Byte(0);
    return data.Raw(Compressed(Bytes(count, 'a'))).bytes;
}

Bytes PngWith(const char* type, const Bytes& data, int times = 1)
{
    Writer png = PngHeader(16, 16);
    for (int i = 0; i < times; ++i)
        Chunk(png, type, data);
    return ZeroImage(png, 16, 16).bytes;
}

Bytes FirstBytes(const Bytes& bytes, std::size_t count)
{
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size())));
}

void PngSeeds(std::vector<std::pair<std::string, Bytes>>& out)
{
    constexpr std::size_t kBudget = 8 * 1024 * 1024 - 4096;
    out.push_back({"plain.png", PngOfZeros(PngHeader(640, 480), 640, 480)});
    out.push_back({"huge.png", PngOfZeros(PngHeader(100000, 100000), 1, 1)});
    out.push_back({"gama-first.png", PngOfZeros(PngHeader(100, 100, "gAMA"), 1, 1)});
    out.push_back({"ztxt-inside.png", PngWith("zTXt", CompressedText("zTXt", kBudget - 9))});
    out.push_back({"ztxt-over.png", PngWith("zTXt", CompressedText("zTXt", kBudget - 8))});
    out.push_back({"itxt-over.png", PngWith("iTXt", CompressedText("iTXt", kBudget - 11))});
    out.push_back({"itxt-plain.png", PngWith("iTXt", Writer().Raw(Keyword()).Raw({0, 0, 0, 0}).Text("text").bytes)});
    // An RGB display profile: a header with no tags, then bytes that do not compress much,
    // so that the chunk is long enough for every reader to take its keyword and stream.
    Writer icc;
    icc.Be32(4096).Be32(0).Be32(0x02100000).Text("mntrRGB XYZ ").Repeat(12, 0).Text("acsp").Repeat(24, 0);
    icc.Be32(0).Be32(0x0000F6D6).Be32(0x00010000).Be32(0x0000D32D).Repeat(128 - 80, 0).Be32(0);
    for (std::uint32_t noise = 1; icc.bytes.size() < 4096;) {
        noise = noise * 1103515245u + 12345u;
        icc.Byte(noise >> 24);
    }
    Writer profile;
    profile.Text("ICC").Byte(0).Byte(0).Raw(Compressed(icc.bytes));
    out.push_back({"iccp.png", PngWith("iCCP", profile.bytes)});
    out.push_back({"text.png", PngWith("tEXt", Writer().Raw(Keyword()).Text("hello").bytes)});
    out.push_back({"records.png", PngWith("prVt", {}, 40)});
    Writer claiming = PngHeader(16, 16);
    ChunkClaiming(claiming, "tEXt", 1000, Keyword());
    out.push_back({"text-past-end.png", claiming.bytes});
    Writer tooLong = PngHeader(16, 16);
    ChunkClaiming(tooLong, "IDAT", 0x80000000u, ZlibZeros(16 * 65));
    out.push_back({"too-long.png", tooLong.bytes});
    Writer image = PngHeader(16, 16);
    ChunkClaiming(image, "IDAT", 0x7FFFFFFF, ZlibZeros(16 * 65));
    out.push_back({"image-past-end.png", image.bytes});
    Writer whole = PngHeader(16, 16);
    const Bytes complete = ZeroImage(whole, 16, 16).bytes;
    out.push_back({"cut-in-end.png", FirstBytes(complete, complete.size() - 2)});
    out.push_back({"cut-in-header.png", FirstBytes(complete, 8 + 25 - 3)});
    Writer trailing = PngHeader(16, 16);
    ZeroImage(trailing, 16, 16);
    Chunk(trailing, "zTXt", CompressedText("zTXt", 100000));
    out.push_back({"after-end.png", trailing.bytes});
}

// A GIF of a logical screen and frames of their own size, each frame's image data a few
// sub-blocks of zeros.
Bytes GifOfFrames(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t frameWidth,
                  std::uint32_t frameHeight, int frames)
{
    Writer gif;
    gif.Text("GIF89a").Le16(screenWidth).Le16(screenHeight).Raw({0x80, 0, 0}).Repeat(6, 0);
    gif.Raw({0x21, 0xF9, 4, 0, 0, 0, 0, 0});  // a graphic control extension
    for (int i = 0; i < frames; ++i) {
        gif.Byte(0x2C).Le16(0).Le16(0).Le16(frameWidth).Le16(frameHeight).Byte(0);
        gif.Byte(8).Byte(3).Raw({0, 1, 1}).Byte(0);
    }
    return gif.Byte(0x3B).bytes;
}

void GifSeeds(std::vector<std::pair<std::string, Bytes>>& out)
{
    out.push_back({"one-frame.gif", GifOfFrames(16, 16, 64, 48, 1)});
    out.push_back({"wide-frame.gif", GifOfFrames(16, 8, 20000, 1, 1)});
    out.push_back({"three-frames.gif", GifOfFrames(16, 16, 4096, 4096, 3)});
    out.push_back({"many-frames.gif", GifOfFrames(16, 16, 1, 1, 200)});
    out.push_back({"screen-only.gif", Writer().Text("GIF87a").Le16(60000).Le16(300).Raw({0, 0, 0}).bytes});
    const Bytes frames = GifOfFrames(100, 20, 30, 50, 2);
    out.push_back({"cut.gif", FirstBytes(frames, frames.size() - 5)});
}

Bytes IconBitmap(std::int32_t width, std::int32_t height)
{
    Writer bitmap;
    bitmap.Le32(40).Le32(static_cast<std::uint32_t>(width)).Le32(static_cast<std::uint32_t>(height) * 2);
    return bitmap.Le16(1).Le16(32).Repeat(24, 0).bytes;
}

struct IconImage {
    unsigned width, height;
    Bytes data;
};

Bytes IconOf(const std::vector<IconImage>& images)
{
    Writer icon;
    icon.Le16(0).Le16(1).Le16(static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const IconImage& image : images) {
        icon.Byte(image.width).Byte(image.height).Raw({0, 0}).Le16(1).Le16(32);
        icon.Le32(static_cast<std::uint32_t>(image.data.size())).Le32(offset);
        offset += static_cast<std::uint32_t>(image.data.size());
    }
    for (const IconImage& image : images)
        icon.Raw(image.data);
    return icon.bytes;
}

void IconSeeds(std::vector<std::pair<std::string, Bytes>>& out)
{
    const Bytes small = PngOfZeros(PngHeader(16, 16), 16, 16);
    out.push_back({"bitmap-and-png.ico", IconOf({{48, 48, IconBitmap(48, 48)}, {0, 0, small}})});
    out.push_back({"huge-png.ico", IconOf({{16, 16, IconBitmap(16, 16)},
                                           {0, 0, PngOfZeros(PngHeader(100000, 100000), 1, 1)}})});
    out.push_back({"wide-bitmap.ico", IconOf({{32, 32, IconBitmap(20000, 300)}})});
    out.push_back({"past-end.ico", IconOf({{0, 40, {}}})});
    out.push_back({"text-png.ico", IconOf({{16, 16, PngWith("zTXt", CompressedText("zTXt", 100000))}})});
    out.push_back({"65-pngs.ico", IconOf(std::vector<IconImage>(65, IconImage{16, 16, small}))});
    Bytes cursor = IconOf({{32, 32, IconBitmap(32, 32)}});
    cursor[2] = 2;
    out.push_back({"cursor.cur", cursor});
}

Bytes BmpHeaders(std::uint32_t headerSize, std::int32_t width, std::int32_t height, std::uint32_t compression = 0)
{
    Writer bmp;
    bmp.Text("BM").Le32(14 + headerSize + 64).Le32(0).Le32(14 + headerSize).Le32(headerSize);
    if (headerSize == 12)
        bmp.Le16(static_cast<std::uint32_t>(width)).Le16(static_cast<std::uint32_t>(height)).Le16(1).Le16(24);
    else
        bmp.Le32(static_cast<std::uint32_t>(width)).Le32(static_cast<std::uint32_t>(height)).Le16(1).Le16(24)
            .Le32(compression).Repeat(headerSize - 20, 0);
    return bmp.Repeat(64, 0).bytes;
}

Writer& JpegFrame(Writer& jpeg, unsigned marker, std::uint32_t width, std::uint32_t height)
{
    return jpeg.Byte(0xFF).Byte(marker).Be16(17).Byte(8).Be16(height).Be16(width).Byte(3)
        .Raw({1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
}

Bytes Tiff(bool bigEndian, std::uint32_t width, std::uint32_t height, bool withLength = true)
{
    Writer tiff;
    const auto u16 = [&](std::uint32_t v) -> Writer& { return bigEndian ? tiff.Be16(v) : tiff.Le16(v); };
    const auto u32 = [&](std::uint32_t v) -> Writer& { return bigEndian ? tiff.Be32(v) : tiff.Le32(v); };
    tiff.Text(bigEndian ? "MM" : "II");
    u16(42);
    u32(8);
    u16(withLength ? 3 : 2);
    const auto entry = [&](std::uint32_t tag, std::uint32_t type, std::uint32_t value) {
        u16(tag);
        u16(type);
        u32(1);
        if (type == 3) {
            u16(value);
            u16(0);
        } else {
            u32(value);
        }
    };
    entry(256, 4, width);
    if (withLength)
        entry(257, 3, height);
    entry(258, 3, 8);
    u32(0);
    return tiff.bytes;
}

void HeaderSeeds(std::vector<std::pair<std::string, Bytes>>& out)
{
    out.push_back({"bmp/core.bmp", BmpHeaders(12, 60000, 50000)});
    out.push_back({"bmp/top-down.bmp", BmpHeaders(40, 131168, -70000)});
    out.push_back({"bmp/most-negative.bmp", BmpHeaders(40, 5, INT32_MIN)});
    out.push_back({"bmp/v5.bmp", BmpHeaders(124, 300, -200)});
    out.push_back({"bmp/rle.bmp", BmpHeaders(40, 16384, 7813, 1)});
    Writer jpeg;
    jpeg.Raw({0xFF, 0xD8, 0xFF, 0xE0}).Be16(16).Text("JFIF").Repeat(10, 0);
    jpeg.Raw({0xFF, 0xE1}).Be16(2 + 11).Raw({0xFF, 0xC0, 0, 17, 8, 0x7F, 0xFF, 0x7F, 0xFF, 3, 0});
    jpeg.Raw({0xFF, 0xC4}).Be16(2 + 3).Raw({0, 1, 2});
    jpeg.Raw({0xFF, 0xFE}).Be16(2 + 4).Text("note").Raw({0xFF, 0xFF, 0xFF});
    Writer progressive = jpeg;
    out.push_back({"jpeg/progressive.jpg", JpegFrame(progressive, 0xC2, 640, 480).bytes});
    Writer stray = jpeg;
    stray.Raw({0x00, 0x41, 0xFF, 0x00, 0x42});
    out.push_back({"jpeg/stray.jpg", JpegFrame(stray, 0xC0, 22500, 33300).bytes});
    Writer shortLength;
    shortLength.Raw({0xFF, 0xD8, 0xFF, 0xE5}).Be16(0);
    out.push_back({"jpeg/short-length.jpg", JpegFrame(shortLength, 0xC1, 70, 50).bytes});
    Writer scanFirst;
    scanFirst.Raw({0xFF, 0xD8, 0xFF, 0xDA}).Be16(8).Repeat(6, 0);
    out.push_back({"jpeg/scan-first.jpg", JpegFrame(scanFirst, 0xC0, 640, 480).bytes});
    out.push_back({"tiff/little.tif", Tiff(false, 60000, 100000)});
    out.push_back({"tiff/big.tif", Tiff(true, 60000, 100000)});
    out.push_back({"tiff/no-length.tif", Tiff(false, 640, 480, false)});
}

// A bitmap as the clipboard holds it: the header of headerSize bytes (40, or 124 with the
// masks given), then what follows it, with no file header.
Bytes Dib(std::uint32_t headerSize, std::int32_t width, std::int32_t height, std::uint32_t bits,
          std::uint32_t compression, std::uint32_t colours, const std::vector<std::uint32_t>& masks, const Bytes& after)
{
    Writer dib;
    dib.Le32(headerSize).Le32(static_cast<std::uint32_t>(width)).Le32(static_cast<std::uint32_t>(height)).Le16(1)
        .Le16(bits).Le32(compression).Le32(0).Le32(0).Le32(0).Le32(colours).Le32(0);
    for (std::uint32_t mask : masks)
        dib.Le32(mask);
    dib.Repeat(headerSize - 40 - (headerSize > 40 ? 4 * masks.size() : 0), 0);
    return dib.Raw(after).bytes;
}

// Bytes that count up from first, to fill rows and palettes with something to read.
Bytes Counting(std::size_t count, unsigned first)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(first + i * 37);
    return bytes;
}

void DibSeeds(std::vector<std::pair<std::string, Bytes>>& out)
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
    std::vector<std::pair<std::string, Bytes>> files;
    std::vector<std::pair<std::string, Bytes>> png, gif, ico;
    PngSeeds(png);
    GifSeeds(gif);
    IconSeeds(ico);
    for (auto& file : png)
        files.push_back({"png/" + file.first, file.second});
    for (auto& file : gif)
        files.push_back({"gif/" + file.first, file.second});
    for (auto& file : ico)
        files.push_back({"ico/" + file.first, file.second});
    HeaderSeeds(files);
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
