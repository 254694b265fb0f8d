#include "image_memory.h"

#include <cstring>

#include "gdiplus_api.h"
#include "made_image.h"
#include "movable_memory.h"
#include "image_encoder.h"
#include "image_loader.h"
#include "image_verdict.h"

using namespace Gdiplus::DllExports;

namespace {

constexpr wchar_t kPngMimeType[] = L"image/png";

// One reference to a stream, released when it goes.
class StreamRef {
public:
    StreamRef() noexcept = default;
    ~StreamRef()
    {
        if (stream_)
            stream_->Release();
    }
    StreamRef(const StreamRef&) = delete;
    StreamRef& operator=(const StreamRef&) = delete;

    IStream* Get() const noexcept { return stream_; }
    IStream** Out() noexcept { return &stream_; }

private:
    IStream* stream_ = nullptr;
};

// A stream over a movable memory block holding a copy of the bytes; the stream frees it.
bool MakeStreamOf(const unsigned char* data, std::size_t size, StreamRef& stream)
{
    MovableMemory memory(size);
    {
        const LockedMemory target(memory.Get());
        if (!target.Data())
            return false;
        std::memcpy(target.Data(), data, size);
    }
    if (FAILED(CreateStreamOnHGlobal(memory.Get(), TRUE, stream.Out())))
        return false;
    memory.Release();  // the stream's now
    return true;
}

// What a stream over memory holds, from its start to its length.
std::vector<unsigned char> StreamBytes(IStream* stream)
{
    STATSTG stat = {};
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(stream, &memory)))
        return {};
    const LockedMemory bytes(memory);
    if (!bytes.Data())
        return {};
    return std::vector<unsigned char>(bytes.Data(), bytes.Data() + stat.cbSize.QuadPart);
}

bool IsInside(const ImageHandle& image, const ImageRect& area)
{
    const ImageSize size = image.Size();
    return area.width > 0 && area.height > 0 && area.x < size.width && area.y < size.height &&
           area.width <= size.width - area.x && area.height <= size.height - area.y;
}

// The area as an image of its own, 32-bit ARGB; a copy of pixels only when it is a part.
ImageRef CopyOfArea(const ImageHandle& image, const ImageRect& area)
{
    Gdiplus::GpBitmap* copy = nullptr;
    const Gdiplus::GpStatus status =
        GdipCloneBitmapAreaI(static_cast<INT>(area.x), static_cast<INT>(area.y), static_cast<INT>(area.width),
                             static_cast<INT>(area.height), PixelFormat32bppARGB, image.Native(), &copy);
    return MadeImage(status, copy);
}

}  // namespace

ImageRef LoadImageBytes(const unsigned char* data, std::size_t size)
{
    MemoryReader reader(data, size);
    StreamRef stream;
    if (size == 0 || JudgeImage(reader) != DecodeVerdict::Decode || !MakeStreamOf(data, size, stream))
        return std::make_shared<ImageHandle>();
    Gdiplus::GpBitmap* bitmap = nullptr;
    // The decoded bitmap reads from the stream, so it goes first.
    const Gdiplus::GpStatus status = GdipCreateBitmapFromStream(stream.Get(), &bitmap);
    const ImageRef decoded = MadeImage(status, bitmap);
    return decoded->IsEmpty() ? decoded : CopyToArgbImage(*decoded);
}

std::vector<unsigned char> EncodePngBytes(const ImageHandle& image, const ImageRect& area)
{
    CLSID encoder;
    if (image.IsEmpty() || !IsInside(image, area) || FindEncoderClsid(kPngMimeType, &encoder) < 0)
        return {};
    const ImageSize size = image.Size();
    const bool whole = area.width == size.width && area.height == size.height;
    const ImageRef part = whole ? nullptr : CopyOfArea(image, area);
    const ImageHandle& source = whole ? image : *part;
    StreamRef stream;
    if (source.IsEmpty() || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out())) ||
        GdipSaveImageToStream(source.Native(), stream.Get(), &encoder, nullptr) != Gdiplus::Ok)
        return {};
    return StreamBytes(stream.Get());
}
