// The main window as the user meets it: class, menu, size, caption, prompt, outline,
// message boxes and quitting, driven through real windows.
#include <gtest/gtest.h>

#include "image_document.h"
#include "resource.h"
#include "test_support.h"
#include "app_state.h"
#include "startup.h"
#include "ui_support.h"

namespace {

std::wstring MenuText(HMENU menu, UINT position)
{
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

bool QuitIsPending(WPARAM* exitCode = nullptr)
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return false;
    if (exitCode)
        *exitCode = message.wParam;
    return true;
}

struct Bounds {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
};

// The smallest rectangle holding every pixel that is not the background colour.
Bounds InkBounds(const ClientPixels& shot, DWORD background)
{
    Bounds bounds;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.At(x, y) != background) {
                bounds.left = std::min(bounds.left, x);
                bounds.top = std::min(bounds.top, y);
                bounds.right = std::max(bounds.right, x);
                bounds.bottom = std::max(bounds.bottom, y);
            }
    return bounds;
}

}  // namespace

TEST(Startup, PopupSwitchIsTheCommandLineEndingInSlashF)
{
    for (const char* line : {"/f", "/F", "-x /F", "abc/f", "a b c /f"})
        EXPECT_TRUE(WantsPopupWindow(line)) << line;
    for (const char* line : {"", "/f x", "f", "/", "/ff", "/f ", "\\f", "-f"})
        EXPECT_FALSE(WantsPopupWindow(line)) << line;
}

using MainWindow = ProgramTest;

TEST_F(MainWindow, StartsAsACaptionedWindowWithA400By100ClientArea)
{
    const SIZE client = ClientSize(Main());
    EXPECT_EQ(400, client.cx);
    EXPECT_EQ(100, client.cy);
    EXPECT_EQ(L"Tessarel あるふぁ～", WindowTextW(Main()));

    const LONG style = GetWindowLongA(Main(), GWL_STYLE);
    EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_POPUP);
    const LONG exStyle = GetWindowLongA(Main(), GWL_EXSTYLE);
    EXPECT_EQ(WS_EX_OVERLAPPEDWINDOW, exStyle & WS_EX_OVERLAPPEDWINDOW);
}

TEST_F(MainWindow, ClassHasTheProgramsIconCursorWhiteBackgroundAndMenu)
{
    char className[64] = {};
    GetClassNameA(Main(), className, sizeof className);
    EXPECT_STREQ("D3DFWSampleClass", className);

    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "D3DFWSampleClass", &info));
    EXPECT_EQ(0u, info.style);
    EXPECT_EQ(0, info.cbClsExtra);
    EXPECT_EQ(0, info.cbWndExtra);
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), info.hbrBackground);
    EXPECT_EQ(MAKEINTRESOURCEA(101), info.lpszMenuName);
    EXPECT_NE(nullptr, info.hIcon);
    EXPECT_NE(nullptr, info.hCursor);

    ICONINFO cursor = {};
    ASSERT_TRUE(GetIconInfo(info.hCursor, &cursor));
    EXPECT_FALSE(cursor.fIcon);
    EXPECT_EQ(1u, cursor.xHotspot);
    EXPECT_EQ(1u, cursor.yHotspot);
    BITMAP mask = {};
    GetObjectA(cursor.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(32, mask.bmWidth);
    EXPECT_EQ(64, mask.bmHeight);  // monochrome: AND and XOR masks stacked, no colour bitmap
    EXPECT_EQ(nullptr, cursor.hbmColor);
    DeleteObject(cursor.hbmMask);

    ICONINFO icon = {};
    ASSERT_TRUE(GetIconInfo(info.hIcon, &icon));
    BITMAP colour = {};
    GetObjectA(icon.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(32, colour.bmWidth);
    EXPECT_EQ(32, colour.bmHeight);
    DeleteObject(icon.hbmMask);
    DeleteObject(icon.hbmColor);
}

// The command numbers are what other programs send the window, so they are checked as
// numbers here; every other test drives the program by their names.
TEST_F(MainWindow, MenuHoldsTheFileCommandsAndTheVersionCommand)
{
    HMENU bar = GetMenu(Main());
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(2, GetMenuItemCount(bar));
    EXPECT_EQ(L"ファイル(&F)", MenuText(bar, 0));
    EXPECT_EQ(L"バージョン情報", MenuText(bar, 1));
    EXPECT_EQ(nullptr, GetSubMenu(bar, 1));
    EXPECT_EQ(40010u, GetMenuItemID(bar, 1));

    HMENU file = GetSubMenu(bar, 0);
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(4, GetMenuItemCount(file));
    EXPECT_EQ(L"画像を開く(&O)", MenuText(file, 0));
    EXPECT_EQ(40004u, GetMenuItemID(file, 0));
    EXPECT_EQ(L"名前をつけて保存(&A)", MenuText(file, 1));
    EXPECT_EQ(40006u, GetMenuItemID(file, 1));
    EXPECT_TRUE(GetMenuState(file, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(L"Tessarel あるふぁ～の終了(&X)", MenuText(file, 3));
    EXPECT_EQ(40011u, GetMenuItemID(file, 3));
}

class PopupMainWindow : public ProgramTest {
protected:
    void SetUp() override
    {
        popup_ = true;
        ProgramTest::SetUp();
    }
};

TEST_F(PopupMainWindow, IsABorderless400By100PopupAtTheTopLeftCorner)
{
    RECT frame = {};
    GetWindowRect(Main(), &frame);
    EXPECT_EQ(0, frame.left);
    EXPECT_EQ(0, frame.top);
    EXPECT_EQ(400, frame.right - frame.left);
    EXPECT_EQ(100, frame.bottom - frame.top);
    const LONG style = GetWindowLongA(Main(), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_BORDER);
    EXPECT_EQ(0, GetWindowLongA(Main(), GWL_EXSTYLE) & WS_EX_OVERLAPPEDWINDOW);
    // The menu bar takes its height out of the 100 pixels.
    EXPECT_EQ(400, ClientSize(Main()).cx);
    EXPECT_LT(ClientSize(Main()).cy, 100);
    EXPECT_NE(nullptr, GetMenu(Main()));
}

TEST_F(MainWindow, VersionBoxShowsTheVersionOwnedByTheMainWindow)
{
    DialogAnswerer answer("バージョン情報", IDOK);
    SendMessageA(Main(), WM_COMMAND, IDM_VERSION, 0);
    ASSERT_TRUE(answer.Wait());
    EXPECT_EQ("Tessarel あるふぁ～ Ver 0.2.01", answer.Text());
    EXPECT_EQ(Main(), answer.Owner());
    EXPECT_FALSE(QuitIsPending());
}

TEST_F(MainWindow, CancelOnTheExitQuestionKeepsTheProgramRunning)
{
    DialogAnswerer answer("終了確認", IDCANCEL);
    SendMessageA(Main(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(answer.Wait());
    EXPECT_EQ("終了してよろしいですか？", answer.Text());
    EXPECT_EQ(Panel(), answer.Owner());
    EXPECT_FALSE(QuitIsPending());
    EXPECT_TRUE(IsWindow(Main()));
    EXPECT_TRUE(IsWindowVisible(Main()));
    EXPECT_TRUE(IsWindowVisible(Panel()));
}

TEST_F(MainWindow, OkOnTheExitQuestionPostsQuitWithZero)
{
    DialogAnswerer answer("終了確認", IDOK);
    SendMessageA(Main(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(answer.Wait());
    WPARAM exitCode = 99;
    EXPECT_TRUE(QuitIsPending(&exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(IsWindow(Main()));  // nothing is destroyed before the process ends
}

TEST_F(MainWindow, ExitMenuItemAndThePanelsCloseBoxAskTheSameQuestion)
{
    {
        DialogAnswerer answer("終了確認", IDCANCEL);
        SendMessageA(Main(), WM_COMMAND, IDM_EXIT, 0);
        ASSERT_TRUE(answer.Wait());
        EXPECT_EQ("終了してよろしいですか？", answer.Text());
    }
    {
        DialogAnswerer answer("終了確認", IDCANCEL);
        SendMessageA(Panel(), WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_TRUE(answer.Wait());
        EXPECT_EQ("終了してよろしいですか？", answer.Text());
    }
    PumpMessages();
    EXPECT_FALSE(QuitIsPending());
    EXPECT_TRUE(IsWindowVisible(Panel()));
}

TEST_F(MainWindow, EscapeQuitsAtOnceWithoutAQuestion)
{
    SendMessageA(Main(), WM_KEYDOWN, 'A', 0);
    EXPECT_FALSE(QuitIsPending());
    SendMessageA(Main(), WM_KEYDOWN, VK_ESCAPE, 0);
    WPARAM exitCode = 99;
    EXPECT_TRUE(QuitIsPending(&exitCode));
    EXPECT_EQ(0u, exitCode);
}

TEST_F(MainWindow, MainLoopEndsWithZeroOnEscape)
{
    PostMessageA(Main(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(0, RunMessageLoop());
}

TEST_F(MainWindow, MainLoopEndsWithZeroWhenTheExitQuestionIsAnsweredOk)
{
    DialogAnswerer answer("終了確認", IDOK);
    PostMessageA(Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(0, RunMessageLoop());
    EXPECT_TRUE(answer.Wait());
}

TEST_F(MainWindow, PromptIsDrawnAt70By40BeforeAnyImage)
{
    MovePanelAside();
    const ClientPixels shot = CaptureClient(Main());
    const Bounds ink = InkBounds(shot, kWhite);
    ASSERT_GE(ink.right, 0) << "nothing drawn";
    EXPECT_GE(ink.left, 70);
    EXPECT_LE(ink.left, 73);
    EXPECT_GE(ink.top, 40);
    EXPECT_LE(ink.top, 48);
    EXPECT_GT(ink.right, 200);  // the whole string, not a part of it
    EXPECT_LT(ink.bottom, 70);
}

TEST_F(MainWindow, RangeOutlineIsDrawnOverThePromptBeforeAnyImage)
{
    MovePanelAside();
    g_document.SetRangeValue(RangeValue::XFrom, 5);
    g_document.SetRangeValue(RangeValue::YFrom, 5);
    g_document.SetRangeValue(RangeValue::XTo, 60);
    g_document.SetRangeValue(RangeValue::YTo, 30);
    g_document.ShowRange(RangePenMode::Black);
    InvalidateRect(Main(), nullptr, TRUE);
    PumpMessages();
    const ClientPixels shot = CaptureClient(Main());
    EXPECT_EQ(kBlack, shot.At(5, 5));
    EXPECT_EQ(kBlack, shot.At(60, 30));
    EXPECT_EQ(kBlack, shot.At(30, 5));
    EXPECT_EQ(kWhite, shot.At(30, 15));
    EXPECT_EQ(400, shot.width);  // no image: the window keeps its size
}
