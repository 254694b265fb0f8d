#include "inflated_size.h"

#include <zlib.h>

#include <algorithm>
#include <cstddef>

namespace {

constexpr std::size_t kInputBlockBytes = 16 * 1024;
constexpr std::size_t kScratchBytes = 16 * 1024;

// Owns an inflater's state.
class Inflater {
public:
    Inflater() { ready_ = inflateInit(&stream_) == Z_OK; }
    ~Inflater()
    {
        if (ready_)
            inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    bool Ready() const { return ready_; }
    z_stream& Stream() { return stream_; }

private:
    z_stream stream_{};
    bool ready_ = false;
};

}  // namespace

std::uint64_t CountInflatedBytes(ByteReader& reader, std::uint64_t from, std::uint64_t end, std::uint64_t limit)
{
    Inflater inflater;
    if (!inflater.Ready())
        return UINT64_MAX;
    z_stream& stream = inflater.Stream();
    unsigned char input[kInputBlockBytes];
    unsigned char scratch[kScratchBytes];
    std::uint64_t counted = 0;
    for (;;) {
        if (stream.avail_in == 0 && from < end) {
            const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof input, end - from));
            const std::size_t got = reader.ReadAt(from, input, wanted);
            from = got == 0 ? end : from + got;  // a failed read ends the stream early
            stream.next_in = input;
            stream.avail_in = static_cast<uInt>(got);
        }
        // Never more room than one byte past the limit, so counting stops right there.
        const std::uint64_t room = limit - counted;
        stream.next_out = scratch;
        stream.avail_out = static_cast<uInt>(room >= sizeof scratch ? sizeof scratch : room + 1);
        const uInt roomBefore = stream.avail_out, inputBefore = stream.avail_in;
        const int status = inflate(&stream, Z_NO_FLUSH);
        counted += roomBefore - stream.avail_out;
        if (counted > limit || status == Z_STREAM_END || (status != Z_OK && status != Z_BUF_ERROR))
            break;  // past the limit, the end of the stream, a fault or a dictionary it does not have
        // Once the input is all read, inflate is called on without any while it still has
        // output held back for want of room: the count ends only when it gives nothing more.
        if (stream.avail_out == roomBefore && stream.avail_in == inputBefore)
            break;
    }
    return counted;
}
