#include "image_mouse.h"

#include "app_state.h"
#include "colour_pick.h"
#include "image_document.h"
#include "image_tools.h"
#include "range_drag.h"
#include "scroll_view.h"
#include "tool_panel.h"

namespace {

// The point under the cursor, taken as the centre of its screen pixel, in image pixels.
MousePoint PointAt(POINT client)
{
    const ViewPlace place = PlaceOf(g_ui.view);
    const ViewScale scale = Reduced(place.scale);
    const double perViewPixel = static_cast<double>(scale.denominator) / scale.numerator;
    MousePoint point;
    point.pixel = ClientToImage(client);
    point.x = (static_cast<double>(client.x + place.origin.x) + 0.5) * perViewPixel;
    point.y = (static_cast<double>(client.y + place.origin.y) + 0.5) * perViewPixel;
    return point;
}

}  // namespace

void PressOnImage(HWND mainWindow, POINT client, bool shift)
{
    ImageTool* tool = OpenTool();
    if (tool && g_document.Image() && tool->Press(PointAt(client), shift)) {
        g_ui.toolPressed = true;
        SetCapture(mainWindow);
        return;
    }
    PickColourAt(g_document, mainWindow);
    InvalidateRect(g_app.swatch, nullptr, TRUE);
    PressForRangeDrag(mainWindow, client);
}

void MoveOnImage(HWND mainWindow, POINT client, bool buttonHeld)
{
    ImageTool* tool = OpenTool();
    if (g_ui.toolPressed && tool) {
        tool->Drag(PointAt(client));
        return;
    }
    if (tool && !buttonHeld) {
        const MousePoint point = PointAt(client);
        tool->Hover(&point);
    }
    MoveRangeDrag(mainWindow, client, buttonHeld);
}

void ReleaseOnImage(HWND mainWindow, POINT client)
{
    if (g_ui.toolPressed) {
        g_ui.toolPressed = false;
        if (ImageTool* tool = OpenTool())
            tool->Release(PointAt(client));
        if (GetCapture() == mainWindow)
            ReleaseCapture();
        return;
    }
    ReleaseRangeDrag(mainWindow, client, ShowChosenRange);  // into the panel's fields
}

void LoseImageCapture(HWND mainWindow, HWND newCapture)
{
    if (newCapture == mainWindow)
        return;
    if (g_ui.toolPressed) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        ScreenToClient(mainWindow, &cursor);
        ReleaseOnImage(mainWindow, cursor);
        return;
    }
    CancelRangeDrag(mainWindow);
}
