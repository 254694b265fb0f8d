#pragma once
#include <windows.h>

// A window's client size and outer size, measured now: the client rectangle first, then
// the window rectangle. The difference is what the frame, caption and menu bar take.
struct WindowMeasure {
    SIZE client;
    SIZE outer;
    int FrameWidth() const { return outer.cx - client.cx; }
    int FrameHeight() const { return outer.cy - client.cy; }
};

inline WindowMeasure MeasureWindow(HWND window)
{
    RECT client = {};
    RECT outer = {};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    return {{client.right - client.left, client.bottom - client.top},
            {outer.right - outer.left, outer.bottom - outer.top}};
}
