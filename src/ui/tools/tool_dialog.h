#pragma once
// What the tools' dialogs share: a place beside a point that does not cover it, a number
// field with a slider that move together, and a colour shown as a swatch and "R, G, B".
#include <windows.h>

#include <cstdint>

#include "pixel_rows.h"
#include "image_tools.h"
#include "tool_preview.h"

// Places dialog beside screen point at, right of it if the work area has room, else left of
// it, else above or below it, so that the point stays in sight.
void PlaceAwayFrom(HWND dialog, POINT at);

// Places dialog where it covers the least of window's client area: beside the window's frame
// when the work area has room there, else in the corner of the work area that covers least.
void PlaceBesideWindow(HWND dialog, HWND window);

// Begins tool on an image with pixels: true when its dialog is still to be made; false when
// there is no such image, or when the dialog is open already, which is then brought forward.
bool BeginToolOnImage(ImageTool& tool);

// Creates a tool's modeless dialog from its template, owned by mainWindow, and shows it where
// it covers the least of the image; the tool's door is closed again when it cannot be made.
// The dialog, or null.
HWND CreateToolDialog(ImageTool& tool, int templateId, DLGPROC procedure, HWND mainWindow);

// A number field of a dialog with the slider that moves with it, for values low to high.
struct NumberField {
    int field;
    int slider;  // 0 for a field without one
    std::uint32_t low;
    std::uint32_t high;
    std::uint32_t digits;  // what the field takes: a larger number counts as high anyway

    // Sets the slider's range and the field's length, and writes value (moving the slider).
    void Start(HWND dialog, std::uint32_t value) const;
    // The field's number, read unsigned as the panel's fields are, held to low … high.
    std::uint32_t Read(HWND dialog) const;
    // The field changed: the slider follows, and the number is returned.
    std::uint32_t FollowField(HWND dialog) const;
    // A slider of the dialog moved: when it is this one, the field takes its position (its
    // own notification then follows). True when it was this one.
    bool FollowSlider(HWND dialog, HWND control) const;
};

// Shows colour's red, green and blue in the dialog's swatch and as "R, G, B" in its text field.
void ShowColour(HWND dialog, int swatch, int text, ArgbValue colour);
// Deletes the picture ShowColour gave the swatch, which belongs to the dialog: as it goes.
void DeleteSwatchPicture(HWND dialog, int swatch);

// Takes the tool's previewed result, closes its dialog (so that nothing follows the change)
// and applies the result as one step of the edit history.
void ApplyPreviewAndClose(ImageTool& tool);

// The message a previewing tool's dialog posts itself, so that a burst of changes (the four
// range fields written at once) makes one preview.
constexpr UINT kMakePreview = WM_APP + 1;

// Posts kMakePreview to dialog unless one is pending already; pending says so.
void RequestPreview(HWND dialog, bool& pending);

// The view shows what work would make of the document's image, at once; the main window's
// paint gives the keyboard back to the control that had it.
void ShowPreviewNow(const PreviewWork& work);

// A previewing tool's dialog is closing: the view shows the image as it is again.
void EndPreviewShown();

// Whether a check box or radio button of the dialog is checked.
bool IsChecked(HWND dialog, int id);
