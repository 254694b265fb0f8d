// The BMP, JPEG and TIFF header sizes, each reader run over every input whatever its
// signature, as each trusts its caller for that.
#include <cstddef>
#include <cstdint>

#include "byte_reader.h"
#include "fuzz_check.h"
#include "header_sizes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryReader reader(data, size);
    ByteView bytes(reader);
    // A signed 32-bit size has a magnitude of at most 2^31.
    if (const auto bmp = ReadBmpSize(bytes))
        FUZZ_CHECK(bmp->width <= (1ull << 31) && bmp->height <= (1ull << 31));
    if (const auto jpeg = ReadJpegSize(bytes))
        FUZZ_CHECK(jpeg->width <= 0xFFFF && jpeg->height <= 0xFFFF);
    ReadTiffSize(bytes, false);
    ReadTiffSize(bytes, true);
    ReadPngSize(bytes, 0);
    return 0;
}
