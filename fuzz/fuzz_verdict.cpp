// The whole verdict on a file's bytes, and the size it claims, whatever the format.
#include <cstddef>
#include <cstdint>

#include "byte_reader.h"
#include "fuzz_check.h"
#include "image_verdict.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryReader reader(data, size);
    const auto claimed = ClaimedSizeOf(reader);
    const DecodeVerdict verdict = JudgeImage(reader);
    // A size past the limits is always refused, and refused for that first.
    if (claimed && !IsWithinDecodeLimits(claimed->width, claimed->height))
        FUZZ_CHECK(verdict == DecodeVerdict::SizePastLimits);
    // The verdict is a function of the bytes alone.
    FUZZ_CHECK(JudgeImage(reader) == verdict);
    return 0;
}
