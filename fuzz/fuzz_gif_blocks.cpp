// GIF blocks: the walk over a GIF's screen, frames and extensions, over any bytes.
#include <cstddef>
#include <cstdint>

#include "byte_reader.h"
#include "fuzz_check.h"
#include "gif_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryReader reader(data, size);
    ByteView bytes(reader);
    const auto frames = ReadGifFrames(bytes);
    if (!frames)
        return 0;
    // Each frame's descriptor takes ten bytes of the file, and the largest frame is one of them.
    FUZZ_CHECK(frames->frameCount <= size / 10);
    FUZZ_CHECK(frames->largestFramePixels <= frames->framePixels);
    FUZZ_CHECK(frames->largestFramePixels <= std::uint64_t{frames->widestFrame} * frames->tallestFrame);
    FUZZ_CHECK(OtherFramesBytes(*frames) <= frames->framePixels + frames->frameCount * kGifFrameRecordBytes);
    return 0;
}
