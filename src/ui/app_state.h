#pragma once
// The program's long-lived state: the handles that connect its window procedures and
// the two objects that live for the whole run.
#include <windows.h>

class ImageDocument;
class ImageSaver;

struct AppHandles {
    HINSTANCE instance = nullptr;  // set by WinMain once the main window exists; owns the resources
    HWND mainWindow = nullptr;     // set on every main window message; read by the tool panel
    HWND toolPanel = nullptr;      // set when the main window is created; owns the exit question
    HWND swatch = nullptr;         // set when the tool panel starts; shows the picked colour
};

extern AppHandles g_app;
extern ImageDocument g_document;  // the one document: image, range, outline, file names
extern ImageSaver g_saver;        // the one save object: save dialog choices, JPEG quality

// Lets go of every image the program holds. Called once, before GDI+ shuts down.
void ReleaseAllImages();
