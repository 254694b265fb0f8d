// bench_walk: what the check before decoding costs on two hostile PNG files, read from disk
// as the program reads them: a 20 MB file of 20,000 chunks, and a 100 MB zTXt bomb (one
// text chunk whose compressed data fills the file and would inflate to about 100 GB). Also
// a small bomb whose text inflates to 100 MB, and an icon whose 64 PNGs share one tail of
// 20 MB of chunks. Prints the median of several walks of each.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "file_reader.h"
#include "image_verdict.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kRuns = 7;
constexpr std::uint32_t kManyChunks = 20000;
constexpr std::uint32_t kChunkDataBytes = 1000;    // 20,000 of them: 20 MB
constexpr std::uint64_t kBombFileBytes = 100000000;  // the large bomb's compressed text
constexpr std::uint64_t kSmallBombInflated = 100000000;

void Be32(Bytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(v >> shift));
}

// A chunk with a CRC of zero: the walk does not check CRCs, and the decoder never sees these.
void Chunk(Bytes& png, const char* type, const Bytes& data)
{
    Be32(png, static_cast<std::uint32_t>(data.size()));
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    Be32(png, 0);
}

Bytes PngStart()
{
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    Be32(header, 1000);
    Be32(header, 1000);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    Chunk(png, "IHDR", header);
    return png;
}

// Deflate bits from the lowest up; Huffman codes from their highest bit.
class BitWriter {
public:
    explicit BitWriter(Bytes& out) : out_(out) {}
    void Code(std::uint32_t code, int length)
    {
        for (int i = length - 1; i >= 0; --i)
            Bit(code >> i & 1);
    }
    void Bits(std::uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i)
            Bit(value >> i & 1);
    }
    void Flush()
    {
        while (used_ != 0)
            Bit(0);
    }

private:
    void Bit(std::uint32_t bit)
    {
        current_ |= static_cast<unsigned char>(bit << used_);
        if (++used_ == 8) {
            out_.push_back(current_);
            current_ = 0;
            used_ = 0;
        }
    }
    Bytes& out_;
    unsigned char current_ = 0;
    int used_ = 0;
};

// A zlib stream of about streamBytes (or inflating to about inflatedBytes, whichever is
// reached first): one literal zero, then copies of 258 bytes one back in fixed codes, 13
// bits each. The check value is left zero: nothing reads that far.
Bytes ZlibBomb(std::uint64_t streamBytes, std::uint64_t inflatedBytes)
{
    Bytes out = {0x78, 0x01};
    out.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(streamBytes, inflatedBytes / 150) + 64));
    BitWriter bits(out);
    bits.Bits(1, 1);  // the last block
    bits.Bits(1, 2);  // fixed codes
    bits.Code(0x30, 8);  // literal 0
    for (std::uint64_t inflated = 1; inflated + 258 <= inflatedBytes && out.size() < streamBytes; inflated += 258) {
        bits.Code(0xC5, 8);  // length 258
        bits.Code(0, 5);     // distance 1
    }
    bits.Code(0, 7);  // end of block
    bits.Flush();
    Be32(out, 0);
    return out;
}

Bytes ManyChunks()
{
    Bytes png = PngStart();
    const Bytes data(kChunkDataBytes, 0);
    for (std::uint32_t i = 0; i < kManyChunks; ++i)
        Chunk(png, "IDAT", data);
    Chunk(png, "IEND", {});
    return png;
}

Bytes TextBomb(std::uint64_t streamBytes, std::uint64_t inflatedBytes)
{
    Bytes png = PngStart();
    Bytes text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
    const Bytes stream = ZlibBomb(streamBytes, inflatedBytes);
    text.insert(text.end(), stream.begin(), stream.end());
    Chunk(png, "zTXt", text);
    Chunk(png, "IEND", {});
    return png;
}

void Le16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void Le32(Bytes& out, std::uint32_t v)
{
    Le16(out, v & 0xFFFF);
    Le16(out, v >> 16);
}

// The worst icon for the check: kMaxIconPngImages PNGs, each starting inside the first
// image data chunk of the one before, all of whose first image data chunks end at one
// offset, after which they share a tail of 20 MB of empty image data chunks. Each PNG is
// walked once, so the shared tail is walked by every one of them.
Bytes NestedIcon()
{
    constexpr std::uint32_t kImages = 64;
    constexpr std::uint32_t kPngHead = 8 + 25;  // the signature and the header chunk
    constexpr std::uint32_t kChunkHead = 8, kCrc = 4;
    Bytes icon;
    Le16(icon, 0);
    Le16(icon, 1);
    Le16(icon, kImages);
    const std::uint32_t first = 6 + 16 * kImages;
    for (std::uint32_t i = 0; i < kImages; ++i) {
        icon.insert(icon.end(), {16, 16, 0, 0});
        Le16(icon, 1);
        Le16(icon, 32);
        Le32(icon, 0);
        Le32(icon, first + i * (kPngHead + kChunkHead));
    }
    const std::uint32_t tail = first + kImages * (kPngHead + kChunkHead) + kCrc;
    for (std::uint32_t i = 0; i < kImages; ++i) {
        const Bytes png = PngStart();
        icon.insert(icon.end(), png.begin(), png.end());
        const std::uint32_t data = static_cast<std::uint32_t>(icon.size()) + kChunkHead;
        Be32(icon, tail - kCrc - data);  // this image data chunk ends where the tail starts
        icon.insert(icon.end(), {'I', 'D', 'A', 'T'});
    }
    Be32(icon, 0);  // the CRC the first PNGs' chunks end with
    for (std::uint32_t i = 0; i < kManyChunks * kChunkDataBytes / 12; ++i)
        Chunk(icon, "IDAT", {});
    Chunk(icon, "IEND", {});
    return icon;
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// One walk of the file as the program checks it before decoding: opened, read and judged.
bool JudgeFile(const std::string& path)
{
    FileReader file(path.c_str());
    return JudgeImage(file) == DecodeVerdict::Decode;
}

void Time(const char* what, const std::string& path, const Bytes& bytes)
{
    if (!WriteFile(path, bytes)) {
        std::printf("%s: cannot write %s\n", what, path.c_str());
        return;
    }
    // The processor time is the figure to compare on a shared machine; the wall time adds
    // whatever waiting for the processor and the disk cost.
    std::vector<double> wall, cpu;
    bool decode = false;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        decode = JudgeFile(path);
        cpu.push_back(1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-40s %6.1f MB  median %8.2f ms processor, %8.2f ms wall  %s\n", what, bytes.size() / 1e6,
                cpu[kRuns / 2], wall[kRuns / 2], decode ? "decoded" : "refused");
    std::remove(path.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    Time("PNG of 20,000 image data chunks", folder + "/bench-chunks.png", ManyChunks());
    Time("zTXt bomb, 100 MB of compressed text", folder + "/bench-bomb.png", TextBomb(kBombFileBytes, UINT64_MAX));
    Time("zTXt bomb, text inflating to 100 MB", folder + "/bench-small-bomb.png",
         TextBomb(UINT64_MAX, kSmallBombInflated));
    Time("icon of 64 PNGs sharing 20 MB of chunks", folder + "/bench-nested.ico", NestedIcon());
    return 0;
}
