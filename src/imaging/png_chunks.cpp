#include "png_chunks.h"

#include <cstring>

#include "inflate_count.h"

namespace {

constexpr std::uint64_t kSignatureBytes = 8;
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

// The bytes of one chunk's data, for the inflate counter.
class ChunkBytes : public ByteSource {
public:
    ChunkBytes(HeaderFile& file, std::uint64_t from, std::uint64_t end) : file_(file), next_(from), end_(end) {}

    bool Next(unsigned char& byte) override { return next_ < end_ && file_.Read(next_++, &byte, 1); }

    // Steps past the next zero byte, which ends a keyword; false when there is none.
    bool SkipPastZero()
    {
        unsigned char byte = 1;
        while (byte != 0)
            if (!Next(byte))
                return false;
        return true;
    }

    std::uint64_t Position() const { return next_; }

private:
    HeaderFile& file_;
    std::uint64_t next_;
    std::uint64_t end_;
};

// Where the compressed part of a chunk's data starts: after the keyword and the method
// byte of zTXt and iCCP; after the keyword, the flag, the method, the language and the
// translated keyword of an iTXt whose flag says it is compressed. False for every other
// chunk and when the data ends first.
bool SkipToCompressedData(ChunkBytes& data, const unsigned char* type)
{
    unsigned char byte = 0;
    if (IsType(type, "zTXt") || IsType(type, "iCCP"))
        return data.SkipPastZero() && data.Next(byte);
    if (!IsType(type, "iTXt"))
        return false;
    unsigned char compressed = 0;
    return data.SkipPastZero() && data.Next(compressed) && compressed != 0 && data.Next(byte) &&
           data.SkipPastZero() && data.SkipPastZero();
}

// What one ancillary chunk makes the decoder hold: the bytes of its data, and what a
// compressed text or profile inflates to (counted up to limit).
std::uint64_t HeldBytes(HeaderFile& file, const unsigned char* type, std::uint64_t data, std::uint32_t length,
                        std::uint64_t limit)
{
    ChunkBytes bytes(file, data, data + length);
    if (!SkipToCompressedData(bytes, type))
        return length;
    const std::uint64_t prefix = bytes.Position() - data;
    return prefix + CountInflatedBytes(bytes, limit);
}

}  // namespace

bool PngChunksAllowDecoding(HeaderFile& file, std::uint64_t start, std::uint64_t& held)
{
    std::uint64_t offset = start + kSignatureBytes;
    for (;;) {
        unsigned char head[kChunkHeaderBytes];
        if (!file.Read(offset, head, sizeof head))
            return true;  // no chunk left to claim anything: the decoder decides
        const std::uint32_t length = BigEndian32(head);
        const unsigned char* type = head + 4;
        if (length > kMaxPngChunkLength)
            return false;
        const std::uint64_t end = offset + kChunkHeaderBytes + length + kChunkCrcBytes;
        // A chunk that runs past the end can only be the last one: the decoder reads image
        // data piece by piece and the end chunk not at all, but allocates any other chunk
        // whole before it finds that the bytes are not there.
        if (end > file.Size())
            return IsType(type, "IDAT") || IsType(type, "IEND");
        if (IsType(type, "IEND"))
            return true;
        if (IsAncillary(type)) {
            held += kPngChunkRecordBytes;
            if (held > kMaxPngAncillaryBytes)
                return false;
            held += HeldBytes(file, type, offset + kChunkHeaderBytes, length, kMaxPngAncillaryBytes - held);
            if (held > kMaxPngAncillaryBytes)
                return false;
        }
        offset = end;
    }
}
