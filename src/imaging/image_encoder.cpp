#include "image_encoder.h"

#include <cstdlib>
#include <cwchar>

#include "encoder_parameters.h"

using namespace Gdiplus::DllExports;

int FindEncoderClsid(const wchar_t* mimeType, _GUID* clsid)
{
    UINT count = 0;
    UINT bytes = 0;
    GdipGetImageEncodersSize(&count, &bytes);
    if (bytes == 0)
        return -1;

    auto* encoders = static_cast<Gdiplus::ImageCodecInfo*>(std::malloc(bytes));
    if (!encoders)
        return -1;

    int found = -1;
    if (GdipGetImageEncoders(count, bytes, encoders) == Gdiplus::Ok) {
        for (UINT i = 0; i < count; ++i) {
            if (encoders[i].MimeType && std::wcscmp(encoders[i].MimeType, mimeType) == 0) {
                *clsid = encoders[i].Clsid;
                found = static_cast<int>(i);
                break;
            }
        }
    }
    std::free(encoders);
    return found;
}

bool WriteImageFile(const ImageHandle& image, const wchar_t* path, const wchar_t* mimeType,
                    const std::uint32_t* jpegQuality)
{
    CLSID encoder;
    if (image.IsEmpty() || FindEncoderClsid(mimeType, &encoder) < 0)
        return false;
    if (jpegQuality) {
        const JpegQualityParameters parameters(*jpegQuality);
        return GdipSaveImageToFile(image.Native(), path, &encoder, parameters.List()) == Gdiplus::Ok;
    }
    return GdipSaveImageToFile(image.Native(), path, &encoder, nullptr) == Gdiplus::Ok;
}
