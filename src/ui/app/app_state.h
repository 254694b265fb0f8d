#pragma once
// The program's long-lived state, all of it: the handles that connect its window procedures,
// the two objects that live for the whole run, the edit history, and what the user
// interface keeps between messages. Nothing else in the program holds mutable state.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "alpha_brush.h"

#include "tool_preview.h"
#include "reduced_view.h"
#include "view_scale.h"

class EditHistory;
class ImageDocument;
class ImageSaver;
class ImageTool;

struct AppHandles {
    // Set by WinMain once the main window exists, before it is shown; read by the main
    // window's Save As, which makes the JPEG quality dialog from its resources.
    HINSTANCE instance = nullptr;
    // Set on every message of the main window procedure; read by the tool panel, whose
    // buttons repaint the main window and whose close box asks it the exit question.
    HWND mainWindow = nullptr;
    // Set when the main window is created; read by the main window (owner of the exit
    // question) and by the colour pick, which writes the panel's fields.
    HWND toolPanel = nullptr;
    // Set when the tool panel starts; read by the colour pick, which gives it the swatch
    // picture, and by the main window's click handler, which repaints it.
    HWND swatch = nullptr;
};

// One direction of the view, in view pixels: the image at the zoom (at 100% they are image
// pixels).
struct ViewAxis {
    int extent = 0;    // the view's size in this direction: the image's at the zoom
    int page = 0;      // the client area's size in this direction
    int position = 0;  // the view pixel at the client area's first pixel

    int LastPosition() const { return std::max(0, extent - page); }
    bool NeedsBar() const { return extent > page; }
    bool operator==(const ViewAxis& other) const
    {
        return extent == other.extent && page == other.page && position == other.position;
    }
};

struct ViewAxes {
    ViewAxis horizontal;
    ViewAxis vertical;
};

// Which part of the image the main window shows, and how. Every field is changed through
// scroll_view.h, the view's one owner; the rest of the program reads it.
struct ViewState {
    // Written by the window's fit and by scrolling; read by the paint, the pick and the drag.
    ViewAxes axes;
    // What the scroll bars were last told, so that an unchanged view leaves them be. Written
    // and read by scrolling alone.
    ViewAxes onBars;
    // The zoom: written by the zoom commands and put back to 100% by every open; read by the
    // paint, the fit, and every mapping between client points and image pixels.
    ViewScale scale;
    // The image at the zoom while it is below 100%, made by the zoom commands and kept up to
    // date by the edits, undo and redo; read by the paint.
    ReducedView reduced;
    // Whether a checkerboard shows through transparent pixels: written by its menu item (it
    // stays for the run, through every open); read by the paint and the menu's check mark.
    bool checkerboard = false;
    // What the Ctrl+wheel has turned short of a whole notch; written and read by its zoom.
    int wheelTurn = 0;
    // What the open tool would do to the image, shown while the tool says so: made at the
    // tool's asking (and again for the changes it follows), its reduced view made again by the
    // zooms, all through scroll_view.h; read by the paint, which then shows it over the
    // checkerboard.
    ToolPreview preview;
    // Memory for the preview, made on a thread of its own while the context menu is open,
    // and taken by the preview of the tool chosen there.
    MemoryWarmer previewMemory;

    // The zoom and the view pixel at the client area's top-left corner, for the mapping
    // between client points and image pixels (view_scale.h).
    ViewPlace Place() const { return {scale, {axes.horizontal.position, axes.vertical.position}}; }
};

// A range being chosen by dragging over the image.
struct DragState {
    bool pressed = false;     // the button is down, since a press over the image
    bool dragging = false;    // and the mouse has moved past the threshold since
    POINT pressClient = {};   // where the press was, in client coordinates
    POINT pressPixel = {};    // the image pixel pressed
    POINT currentPixel = {};  // the image pixel under the cursor now
    // The tooltip telling the range: made at a main window's first drag and kept with it.
    HWND tooltip = nullptr;
};

// The dialog that makes a colour transparent, and what it works from.
struct ColourKeyState {
    // The dialog while it is open: set and cleared by the dialog itself, which the tools' door
    // asks for it.
    HWND dialog = nullptr;
    // The key colour and the starting pixel: set when the dialog opens and by a click on the
    // image while it is open; read by the colour work.
    ArgbValue key = 0;
    POINT start = {};
    // More starting pixels for a background the subject cuts in parts: added by Shift+click,
    // emptied when the colour is chosen again; read by the colour work.
    std::vector<ImagePoint> moreStarts;
    // The picture is noisy (a JPEG): its starting tolerance, measured when the dialog opens, is
    // above the clean picture's; read by the colour work.
    bool noisyPicture = false;
    // A preview asked for and not yet made: set and cleared by the dialog, which makes one
    // preview for a burst of changes (the four range fields written at once).
    bool previewPending = false;
};

// The alpha brush's dialog, its settings (kept for the run) and the stroke being painted.
struct BrushState {
    // The dialog while it is open: set and cleared by the dialog itself.
    HWND dialog = nullptr;
    // Written by the dialog's fields, read when a stroke begins and when the dialog opens.
    BrushSettings settings;
    // The stroke while the button is held over the image, null otherwise; and where the last
    // stroke ended, from which a Shift+click draws a straight one.
    std::unique_ptr<BrushStroke> stroke;
    bool hasLastPoint = false;
    BrushPoint lastPoint;
    // The brush's circle as drawn over the client area (inverting what is under it), to be
    // taken away before it moves.
    bool circleShown = false;
    POINT circleCentre = {};
};

// The dialog that cleans the edge of a cut-out, and the matte it works with.
struct RefineEdgeState {
    HWND dialog = nullptr;     // set and cleared by the dialog itself
    ArgbValue matte = 0;       // found when it opens, chosen again by a click on the image
    bool previewPending = false;  // as the colour key dialog's
};

// What the user interface keeps between messages.
struct UiState {
    ViewState view;
    // Written by the main window's mouse handlers through the range drag; read by its paint,
    // which draws the dragged rectangle in the outline's place.
    DragState drag;
    // Set by the panel's controls when a key has just run as a shortcut, and cleared by the
    // character message it was also translated into, which must not reach the control.
    bool swallowCharacter = false;
    // Set while the owned windows are put back above the main window, whose moves come back
    // to the main window; read there, so that they do not start the same again.
    bool restacking = false;
    // The image pixel of the last colour pick on the image open now: written by the pick,
    // cleared by opening, read by the context menu opened from the keyboard.
    bool picked = false;
    POINT lastPick = {};
    // The tool whose dialog is open, or null: set and cleared through the tools' door
    // (image_tools.h), which alone reads it.
    ImageTool* tool = nullptr;
    // Set while a press on the image that the open tool took goes on: written and read by the
    // main window's mouse (image_mouse.h).
    bool toolPressed = false;
    ColourKeyState colourKey;
    BrushState brush;
    RefineEdgeState refineEdge;
};

extern AppHandles g_app;
// The one document: image, range, outline, file names. Changed by the tool panel (range,
// outline, alpha edit) and by opening; read by the main window's paint and the colour pick.
extern ImageDocument g_document;
// The one save object: save dialog choices, JPEG quality, pending JPEG saves. Used by the
// main window's Save As and by the quality dialogs it opens.
extern ImageSaver g_saver;
// The edits of the image the document holds, to undo and redo: recorded, undone and
// redone by the editing commands, emptied by every open.
extern EditHistory g_history;
// The user interface's own state, field by field above.
extern UiState g_ui;

// Lets go of every image the program holds. Called once, before GDI+ shuts down.
void ReleaseAllImages();

// Puts all of the state above back as it is when the program starts. The program starts with
// it so; a test that made windows of its own calls it once they are gone.
void ResetAppState();
