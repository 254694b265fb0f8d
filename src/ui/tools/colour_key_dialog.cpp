#include "colour_key_dialog.h"

#include <commctrl.h>

#include "alpha_edit.h"
#include "app_state.h"
#include "editing.h"
#include "fitted_dialog.h"
#include "image_document.h"
#include "image_tools.h"
#include "resource.h"
#include "scroll_view.h"
#include "shortcuts.h"
#include "tool_dialog.h"

namespace {

ColourKeyState& State()
{
    return g_ui.colourKey;
}

void CloseDialog();
void OnApply(HWND dialog);

// The tolerance: a number past 255 counts as 255.
constexpr NumberField kTolerance = {IDC_TOLERANCE, IDC_TOLERANCE_SLIDER, 0, 255, 3};

ColourKeyOptions ReadOptions(HWND dialog)
{
    ColourKeyOptions options;
    options.key = State().key;
    options.tolerance = kTolerance.Read(dialog);
    options.connected = IsChecked(dialog, IDC_CONNECTED);
    options.startX = static_cast<std::uint32_t>(State().start.x);
    options.startY = static_cast<std::uint32_t>(State().start.y);
    options.moreStarts = State().moreStarts;
    options.area = IsChecked(dialog, IDC_IN_RANGE) ? AlphaEditArea(g_document) : WholeOf(g_document.GetImageSize());
    options.cleanEdges = IsChecked(dialog, IDC_CLEAN_EDGES);
    options.softShadows = IsChecked(dialog, IDC_SOFT_SHADOWS);
    options.noisyPicture = State().noisyPicture;
    return options;
}

// Works out the result from the image as it is now and has the main window show it at once;
// its paint gives the keyboard back to the control that had it.
void MakePreview(HWND dialog)
{
    State().previewPending = false;
    if (!g_document.Image())
        return;
    const ColourKeyOptions options = ReadOptions(dialog);
    ShowPreviewNow([&options](const PixelRows& pixels, ImageSize size, ColourKeyResult& result) {
        return MakeColourTransparent(pixels, size, options, result);
    });
}

// Takes the key from the image itself, never from the preview.
void SetKeyAt(POINT pixel)
{
    ArgbValue colour = kOpaqueBlack;
    g_document.Image()->GetPixel(static_cast<std::uint32_t>(pixel.x), static_cast<std::uint32_t>(pixel.y), colour);
    State().key = colour;
    State().start = pixel;
    State().moreStarts.clear();
}

// The tolerance the background around the start needs: 8 for a clean one, more for a JPEG's
// noise, or a picture's own grain.
std::uint32_t MeasuredTolerance()
{
    const ImageHandle* image = g_document.Image();
    std::uint32_t tolerance = kDefaultTolerance;
    image->UsePixels(WholeOf(image->Size()), false, [&](const PixelRows& rows) {
        tolerance = StartingTolerance(rows, image->Size(), State().key, static_cast<std::uint32_t>(State().start.x),
                                      static_cast<std::uint32_t>(State().start.y),
                                      g_document.FromLossyFile() ? PictureSaved::Lossy : PictureSaved::Lossless);
    });
    return tolerance;
}

// Whether the preview already shows pixel as made transparent: a start there adds nothing.
bool IsClearedInPreview(POINT pixel)
{
    const ToolPreview& preview = g_ui.view.preview;
    const ImageRect& changed = preview.Changed();
    if (!Contains(changed, pixel.x, pixel.y))
        return false;
    const ArgbValue shown = preview.Rows().Row(static_cast<std::uint32_t>(pixel.y) - changed.y)[pixel.x - changed.x];
    return (shown >> 24) == 0;
}

void ShowKey(HWND dialog)
{
    ShowColour(dialog, IDC_KEY_SWATCH, IDC_KEY_COLOUR, State().key);
}

void OnInitDialog(HWND dialog)
{
    CheckRadioButton(dialog, IDC_CONNECTED, IDC_EVERYWHERE, IDC_CONNECTED);
    CheckDlgButton(dialog, IDC_CLEAN_EDGES, BST_CHECKED);
    ForwardShortcutsFromControls(dialog);  // undo, redo and the zooms work from here too
    State().dialog = dialog;
    const std::uint32_t measured = MeasuredTolerance();
    State().noisyPicture = measured > kDefaultTolerance;
    kTolerance.Start(dialog, measured);
    SetFocus(GetDlgItem(dialog, IDC_TOLERANCE));
}

// The field moves the slider; typed or written by the slider, the preview follows.
void OnToleranceTyped(HWND dialog)
{
    kTolerance.FollowField(dialog);
    RequestPreview(dialog, State().previewPending);
}

// A preview made in the meantime (by a click, an edit, OK) leaves nothing to do.
void OnPreviewRequested(HWND dialog)
{
    if (State().previewPending)
        MakePreview(dialog);
}

// The swatch's picture belongs to the dialog, and goes with it.
void OnDestroy(HWND dialog)
{
    DeleteSwatchPicture(dialog, IDC_KEY_SWATCH);
}

void OnToleranceField(HWND dialog, WORD notification)
{
    if (notification == EN_CHANGE)
        OnToleranceTyped(dialog);
}

void OnOptionButton(HWND dialog, WORD notification)
{
    if (notification == BN_CLICKED)
        RequestPreview(dialog, State().previewPending);
}

void OnCommand(HWND dialog, WORD id, WORD notification)
{
    switch (id) {
    case IDOK:             OnApply(dialog); break;
    case IDCANCEL:         CloseDialog(); break;
    case IDC_TOLERANCE:    OnToleranceField(dialog, notification); break;
    case IDC_CONNECTED:
    case IDC_EVERYWHERE:
    case IDC_IN_RANGE:
    case IDC_CLEAN_EDGES:
    case IDC_SOFT_SHADOWS: OnOptionButton(dialog, notification); break;
    default:               break;
    }
}

INT_PTR CALLBACK ColourKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); return FALSE;  // the focus is set
    case WM_COMMAND:    OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_HSCROLL:    kTolerance.FollowSlider(dialog, reinterpret_cast<HWND>(lParam)); return TRUE;
    case WM_CLOSE:      CloseDialog(); return TRUE;
    case WM_DESTROY:    OnDestroy(dialog); return TRUE;
    case kMakePreview:  OnPreviewRequested(dialog); return TRUE;
    default:            return FALSE;
    }
}

HWND CreateColourKeyDialog(HWND mainWindow)
{
    return CreateFittedDialog(GetModuleHandleA(nullptr), IDD_COLOUR_KEY, mainWindow,
                              ColourKeyDialogProc, 0);
}

// The colour work's tool: a click on the image chooses the colour and the start again and goes
// on to pick, as a click always does; the view shows its preview.
class ColourKeyTool final : public ImageTool {
public:
    HWND Dialog() const override { return State().dialog; }
    void Close() override { CloseDialog(); }
    // A click chooses the colour and the start again; with Shift, on the connected background,
    // it adds another part of the background, keeping the colour.
    bool Press(const MousePoint& point, bool shift) override
    {
        if (shift && IsChecked(State().dialog, IDC_CONNECTED))
            AddStart(point.pixel);
        else
            ChooseAgain(point.pixel);
        return false;
    }
    void Follow(const ImageChange& change) override
    {
        if (change.kind == ImageChangeKind::kPixels)
            MakePreview(State().dialog);  // an edit, undo or redo under the dialog
        else if (change.kind == ImageChangeKind::kRange && IsChecked(State().dialog, IDC_IN_RANGE))
            RequestPreview(State().dialog, State().previewPending);  // once for the four fields written together
    }
    bool ShowsPreview() const override { return true; }

private:
    static void AddStart(POINT pixel)
    {
        if (!g_document.Image() || !IsInImage(pixel) || IsClearedInPreview(pixel))
            return;
        State().moreStarts.push_back({static_cast<std::uint32_t>(pixel.x), static_cast<std::uint32_t>(pixel.y)});
        MakePreview(State().dialog);
    }

    // Chooses the colour of image pixel `pixel` (as it is in the image, not in the preview) and
    // that pixel as the start again; nothing for a pixel outside the image.
    static void ChooseAgain(POINT pixel)
    {
        if (!g_document.Image() || !IsInImage(pixel))
            return;
        SetKeyAt(pixel);
        ShowKey(State().dialog);
        MakePreview(State().dialog);
    }
};

ColourKeyTool& Tool()
{
    static ColourKeyTool tool;
    return tool;
}

// The result goes to the image once the dialog is closed, so that nothing follows it.
void OnApply(HWND dialog)
{
    if (State().previewPending)
        MakePreview(dialog);
    ApplyPreviewAndClose(Tool());
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

void OpenColourKeyDialog(HWND mainWindow, POINT pixel, POINT at)
{
    if (!g_document.HasImage() || !g_document.Image() || !IsInImage(pixel))
        return;
    BeginTool(Tool());
    SetKeyAt(pixel);
    HWND dialog = State().dialog ? State().dialog : CreateColourKeyDialog(mainWindow);
    if (!dialog) {
        EndTool(Tool());
        return;
    }
    ShowKey(dialog);
    PlaceAwayFrom(dialog, at);
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    MakePreview(dialog);
}
