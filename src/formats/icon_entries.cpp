#include "icon_entries.h"

#include <algorithm>
#include <set>

#include "header_sizes.h"
#include "png_chunks.h"

namespace {

constexpr std::uint64_t kIconHeaderBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::size_t kEntriesPerRead = 256;

std::uint32_t ImageOffset(const unsigned char* entry)
{
    return LittleEndian32(entry + 12);
}

// Calls visit with the directory entry of each image of an icon file, as far as the
// directory is there to read, until visit returns false. The directory is read a block of
// entries at a time: visit reads elsewhere in the file meanwhile.
template <typename Visit>
void ForEachIconImage(ByteView& bytes, Visit visit)
{
    unsigned char head[kIconHeaderBytes];
    if (!bytes.Read(0, head, sizeof head))
        return;
    const std::uint32_t images = LittleEndian16(head + 4);
    unsigned char block[kEntriesPerRead * kEntryBytes];
    for (std::uint32_t first = 0; first < images; first += kEntriesPerRead) {
        const std::size_t wanted = std::min<std::size_t>(kEntriesPerRead, images - first) * kEntryBytes;
        const std::size_t got = bytes.Reader().ReadAt(kIconHeaderBytes + kEntryBytes * first, block, wanted);
        for (std::size_t at = 0; at + kEntryBytes <= got; at += kEntryBytes)
            if (!visit(block + at))
                return;
        if (got < wanted)
            return;
    }
}

// One image of an icon file: its directory entry's size (0 meaning 256) and the size its
// own PNG or bitmap header gives, whichever is larger.
ClaimedSize ReadIconImageSize(ByteView& bytes, const unsigned char* entry)
{
    ClaimedSize size{entry[0] ? entry[0] : 256u, entry[1] ? entry[1] : 256u};
    const std::uint32_t offset = ImageOffset(entry);
    std::optional<ClaimedSize> own = ReadPngSize(bytes, offset);
    if (!own) {
        own = ReadDibHeaderSize(bytes, offset);
        if (own)
            own->height /= 2;  // a bitmap in an icon counts its mask rows too
    }
    if (own) {
        size.width = std::max(size.width, own->width);
        size.height = std::max(size.height, own->height);
    }
    return size;
}

}  // namespace

std::optional<ClaimedSize> ReadIconSize(ByteView& bytes)
{
    std::optional<ClaimedSize> largest;
    ForEachIconImage(bytes, [&](const unsigned char* entry) {
        const ClaimedSize size = ReadIconImageSize(bytes, entry);
        if (!largest)
            largest = size;
        largest->width = std::max(largest->width, size.width);
        largest->height = std::max(largest->height, size.height);
        return true;
    });
    return largest;
}

DecodeVerdict CheckIconImages(ByteView& bytes, std::uint64_t checkpointSpacing)
{
    std::set<std::uint32_t> checked;
    std::uint64_t held = 0;
    PngWalkMemo walks(checkpointSpacing);
    DecodeVerdict verdict = DecodeVerdict::Decode;
    ForEachIconImage(bytes, [&](const unsigned char* entry) {
        const std::uint32_t offset = ImageOffset(entry);
        if (checked.count(offset) || !ReadPngSize(bytes, offset))
            return true;
        checked.insert(offset);
        verdict = checked.size() > kMaxIconPngImages ? DecodeVerdict::TooManyIconPngs
                                                     : CheckPngChunks(bytes, offset, held, &walks);
        return verdict == DecodeVerdict::Decode;
    });
    return verdict;
}
