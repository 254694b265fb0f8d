// ICO entries: the size an icon claims and the check of the PNG images it holds, over any bytes.
#include <cstddef>
#include <cstdint>

#include "byte_reader.h"
#include "fuzz_check.h"
#include "icon_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryReader reader(data, size);
    ByteView bytes(reader);
    const auto size_claimed = ReadIconSize(bytes);
    // Every entry counts at least its directory size, 1 to 256 pixels a side.
    if (size_claimed)
        FUZZ_CHECK(size_claimed->width >= 1 && size_claimed->height >= 1);
    const DecodeVerdict verdict = CheckIconImages(bytes);
    // PNGs that share chunks are checked as if each were walked to its end: checkpoints a
    // few bytes apart, where small inputs meet them, give what no checkpoints give.
    const std::uint64_t spacing = size > 0 ? 1 + data[size - 1] % 64 : 1;
    FUZZ_CHECK(CheckIconImages(bytes, spacing) == CheckIconImages(bytes, UINT64_MAX));
    FUZZ_CHECK(verdict == DecodeVerdict::Decode || verdict == DecodeVerdict::ChunkTooLong ||
               verdict == DecodeVerdict::ChunkPastEnd || verdict == DecodeVerdict::AncillaryChunksTooLarge ||
               verdict == DecodeVerdict::TooManyIconPngs);
    return 0;
}
