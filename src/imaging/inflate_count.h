#pragma once
// Counting what a zlib stream inflates to without inflating it: the output is never
// produced, only its length, so a stream that claims gigabytes costs no memory.
#include <cstdint>

// Hands out the bytes of a compressed stream one at a time.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The next byte; false once the stream has no more.
    virtual bool Next(unsigned char& byte) = 0;
};

// How many bytes the zlib stream read from source inflates to. Counting stops as soon as
// the count passes limit, so a result above limit means "more than limit" and the work
// done is bounded by the limit as well as by the stream's length. A stream that is broken
// or ends early counts what it inflates to up to that point, which is all that an inflater
// produces from it before it gives up.
std::uint64_t CountInflatedBytes(ByteSource& source, std::uint64_t limit);
