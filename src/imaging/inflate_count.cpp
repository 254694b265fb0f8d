#include "inflate_count.h"

namespace {

constexpr int kMaxCodeBits = 15;
constexpr int kMaxLiteralLengthCodes = 288;  // the fixed code has 288, a block's own at most 286
constexpr int kMaxBlockLiteralLengthCodes = 286;
constexpr int kMaxDistanceCodes = 30;
constexpr int kCodeLengthCodes = 19;
constexpr int kEndOfBlock = 256;
constexpr int kFirstLengthCode = 257;

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtraBits[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                               2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                             33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtraBits[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a block's own codes give the lengths of the code length code.
constexpr std::uint8_t kCodeLengthOrder[kCodeLengthCodes] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Bits of the stream, lowest first, as deflate packs them.
class BitReader {
public:
    explicit BitReader(ByteSource& source) : source_(source) {}

    // The next count (at most 16) bits as a number, the first bit lowest; false when the
    // stream ends first.
    bool Bits(int count, std::uint32_t& value)
    {
        while (available_ < count) {
            unsigned char byte = 0;
            if (!source_.Next(byte))
                return false;
            buffer_ |= std::uint32_t{byte} << available_;
            available_ += 8;
        }
        value = buffer_ & ((1u << count) - 1);
        buffer_ >>= count;
        available_ -= count;
        return true;
    }

    // Drops what is left of the current byte: a stored block starts on a byte boundary. Bytes
    // are taken only as bits are needed, so fewer than 8 bits are ever left over.
    void AlignToByte()
    {
        buffer_ = 0;
        available_ = 0;
    }

private:
    ByteSource& source_;
    std::uint32_t buffer_ = 0;
    int available_ = 0;
};

// A canonical Huffman code: how many codes there are of each length, and the symbols in
// the order of their codes.
struct HuffmanCode {
    std::uint16_t counts[kMaxCodeBits + 1] = {};
    std::uint16_t symbols[kMaxLiteralLengthCodes] = {};
};

// Builds the code that the lengths of count symbols (0 for an unused one) describe. False
// when the lengths ask for more codes than there are; incomplete codes are taken, as a
// stream that used a missing code fails only where it does.
bool BuildCode(HuffmanCode& code, const std::uint8_t* lengths, int count)
{
    code = HuffmanCode{};
    for (int symbol = 0; symbol < count; ++symbol)
        ++code.counts[lengths[symbol]];
    code.counts[0] = 0;
    int left = 1;
    for (int length = 1; length <= kMaxCodeBits; ++length) {
        left = left * 2 - code.counts[length];
        if (left < 0)
            return false;
    }
    std::uint16_t offsets[kMaxCodeBits + 1] = {};
    for (int length = 1; length < kMaxCodeBits; ++length)
        offsets[length + 1] = static_cast<std::uint16_t>(offsets[length] + code.counts[length]);
    for (int symbol = 0; symbol < count; ++symbol)
        if (lengths[symbol] != 0)
            code.symbols[offsets[lengths[symbol]]++] = static_cast<std::uint16_t>(symbol);
    return true;
}

// Reads one symbol of the code, its bits from the highest down; false when the stream ends
// or holds a code the code does not have.
bool Decode(BitReader& bits, const HuffmanCode& code, int& symbol)
{
    int value = 0, first = 0, index = 0;
    for (int length = 1; length <= kMaxCodeBits; ++length) {
        std::uint32_t bit = 0;
        if (!bits.Bits(1, bit))
            return false;
        value |= static_cast<int>(bit);
        const int count = code.counts[length];
        if (value - count < first) {
            symbol = code.symbols[index + (value - first)];
            return true;
        }
        index += count;
        first = (first + count) * 2;
        value *= 2;
    }
    return false;
}

// Walks a zlib stream's blocks and counts their output.
class InflateCounter {
public:
    InflateCounter(ByteSource& source, std::uint64_t limit) : bits_(source), limit_(limit) {}

    std::uint64_t Count()
    {
        if (!ZlibHeader())
            return 0;
        for (;;) {
            std::uint32_t last = 0, type = 0;
            if (!bits_.Bits(1, last) || !bits_.Bits(2, type) || !Block(type) || last)
                return count_;
        }
    }

private:
    // Method 8 with a window of at most 32 KB and no preset dictionary, which an inflater
    // cannot do without.
    bool ZlibHeader()
    {
        std::uint32_t method = 0, flags = 0;
        constexpr std::uint32_t kDeflate = 8, kLargestWindow = 7, kCheckDivisor = 31, kPresetDictionary = 0x20;
        return bits_.Bits(8, method) && bits_.Bits(8, flags) && (method & 0x0F) == kDeflate &&
               (method >> 4) <= kLargestWindow && (method << 8 | flags) % kCheckDivisor == 0 &&
               !(flags & kPresetDictionary);
    }

    // One block of the given type; false to stop counting.
    bool Block(std::uint32_t type)
    {
        switch (type) {
        case 0: return StoredBlock();
        case 1: return FixedBlock();
        case 2: return DynamicBlock();
        default: return false;
        }
    }

    bool StoredBlock()
    {
        bits_.AlignToByte();
        std::uint32_t length = 0, complement = 0;
        if (!bits_.Bits(16, length) || !bits_.Bits(16, complement) || length != (~complement & 0xFFFF))
            return false;
        for (std::uint32_t i = 0; i < length; ++i) {
            std::uint32_t byte = 0;
            if (!bits_.Bits(8, byte))
                return false;
            if (++count_ > limit_)
                return false;
        }
        return true;
    }

    bool FixedBlock()
    {
        std::uint8_t lengths[kMaxLiteralLengthCodes];
        for (int symbol = 0; symbol < kMaxLiteralLengthCodes; ++symbol)  // as deflate fixes them
            lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
        std::uint8_t distanceLengths[kMaxDistanceCodes];
        for (std::uint8_t& length : distanceLengths)
            length = 5;
        HuffmanCode literals, distances;
        BuildCode(literals, lengths, kMaxLiteralLengthCodes);
        BuildCode(distances, distanceLengths, kMaxDistanceCodes);
        return CodedData(literals, distances);
    }

    bool DynamicBlock()
    {
        std::uint32_t literalCount = 0, distanceCount = 0, lengthCodeCount = 0;
        if (!bits_.Bits(5, literalCount) || !bits_.Bits(5, distanceCount) || !bits_.Bits(4, lengthCodeCount))
            return false;
        literalCount += 257;
        distanceCount += 1;
        lengthCodeCount += 4;
        if (literalCount > kMaxBlockLiteralLengthCodes || distanceCount > kMaxDistanceCodes)
            return false;

        std::uint8_t lengthCodeLengths[kCodeLengthCodes] = {};
        for (std::uint32_t i = 0; i < lengthCodeCount; ++i) {
            std::uint32_t length = 0;
            if (!bits_.Bits(3, length))
                return false;
            lengthCodeLengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(length);
        }
        HuffmanCode lengthCode;
        std::uint8_t lengths[kMaxBlockLiteralLengthCodes + kMaxDistanceCodes] = {};
        if (!BuildCode(lengthCode, lengthCodeLengths, kCodeLengthCodes) ||
            !ReadCodeLengths(lengthCode, lengths, static_cast<int>(literalCount + distanceCount)) ||
            lengths[kEndOfBlock] == 0)
            return false;

        HuffmanCode literals, distances;
        return BuildCode(literals, lengths, static_cast<int>(literalCount)) &&
               BuildCode(distances, lengths + literalCount, static_cast<int>(distanceCount)) &&
               CodedData(literals, distances);
    }

    // The code lengths of a block's own codes, with their repeat codes: 16 repeats the
    // length before it, 17 and 18 give runs of unused symbols.
    bool ReadCodeLengths(const HuffmanCode& lengthCode, std::uint8_t* lengths, int count)
    {
        for (int index = 0; index < count;) {
            int symbol = 0;
            if (!Decode(bits_, lengthCode, symbol))
                return false;
            if (symbol < 16) {
                lengths[index++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            std::uint8_t repeated = 0;
            std::uint32_t extra = 0;
            int times = 0;
            if (symbol == 16) {
                if (index == 0 || !bits_.Bits(2, extra))
                    return false;
                repeated = lengths[index - 1];
                times = 3 + static_cast<int>(extra);
            } else if (symbol == 17) {
                if (!bits_.Bits(3, extra))
                    return false;
                times = 3 + static_cast<int>(extra);
            } else {
                if (!bits_.Bits(7, extra))
                    return false;
                times = 11 + static_cast<int>(extra);
            }
            if (index + times > count)
                return false;
            while (times-- > 0)
                lengths[index++] = repeated;
        }
        return true;
    }

    // Literals and copies up to the end of the block. A copy from before the start of the
    // output ends the stream, as it ends an inflater's.
    bool CodedData(const HuffmanCode& literals, const HuffmanCode& distances)
    {
        for (;;) {
            int symbol = 0;
            if (!Decode(bits_, literals, symbol))
                return false;
            if (symbol == kEndOfBlock)
                return true;
            if (symbol < kEndOfBlock) {
                ++count_;
            } else {
                const int lengthIndex = symbol - kFirstLengthCode;
                std::uint32_t lengthExtra = 0, distanceExtra = 0;
                int distanceIndex = 0;
                if (lengthIndex >= 29 || !bits_.Bits(kLengthExtraBits[lengthIndex], lengthExtra) ||
                    !Decode(bits_, distances, distanceIndex) || distanceIndex >= kMaxDistanceCodes ||
                    !bits_.Bits(kDistanceExtraBits[distanceIndex], distanceExtra) ||
                    kDistanceBase[distanceIndex] + distanceExtra > count_)
                    return false;
                count_ += kLengthBase[lengthIndex] + lengthExtra;
            }
            if (count_ > limit_)
                return false;
        }
    }

    BitReader bits_;
    std::uint64_t limit_;
    std::uint64_t count_ = 0;
};

}  // namespace

std::uint64_t CountInflatedBytes(ByteSource& source, std::uint64_t limit)
{
    return InflateCounter(source, limit).Count();
}
