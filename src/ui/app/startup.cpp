#include "startup.h"

#include <cstring>

#include <commctrl.h>

#include "image_tools.h"
#include "main_window.h"
#include "resource.h"
#include "texts.h"
#include "tool_panel.h"
#include "window_measure.h"

bool WantsPopupWindow(const char* commandLine)
{
    const std::size_t length = std::strlen(commandLine);
    for (std::size_t i = 0; i < length; ++i)
        if (_stricmp(commandLine + i, "/f") == 0)
            return true;
    return false;
}

ATOM RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDI_APP));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    windowClass.lpszClassName = text::kWindowClass;
    return RegisterClassExA(&windowClass);
}

namespace {

// Client size of the main window before any image is open, in pixels.
constexpr int kStartClientWidth = 400;
constexpr int kStartClientHeight = 100;

// Grows the window by its frame, caption and menu so that the client area is 400 × 100.
// Only the move is suppressed, so the window also goes to the top.
void SizeClientArea(HWND window)
{
    const WindowMeasure measure = MeasureWindow(window);
    SetWindowPos(window, nullptr, 0, 0, kStartClientWidth + measure.FrameWidth(),
                 kStartClientHeight + measure.FrameHeight(), SWP_NOMOVE);
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance, bool popup)
{
    // The trackbars of the tools' dialogs and the drag's tooltip.
    const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    if (popup)
        return CreateWindowExA(0, text::kWindowClass, text::kAppTitle, WS_POPUP, 0, 0,
                               kStartClientWidth, kStartClientHeight, nullptr, nullptr, instance,
                               nullptr);

    HWND window = CreateWindowExA(WS_EX_OVERLAPPEDWINDOW, text::kWindowClass, text::kAppTitle,
                                  WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (window)
        SizeClientArea(window);
    return window;
}

int RunMessageLoop()
{
    MSG message = {};
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                break;
            if (IsToolDialogMessage(&message))
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);  // the loop polls rather than waits; this keeps it off the processor
    }
    return static_cast<int>(message.wParam);
}

HWND CreateToolPanelOf(HWND mainWindow)
{
    return CreateToolPanel(mainWindow);
}
