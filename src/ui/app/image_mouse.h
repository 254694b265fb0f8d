#pragma once
// What the left button does over the main window's image: the open tool sees the press
// first (image_tools.h); a press it does not take picks the colour, as a click always has,
// and may start a drag that chooses the range. Points are the main window's client points.
#include <windows.h>

void PressOnImage(HWND mainWindow, POINT client, bool shift);
// The mouse moved, with the left button held or not.
void MoveOnImage(HWND mainWindow, POINT client, bool buttonHeld);
void ReleaseOnImage(HWND mainWindow, POINT client);
// The mouse capture went to another window: what the press started ends where it is.
void LoseImageCapture(HWND mainWindow, HWND newCapture);
