// The file walkers on bytes in memory: what compressed chunks inflate to, and how the verdict
// reads a file's chunks.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "byte_reader.h"
#include "crafted_bytes.h"
#include "image_verdict.h"
#include "inflated_size.h"
#include "png_chunks.h"

namespace {

Bytes ReadTestData(const std::string& name)
{
    std::ifstream file(std::string(TESSAREL_TEST_DATA) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint64_t Inflated(const Bytes& zlib, std::uint64_t limit = UINT64_MAX)
{
    MemoryReader bytes(zlib.data(), zlib.size());
    return CountInflatedBytes(bytes, 0, zlib.size(), limit);
}

// The image data chunks of a PNG joined, which make one zlib stream.
Bytes ImageDataOf(const Bytes& png)
{
    Bytes data;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = std::size_t{png[at]} << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        if (std::string(png.begin() + at + 4, png.begin() + at + 8) == "IDAT")
            data.insert(data.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
        at += 12 + length;
    }
    return data;
}

// Bytes in memory that count how often they are read.
class CountingReader final : public ByteReader {
public:
    explicit CountingReader(const Bytes& bytes) : memory_(bytes.data(), bytes.size()) {}
    std::uint64_t Size() const override { return memory_.Size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        ++reads;
        return memory_.ReadAt(offset, buffer, count);
    }
    int reads = 0;

private:
    MemoryReader memory_;
};

}  // namespace

TEST(InflateCount, CountsWhatStoredFixedAndOwnCodeBlocksInflateTo)
{
    // One 32 x 32 RGB image compressed at levels 0 (stored blocks) to 9 (blocks with codes of
    // their own): 32 rows of a filter byte and 96 bytes.
    for (const char* name : {"z00n2c08.png", "z03n2c08.png", "z06n2c08.png", "z09n2c08.png"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(32u * 97, Inflated(ImageDataOf(ReadTestData(std::string("pngsuite/") + name))));
    }
    EXPECT_EQ(32u * (1 + 4 * 32), Inflated(ImageDataOf(ReadTestData("pngsuite/basn6a08.png"))));
    EXPECT_EQ(0u, Inflated(ZlibZeros(0)));
    EXPECT_EQ(1000000u, Inflated(ZlibZeros(1000000)));                    // fixed codes
    EXPECT_EQ(3 + 1000000u, Inflated(ZlibRepeating({1, 2, 3}, 7, 1000000)));  // stored and own codes
}

TEST(InflateCount, StopsJustPastTheLimitAndAtTheFirstFault)
{
    const std::uint64_t counted = Inflated(ZlibRepeating({}, 0, 1000000000), 1000000);
    EXPECT_GT(counted, 1000000u);
    EXPECT_LE(counted, 1000000u + 258);  // one copy at most past it

    // Cut in half, a stream of nearly all equal copies counts about half.
    const Bytes zeros = ZlibZeros(1000000);
    const std::uint64_t half = Inflated(FirstBytes(zeros, zeros.size() / 2));
    EXPECT_GT(half, 450000u);
    EXPECT_LT(half, 550000u);

    // Cut anywhere, it counts every copy whose code is whole: 11 bits of block header and
    // literal, then 13 bits a copy. That holds also where the last input is taken while
    // the scratch buffer is full and the inflater still holds copies back.
    for (std::size_t cut = 4; cut < 1000; ++cut) {
        const std::uint64_t copies = ((cut - 2) * 8 - 11) / 13;
        ASSERT_EQ(1 + 258 * copies, Inflated(FirstBytes(zeros, cut))) << "cut after " << cut << " bytes";
    }

    EXPECT_EQ(0u, Inflated({0x78, 0x02, 0x03, 0x00}));        // a header that fails its check
    EXPECT_EQ(0u, Inflated({0x78, 0x20, 0, 0, 0, 1, 0x03, 0x00}));  // needs a preset dictionary
    EXPECT_EQ(0u, Inflated({0x78, 0x01, 0x03, 0x02, 0x00}));  // copies from before the start
}

TEST(ImageVerdict, ReadsAChunksBytesInBlocksNotOneAtATime)
{
    // A zTXt whose keyword runs a megabyte before its end, and one whose compressed text is
    // 60 KB of stored bytes: either read a byte at a time would take tens of thousands of reads.
    const Bytes longKeyword = ByteWriter().Repeat(1000000, 'k').Raw({0, 0}).Raw(ZlibZeros(100)).Get();
    const Bytes storedText = ByteWriter().Raw(Keyword()).Raw({0}).Raw(ZlibRepeating(Bytes(60000, 'x'), 'x', 1000)).Get();
    for (const Bytes& text : {longKeyword, storedText}) {
        const Bytes png = PngWith("zTXt", text);
        CountingReader reader(png);
        EXPECT_EQ(static_cast<int>(DecodeVerdict::Decode), static_cast<int>(JudgeImage(reader)));
        EXPECT_LT(reader.reads, static_cast<int>(png.size() / 4096 + 16)) << png.size() << " bytes";
    }
}

namespace {

// An icon of count PNGs, each starting inside the first image data chunk of the one before,
// all of those chunks ending at one offset, after which every PNG goes on through tail.
Bytes IconOfNestedPngs(std::uint32_t count, const Bytes& tail)
{
    constexpr std::uint32_t kPngHead = 8 + 25, kChunkHead = 8, kCrc = 4;
    ByteWriter icon;
    icon.Le16(0).Le16(1).Le16(count);
    const std::uint32_t first = 6 + 16 * count;
    for (std::uint32_t i = 0; i < count; ++i)
        icon.Raw({16, 16, 0, 0}).Le16(1).Le16(32).Le32(0).Le32(first + i * (kPngHead + kChunkHead));
    const std::uint32_t tailStart = first + count * (kPngHead + kChunkHead) + kCrc;
    for (std::uint32_t i = 0; i < count; ++i) {
        icon.Raw(PngHeader(16, 16).Get());
        const std::uint32_t data = static_cast<std::uint32_t>(icon.Size()) + kChunkHead;
        icon.Be32(tailStart - kCrc - data).Text("IDAT");
    }
    return icon.Be32(0).Raw(tail).Get();
}

}  // namespace

TEST(ImageVerdict, PngsOfAnIconThatShareTheirChunksEachCountThemButTheyAreWalkedOnce)
{
    // 8 MB of image data chunks, then a text chunk, shared by all 64 PNGs: each counts the
    // text's record and bytes, so 64 x (4096 + 126976) fill the 8 MB exactly.
    constexpr int kDataChunks = 680;
    const auto tailWithText = [&](std::size_t textBytes) {
        ByteWriter tail;
        for (int i = 0; i < kDataChunks; ++i)
            PngChunk(tail, "IDAT", Bytes(12000, 0));
        PngChunk(tail, "tEXt", Bytes(textBytes, 'a'));
        PngChunk(tail, "IEND", {});
        return tail.Get();
    };
    const Bytes fits = IconOfNestedPngs(kMaxIconPngImages, tailWithText(126976));
    const Bytes over = IconOfNestedPngs(kMaxIconPngImages, tailWithText(126977));
    CountingReader reader(fits);
    EXPECT_EQ(static_cast<int>(DecodeVerdict::Decode), static_cast<int>(JudgeImage(reader)));
    MemoryReader overBytes(over.data(), over.size());
    EXPECT_EQ(static_cast<int>(DecodeVerdict::AncillaryChunksTooLarge), static_cast<int>(JudgeImage(overBytes)));
    // Walked to its end by every PNG, the tail would take 64 reads a chunk.
    EXPECT_LT(reader.reads, static_cast<int>(kMaxIconPngImages * kDataChunks / 4));
}
