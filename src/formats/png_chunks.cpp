#include "png_chunks.h"

#include <cstring>

#include "inflated_size.h"

namespace {

constexpr std::uint64_t kChunkHeaderBytes = 8;  // length and type
constexpr std::uint64_t kChunkCrcBytes = 4;

bool IsType(const unsigned char* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

// Ancillary chunks have a lower-case first letter; the decoder may skip them.
bool IsAncillary(const unsigned char* type)
{
    return (type[0] & 0x20) != 0;
}

// Steps at past the next zero byte before end, which ends a keyword; false when there is none.
bool SkipPastZero(ByteView& bytes, std::uint64_t& at, std::uint64_t end)
{
    const std::optional<std::uint64_t> zero = bytes.Find(0, at, end);
    if (!zero)
        return false;
    at = *zero + 1;
    return true;
}

// Reads the byte at at and steps past it; false at end.
bool NextByte(ByteView& bytes, std::uint64_t& at, std::uint64_t end, unsigned char& byte)
{
    return at < end && bytes.Read(at++, &byte, 1);
}

// Where the compressed part of a chunk's data starts: after the keyword and the method
// byte of zTXt and iCCP; after the keyword, the flag, the method, the language and the
// translated keyword of an iTXt whose flag says it is compressed. Nothing for every other
// chunk and when the data ends first.
std::optional<std::uint64_t> CompressedDataStart(ByteView& bytes, const PngChunkHeader& chunk)
{
    std::uint64_t at = chunk.data;
    const std::uint64_t end = chunk.data + chunk.length;
    unsigned char byte = 0;
    if (IsType(chunk.type, "zTXt") || IsType(chunk.type, "iCCP")) {
        if (SkipPastZero(bytes, at, end) && NextByte(bytes, at, end, byte))
            return at;
        return std::nullopt;
    }
    if (!IsType(chunk.type, "iTXt"))
        return std::nullopt;
    unsigned char compressed = 0;
    if (SkipPastZero(bytes, at, end) && NextByte(bytes, at, end, compressed) && compressed != 0 &&
        NextByte(bytes, at, end, byte) && SkipPastZero(bytes, at, end) && SkipPastZero(bytes, at, end))
        return at;
    return std::nullopt;
}

// What one ancillary chunk makes the decoder hold: the bytes of its data, or for a
// compressed text or profile the bytes before the compressed part and what that inflates to
// (counted up to limit).
std::uint64_t HeldBytes(ByteView& bytes, const PngChunkHeader& chunk, std::uint64_t limit)
{
    const std::optional<std::uint64_t> start = CompressedDataStart(bytes, chunk);
    if (!start)
        return chunk.length;
    const std::uint64_t inflated = CountInflatedBytes(bytes.Reader(), *start, chunk.data + chunk.length, limit);
    // Past the limit is past it whatever came before; this also keeps the sum from wrapping.
    return inflated > limit ? limit + 1 : (*start - chunk.data) + inflated;
}

}  // namespace

std::optional<PngChunkHeader> ReadPngChunkHeader(ByteView& bytes, std::uint64_t offset)
{
    unsigned char head[kChunkHeaderBytes];
    if (!bytes.Read(offset, head, sizeof head))
        return std::nullopt;
    PngChunkHeader chunk;
    chunk.length = BigEndian32(head);
    std::memcpy(chunk.type, head + 4, sizeof chunk.type);
    chunk.data = offset + kChunkHeaderBytes;
    chunk.end = chunk.data + chunk.length + kChunkCrcBytes;
    return chunk;
}

std::optional<std::uint64_t> InflatedChunkBytes(ByteView& bytes, const PngChunkHeader& chunk, std::uint64_t limit)
{
    const std::optional<std::uint64_t> start = CompressedDataStart(bytes, chunk);
    if (!start)
        return std::nullopt;
    return CountInflatedBytes(bytes.Reader(), *start, chunk.data + chunk.length, limit);
}

std::optional<std::uint64_t> PngWalkMemo::HeldFrom(std::uint64_t offset) const
{
    const auto found = heldFrom_.find(offset);
    if (found == heldFrom_.end())
        return std::nullopt;
    return found->second;
}

void PngWalkMemo::Finish(DecodeVerdict verdict, std::uint64_t held)
{
    if (verdict == DecodeVerdict::Decode)
        for (const auto& [offset, heldThere] : current_)
            heldFrom_.emplace(offset, held - heldThere);
    current_.clear();
}

namespace {

// The walk itself, for CheckPngChunks.
DecodeVerdict WalkPngChunks(ByteView& bytes, std::uint64_t start, std::uint64_t& held, PngWalkMemo* memo)
{
    std::uint64_t offset = start + kPngSignatureBytes;
    std::uint64_t previous = offset;  // the chunk before, for the checkpoints
    for (;;) {
        // A walk that comes to a chunk an earlier walk noted goes on as that one did, so the
        // rest holds what it held there: within the budget, exactly as counted then (every
        // count was below its limit); past it, the walk would have stopped on the way.
        if (memo && (offset == start + kPngSignatureBytes || memo->IsCheckpoint(previous, offset))) {
            if (const std::optional<std::uint64_t> rest = memo->HeldFrom(offset)) {
                held += *rest;
                return held > kMaxPngAncillaryBytes ? DecodeVerdict::AncillaryChunksTooLarge : DecodeVerdict::Decode;
            }
            memo->Note(offset, held);
        }
        const std::optional<PngChunkHeader> chunk = ReadPngChunkHeader(bytes, offset);
        if (!chunk)
            return DecodeVerdict::Decode;  // no chunk left to claim anything: the decoder decides
        if (chunk->length > kMaxPngChunkLength)
            return DecodeVerdict::ChunkTooLong;
        // A chunk that runs past the end can only be the last one: the decoder reads image
        // data piece by piece and the end chunk not at all, but allocates any other chunk
        // whole before it finds that the bytes are not there.
        if (chunk->end > bytes.Size())
            return IsType(chunk->type, "IDAT") || IsType(chunk->type, "IEND") ? DecodeVerdict::Decode
                                                                              : DecodeVerdict::ChunkPastEnd;
        if (IsType(chunk->type, "IEND"))
            return DecodeVerdict::Decode;
        if (IsAncillary(chunk->type)) {
            held += kPngChunkRecordBytes;
            if (held > kMaxPngAncillaryBytes)
                return DecodeVerdict::AncillaryChunksTooLarge;
            held += HeldBytes(bytes, *chunk, kMaxPngAncillaryBytes - held);
            if (held > kMaxPngAncillaryBytes)
                return DecodeVerdict::AncillaryChunksTooLarge;
        }
        previous = offset;
        offset = chunk->end;
    }
}

}  // namespace

DecodeVerdict CheckPngChunks(ByteView& bytes, std::uint64_t start, std::uint64_t& held, PngWalkMemo* memo)
{
    const DecodeVerdict verdict = WalkPngChunks(bytes, start, held, memo);
    if (memo)
        memo->Finish(verdict, held);
    return verdict;
}
