#pragma once
// What the chunks of a PNG claim, checked before the decoder sees the file: the decoder
// allocates what a chunk's length says, and inflates and copies every text and profile
// chunk before the image, although the program uses none of them.
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "byte_reader.h"
#include "image_verdict.h"

// The most a PNG chunk may hold: 2^31 - 1 bytes.
constexpr std::uint32_t kMaxPngChunkLength = 0x7FFFFFFF;

// The most the ancillary chunks of one PNG (text, colour profiles and every other chunk
// that is not image data) may hold in all, the compressed ones counted as what they
// inflate to and every chunk kPngChunkRecordBytes more for the decoder's own record of it.
// The decoder keeps up to four copies of a text chunk, so this stays well inside the 64 MB
// every file may take beyond its image.
constexpr std::uint64_t kMaxPngAncillaryBytes = 8 * 1024 * 1024;
constexpr std::uint64_t kPngChunkRecordBytes = 4096;

// The bytes of the PNG signature, which the first chunk follows.
constexpr std::uint64_t kPngSignatureBytes = 8;

// One chunk's header: its type, the length it claims, where its data starts and where the
// chunk (with its CRC) ends.
struct PngChunkHeader {
    unsigned char type[4];
    std::uint32_t length;
    std::uint64_t data;
    std::uint64_t end;
};

// The header of the chunk at offset; nothing when the bytes end first.
std::optional<PngChunkHeader> ReadPngChunkHeader(ByteView& bytes, std::uint64_t offset);

// What the compressed part of a zTXt, iCCP or compressed iTXt chunk inflates to, counted up
// to just past limit (inflated_size.h); nothing for every other chunk and for one whose data
// ends before the compressed part starts. The chunk's data must lie within the bytes.
std::optional<std::uint64_t> InflatedChunkBytes(ByteView& bytes, const PngChunkHeader& chunk, std::uint64_t limit);

// What the walks of earlier PNGs in one file found, for the PNGs of an icon: a PNG may start
// inside another's chunks and join its walk, after which both walk the same chunks. A walk
// notes where it stood at one chunk in every kCheckpointSpacing bytes, and how much its
// ancillary chunks held from there to its end; a later walk that comes to such a chunk
// knows the rest of its walk without walking it. So however many PNGs share their chunks,
// checking them costs their own chunks once, and at most kCheckpointSpacing more each.
class PngWalkMemo {
public:
    static constexpr std::uint64_t kCheckpointSpacing = 1024 * 1024;

    // A memo whose checkpoints lie spacing bytes apart; the fuzz target tries others.
    explicit PngWalkMemo(std::uint64_t spacing = kCheckpointSpacing) : spacing_(spacing) {}

    // Whether a walk that comes from the chunk at previous to the one at offset notes it.
    bool IsCheckpoint(std::uint64_t previous, std::uint64_t offset) const
    {
        return offset / spacing_ != previous / spacing_;
    }

    // What the ancillary chunks from the chunk at offset to the end of an earlier walk that
    // ended in Decode held; nothing when no earlier walk noted that chunk.
    std::optional<std::uint64_t> HeldFrom(std::uint64_t offset) const;

    // Notes that the walk under way stands at the chunk at offset having counted held.
    void Note(std::uint64_t offset, std::uint64_t held) { current_.emplace_back(offset, held); }

    // Ends the walk under way: when it ended in Decode with held counted, what it noted is
    // kept for later walks; otherwise it is dropped.
    void Finish(DecodeVerdict verdict, std::uint64_t held);

private:
    std::uint64_t spacing_;
    std::map<std::uint64_t, std::uint64_t> heldFrom_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> current_;
};

// Whether the chunks of the PNG whose signature starts at start let it be decoded. Refused
// when a chunk claims more than kMaxPngChunkLength, when a chunk other than image data or
// the end chunk runs past the end of the file, and when the ancillary chunks hold more
// than kMaxPngAncillaryBytes together with held, what ancillary chunks counted before make
// the decoder hold (0 for a PNG file; the PNG images of one icon share it). held grows by
// what this PNG's ancillary chunks hold. A file cut short in its image data or its end
// chunk, or between chunks, is left to the decoder, which reads image data as it goes.
// With a memo, the walk ends where it joins the chunks of an earlier walk of the memo, with
// the verdict the rest of the walk would give, and is noted for later walks.
DecodeVerdict CheckPngChunks(ByteView& bytes, std::uint64_t start, std::uint64_t& held, PngWalkMemo* memo = nullptr);
