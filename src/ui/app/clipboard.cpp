#include "clipboard.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "alpha_edit.h"
#include "app_state.h"
#include "clipboard_dib.h"
#include "image_document.h"
#include "image_memory.h"
#include "movable_memory.h"
#include "opening.h"
#include "texts.h"
#include "wait_cursor.h"

namespace {

// The name under which programs put the bytes of a PNG file on the clipboard.
constexpr char kPngFormatName[] = "PNG";

UINT PngFormat()
{
    return RegisterClipboardFormatA(kPngFormatName);
}

// The clipboard, open for the length of a scope.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) noexcept : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard()
    {
        if (open_)
            CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool IsOpen() const noexcept { return open_; }

private:
    bool open_;
};

// Puts the memory on the open clipboard as format; from then on it is the clipboard's.
void PutOnClipboard(MovableMemory& memory, UINT format) noexcept
{
    if (memory.Get() && SetClipboardData(format, memory.Get()))
        memory.Release();
}

ImageRect CopiedArea()
{
    if (g_document.IsRangeShown())
        return AlphaEditArea(g_document);
    return WholeOf(g_document.GetImageSize());
}

void PutPng(const std::vector<unsigned char>& png)
{
    if (png.empty())
        return;
    MovableMemory memory(png.size());
    {
        const LockedMemory target(memory.Get());
        if (!target.Data())
            return;
        std::copy(png.begin(), png.end(), target.Data());
    }
    PutOnClipboard(memory, PngFormat());
}

void PutDib(const ImageHandle& image, const ImageRect& area)
{
    std::vector<ArgbValue> pixels(area.PixelCount());
    if (!image.ReadPixels(area, pixels.data()))
        return;
    MovableMemory memory(DibV5Bytes(area.width, area.height));
    {
        const LockedMemory target(memory.Get());
        if (!target.Data())
            return;
        WriteDibV5(area.width, area.height, pixels.data(), target.Data());
    }
    PutOnClipboard(memory, CF_DIBV5);
}

// The bitmap format the clipboard's program put there: the system lists the ones it makes
// from it after it.
UINT PlacedBitmapFormat()
{
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
        if (format == CF_DIBV5 || format == CF_DIB)
            return format;
    return IsClipboardFormatAvailable(CF_DIB) ? CF_DIB : 0;
}

ImageRef DecodePng(HANDLE data)
{
    const LockedMemory bytes(data);
    return bytes.Data() ? LoadImageBytes(bytes.Data(), bytes.Size()) : nullptr;
}

ImageRef DecodeDib(HANDLE data)
{
    const LockedMemory bytes(data);
    if (!bytes.Data())
        return nullptr;
    MemoryReader reader(bytes.Data(), bytes.Size());
    DibPixels read = ReadClipboardDib(reader);
    if (read.verdict != DibVerdict::Read)
        return nullptr;
    ImageRef image = CreateArgbImage(read.width, read.height);
    return image->SwapPixels(WholeOf({read.width, read.height}), read.pixels.data()) ? image : nullptr;
}

// What the clipboard holds to paste: an image, null when it cannot be read, or a file.
struct Pasted {
    ImageRef image;
    std::string file;
};

Pasted ReadClipboard(HWND owner)
{
    Pasted pasted;
    const OpenedClipboard clipboard(owner);
    if (!clipboard.IsOpen())
        return pasted;
    if (IsClipboardFormatAvailable(PngFormat()))
        pasted.image = DecodePng(GetClipboardData(PngFormat()));
    else if (const UINT bitmap = PlacedBitmapFormat())
        pasted.image = DecodeDib(GetClipboardData(bitmap));
    else if (HANDLE files = GetClipboardData(CF_HDROP))
        pasted.file = FirstFileOf(static_cast<HDROP>(files));
    return pasted;
}

}  // namespace

bool CanCopyImage()
{
    return g_document.Image() && !g_document.Image()->IsEmpty();
}

void CopyImage(HWND owner)
{
    const ImageRect area = CanCopyImage() ? CopiedArea() : ImageRect{};
    if (area.width == 0 || area.height == 0)
        return;
    const WaitCursor wait;
    const ImageHandle& image = *g_document.Image();
    const std::vector<unsigned char> png = EncodePngBytes(image, area);
    const OpenedClipboard clipboard(owner);
    if (!clipboard.IsOpen() || !EmptyClipboard())
        return;
    PutPng(png);
    try {
        PutDib(image, area);
    } catch (const std::bad_alloc&) {
        // Too large to hold twice: the PNG alone goes.
    }
}

bool CanPasteImage()
{
    return IsClipboardFormatAvailable(PngFormat()) || IsClipboardFormatAvailable(CF_DIBV5) ||
           IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_HDROP);
}

void PasteImage(HWND mainWindow)
{
    if (!CanPasteImage())
        return;
    Pasted pasted;
    try {
        const WaitCursor wait;
        pasted = ReadClipboard(mainWindow);
    } catch (const std::bad_alloc&) {
        pasted = {};  // refused as one that cannot be read
    }
    if (!pasted.file.empty())
        OpenFileAtPath(mainWindow, pasted.file.c_str());
    else if (pasted.image && !pasted.image->IsEmpty())
        OpenPastedImage(std::move(pasted.image));
    else
        MessageBoxA(mainWindow, text::kClipboardUnreadable, text::kOpenErrorCaption, MB_OK | MB_ICONEXCLAMATION);
}
