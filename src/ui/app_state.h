#pragma once
// The program's long-lived state: the handles that connect its window procedures and
// the two objects that live for the whole run.
#include <windows.h>

class EditHistory;
class ImageDocument;
class ImageSaver;

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

// Lets go of every image the program holds. Called once, before GDI+ shuts down.
void ReleaseAllImages();
