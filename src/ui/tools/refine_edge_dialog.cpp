#include "refine_edge_dialog.h"

#include "alpha_edit.h"
#include "app_state.h"
#include "editing.h"
#include "image_document.h"
#include "image_tools.h"
#include "refine_edge.h"
#include "resource.h"
#include "scroll_view.h"
#include "shortcuts.h"
#include "tool_dialog.h"

namespace {

constexpr NumberField kWidth = {IDC_EDGE_WIDTH, IDC_EDGE_WIDTH_SLIDER, kSmallestEdgeWidth, kLargestEdgeWidth, 2};
constexpr NumberField kShrink = {IDC_EDGE_SHRINK, 0, 0, kLargestEdgeShrink, 2};

RefineEdgeState& State()
{
    return g_ui.refineEdge;
}

void CloseDialog();

ImageRect WorkArea(HWND dialog)
{
    return IsChecked(dialog, IDC_REFINE_IN_RANGE) ? AlphaEditArea(g_document) : WholeOf(g_document.GetImageSize());
}

RefineEdgeOptions ReadOptions(HWND dialog)
{
    RefineEdgeOptions options;
    options.matte = State().matte;
    options.width = kWidth.Read(dialog);
    options.shrink = kShrink.Read(dialog);
    options.area = WorkArea(dialog);
    return options;
}

// Works out the result from the image as it is now and has the main window show it at once.
void MakePreview(HWND dialog)
{
    State().previewPending = false;
    if (!g_document.Image())
        return;
    const RefineEdgeOptions options = ReadOptions(dialog);
    ShowPreviewNow([&options](const PixelRows& pixels, ImageSize size, ColourKeyResult& result) {
        return RefineEdge(pixels, size, options, result);
    });
}

void ShowMatte(HWND dialog)
{
    ShowColour(dialog, IDC_MATTE_SWATCH, IDC_MATTE_COLOUR, State().matte);
}

// The colour the picture's edge is most mixed with, over the whole image.
ArgbValue FoundMatte()
{
    const ImageHandle* image = g_document.Image();
    ArgbValue matte = kOpaqueWhite;
    if (image)
        image->UsePixels(WholeOf(image->Size()), false, [&](const PixelRows& rows) {
            matte = FindMatte(rows, image->Size(), WholeOf(image->Size()));
        });
    return matte;
}

class RefineEdgeTool final : public ImageTool {
public:
    HWND Dialog() const override { return State().dialog; }
    void Close() override { CloseDialog(); }
    // The clicked pixel's colour, as it is in the image, becomes the matte; the pick goes on.
    bool Press(const MousePoint& point, bool) override
    {
        ArgbValue colour = 0;
        if (g_document.Image() && IsInImage(point.pixel) &&
            g_document.Image()->GetPixel(static_cast<std::uint32_t>(point.pixel.x),
                                         static_cast<std::uint32_t>(point.pixel.y), colour)) {
            State().matte = colour | kOpaqueBlack;
            ShowMatte(State().dialog);
            MakePreview(State().dialog);
        }
        return false;
    }
    void Follow(const ImageChange& change) override
    {
        if (change.kind == ImageChangeKind::kPixels)
            MakePreview(State().dialog);
        else if (change.kind == ImageChangeKind::kRange && IsChecked(State().dialog, IDC_REFINE_IN_RANGE))
            RequestPreview(State().dialog, State().previewPending);
    }
    bool ShowsPreview() const override { return true; }
};

RefineEdgeTool& Tool()
{
    static RefineEdgeTool tool;
    return tool;
}

void OnInitDialog(HWND dialog)
{
    State().dialog = dialog;
    kWidth.Start(dialog, kDefaultEdgeWidth);
    kShrink.Start(dialog, kDefaultEdgeShrink);
    ForwardShortcutsFromControls(dialog);  // undo, redo and the zooms work from here too
    SetFocus(GetDlgItem(dialog, IDC_EDGE_WIDTH));
}

// The result goes to the image once the dialog is closed, so that nothing follows it.
void OnApply(HWND dialog)
{
    if (State().previewPending)
        MakePreview(dialog);
    ApplyPreviewAndClose(Tool());
}

void OnCommand(HWND dialog, WORD id, WORD notification)
{
    switch (id) {
    case IDOK:     OnApply(dialog); break;
    case IDCANCEL: CloseDialog(); break;
    case IDC_EDGE_WIDTH:
        if (notification == EN_CHANGE) {
            kWidth.FollowField(dialog);
            RequestPreview(dialog, State().previewPending);
        }
        break;
    case IDC_EDGE_SHRINK:
        if (notification == EN_CHANGE)
            RequestPreview(dialog, State().previewPending);
        break;
    case IDC_REFINE_IN_RANGE:
        if (notification == BN_CLICKED)
            RequestPreview(dialog, State().previewPending);
        break;
    default: break;
    }
}

// The swatch's picture belongs to the dialog, and goes with it.
void OnDestroy(HWND dialog)
{
    DeleteSwatchPicture(dialog, IDC_MATTE_SWATCH);
}

INT_PTR CALLBACK RefineEdgeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); return FALSE;  // the focus is set
    case WM_COMMAND:    OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_HSCROLL:    kWidth.FollowSlider(dialog, reinterpret_cast<HWND>(lParam)); return TRUE;
    case WM_CLOSE:      CloseDialog(); return TRUE;
    case WM_DESTROY:    OnDestroy(dialog); return TRUE;
    case kMakePreview:
        if (State().previewPending)
            MakePreview(dialog);
        return TRUE;
    default: return FALSE;
    }
}

void CloseDialog()
{
    HWND dialog = State().dialog;
    if (!dialog)
        return;
    State().dialog = nullptr;
    State().previewPending = false;
    EndTool(Tool());
    DestroyWindow(dialog);
    EndPreviewShown();
}

}  // namespace

bool HasEdgeToRefine()
{
    const ImageHandle* image = g_document.Image();
    bool found = false;
    if (image && g_document.GetImageSize().width > 0)
        image->UsePixels(WholeOf(image->Size()), false,
                         [&](const PixelRows& rows) { found = HasTransparency(rows, image->Size()); });
    return found;
}

void OpenRefineEdgeDialog(HWND mainWindow)
{
    if (!BeginToolOnImage(Tool()))
        return;
    State().matte = FoundMatte();
    if (HWND dialog = CreateToolDialog(Tool(), IDD_REFINE_EDGE, RefineEdgeDialogProc, mainWindow)) {
        ShowMatte(dialog);
        MakePreview(dialog);
    }
}
