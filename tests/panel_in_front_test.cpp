// The windows the main window owns stay in front of it, as the user sees them: the tool
// panel after start, opening, paints, clicks and activation; the JPEG quality dialog; and
// message boxes above both. Checked in the z-order and in the screen's own pixels.
#include <gtest/gtest.h>

#include <algorithm>

#include "image_document.h"
#include "resource.h"
#include "test_support.h"
#include "app_state.h"
#include "ui_support.h"

namespace {

constexpr ArgbValue kImageColour = 0xFF123456;  // a colour no dialog draws
constexpr DWORD kImageOnScreen = kImageColour & 0xFFFFFF;

// Place in the z-order of every top-level window, 0 for the topmost; -1 when not found.
int ZOrderPlace(HWND window)
{
    int place = 0;
    for (HWND above = GetTopWindow(nullptr); above; above = GetWindow(above, GW_HWNDNEXT), ++place)
        if (above == window)
            return place;
    return -1;
}

// How many screen pixels inside rect show the image's colour.
int ImagePixelsOnScreenIn(const RECT& rect)
{
    const ClientPixels shot = CaptureScreen(rect);
    return static_cast<int>(std::count(shot.pixels.begin(), shot.pixels.end(), kImageOnScreen));
}

// Presses the left button at a screen point as the user would, through the system's input.
void ClickOnScreen(POINT point)
{
    SetCursorPos(point.x, point.y);
    PumpMessages();
    SendMouse({{point, LeftButton::Press}, {point, LeftButton::Release}});
    PumpMessages(100);
}

class PanelInFront : public ProgramTest {
protected:
    void OpenPicture()
    {
        ASSERT_TRUE(WritePng(*MakeFilledImage(640, 480, kImageColour), folder_.Path(L"front.png")));
        OpenThroughMenu(folder_.AnsiPath(L"front.png"));
        ASSERT_EQ(640, ClientSize(Main()).cx);
    }

    // The owned window is above the main window in the z-order, and where it overlaps the
    // main window's client area the screen shows it, not the image.
    void ExpectInFront(HWND owned, const char* when)
    {
        EXPECT_LT(ZOrderPlace(owned), ZOrderPlace(Main())) << when;
        RECT client = {};
        GetClientRect(Main(), &client);
        MapWindowPoints(Main(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        RECT frame = {};
        GetWindowRect(owned, &frame);
        RECT overlap = {};
        ASSERT_TRUE(IntersectRect(&overlap, &client, &frame)) << "nothing to cover " << when;
        EXPECT_EQ(0, ImagePixelsOnScreenIn(overlap)) << "image pixels over the window " << when;
    }

    // A client point of the main window that the panel does not cover, on the screen.
    POINT UncoveredPointOfMain() const
    {
        RECT panel = {};
        GetWindowRect(Panel(), &panel);
        POINT point = {600, 400};
        ClientToScreen(Main(), &point);
        EXPECT_FALSE(PtInRect(&panel, point));
        return point;
    }

    TempFolder folder_;
};

POINT CentreOf(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

}  // namespace

TEST_F(PanelInFront, StaysAboveTheMainWindowThroughOpenPaintClickAndActivation)
{
    EXPECT_LT(ZOrderPlace(Panel()), ZOrderPlace(Main())) << "after start";
    OpenPicture();
    ExpectInFront(Panel(), "after opening a 640 x 480 image");
    InvalidateRect(Main(), nullptr, TRUE);
    PumpMessages();
    ExpectInFront(Panel(), "after a paint");
    ClickOnScreen(UncoveredPointOfMain());
    EXPECT_EQ(Main(), GetActiveWindow());
    ExpectInFront(Panel(), "after a click in the main window");
    SetForegroundWindow(Panel());
    PumpMessages();
    SetForegroundWindow(Main());
    PumpMessages();
    ExpectInFront(Panel(), "after the main window is activated again");

    // Typed into on the screen, the field takes the number and the range follows it.
    ClickOnScreen(CentreOf(GetDlgItem(Panel(), IDC_X_FROM)));
    for (const WORD key : {WORD(VK_END), WORD(VK_BACK), WORD('1'), WORD('2'), WORD('3')}) {
        PressKeys({key});
        PumpMessages(20);
    }
    EXPECT_EQ("123", FieldText(Panel(), IDC_X_FROM));
    EXPECT_EQ(123u, g_document.Range().xFrom);
}

// While a box is up the main window is repainted, and its fit activates it. The version box
// leaves the panel in front as well; under the exit question the panel is disabled, and Wine
// keeps a window whose popup is above it where it is on the X server, so there the panel
// comes back in front once the box has gone.
TEST_F(PanelInFront, MessageBoxesStayAboveThePanelAndTheMainWindowWhileItRepaints)
{
    OpenPicture();
    struct Seen {
        int box = -1, panel = -1, main = -1, imageOverBox = -1;
    };
    const auto answerWhileRepainting = [this](const char* caption, WPARAM command) {
        Seen seen;
        DialogAnswerer answer(caption, IDCANCEL, [&](HWND box) {
            InvalidateRect(Main(), nullptr, TRUE);  // painted by the box's own message loop
            Sleep(300);
            seen = {ZOrderPlace(box), ZOrderPlace(Panel()), ZOrderPlace(Main()), -1};
            RECT frame = {};
            GetWindowRect(box, &frame);
            seen.imageOverBox = ImagePixelsOnScreenIn(frame);
        });
        SendMessageA(Main(), WM_COMMAND, command, 0);
        EXPECT_TRUE(answer.Wait());
        PumpMessages();
        return seen;
    };

    const Seen version = answerWhileRepainting("バージョン情報", IDM_VERSION);
    EXPECT_LT(version.box, version.panel);
    EXPECT_LT(version.panel, version.main);
    EXPECT_EQ(0, version.imageOverBox);
    ExpectInFront(Panel(), "after the version box");

    const Seen exit = answerWhileRepainting("終了確認", IDM_EXIT);
    EXPECT_LT(exit.box, exit.panel);
    EXPECT_LT(exit.box, exit.main);
    EXPECT_EQ(0, exit.imageOverBox);
    ExpectInFront(Panel(), "after the exit question");
}

TEST_F(PanelInFront, TheJpegQualityDialogStaysAboveTheMainWindow)
{
    OpenPicture();
    constexpr int kJpegFilter = 2;
    DialogAnswerer answer("名前をつけて保存", IDOK, FillFileDialog(folder_.AnsiPath(L"front.jpg"), kJpegFilter));
    SendMessageA(Main(), WM_COMMAND, IDM_SAVE_AS, 0);
    ASSERT_TRUE(answer.Wait());
    PumpMessages();
    const std::vector<HWND> dialogs = FindTopLevelWindows("#32770", "JPEGの画質設定");
    ASSERT_EQ(1u, dialogs.size());
    HWND quality = dialogs.front();
    ExpectInFront(quality, "after it opened");
    InvalidateRect(Main(), nullptr, TRUE);
    PumpMessages();
    ClickOnScreen(UncoveredPointOfMain());
    ExpectInFront(quality, "after a paint and a click in the main window");
    ExpectInFront(Panel(), "with the quality dialog open");
    SendMessageA(quality, WM_COMMAND, IDCANCEL, 0);
    PumpMessages();
}
