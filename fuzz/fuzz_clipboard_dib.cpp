// The bitmap reader of clipboard images: whatever it reads is within the decode limits, no
// larger than the bytes allow, and comes back exactly when written again with its alpha.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "byte_reader.h"
#include "clipboard_dib.h"
#include "fuzz_check.h"
#include "image_verdict.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryReader reader(data, size);
    const DibPixels read = ReadClipboardDib(reader);
    if (read.verdict != DibVerdict::Read) {
        FUZZ_CHECK(read.pixels.empty() && read.width == 0 && read.height == 0);
        return 0;
    }
    FUZZ_CHECK(IsWithinDecodeLimits(read.width, read.height));
    FUZZ_CHECK(read.pixels.size() == std::size_t{read.width} * read.height);
    // One byte of palette index is the least a pixel is stored in.
    FUZZ_CHECK(read.pixels.size() <= size);

    std::vector<unsigned char> written(DibV5Bytes(read.width, read.height));
    WriteDibV5(read.width, read.height, read.pixels.data(), written.data());
    MemoryReader again(written.data(), written.size());
    const DibPixels back = ReadClipboardDib(again);
    FUZZ_CHECK(back.verdict == DibVerdict::Read && back.width == read.width && back.height == read.height);
    FUZZ_CHECK(back.pixels == read.pixels);
    return 0;
}
