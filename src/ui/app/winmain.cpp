// The program's entry point.
#include <windows.h>

#include <string>

#include "app_state.h"
#include "command_line.h"
#include "gdiplus_session.h"
#include "opening.h"
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
        // A file named on the command line ("Open with") opens once GDI+ can decode it.
        const std::string startupFile = StartupFilePath(commandLine);
        if (!startupFile.empty())
            OpenFileAtPath(mainWindow, startupFile.c_str());
        exitCode = RunMessageLoop();
        ReleaseAllImages();  // images must go before GDI+ does
    }
    return exitCode;
}
