// The zoomed view with real input: the keys and the Ctrl+wheel step through the zooms and the
// window fits the zoomed image; the fit shows all of a large image; the pick, the drag and
// the outline land on the image pixel under the cursor; enlarged pixels are sharp squares and
// reduced ones averaged; the checkerboard and the context menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app_state.h"
#include "image_document.h"
#include "opening.h"
#include "resource.h"
#include "scroll_view.h"
#include "test_support.h"
#include "ui_support.h"

namespace {

// Larger than the 1600 × 1200 test display in both directions.
constexpr std::uint32_t kLargeWidth = 3000;
constexpr std::uint32_t kLargeHeight = 2000;
constexpr DWORD kLightGrey = 0xCCCCCC;  // the checkerboard's grey squares

bool IsZoom(std::uint32_t numerator, std::uint32_t denominator)
{
    const ViewScale zoom = ViewZoom();
    return std::uint64_t{zoom.numerator} * denominator == std::uint64_t{numerator} * zoom.denominator;
}

std::string ZoomText()
{
    const ViewScale zoom = ViewZoom();
    return std::to_string(zoom.numerator) + "/" + std::to_string(zoom.denominator);
}

// Holds Ctrl as real keyboard input around the given inputs.
void SendWithCtrl(std::vector<INPUT> inputs)
{
    INPUT ctrl = {};
    ctrl.type = INPUT_KEYBOARD;
    ctrl.ki.wVk = VK_CONTROL;
    inputs.insert(inputs.begin(), ctrl);
    ctrl.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(ctrl);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// One notch of the real wheel with Ctrl held, away from the user (in) or towards (out).
void CtrlWheel(POINT screen, bool in)
{
    SendWithCtrl({MouseInputAt(screen, 0), MouseInputAt(screen, MOUSEEVENTF_WHEEL,
                                                    static_cast<DWORD>(in ? WHEEL_DELTA : -WHEEL_DELTA))});
}

void RightClick(POINT screen)
{
    const INPUT inputs[] = {MouseInputAt(screen, MOUSEEVENTF_RIGHTDOWN), MouseInputAt(screen, MOUSEEVENTF_RIGHTUP)};
    SendInput(2, const_cast<INPUT*>(inputs), sizeof(INPUT));
}

class ViewZoom : public ProgramTest {
protected:
    // A new image, shown as an open shows it: at 100% from its top-left corner.
    void Show(ImageRef image)
    {
        ResetView();
        UseImage(std::move(image));
        MovePanelOffScreen();
    }

    void CtrlKey(WORD key)
    {
        PressKeys({VK_CONTROL, key});
        PumpMessages();
    }

    POINT At(int x, int y) const { return ScreenPointOf(Main(), {x, y}); }

    std::vector<std::string> Fields(std::initializer_list<int> ids) const
    {
        std::vector<std::string> texts;
        for (int id : ids)
            texts.push_back(FieldText(Panel(), id));
        return texts;
    }
    std::vector<std::string> PickFields() const
    {
        return Fields({IDC_PICK_ALPHA, IDC_PICK_RED, IDC_PICK_GREEN, IDC_PICK_BLUE});
    }
    std::vector<std::string> RangeFields() const { return Fields({IDC_X_FROM, IDC_X_TO, IDC_Y_FROM, IDC_Y_TO}); }

    // Opens the context menu from the keyboard and presses an item's access key.
    void ChooseFromMenu(WORD accessKey)
    {
        MenuWatcher watcher(accessKey);
        PressKeys({VK_SHIFT, VK_F10});
        PumpMessages(100);
        ASSERT_TRUE(watcher.Wait()) << "no context menu";
        PumpMessages(60);
    }
};

std::vector<std::string> FieldsOf(ArgbValue colour)
{
    return {std::to_string(colour >> 24), std::to_string((colour >> 16) & 0xFF),
            std::to_string((colour >> 8) & 0xFF), std::to_string(colour & 0xFF)};
}

std::vector<std::string> Texts(std::initializer_list<int> values)
{
    std::vector<std::string> texts;
    for (int value : values)
        texts.push_back(std::to_string(value));
    return texts;
}

RECT WorkArea()
{
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// One-pixel columns, black and white by turns.
ImageRef MakeStripes(std::uint32_t width, std::uint32_t height)
{
    ImageRef image = CreateArgbImage(width, height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image->SetPixel(x, y, x % 2 == 0 ? kOpaqueBlack : kOpaqueWhite);
    return image;
}

int Red(DWORD colour)
{
    return static_cast<int>((colour >> 16) & 0xFF);
}

}  // namespace

TEST_F(ViewZoom, KeysStepThroughTheZoomsInEitherWindowAndTheClientAreaIsTheZoomedImage)
{
    Show(MakeOpaquePattern(240, 150));
    const std::string caption = WindowTextA(Main());
    SetForegroundWindow(Main());
    PumpMessages();

    const struct {
        WORD key;
        std::uint32_t numerator, denominator;
        int width, height;
    } steps[] = {
        {VK_OEM_PLUS, 2, 1, 480, 300},  {VK_ADD, 3, 1, 720, 450},       {VK_OEM_MINUS, 2, 1, 480, 300},
        {VK_SUBTRACT, 1, 1, 240, 150},  {VK_OEM_MINUS, 2, 3, 160, 100}, {'1', 1, 1, 240, 150},
    };
    for (const auto& step : steps) {
        CtrlKey(step.key);
        EXPECT_TRUE(IsZoom(step.numerator, step.denominator)) << "after key " << step.key << ": " << ZoomText();
        EXPECT_EQ(step.width, ClientSize(Main()).cx) << ZoomText();
        EXPECT_EQ(step.height, ClientSize(Main()).cy) << ZoomText();
    }
    EXPECT_EQ(caption, WindowTextA(Main()));

    // From a text field of the panel the keys zoom too, and the field keeps its text.
    HWND field = GetDlgItem(Panel(), IDC_X_FROM);
    SetForegroundWindow(Panel());
    SetFocus(field);
    PumpMessages();
    CtrlKey(VK_OEM_PLUS);
    EXPECT_TRUE(IsZoom(2, 1)) << ZoomText();
    EXPECT_EQ("0", FieldText(Panel(), IDC_X_FROM));

    // The ends of the list are the limits: eight steps out from 100%, seventeen in from 1/16.
    // A tiny image keeps the window at its smallest size all the way.
    Show(MakeOpaquePattern(4, 3));
    SetForegroundWindow(Main());
    for (int i = 0; i < 8; ++i)
        CtrlKey(VK_OEM_MINUS);
    EXPECT_TRUE(IsZoom(1, 16)) << ZoomText();
    CtrlKey(VK_SUBTRACT);
    EXPECT_TRUE(IsZoom(1, 16)) << ZoomText();
    for (int i = 0; i < 17; ++i)
        CtrlKey(VK_OEM_PLUS);
    EXPECT_TRUE(IsZoom(32, 1)) << ZoomText();
    CtrlKey(VK_ADD);
    EXPECT_TRUE(IsZoom(32, 1)) << ZoomText();

    // Every open starts at 100%.
    const TempFolder folder;
    ASSERT_TRUE(WritePng(*MakeOpaquePattern(240, 150), folder.Path(L"small.png")));
    OpenFileAtPath(Main(), folder.AnsiPath(L"small.png").c_str());
    PumpMessages();
    EXPECT_TRUE(IsZoom(1, 1)) << ZoomText();
    EXPECT_EQ(240, ClientSize(Main()).cx);
}

TEST_F(ViewZoom, CtrlWheelZoomsAboutTheCursorAsFarAsTheScrollRangeAllows)
{
    Show(MakeOpaquePattern(kLargeWidth, kLargeHeight));
    const POINT cursor = {300, 200};
    const POINT before = ClientToImage(cursor);
    CtrlWheel(At(cursor.x, cursor.y), true);
    PumpMessages(100);
    EXPECT_TRUE(IsZoom(2, 1)) << ZoomText();
    EXPECT_EQ(before.x, ClientToImage(cursor).x);
    EXPECT_EQ(before.y, ClientToImage(cursor).y);
    EXPECT_EQ(GetScrollPos(Main(), SB_HORZ), ViewOrigin().x);

    CtrlWheel(At(cursor.x, cursor.y), false);
    CtrlWheel(At(cursor.x, cursor.y), false);
    PumpMessages(100);
    EXPECT_TRUE(IsZoom(2, 3)) << ZoomText();
    // Zoomed out from a view at the top-left corner, nothing is left to scroll back to.
    EXPECT_EQ(0, ViewOrigin().x);
    EXPECT_EQ(0, ViewOrigin().y);
}

TEST_F(ViewZoom, FitShowsAllOfALargeImageInsideTheWorkAreaAndAStepGoesOnToTheNextListedZoom)
{
    Show(MakeOpaquePattern(kLargeWidth, kLargeHeight));
    SetForegroundWindow(Main());
    CtrlKey('0');
    EXPECT_EQ(0, GetWindowLongA(Main(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
    RECT frame = {};
    GetWindowRect(Main(), &frame);
    const RECT work = WorkArea();
    EXPECT_GE(frame.left, work.left);
    EXPECT_GE(frame.top, work.top);
    EXPECT_LE(frame.right, work.right);
    EXPECT_LE(frame.bottom, work.bottom);
    // As large as the work area allows in one direction, the image's shape in the other.
    const SIZE client = ClientSize(Main());
    const int roomX = (work.right - work.left) - ((frame.right - frame.left) - client.cx);
    const int roomY = (work.bottom - work.top) - ((frame.bottom - frame.top) - client.cy);
    EXPECT_TRUE(client.cx == roomX || client.cy == roomY) << client.cx << " x " << client.cy;
    EXPECT_NEAR(static_cast<double>(client.cx) / client.cy, 1.5, 0.01);
    // The image ends where the client area does: its last pixels are in it, and past its
    // bottom-right corner lies the image's.
    const POINT last = ClientToImage({client.cx - 1, client.cy - 1});
    const POINT past = ClientToImage({client.cx, client.cy});
    EXPECT_LT(last.x, static_cast<LONG>(kLargeWidth));
    EXPECT_LT(last.y, static_cast<LONG>(kLargeHeight));
    EXPECT_GE(past.x, static_cast<LONG>(kLargeWidth) - 1);
    EXPECT_GE(past.y, static_cast<LONG>(kLargeHeight) - 1);

    // The fit lies between the listed 1/3 and 2/3 here; a step goes to the next listed one.
    const double fit = static_cast<double>(client.cx) / kLargeWidth;
    ASSERT_GT(fit, 1.0 / 3);
    ASSERT_LT(fit, 2.0 / 3);
    CtrlKey(VK_OEM_PLUS);
    EXPECT_TRUE(fit < 0.5 ? IsZoom(1, 2) : IsZoom(2, 3)) << ZoomText();
    CtrlKey('0');
    CtrlKey(VK_OEM_MINUS);
    EXPECT_TRUE(fit > 0.5 ? IsZoom(1, 2) : IsZoom(1, 3)) << ZoomText();

    // An image that fits already stays at 100%.
    Show(MakeOpaquePattern(640, 480));
    CtrlKey('0');
    EXPECT_TRUE(IsZoom(1, 1)) << ZoomText();
    EXPECT_EQ(640, ClientSize(Main()).cx);
}

TEST_F(ViewZoom, PickDragAndOutlineLandOnTheImagePixelUnderTheCursorAtFitAndAt300Percent)
{
    Show(MakeOpaquePattern(kLargeWidth, kLargeHeight));
    SetForegroundWindow(Main());
    CtrlKey('0');
    const double fit = static_cast<double>(ClientSize(Main()).cx) / kLargeWidth;
    // At fit each client pixel shows the image pixel its left edge falls on.
    ClickAt(500, 400);
    const POINT picked = ClientToImage({500, 400});
    EXPECT_NEAR(500 / fit, picked.x, 1.0);
    EXPECT_NEAR(400 / fit, picked.y, 1.0);
    EXPECT_EQ(FieldsOf(PatternColour(picked.x, picked.y) | 0xFF000000), PickFields());
    // A drag from client (100, 100) to (300, 200) writes the image pixels under them, and the
    // outline is drawn where they are shown.
    SendMouse({{At(100, 100), LeftButton::Press}});
    PumpMessages();
    SendMouse({{At(200, 150)}, {At(300, 200)}, {At(300, 200), LeftButton::Release}});
    PumpMessages(150);
    const std::vector<std::string> range = RangeFields();
    EXPECT_NEAR(100 / fit, std::stod(range[0]), 1.0);
    EXPECT_NEAR(300 / fit + 1, std::stod(range[1]), 1.0);
    EXPECT_NEAR(100 / fit, std::stod(range[2]), 1.0);
    EXPECT_NEAR(200 / fit + 1, std::stod(range[3]), 1.0);
    const ClientPixels atFit = CaptureClient(Main());
    EXPECT_TRUE(atFit.At(100, 150) == kWhite || atFit.At(99, 150) == kWhite) << "left edge of the outline";
    EXPECT_TRUE(atFit.At(300, 150) == kWhite || atFit.At(301, 150) == kWhite) << "right edge of the outline";

    // At 300% from the top-left corner, image pixel p covers client pixels 3p to 3p + 2.
    CtrlKey('1');
    CtrlKey(VK_OEM_PLUS);
    CtrlKey(VK_OEM_PLUS);
    ASSERT_TRUE(IsZoom(3, 1)) << ZoomText();
    SendMessageA(Main(), WM_KEYDOWN, VK_HOME, 0);
    PumpMessages();
    for (const int x : {3 * 40, 3 * 40 + 2, 3 * 41}) {
        ClickAt(x, 3 * 25 + 1);
        EXPECT_EQ(FieldsOf(PatternColour(x / 3, 25) | 0xFF000000), PickFields()) << "client x " << x;
    }

    // A drag from pixel (10, 10) to pixel (30, 20) writes the range of those pixels.
    SendMouse({{At(31, 31), LeftButton::Press}});
    PumpMessages();
    SendMouse({{At(60, 45)}, {At(91, 61)}, {At(91, 61), LeftButton::Release}});
    PumpMessages(150);
    EXPECT_EQ(Texts({10, 31, 10, 21}), RangeFields());

    // Its outline runs along the range's first screen pixels and just past its last ones.
    const ClientPixels shot = CaptureClient(Main());
    for (const POINT on : {POINT{30, 45}, POINT{93, 45}, POINT{60, 30}, POINT{60, 63}})
        EXPECT_EQ(kWhite, shot.At(on.x, on.y)) << "outline at " << on.x << ", " << on.y;
    EXPECT_EQ(PatternColour(31 / 3, 45 / 3) & 0xFFFFFF, shot.At(31, 45));
    EXPECT_EQ(PatternColour(92 / 3, 45 / 3) & 0xFFFFFF, shot.At(92, 45));
}

TEST_F(ViewZoom, EnlargedPixelsAreExactSquaresAndReducedOnesAreAveraged)
{
    Show(MakeOpaquePattern(64, 48));
    SetForegroundWindow(Main());
    CtrlKey(VK_OEM_PLUS);
    ASSERT_TRUE(IsZoom(2, 1)) << ZoomText();
    {
        const ClientPixels shot = CaptureClient(Main());
        ASSERT_EQ(128, shot.width);
        int wrong = 0;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                if (shot.At(x, y) != (PatternColour(x / 2, y / 2) & 0xFFFFFF) && ++wrong <= 3)
                    ADD_FAILURE() << "client (" << x << ", " << y << ") is " << std::hex << shot.At(x, y);
        EXPECT_EQ(0, wrong);
    }

    // Black and white one-pixel stripes show as grey when shrunk, not as stripes.
    Show(MakeStripes(kLargeWidth, kLargeHeight));
    CtrlKey('0');
    const ClientPixels fit = CaptureClient(Main());
    int extremes = 0;
    for (int y = 0; y < fit.height; y += 7)
        for (int x = 0; x < fit.width; ++x)
            extremes += Red(fit.At(x, y)) < 64 || Red(fit.At(x, y)) > 191;
    EXPECT_EQ(0, extremes) << "of " << fit.width << " columns at fit";
    CtrlKey('1');
    CtrlKey(VK_OEM_MINUS);
    CtrlKey(VK_OEM_MINUS);
    ASSERT_TRUE(IsZoom(1, 2)) << ZoomText();
    const ClientPixels half = CaptureClient(Main());
    for (int x = 0; x < 8; ++x)
        EXPECT_NEAR(128, Red(half.At(x, 5)), 2) << "column " << x;
}

TEST_F(ViewZoom, TheCheckerboardShowsThroughTransparencyFromTheMenuAndGoesAwayAgain)
{
    // Left half alpha 0, right half red at alpha 128.
    ImageRef image = CreateArgbImage(64, 32);
    for (std::uint32_t y = 0; y < 32; ++y)
        for (std::uint32_t x = 0; x < 64; ++x)
            image->SetPixel(x, y, x < 32 ? 0x00336699u : 0x80FF0000u);
    Show(std::move(image));
    SetForegroundWindow(Main());
    EXPECT_EQ(kWhite, CaptureClient(Main()).At(8, 0));  // white behind, as always

    ChooseFromMenu('T');
    const ClientPixels on = CaptureClient(Main());
    // Squares of 8 pixels from the image's top-left corner, white first.
    EXPECT_EQ(kWhite, on.At(0, 0));
    EXPECT_EQ(kWhite, on.At(7, 7));
    EXPECT_EQ(kLightGrey, on.At(8, 0));
    EXPECT_EQ(kLightGrey, on.At(0, 8));
    EXPECT_EQ(kWhite, on.At(8, 8));
    // Half of the checkerboard under half of the red: over white and over grey.
    const DWORD overWhite = on.At(32, 0);
    const DWORD overGrey = on.At(40, 0);
    EXPECT_NEAR(255, Red(overWhite), 2);
    EXPECT_NEAR(127, static_cast<int>(overWhite & 0xFF), 2);
    EXPECT_NEAR(255 * 128 / 255 + 204 * 127 / 255, Red(overGrey), 2);
    EXPECT_NEAR(204 * 127 / 255, static_cast<int>(overGrey & 0xFF), 2);

    // The item is checked while it shows; chosen again, white is back.
    {
        MenuWatcher watcher('T');
        PressKeys({VK_SHIFT, VK_F10});
        PumpMessages(100);
        ASSERT_TRUE(watcher.Wait());
        EXPECT_TRUE(watcher.IsChecked(IDM_CHECKERBOARD));
        PumpMessages(60);
    }
    const ClientPixels off = CaptureClient(Main());
    EXPECT_EQ(kWhite, off.At(8, 0));
    EXPECT_EQ(kWhite, off.At(0, 8));
    EXPECT_EQ(off.At(32, 0), off.At(40, 0));
}

TEST_F(ViewZoom, TheContextMenuGreysWhatCannotBeDoneAndARightClickChangesNothingElse)
{
    SetForegroundWindow(Main());
    {
        // Before any image: nothing to undo, redo or zoom.
        MenuWatcher watcher(VK_ESCAPE);
        RightClick(At(100, 50));
        PumpMessages(100);
        ASSERT_TRUE(watcher.Wait());
        for (UINT item : {IDM_UNDO, IDM_REDO, IDM_ZOOM_IN, IDM_ZOOM_OUT, IDM_ZOOM_FIT, IDM_ZOOM_ACTUAL})
            EXPECT_TRUE(watcher.IsGreyed(item)) << item;
        EXPECT_FALSE(watcher.IsGreyed(IDM_CHECKERBOARD));
        EXPECT_FALSE(watcher.IsChecked(IDM_CHECKERBOARD));
        EXPECT_EQ(L"拡大(&I)\tCtrl++", watcher.TextOf(IDM_ZOOM_IN));
        EXPECT_EQ(L"元に戻す(&U)\tCtrl+Z", watcher.TextOf(IDM_UNDO));
        // At the cursor.
        EXPECT_NEAR(At(100, 50).x, watcher.Where().left, 2);
        EXPECT_NEAR(At(100, 50).y, watcher.Where().top, 2);
        PumpMessages();
    }

    Show(MakeOpaquePattern(200, 150));
    SetForegroundWindow(Main());
    ClickAt(5, 5);
    const std::vector<std::string> picked = PickFields();
    const std::vector<std::string> range = RangeFields();
    {
        // With an image the zooms can be used; the access key of "拡大" zooms in about the
        // point the menu stood at.
        MenuWatcher watcher('I');
        RightClick(At(60, 40));
        PumpMessages(100);
        ASSERT_TRUE(watcher.Wait());
        EXPECT_FALSE(watcher.IsGreyed(IDM_ZOOM_IN));
        EXPECT_FALSE(watcher.IsGreyed(IDM_ZOOM_FIT));
        EXPECT_TRUE(watcher.IsGreyed(IDM_UNDO));
        PumpMessages(100);
    }
    EXPECT_TRUE(IsZoom(2, 1)) << ZoomText();
    EXPECT_EQ(picked, PickFields());
    EXPECT_EQ(range, RangeFields());

    // From the keyboard the menu stands at the client area's top-left corner; at the largest
    // zoom, zooming in is greyed.
    Show(MakeOpaquePattern(4, 3));
    SetForegroundWindow(Main());
    for (int i = 0; i < 9; ++i)
        CtrlKey(VK_OEM_PLUS);
    ASSERT_TRUE(IsZoom(32, 1)) << ZoomText();
    MenuWatcher watcher(VK_ESCAPE);
    PressKeys({VK_APPS});
    PumpMessages(100);
    ASSERT_TRUE(watcher.Wait());
    EXPECT_TRUE(watcher.IsGreyed(IDM_ZOOM_IN));
    EXPECT_FALSE(watcher.IsGreyed(IDM_ZOOM_OUT));
    EXPECT_NEAR(At(0, 0).x, watcher.Where().left, 2);
    EXPECT_NEAR(At(0, 0).y, watcher.Where().top, 2);
}
