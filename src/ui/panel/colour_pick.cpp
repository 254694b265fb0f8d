#include "colour_pick.h"

#include <algorithm>
#include <climits>

#include "app_state.h"
#include "colour_swatch.h"
#include "image_document.h"
#include "resource.h"
#include "view_scale.h"

namespace {

ArgbValue ColourUnderCursor(const ImageDocument& document, HWND mainWindow)
{
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(mainWindow, &point);
    const ViewPoint pixel = ClientToImage(ViewPoint{point.x, point.y}, g_ui.view.Place());
    // Pixels beyond a LONG lie far outside any image.
    point = {static_cast<LONG>(std::clamp<std::int64_t>(pixel.x, LONG_MIN, LONG_MAX)),
             static_cast<LONG>(std::clamp<std::int64_t>(pixel.y, LONG_MIN, LONG_MAX))};
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
    ShowColourSwatch(g_app.swatch, colour);
    HWND panel = g_app.toolPanel;
    SetDlgItemInt(panel, IDC_PICK_ALPHA, (colour >> 24) & 0xFF, FALSE);
    SetDlgItemInt(panel, IDC_PICK_RED, (colour >> 16) & 0xFF, FALSE);
    SetDlgItemInt(panel, IDC_PICK_GREEN, (colour >> 8) & 0xFF, FALSE);
    SetDlgItemInt(panel, IDC_PICK_BLUE, colour & 0xFF, FALSE);
}
