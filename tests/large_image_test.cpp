// Images larger than the screen: scroll bars, scrolling by bar, wheel and keys, and the
// picture, outline and pick following the scroll position; and repaints that draw only
// what they must, with the same pixels as drawing the whole image.
#include <gtest/gtest.h>

#include <algorithm>

#include "alpha_edit.h"
#include "image_document.h"
#include "image_canvas.h"
#include "resource.h"
#include "test_support.h"
#include "app_state.h"
#include "scroll_view.h"
#include "ui_support.h"

namespace {

// Larger than the 1600 × 1200 test display in both directions.
constexpr std::uint32_t kLargeWidth = 3000;
constexpr std::uint32_t kLargeHeight = 2000;
constexpr int kStep = 32;  // what one arrow scrolls

class LargeImage : public ProgramTest {
protected:
    void Show(ImageRef image)
    {
        UseImage(std::move(image));
        MovePanelOffScreen();
    }

    void Send(UINT message, WPARAM wParam, LPARAM lParam = 0)
    {
        SendMessageA(Main(), message, wParam, lParam);
        PumpMessages();
    }

    POINT Thumbs() const { return {GetScrollPos(Main(), SB_HORZ), GetScrollPos(Main(), SB_VERT)}; }

    // The client area shows the opaque pattern from image pixel origin on, pixel for pixel.
    void ExpectViewFrom(POINT origin)
    {
        const POINT thumbs = Thumbs();
        EXPECT_EQ(origin.x, thumbs.x);
        EXPECT_EQ(origin.y, thumbs.y);
        const ClientPixels shot = CaptureClient(Main());
        int wrong = 0;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                if (shot.At(x, y) != (PatternColour(x + origin.x, y + origin.y) & 0xFFFFFF) && ++wrong <= 3)
                    ADD_FAILURE() << "client (" << x << ", " << y << ") is " << std::hex << shot.At(x, y);
        EXPECT_EQ(0, wrong) << "from (" << origin.x << ", " << origin.y << ")";
    }

    std::vector<std::string> PickFields() const
    {
        std::vector<std::string> texts;
        for (int id : {IDC_PICK_ALPHA, IDC_PICK_RED, IDC_PICK_GREEN, IDC_PICK_BLUE})
            texts.push_back(FieldText(Panel(), id));
        return texts;
    }
};

// A wheel message's first parameter: the keys held and the turn, negative towards the user.
WPARAM Wheel(int delta, WORD keys = 0)
{
    return MAKEWPARAM(keys, static_cast<WORD>(static_cast<short>(delta)));
}

std::vector<std::string> FieldsOf(ArgbValue colour)
{
    return {std::to_string(colour >> 24), std::to_string((colour >> 16) & 0xFF),
            std::to_string((colour >> 8) & 0xFF), std::to_string(colour & 0xFF)};
}

RECT WorkArea()
{
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

}  // namespace

TEST_F(LargeImage, GetsABarForEachDirectionThatDoesNotFitAndFillsTheWorkArea)
{
    Show(MakeOpaquePattern(kLargeWidth, kLargeHeight));
    EXPECT_EQ(WS_HSCROLL | WS_VSCROLL, GetWindowLongA(Main(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
    RECT frame = {};
    GetWindowRect(Main(), &frame);
    const RECT work = WorkArea();
    EXPECT_TRUE(EqualRect(&frame, &work)) << frame.left << "," << frame.top << " " << frame.right << "," << frame.bottom;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    ASSERT_TRUE(GetScrollInfo(Main(), SB_HORZ, &info));
    EXPECT_EQ(static_cast<int>(kLargeWidth) - 1, info.nMax);
    EXPECT_EQ(static_cast<UINT>(ClientSize(Main()).cx), info.nPage);
    ExpectViewFrom({0, 0});

    // Too wide only: no vertical bar, and the client area keeps the image's height.
    Show(MakeOpaquePattern(kLargeWidth, 300));
    EXPECT_EQ(WS_HSCROLL, GetWindowLongA(Main(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
    EXPECT_EQ(300, ClientSize(Main()).cy);
    ExpectViewFrom({0, 0});

    // An image that fits: no bars, and the client area is the image, as it always was.
    Show(MakeOpaquePattern(640, 480));
    EXPECT_EQ(0, GetWindowLongA(Main(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
    EXPECT_EQ(640, ClientSize(Main()).cx);
    EXPECT_EQ(480, ClientSize(Main()).cy);
    ExpectViewFrom({0, 0});
}

TEST_F(LargeImage, ScrollBarsWheelAndKeysReachEveryPartAndEscapeStillQuits)
{
    Show(MakeOpaquePattern(kLargeWidth, kLargeHeight));
    const SIZE client = ClientSize(Main());
    const POINT last = {static_cast<int>(kLargeWidth) - client.cx, static_cast<int>(kLargeHeight) - client.cy};
    // Where the view should be: each move stops at the image's edges.
    POINT expected = {0, 0};
    const auto moved = [&](int dx, int dy) {
        expected = {std::clamp<LONG>(expected.x + dx, 0, last.x), std::clamp<LONG>(expected.y + dy, 0, last.y)};
        return expected;
    };

    Send(WM_VSCROLL, SB_LINEDOWN);
    Send(WM_HSCROLL, SB_LINERIGHT);
    ExpectViewFrom(moved(kStep, kStep));
    Send(WM_HSCROLL, SB_PAGERIGHT);
    Send(WM_VSCROLL, SB_PAGEDOWN);
    ExpectViewFrom(moved(client.cx, client.cy));
    Send(WM_HSCROLL, SB_TOP);
    Send(WM_VSCROLL, SB_TOP);
    ExpectViewFrom(moved(-last.x, -last.y));

    UINT lines = 0;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int notch = static_cast<int>(lines) * kStep;
    Send(WM_MOUSEWHEEL, Wheel(-WHEEL_DELTA));
    Send(WM_MOUSEWHEEL, Wheel(-2 * WHEEL_DELTA, MK_SHIFT));
    ExpectViewFrom(moved(2 * notch, notch));

    Send(WM_KEYDOWN, VK_END);
    ExpectViewFrom(moved(last.x, last.y));
    Send(WM_KEYDOWN, VK_PRIOR);
    Send(WM_KEYDOWN, VK_LEFT);
    ExpectViewFrom(moved(-kStep, -client.cy));
    Send(WM_KEYDOWN, VK_HOME);
    Send(WM_KEYDOWN, VK_NEXT);
    Send(WM_KEYDOWN, VK_RIGHT);
    moved(-last.x, -last.y);
    ExpectViewFrom(moved(kStep, client.cy));

    SendMessageA(Main(), WM_KEYDOWN, VK_ESCAPE, 0);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The press, the move and the release are queued together: the bar's own tracking loop
// takes them while the test waits in the message pump.
TEST_F(LargeImage, DraggingTheThumbScrollsWithTheMouse)
{
    Show(MakeOpaquePattern(kLargeWidth, kLargeHeight));
    SCROLLBARINFO bar = {};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(Main(), OBJID_VSCROLL, &bar));
    const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
    const int y = bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
    constexpr int kDrag = 200;
    SetCursorPos(x, y);
    PumpMessages();
    SendMouse({{{x, y}, LeftButton::Press}, {{x, y + kDrag}}, {{x, y + kDrag}, LeftButton::Release}});
    PumpMessages(200);
    const POINT thumbs = Thumbs();
    EXPECT_EQ(0, thumbs.x);
    EXPECT_GT(thumbs.y, kDrag);  // the image moves further than the thumb
    ExpectViewFrom(thumbs);
}

TEST_F(LargeImage, PickAndOutlineFollowTheScrollPositionToTheLastPixel)
{
    Show(MakeOpaquePattern(kLargeWidth, kLargeHeight));
    ScrollViewTo(Main(), {5, 8});
    PumpMessages();
    SetRange(g_document, 10, 10, 110, 60);
    g_document.ShowRange(RangePenMode::White);
    InvalidateRect(Main(), nullptr, TRUE);
    PumpMessages();
    const ClientPixels shot = CaptureClient(Main());
    for (const POINT corner : {POINT{5, 2}, POINT{105, 2}, POINT{5, 52}, POINT{105, 52}, POINT{50, 2}, POINT{5, 30}})
        EXPECT_EQ(kWhite, shot.At(corner.x, corner.y)) << corner.x << ", " << corner.y;
    EXPECT_EQ(PatternColour(6 + 5, 3 + 8) & 0xFFFFFF, shot.At(6, 3));  // inside, no fill
    EXPECT_EQ(PatternColour(4 + 5, 2 + 8) & 0xFFFFFF, shot.At(4, 2));  // outside, left of it

    ClickAt(20, 30);
    EXPECT_EQ(FieldsOf(PatternColour(25, 38) | kOpaqueBlack), PickFields());

    // At the bottom-right corner, made transparent: the last pixel is reached and edited.
    Send(WM_KEYDOWN, VK_END);
    SetRange(g_document, kLargeWidth - 100, kLargeHeight - 50, kLargeWidth, kLargeHeight);
    g_document.ShowRange(RangePenMode::Black);
    ApplyAlphaToRange(g_document, 0);
    InvalidateRect(Main(), nullptr, TRUE);
    PumpMessages();
    const SIZE client = ClientSize(Main());
    ClickAt(client.cx - 1, client.cy - 1);
    EXPECT_EQ(FieldsOf(PatternColour(kLargeWidth - 1, kLargeHeight - 1) & 0xFFFFFF), PickFields());
    const ClientPixels corner = CaptureClient(Main());
    EXPECT_EQ(kWhite, corner.At(client.cx - 1, client.cy - 1));  // alpha 0 over the white background
    EXPECT_EQ(0u, corner.At(client.cx - 100, client.cy - 2));      // the outline's left edge
    EXPECT_EQ(0u, corner.At(client.cx - 40, client.cy - 50));      // and its top edge
    EXPECT_EQ(PatternColour(kLargeWidth - 101, kLargeHeight - 51) & 0xFFFFFF,
              corner.At(client.cx - 101, client.cy - 51));  // outside the range, untouched
}

TEST_F(LargeImage, EveryOpenStartsAtTheTopLeftCorner)
{
    TempFolder folder;
    ASSERT_TRUE(WritePng(*MakeOpaquePattern(kLargeWidth, kLargeHeight), folder.Path(L"large.png")));
    OpenThroughMenu(folder.AnsiPath(L"large.png"));
    MovePanelOffScreen();
    Send(WM_KEYDOWN, VK_END);
    ASSERT_GT(Thumbs().y, 0);
    OpenThroughMenu(folder.AnsiPath(L"large.png"));
    ExpectViewFrom({0, 0});
}

TEST_F(LargeImage, ARepaintDrawsOnlyItsUpdateRectangleWithThePixelsOfAWholeImageDraw)
{
    // Semi-transparent pixels of every alpha, over the white the erase leaves.
    Show(MakePatternImage(400, 300));
    const ClientPixels painted = CaptureClient(Main());
    {
        HDC dc = GetDC(Main());
        RECT client = {0, 0, 400, 300};
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ImageCanvas canvas(dc);
        canvas.DrawImageAtOrigin(g_document.Image());
        ReleaseDC(Main(), dc);
    }
    const ClientPixels whole = CaptureClient(Main());
    ASSERT_EQ(400, painted.width);
    EXPECT_TRUE(painted.pixels == whole.pixels) << "the paint differs from drawing the whole image";

    SetRange(g_document, 0, 0, 400, 300);
    ApplyAlphaToRange(g_document, 0);
    RECT part = {50, 40, 170, 100};
    InvalidateRect(Main(), &part, TRUE);
    PumpMessages();
    const ClientPixels after = CaptureClient(Main());
    int wrong = 0;
    for (int y = 0; y < after.height; ++y)
        for (int x = 0; x < after.width; ++x) {
            const POINT point = {x, y};
            const DWORD expected = PtInRect(&part, point) ? kWhite : whole.At(x, y);
            if (after.At(x, y) != expected)
                ++wrong;
        }
    EXPECT_EQ(0, wrong) << "pixels that are neither repainted inside the rectangle nor kept outside";
}
