#include "alpha_brush_dialog.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "app_state.h"
#include "edit_history.h"
#include "gdi_objects.h"
#include "image_document.h"
#include "image_events.h"
#include "image_tools.h"
#include "resource.h"
#include "scroll_view.h"
#include "shortcuts.h"
#include "tool_dialog.h"

namespace {

constexpr NumberField kSize = {IDC_BRUSH_SIZE, IDC_BRUSH_SIZE_SLIDER, kMinBrushDiameter, kMaxBrushDiameter, 4};
constexpr NumberField kHardness = {IDC_BRUSH_HARDNESS, IDC_BRUSH_HARDNESS_SLIDER, 0, kMaxBrushHardness, 3};
constexpr NumberField kAlpha = {IDC_BRUSH_ALPHA, IDC_BRUSH_ALPHA_SLIDER, 0, kMaxBrushAlpha, 3};

BrushState& State()
{
    return g_ui.brush;
}

void CloseDialog();

// The settings as the dialog shows them now.
void ReadSettings(HWND dialog)
{
    BrushSettings& settings = State().settings;
    settings.diameter = kSize.Read(dialog);
    settings.hardness = kHardness.Read(dialog);
    settings.alpha = kAlpha.Read(dialog);
    settings.mode = IsChecked(dialog, IDC_BRUSH_RESTORE) ? BrushMode::Restore : BrushMode::PaintAlpha;
}

// The brush's circle at the view's zoom, around a client point, inverting what is under it so
// that it shows on any colour. Drawn twice it is gone.
void InvertCircle(HDC dc, POINT centre)
{
    const ViewScale scale = Reduced(ViewZoom());
    const double radius = State().settings.diameter / 2.0 * scale.numerator / scale.denominator;
    const int r = std::max(1, static_cast<int>(std::lround(radius)));
    const int oldMode = SetROP2(dc, R2_NOT);
    const SelectedObject hollow(dc, GetStockObject(NULL_BRUSH));
    const SelectedObject pen(dc, GetStockObject(BLACK_PEN));
    Ellipse(dc, centre.x - r, centre.y - r, centre.x + r + 1, centre.y + r + 1);
    SetROP2(dc, oldMode);
}

void InvertCircleOnWindow(POINT centre)
{
    const WindowDC dc(g_app.mainWindow);
    if (dc.Get())
        InvertCircle(dc.Get(), centre);
}

void HideCircle()
{
    if (!State().circleShown)
        return;
    State().circleShown = false;
    InvertCircleOnWindow(State().circleCentre);
}

void ShowCircleAt(POINT centre)
{
    HideCircle();
    State().circleCentre = centre;
    State().circleShown = true;
    InvertCircleOnWindow(centre);
}

// Where the mouse point lies on the client area.
POINT ClientOf(const MousePoint& point)
{
    const ViewScale scale = Reduced(ViewZoom());
    const POINT origin = ViewOrigin();
    return {static_cast<LONG>(std::floor(point.x * scale.numerator / scale.denominator)) - origin.x,
            static_cast<LONG>(std::floor(point.y * scale.numerator / scale.denominator)) - origin.y};
}

BrushPoint BrushPointOf(const MousePoint& point)
{
    return {point.x, point.y};
}

// Paints part of the stroke into the image, which the window then shows at once. A stroke
// that cannot keep what it changes ends there.
template <typename Paint>
void PaintIntoImage(Paint paint)
{
    ImageHandle* image = g_document.Image();
    BrushStroke* stroke = State().stroke.get();
    if (!image || !stroke)
        return;
    PixelRows original = {};
    if (State().settings.mode == BrushMode::Restore)
        original = g_history.OriginalRows(*image);
    ImageRect changed;
    try {
        image->UsePixels(WholeOf(image->Size()), true, [&](const PixelRows& rows) {
            changed = paint(*stroke, BrushCanvas{rows, original});
        });
    } catch (const std::bad_alloc&) {
        changed = stroke->Changed();
    }
    HideCircle();
    ShowImagePart(g_app.mainWindow, changed);
}

// The stroke becomes one step of the history: Ctrl+Z gives back every pixel it changed.
void EndStroke()
{
    std::unique_ptr<BrushStroke> stroke = std::move(State().stroke);
    ImageHandle* image = g_document.Image();
    if (!stroke || !stroke->HasBegun() || !image)
        return;
    State().hasLastPoint = true;
    State().lastPoint = stroke->LastPoint();
    const ImageRect changed = stroke->Changed();
    std::vector<PixelTile> tiles = stroke->TakeTilesBefore();
    g_history.KeepMadeEdit(*image, tiles);
    AnnounceImageChange({ImageChangeKind::kPixels, changed});
}

class AlphaBrushTool final : public ImageTool {
public:
    HWND Dialog() const override { return State().dialog; }
    void Close() override { CloseDialog(); }

    bool Press(const MousePoint& point, bool shift) override
    {
        ImageHandle* image = g_document.Image();
        ReadSettings(State().dialog);
        // The restore brush paints back the image as it was opened: without it, nothing.
        if (!image || (State().settings.mode == BrushMode::Restore && !g_history.OriginalRows(*image).first)) {
            MessageBeep(MB_ICONEXCLAMATION);
            return true;
        }
        State().stroke = std::make_unique<BrushStroke>(State().settings, image->Size());
        const BrushPoint at = BrushPointOf(point);
        if (shift && State().hasLastPoint) {
            const BrushPoint from = State().lastPoint;
            PaintIntoImage([&](BrushStroke& stroke, const BrushCanvas& canvas) { return stroke.Line(from, at, canvas); });
        } else {
            PaintIntoImage([&](BrushStroke& stroke, const BrushCanvas& canvas) { return stroke.Begin(at, canvas); });
        }
        return true;
    }
    void Drag(const MousePoint& point) override
    {
        const BrushPoint at = BrushPointOf(point);
        PaintIntoImage([&](BrushStroke& stroke, const BrushCanvas& canvas) { return stroke.MoveTo(at, canvas); });
        ShowCircleAt(ClientOf(point));
    }
    void Release(const MousePoint& point) override
    {
        Drag(point);
        EndStroke();
    }
    void Hover(const MousePoint* point) override
    {
        if (point)
            ShowCircleAt(ClientOf(*point));
        else
            HideCircle();
    }
    // The circle is drawn again wherever the paint drew the image over it.
    void DrawOver(HDC dc, const ViewPlace&) const override
    {
        if (State().circleShown)
            InvertCircle(dc, State().circleCentre);
    }
};

AlphaBrushTool& Tool()
{
    static AlphaBrushTool tool;
    return tool;
}

void OnInitDialog(HWND dialog)
{
    State().dialog = dialog;
    const BrushSettings settings = State().settings;
    kSize.Start(dialog, settings.diameter);
    kHardness.Start(dialog, settings.hardness);
    kAlpha.Start(dialog, settings.alpha);
    CheckRadioButton(dialog, IDC_BRUSH_PAINT, IDC_BRUSH_RESTORE,
                     settings.mode == BrushMode::Restore ? IDC_BRUSH_RESTORE : IDC_BRUSH_PAINT);
    ForwardShortcutsFromControls(dialog);  // undo, redo and the zooms work from here too
}

void OnCommand(HWND dialog, WORD id, WORD notification)
{
    switch (id) {
    case IDCANCEL: CloseDialog(); break;
    case IDC_BRUSH_SIZE:
    case IDC_BRUSH_HARDNESS:
    case IDC_BRUSH_ALPHA:
        if (notification == EN_CHANGE) {
            for (const NumberField& field : {kSize, kHardness, kAlpha})
                if (field.field == id)
                    field.FollowField(dialog);
            ReadSettings(dialog);
        }
        break;
    case IDC_BRUSH_PAINT:
    case IDC_BRUSH_RESTORE: ReadSettings(dialog); break;
    default:                break;
    }
}

void OnSlider(HWND dialog, HWND control)
{
    for (const NumberField& field : {kSize, kHardness, kAlpha})
        if (field.FollowSlider(dialog, control))
            return;
}

INT_PTR CALLBACK AlphaBrushDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); return TRUE;
    case WM_COMMAND:    OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_HSCROLL:    OnSlider(dialog, reinterpret_cast<HWND>(lParam)); return TRUE;
    case WM_CLOSE:      CloseDialog(); return TRUE;
    default:            return FALSE;
    }
}

// Strokes made stay made: each is already a step of the history.
void CloseDialog()
{
    HWND dialog = State().dialog;
    if (!dialog)
        return;
    EndStroke();
    HideCircle();
    State().dialog = nullptr;
    EndTool(Tool());
    DestroyWindow(dialog);
}

}  // namespace

void OpenAlphaBrushDialog(HWND mainWindow)
{
    if (!BeginToolOnImage(Tool()))
        return;
    CreateToolDialog(Tool(), IDD_ALPHA_BRUSH, AlphaBrushDialogProc, mainWindow);
}
