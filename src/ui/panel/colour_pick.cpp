#include "colour_pick.h"

#include "image_document.h"
#include "resource.h"
#include "app_state.h"
#include "gdi_objects.h"
#include "scroll_view.h"

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

ArgbValue ColourUnderCursor(const ImageDocument& document, HWND mainWindow)
{
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(mainWindow, &point);
    point = ClientToImage(point);
    g_ui.picked = true;
    g_ui.lastPick = point;
    ArgbValue colour = kOpaqueBlack;
    // Negative coordinates become huge unsigned ones, outside every image.
    document.Image()->GetPixel(static_cast<std::uint32_t>(point.x), static_cast<std::uint32_t>(point.y),
                               colour);
    return colour;
}

}  // namespace

void PickColourAt(const ImageDocument& document, HWND mainWindow)
{
    if (!document.HasImage() || !document.Image())
        return;
    const ArgbValue colour = ColourUnderCursor(document, mainWindow);
    ShowSwatchPicture(g_app.swatch, MakeSwatchPicture(colour));
    HWND panel = g_app.toolPanel;
    SetDlgItemInt(panel, IDC_PICK_ALPHA, (colour >> 24) & 0xFF, FALSE);
    SetDlgItemInt(panel, IDC_PICK_RED, (colour >> 16) & 0xFF, FALSE);
    SetDlgItemInt(panel, IDC_PICK_GREEN, (colour >> 8) & 0xFF, FALSE);
    SetDlgItemInt(panel, IDC_PICK_BLUE, colour & 0xFF, FALSE);
}

void ShowColourSwatch(HWND control, ArgbValue colour)
{
    ShowSwatchPicture(control, MakeSwatchPicture(colour));
}
