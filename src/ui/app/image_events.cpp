#include "image_events.h"

#include "app_state.h"
#include "image_tools.h"
#include "scroll_view.h"

namespace {

// What the view does for each change: a new image starts at 100% at its top-left corner, and
// changed pixels show at any zoom.
void FollowInView(const ImageChange& change)
{
    HWND window = g_app.mainWindow;
    switch (change.kind) {
    case ImageChangeKind::kNewImage:
        ResetView();
        InvalidateRect(window, nullptr, TRUE);
        // After an image that could not be decoded the client area has no pixels, and an
        // invalid region alone would bring no paint: no fit to the next image, no caption.
        RedrawWindow(window, nullptr, nullptr, RDW_INTERNALPAINT);
        break;
    case ImageChangeKind::kPixels:  ShowImageChange(window, change.area); break;
    case ImageChangeKind::kOutline: InvalidateRect(window, nullptr, TRUE); break;
    case ImageChangeKind::kRange:   break;  // the outline follows at the next paint
    }
}

}  // namespace

void AnnounceImageChange(const ImageChange& change)
{
    if (change.kind == ImageChangeKind::kNewImage)
        g_ui.picked = false;  // a pick of the last image is no pixel of this one
    FollowInView(change);
    FollowInOpenTool(change);
    if (change.kind == ImageChangeKind::kNewImage)
        ForgetPreviewMemory();  // once the tool has closed
}
