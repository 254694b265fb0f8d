#include "gif_blocks.h"

#include <algorithm>

namespace {

constexpr std::size_t kScreenSizeEnd = 10;          // after the signature and the size
constexpr std::uint64_t kScreenDescriptorBytes = 13;  // then flags, background, aspect
constexpr std::uint64_t kImageDescriptorBytes = 10;   // separator, position, size, flags
constexpr unsigned char kExtension = 0x21, kImage = 0x2C;
constexpr unsigned char kHasColourTable = 0x80;

// Bytes of the colour table that follows a descriptor with these flags.
std::uint64_t ColourTableBytes(unsigned char flags)
{
    return flags & kHasColourTable ? 3ull << ((flags & 7) + 1) : 0;
}

// Steps over a run of data sub-blocks, each a length byte and that many bytes, up to the
// empty one that ends it; false when the bytes end first.
bool SkipSubBlocks(ByteView& bytes, std::uint64_t& offset)
{
    for (;;) {
        unsigned char length = 0;
        if (!bytes.Read(offset++, &length, 1))
            return false;
        if (length == 0)
            return true;
        offset += length;
    }
}

// Reads one image descriptor at offset, counts its frame and leaves offset past its
// image data; false when the bytes end first.
bool ReadFrame(ByteView& bytes, std::uint64_t& offset, GifFrames& frames)
{
    unsigned char descriptor[kImageDescriptorBytes];
    if (!bytes.Read(offset, descriptor, sizeof descriptor))
        return false;
    const std::uint32_t width = LittleEndian16(descriptor + 5);
    const std::uint32_t height = LittleEndian16(descriptor + 7);
    const std::uint64_t pixels = std::uint64_t{width} * height;
    frames.widestFrame = std::max(frames.widestFrame, width);
    frames.tallestFrame = std::max(frames.tallestFrame, height);
    frames.largestFramePixels = std::max(frames.largestFramePixels, pixels);
    frames.framePixels += pixels;
    ++frames.frameCount;
    offset += sizeof descriptor + ColourTableBytes(descriptor[9]) + 1;  // and the code size byte
    return SkipSubBlocks(bytes, offset);
}

}  // namespace

std::optional<GifFrames> ReadGifFrames(ByteView& bytes)
{
    unsigned char screen[kScreenDescriptorBytes];
    const std::size_t length = bytes.ReadUpTo(0, screen, sizeof screen);
    if (length < kScreenSizeEnd)
        return std::nullopt;
    GifFrames frames;
    frames.screenWidth = LittleEndian16(screen + 6);
    frames.screenHeight = LittleEndian16(screen + 8);
    if (length < sizeof screen)
        return frames;
    std::uint64_t offset = sizeof screen + ColourTableBytes(screen[10]);
    for (;;) {
        unsigned char block = 0;
        if (!bytes.Read(offset, &block, 1))
            return frames;
        if (block == kImage) {
            if (!ReadFrame(bytes, offset, frames))
                return frames;
        } else if (block == kExtension) {
            offset += 2;  // the introducer and the label
            if (!SkipSubBlocks(bytes, offset))
                return frames;
        } else {
            return frames;  // the trailer, or a block the decoder stops at
        }
    }
}

std::uint64_t OtherFramesBytes(const GifFrames& frames)
{
    if (frames.frameCount == 0)
        return 0;
    return frames.framePixels - frames.largestFramePixels + (frames.frameCount - 1) * kGifFrameRecordBytes;
}
