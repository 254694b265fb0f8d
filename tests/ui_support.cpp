#include "ui_support.h"

#include <shlobj.h>

#include <algorithm>

#include "edit_history.h"
#include "image_document.h"
#include "image_saver.h"
#include "resource.h"
#include "texts.h"
#include "app_state.h"
#include "image_tools.h"
#include "startup.h"

void PumpMessages(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        bool any = false;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));  // keep it for the test
                return;
            }
            if (IsToolDialogMessage(&message))
                continue;  // as the main loop gives it
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD elapsed = GetTickCount() - start;
        if ((!any && elapsed >= milliseconds) || elapsed >= kPumpLimitMs)
            return;
        Sleep(1);
    }
}

void ProgramTest::SetUp()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_NE(0, RegisterMainWindowClass(instance));
    main_ = CreateMainWindow(instance, popup_);
    ASSERT_NE(nullptr, main_);
    g_app.instance = instance;
    ShowWindow(main_, SW_SHOWNORMAL);
    PumpMessages();
}

void ProgramTest::TearDown()
{
    // The swatch control does not free the picture it was given; the program never
    // destroys it, a test does.
    DeleteObject(reinterpret_cast<HGDIOBJ>(SendMessageA(g_app.swatch, STM_SETIMAGE, IMAGE_BITMAP, 0)));
    DestroyWindow(main_);  // and with it the tool panel and any quality dialog it owns
    UnregisterClassA(text::kWindowClass, g_app.instance);
    PumpMessages(0);
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // a quit a test left behind
    ResetAppState();
}

void ProgramTest::UseImage(ImageRef image)
{
    g_document.SetImage(std::move(image));
    InvalidateRect(main_, nullptr, TRUE);
    PumpMessages();
}

void ProgramTest::ClickAt(int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(main_, &point);
    SetCursorPos(point.x, point.y);
    SendMessageA(main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

HWND ProgramTest::Panel() const
{
    return g_app.toolPanel;
}

void ProgramTest::OpenThroughMenu(const std::string& ansiPath)
{
    DialogAnswerer answer("画像選択", IDOK, FillFileDialog(ansiPath));
    SendMessageA(main_, WM_COMMAND, IDM_OPEN_IMAGE, 0);
    ASSERT_TRUE(answer.Wait()) << "the open dialog did not appear";
    PumpMessages();
}

void ProgramTest::MovePanelAside() const
{
    SetWindowPos(Panel(), nullptr, 1200, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
}

void ProgramTest::MovePanelOffScreen() const
{
    SetWindowPos(Panel(), nullptr, GetSystemMetrics(SM_CXSCREEN) + 100, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
}

void PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

namespace {

// A screen coordinate on the 0 to 65535 scale of absolute mouse input.
LONG AbsoluteCoordinate(LONG coordinate, int sizeMetric)
{
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<LONG>((coordinate * 65535 + size / 2) / (size - 1));
}

}  // namespace

INPUT MouseInputAt(POINT screen, DWORD flags, DWORD data)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = AbsoluteCoordinate(screen.x, SM_CXSCREEN);
    input.mi.dy = AbsoluteCoordinate(screen.y, SM_CYSCREEN);
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    input.mi.mouseData = data;
    return input;
}

void SendMouse(std::initializer_list<MouseStep> steps)
{
    std::vector<INPUT> inputs;
    for (const MouseStep& step : steps) {
        const DWORD button = step.button == LeftButton::Press     ? MOUSEEVENTF_LEFTDOWN
                             : step.button == LeftButton::Release ? MOUSEEVENTF_LEFTUP
                                                                  : 0;
        inputs.push_back(MouseInputAt(step.screen, button));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

POINT ScreenPointOf(HWND window, POINT client)
{
    ClientToScreen(window, &client);
    return client;
}

SIZE ClientSize(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

std::string WindowTextA(HWND window)
{
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::wstring WindowTextW(HWND window)
{
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, 1024);
    return buffer;
}

std::string FieldText(HWND dialog, int id)
{
    char buffer[256] = {};
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

namespace {

// The pixels of a rectangle of a device context, as 0x00RRGGBB.
ClientPixels CapturePixels(HDC source, const RECT& rect)
{
    ClientPixels shot;
    shot.width = rect.right - rect.left;
    shot.height = rect.bottom - rect.top;
    if (shot.width <= 0 || shot.height <= 0)
        return shot;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, source, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    shot.pixels.assign(pixels, pixels + static_cast<std::size_t>(shot.width) * shot.height);
    for (DWORD& pixel : shot.pixels)
        pixel &= 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return shot;
}

}  // namespace

ClientPixels CaptureClient(HWND window)
{
    const SIZE size = ClientSize(window);
    HDC windowDc = GetDC(window);
    ClientPixels shot = CapturePixels(windowDc, {0, 0, size.cx, size.cy});
    ReleaseDC(window, windowDc);
    return shot;
}

ClientPixels CaptureScreen(const RECT& rect)
{
    HDC screen = GetDC(nullptr);
    ClientPixels shot = CapturePixels(screen, rect);
    ReleaseDC(nullptr, screen);
    return shot;
}

namespace {

struct Search {
    const char* className;
    const std::string* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if ((!search->className || lstrcmpA(className, search->className) == 0) &&
        WindowTextA(window) == *search->caption)
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> FindTopLevelWindows(const char* className, const std::string& caption)
{
    Search search{className, &caption, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

// Every visible top-level dialog, of any process.
std::vector<HWND> VisibleDialogs()
{
    std::vector<HWND> dialogs;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr)
        if (IsWindowVisible(window))
            dialogs.push_back(window);
    return dialogs;
}

bool IsOfThisProcess(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

bool Contains(const std::vector<HWND>& windows, HWND window)
{
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

constexpr DWORD kPollMs = 5;
constexpr DWORD kCloseRetryMs = 500;

}  // namespace

DialogAnswerer::DialogAnswerer(std::string caption, int button, Prepare prepare, DWORD timeoutMs)
    : caption_(std::move(caption)), button_(button), prepare_(std::move(prepare)), timeoutMs_(timeoutMs),
      openBefore_(VisibleDialogs())
{
    thread_ = std::thread([this] { Run(); });
}

DialogAnswerer::~DialogAnswerer()
{
    Finish();
}

bool DialogAnswerer::Wait()
{
    Finish();
    return answered_ && closed_.empty();
}

void DialogAnswerer::Finish()
{
    // The dialog runs its modal loop on the test's thread, which is blocked inside the
    // program's handler until the answer comes; by the time the handler returned, the
    // helper has either answered or given up and closed what the handler waited in.
    testWaits_ = true;
    if (thread_.joinable())
        thread_.join();
    if (finished_)
        return;
    finished_ = true;
    for (const std::string& caption : closed_)
        ADD_FAILURE() << "the dialog \"" << caption << "\" was still open when the answer for \"" << caption_
                      << "\" ran out of time, and was closed";
}

void DialogAnswerer::Run()
{
    const DWORD start = GetTickCount();
    HWND dialog = nullptr;
    while (!dialog && GetTickCount() - start < timeoutMs_) {
        dialog = FindDialog();
        if (!dialog)
            Sleep(kPollMs);
    }
    if (dialog && AnswerAndSeeItClose(dialog)) {
        answered_ = true;
        return;
    }
    CloseWhatIsLeftOpen(dialog);
}

HWND DialogAnswerer::FindDialog() const
{
    for (HWND candidate : FindTopLevelWindows("#32770", caption_))
        if (IsWindowVisible(candidate) && IsWindowEnabled(candidate))
            return candidate;
    return nullptr;
}

bool DialogAnswerer::AnswerAndSeeItClose(HWND dialog)
{
    Sleep(100);  // let the dialog finish initialising its controls
    owner_ = GetWindow(dialog, GW_OWNER);
    char text[1024] = {};
    GetDlgItemTextA(dialog, kMessageTextId, text, sizeof text);
    text_ = text;
    if (prepare_)
        prepare_(dialog);
    HWND button = GetDlgItem(dialog, button_);
    if (button)
        SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, nullptr);
    else
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
    const DWORD pressed = GetTickCount();
    while (IsWindow(dialog) && IsWindowVisible(dialog)) {
        if (GetTickCount() - pressed >= timeoutMs_)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

namespace {

// Waits until none of the dialogs is open any more, or the time has passed; true when none is.
bool WaitUntilClosed(const std::vector<HWND>& dialogs, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const bool anyOpen = std::any_of(dialogs.begin(), dialogs.end(),
                                         [](HWND dialog) { return IsWindow(dialog) && IsWindowVisible(dialog); });
        if (!anyOpen)
            return true;
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(kPollMs);
    }
}

}  // namespace

// Cancels, then closes, every dialog of this process that opened since the answerer
// started, and the one it pressed, until the test's thread is out of them.
void DialogAnswerer::CloseWhatIsLeftOpen(HWND pressed)
{
    std::vector<HWND> tried;
    for (;;) {
        std::vector<HWND> open;
        for (HWND dialog : VisibleDialogs())
            if ((dialog == pressed || IsOfThisProcess(dialog)) && !Contains(openBefore_, dialog))
                open.push_back(dialog);
        if (open.empty()) {
            if (testWaits_)
                return;
            Sleep(kPollMs);
            continue;
        }
        for (HWND dialog : open) {
            if (!Contains(tried, dialog)) {
                tried.push_back(dialog);
                closed_.push_back(WindowTextA(dialog));
            }
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        if (WaitUntilClosed(open, kCloseRetryMs))
            continue;
        for (HWND dialog : open)
            if (IsWindow(dialog))
                PostMessageA(dialog, WM_CLOSE, 0, 0);
        WaitUntilClosed(open, kCloseRetryMs);
    }
}

DialogAnswerer::Prepare FillFileDialog(std::string ansiPath, int filterIndex)
{
    return [ansiPath, filterIndex](HWND dialog) {
        if (filterIndex > 0) {
            HWND types = GetDlgItem(dialog, kFileTypeBox);
            SendMessageTimeoutA(types, CB_SETCURSEL, filterIndex - 1, 0, SMTO_NORMAL, 5000, nullptr);
            SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeBox, CBN_SELENDOK),
                                reinterpret_cast<LPARAM>(types), SMTO_NORMAL, 5000, nullptr);
        }
        SetWindowTextA(GetDlgItem(dialog, kFileNameBox), ansiPath.c_str());
    };
}

UINT MenuWatcher::States(UINT item) const
{
    for (const Item& each : items_)
        if (each.id == item)
            return each.state;
    ADD_FAILURE() << "no item " << item;
    return 0;
}

void MenuWatcher::Run()
{
    constexpr DWORD kLimitMs = 5000;
    for (DWORD waited = 0; waited < kLimitMs && !seen_; waited += 10) {
        HWND popup = FindWindowA("#32768", nullptr);
        if (popup && IsWindowVisible(popup)) {
            Sleep(50);  // let it finish drawing before its items are read
            Read(popup);
            if (whileOpen_)
                whileOpen_();
            seen_ = true;
        } else {
            Sleep(10);
        }
    }
    PressKeys({key_});
}

void MenuWatcher::Read(HWND popup)
{
    GetWindowRect(popup, &where_);
    const auto menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        items_.push_back({GetMenuItemID(menu, i), GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION), text});
    }
}

HDROP MakeDrop(const std::vector<std::string>& paths)
{
    std::size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths)
        bytes += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* name = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths) {
        path.copy(name, path.size());
        name += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}
