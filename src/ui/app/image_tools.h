#pragma once
// The one door for tools that borrow the image while their modeless dialog is open (making a
// colour transparent, the brush). At most one is open: opening one closes another as its
// Cancel would. The main window hands the open tool its clicks and drags on the image before
// the pick and the range drag see them, draws what the tool draws over the view, and gives
// the keyboard back after each fit; the image's changes reach the tool through
// AnnounceImageChange. No tool is called by name from anywhere else.
#include <windows.h>

#include "image_events.h"
#include "view_scale.h"

// Where the mouse is over the image: the pixel under it, and the point in image pixels with
// its fraction (a pixel's centre is at its coordinate plus one half), both possibly outside
// the image.
struct MousePoint {
    POINT pixel = {};
    double x = 0;
    double y = 0;
};

class ImageTool {
public:
    virtual ~ImageTool() = default;

    // The tool's dialog while it is open; null otherwise.
    virtual HWND Dialog() const = 0;
    // Closes the dialog as its Cancel does; nothing when it is closed.
    virtual void Close() = 0;

    // The left button went down over the image, with shift telling whether Shift was held.
    // True when the tool takes the press and the drag that may follow: the pick and the
    // range drag then leave it alone. False lets them go on as without the tool.
    virtual bool Press(const MousePoint& point, bool shift) = 0;
    // The mouse moved, or the button came up, during a press the tool took.
    virtual void Drag(const MousePoint&) {}
    virtual void Release(const MousePoint&) {}
    // The mouse is over the client area, no button held: the tool may draw its cursor.
    virtual void Hover(const MousePoint*) {}

    // The image or the range changed while the tool is open.
    virtual void Follow(const ImageChange&) {}
    // Whether the view shows the tool's preview (the view's ToolPreview) instead of the image.
    virtual bool ShowsPreview() const { return false; }
    // Draws over the view's client area, after the image and the outline.
    virtual void DrawOver(HDC, const ViewPlace&) const {}
};

// Makes tool the open one, closing another that is open as its Cancel would. The tool calls
// it as its dialog opens.
void BeginTool(ImageTool& tool);
// The tool calls it once its dialog is gone.
void EndTool(const ImageTool& tool);

// The open tool, or null.
ImageTool* OpenTool();

// Closes the open tool as its Cancel would; nothing when none is open.
void CloseOpenTool();

// The image or the range changed: the open tool follows. For AnnounceImageChange.
void FollowInOpenTool(const ImageChange& change);

// Whether the view shows the open tool's preview.
bool IsToolPreviewShown();

// Gives the open tool's dialog the keys it takes as a dialog (Tab, Enter, Esc): true when
// message was its and has been handled. The main loop asks it first.
bool IsToolDialogMessage(MSG* message);

// Hands the keyboard back to the control of a tool or the panel that had it, once the main
// window's fit has activated the main window. Made before the fit, it does so as it goes.
class KeyboardKeeper {
public:
    explicit KeyboardKeeper(HWND mainWindow) noexcept;
    ~KeyboardKeeper();
    KeyboardKeeper(const KeyboardKeeper&) = delete;
    KeyboardKeeper& operator=(const KeyboardKeeper&) = delete;

private:
    HWND mainWindow_;
    HWND focus_;
};
