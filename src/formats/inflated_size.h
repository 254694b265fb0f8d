#pragma once
// Counting what a zlib stream inflates to without keeping what it inflates to: the output
// goes to a small scratch buffer and only its length is kept, so a stream that claims
// gigabytes costs no memory.
#include <cstdint>

#include "byte_reader.h"

// How many bytes the zlib stream in [from, end) of reader inflates to. Counting stops as
// soon as the count passes limit, so a result above limit means "more than limit", and the
// work done is bounded by the limit as well as by the stream's length. A stream that is
// broken or ends early counts what it inflates to up to that point, which is all that an
// inflater produces from it before it gives up. UINT64_MAX when no inflater can be had.
std::uint64_t CountInflatedBytes(ByteReader& reader, std::uint64_t from, std::uint64_t end, std::uint64_t limit);
