#pragma once
// Dialogs made from the program's templates with a font their labels fit. The templates name
// Japanese faces whose kana are proportional, and their labels are laid out for those widths.
// Where the system lacks the face, as a Wine prefix without font settings does, it may put a
// fixed-pitch font in its place, whose kana each take a full cell, and the labels lose their
// ends ("から" shows as "か"). Then the dialog is made from a copy of its template that names a
// proportional Japanese gothic the system has. Where the face comes out proportional, as on
// Windows, nothing changes. (files is the lowest layer with dialogs; the interface's use it too.)
#include <windows.h>

#include <vector>

// Makes the modeless dialog of template templateId as CreateDialogParamA does, with a font its
// labels fit (see above).
HWND CreateFittedDialog(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure, LPARAM parameter);

// True when face, asked for at charset, comes out as a proportional font.
bool ProportionalFace(const wchar_t* face, BYTE charset);

// The first of the proportional Japanese gothics the system has that comes out as itself and
// proportional; nullptr when it has none.
const wchar_t* ProportionalJapaneseFace();

// A copy of the extended dialog template of size bytes with its typeface replaced by face;
// empty when it is not an extended template with a font.
std::vector<DWORD> WithTypeface(const BYTE* bytes, DWORD size, const wchar_t* face);
