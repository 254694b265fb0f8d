// PNG chunks with the inflate counting: the walk that checks a PNG's chunks, and the count
// of what each compressed chunk inflates to, over any bytes.
#include <cstddef>
#include <cstdint>

#include "byte_reader.h"
#include "fuzz_check.h"
#include "png_chunks.h"

namespace {

// Hands out at most a few bytes a read, as a file that is being written may.
class ShortReads final : public ByteReader {
public:
    ShortReads(ByteReader& inner, std::size_t most) : inner_(inner), most_(most) {}
    std::uint64_t Size() const override { return inner_.Size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        return inner_.ReadAt(offset, buffer, count < most_ ? count : most_);
    }

private:
    ByteReader& inner_;
    std::size_t most_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryReader reader(data, size);
    ByteView bytes(reader);

    std::uint64_t held = 0;
    const DecodeVerdict verdict = CheckPngChunks(bytes, 0, held);
    if (verdict == DecodeVerdict::Decode)
        FUZZ_CHECK(held <= kMaxPngAncillaryBytes);

    // Every chunk the walk can see: a count stops just past its limit, and reading the
    // stream a few bytes at a time counts the same. The second limit keeps an input that
    // inflates to megabytes from slowing the run down.
    constexpr std::uint64_t kWholeLimit = 1 << 20;
    const std::uint64_t limit = size > 0 ? std::uint64_t{data[0]} * 64 : 0;
    std::uint64_t offset = kPngSignatureBytes;
    for (int chunks = 0; chunks < 64; ++chunks) {
        const auto chunk = ReadPngChunkHeader(bytes, offset);
        if (!chunk || chunk->end > size)
            break;
        const auto inflated = InflatedChunkBytes(bytes, *chunk, limit);
        if (inflated) {
            FUZZ_CHECK(*inflated <= limit + 1);
            const auto whole = InflatedChunkBytes(bytes, *chunk, kWholeLimit);
            FUZZ_CHECK(whole && (*whole <= limit ? *whole == *inflated : *inflated == limit + 1));
            ShortReads choppy(reader, 1 + (data[offset % size] & 15));
            ByteView choppyBytes(choppy);
            FUZZ_CHECK(InflatedChunkBytes(choppyBytes, *chunk, kWholeLimit) == whole);
        }
        offset = chunk->end;
    }
    return 0;
}
