#include "colour_swatch.h"

#include "gdi_objects.h"

namespace {

// Size of the swatch picture, in pixels.
constexpr int kSwatchWidth = 50;
constexpr int kSwatchHeight = 30;

// A 50 × 30 picture in the colour's red, green and blue with a one-pixel black frame.
HBITMAP MakeSwatchPicture(ArgbValue colour)
{
    const COLORREF fill = RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    const ScreenDC screen;
    const MemoryDC memory(screen.Get());
    OwnedBitmap picture(CreateCompatibleBitmap(screen.Get(), kSwatchWidth, kSwatchHeight));
    if (!memory.Get() || !picture.Get())
        return nullptr;
    {
        const SelectedObject selected(memory.Get(), picture.Get());
        for (int y = 0; y < kSwatchHeight; ++y)
            for (int x = 0; x < kSwatchWidth; ++x)
                SetPixel(memory.Get(), x, y, fill);
        const SelectedObject hollow(memory.Get(), GetStockObject(NULL_BRUSH));
        Rectangle(memory.Get(), 0, 0, kSwatchWidth, kSwatchHeight);  // the default black pen
    }
    return picture.Release();
}

// Gives the swatch control its new picture and frees the one it replaces; otherwise every
// pick would leak a GDI bitmap. A control that keeps a copy of its own gets ours freed too.
void ShowSwatchPicture(HWND swatch, HBITMAP picture)
{
    const auto previous = reinterpret_cast<HBITMAP>(
        SendMessageA(swatch, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
    if (previous && previous != picture)
        DeleteObject(previous);
    const auto shown = reinterpret_cast<HBITMAP>(SendMessageA(swatch, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (picture && shown != picture)
        DeleteObject(picture);
}

}  // namespace

void ShowColourSwatch(HWND control, ArgbValue colour)
{
    ShowSwatchPicture(control, MakeSwatchPicture(colour));
}
