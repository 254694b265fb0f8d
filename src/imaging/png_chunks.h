#pragma once
// What the chunks of a PNG claim, checked before the decoder sees the file: the decoder
// allocates what a chunk's length says, and inflates and copies every text and profile
// chunk before the image, although the program uses none of them.
#include <cstdint>

#include "header_file.h"

// The most a PNG chunk may hold: 2^31 - 1 bytes.
constexpr std::uint32_t kMaxPngChunkLength = 0x7FFFFFFF;

// The most the ancillary chunks of one PNG (text, colour profiles and every other chunk
// that is not image data) may hold in all, the compressed ones counted as what they
// inflate to and every chunk kPngChunkRecordBytes more for the decoder's own record of it.
// The decoder keeps up to four copies of a text chunk, so this stays well inside the 64 MB
// every file may take beyond its image.
constexpr std::uint64_t kMaxPngAncillaryBytes = 8 * 1024 * 1024;
constexpr std::uint64_t kPngChunkRecordBytes = 4096;

// Whether the chunks of the PNG whose signature starts at start let it be decoded. False
// when a chunk claims more than kMaxPngChunkLength, when a chunk other than image data or
// the end chunk runs past the end of the file, and when the ancillary chunks hold more
// than kMaxPngAncillaryBytes together with held, what ancillary chunks counted before make
// the decoder hold (0 for a PNG file; the PNG images of one icon share it). held grows by
// what this PNG's ancillary chunks hold. A file cut short in its image data or its end
// chunk, or between chunks, is left to the decoder, which reads image data as it goes.
bool PngChunksAllowDecoding(HeaderFile& file, std::uint64_t start, std::uint64_t& held);
