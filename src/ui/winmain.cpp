// The program's entry point.
#include <windows.h>

#include "gdiplus_session.h"
#include "app_state.h"
#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    const bool popup = WantsPopupWindow(commandLine);
    if (!RegisterMainWindowClass(instance))
        return 0;
    HWND mainWindow = CreateMainWindow(instance, popup);
    g_app.instance = instance;
    ShowWindow(mainWindow, showCommand);

    int exitCode = 0;
    {
        const GdiplusSession gdiplus;
        exitCode = RunMessageLoop();
        ReleaseAllImages();  // images must go before GDI+ does
    }
    return exitCode;
}
