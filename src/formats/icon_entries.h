#pragma once
// The images of an icon or cursor file, read without decoding: the decoder may pick any of
// them, and reads a PNG among them as it reads any other PNG file.
#include <cstdint>
#include <optional>

#include "byte_reader.h"
#include "image_verdict.h"
#include "png_chunks.h"

// The largest width and the largest height among the images of an icon: for each, its
// directory entry's size (0 meaning 256) or the size its own PNG or bitmap header gives,
// whichever is larger. Nothing when the directory holds no entry that can be read.
std::optional<ClaimedSize> ReadIconSize(ByteView& bytes);

// Whether the PNG images of an icon let it be decoded: their chunks are checked as a PNG
// file's are (png_chunks.h), their ancillary chunks sharing one budget, each PNG walked once
// however many entries name it, so that checking an icon of many entries costs no more than
// its PNGs hold, however they share their chunks (PngWalkMemo in png_chunks.h, whose
// checkpoints lie checkpointSpacing bytes apart). Refused too when it holds more than
// kMaxIconPngImages PNGs.
DecodeVerdict CheckIconImages(ByteView& bytes, std::uint64_t checkpointSpacing = PngWalkMemo::kCheckpointSpacing);
