// Choosing the range by dragging with the real mouse: the live rectangle and its tooltip,
// the fields and the outline after the release, a click that only picks, and a drag over a
// scrolled image that scrolls on beyond the client area's edge.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "image_document.h"
#include "resource.h"
#include "test_support.h"
#include "app_state.h"
#include "scroll_view.h"
#include "ui_support.h"

namespace {

class RangeDrag : public ProgramTest {
protected:
    void Show(ImageRef image)
    {
        UseImage(std::move(image));
        MovePanelOffScreen();
    }

    POINT At(int x, int y) const { return ScreenPointOf(Main(), {x, y}); }

    // Presses at one client point and moves through a second to a third, where the button
    // is let go unless the drag is to be held. The press is taken before the moves are sent:
    // the system gives a move to the window under it, or to the one with the capture, when
    // the move comes.
    void Drag(POINT from, POINT to, bool release = true)
    {
        SendMouse({{At(from.x, from.y), LeftButton::Press}});
        PumpMessages();
        const POINT middle = {(from.x + to.x) / 2, (from.y + to.y) / 2};
        if (release)
            SendMouse({{At(middle.x, middle.y)}, {At(to.x, to.y)}, {At(to.x, to.y), LeftButton::Release}});
        else
            SendMouse({{At(middle.x, middle.y)}, {At(to.x, to.y)}});
        PumpMessages(100);
    }

    std::vector<std::string> RangeFields() const
    {
        std::vector<std::string> texts;
        for (int id : {IDC_X_FROM, IDC_X_TO, IDC_Y_FROM, IDC_Y_TO})
            texts.push_back(FieldText(Panel(), id));
        return texts;
    }
};

std::vector<std::string> Texts(std::initializer_list<int> values)
{
    std::vector<std::string> texts;
    for (int value : values)
        texts.push_back(std::to_string(value));
    return texts;
}

DWORD Shown(std::uint32_t x, std::uint32_t y)
{
    return PatternColour(x, y) & 0xFFFFFF;
}

// The outline from client (left, top) to (right, bottom), both included, in colour, and
// the pixel just inside its top-left corner in the colour inside.
void ExpectOutline(const ClientPixels& shot, RECT edges, DWORD colour, DWORD inside)
{
    const LONG midX = (edges.left + edges.right) / 2;
    const LONG midY = (edges.top + edges.bottom) / 2;
    for (const POINT point : {POINT{edges.left, edges.top}, POINT{edges.right, edges.bottom}, POINT{midX, edges.top},
                              POINT{midX, edges.bottom}, POINT{edges.left, midY}, POINT{edges.right, midY}})
        EXPECT_EQ(colour, shot.At(point.x, point.y)) << "at " << point.x << ", " << point.y;
    EXPECT_EQ(inside, shot.At(edges.left + 1, edges.top + 1)) << "inside";
}

// The text of the program's visible tooltip; empty when none is shown.
std::wstring ShownTooltipText(HWND owner)
{
    HWND tooltip = nullptr;
    while ((tooltip = FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr)) != nullptr)
        if (GetWindow(tooltip, GW_OWNER) == owner && IsWindowVisible(tooltip))
            break;
    if (!tooltip)
        return {};
    wchar_t text[128] = {};
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner;
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
    return text;
}

}  // namespace

TEST_F(RangeDrag, ARealDragShowsItsRectangleThenFillsTheFieldsAndTheOutlineWhileAClickOnlyPicks)
{
    Show(MakeOpaquePattern(200, 150));
    const std::vector<std::string> before = RangeFields();

    // Within the drag threshold: a pick, and nothing else.
    SendMouse({{At(30, 40), LeftButton::Press}});
    PumpMessages();
    SendMouse({{At(31, 41)}, {At(31, 41), LeftButton::Release}});
    PumpMessages(100);
    EXPECT_EQ(before, RangeFields());
    EXPECT_FALSE(g_document.IsRangeShown());
    EXPECT_EQ(std::to_string((PatternColour(30, 40) >> 16) & 0xFF), FieldText(Panel(), IDC_PICK_RED));
    EXPECT_EQ(Shown(30, 40), CaptureClient(Main()).At(30, 40));

    // Held: the rectangle from the pressed pixel to the one under the cursor, in white before
    // any show button was pressed, and the range it will give beside the cursor.
    Drag({20, 30}, {120, 80}, false);
    ExpectOutline(CaptureClient(Main()), {20, 30, 120, 80}, kWhite, Shown(21, 31));
    EXPECT_EQ(L"X 20\u2013121, Y 30\u201381 (101 \u00D7 51)", ShownTooltipText(Main()));
    EXPECT_EQ(before, RangeFields());

    // Let go: the half-open range in the fields and the document, and its outline shown.
    SendMouse({{At(120, 80), LeftButton::Release}});
    PumpMessages(100);
    EXPECT_EQ(Texts({20, 121, 30, 81}), RangeFields());
    const PixelRange range = g_document.Range();
    EXPECT_EQ(20u, range.xFrom);
    EXPECT_EQ(81u, range.yTo);
    EXPECT_TRUE(g_document.IsRangeShown());
    ExpectOutline(CaptureClient(Main()), {20, 30, 121, 81}, kWhite, Shown(21, 31));
    EXPECT_EQ(L"", ShownTooltipText(Main()));

    // After "範囲表示(黒)", upwards and to the left, and out past the image's edge.
    SendMessageA(GetDlgItem(Panel(), IDC_SHOW_RANGE_BLACK), BM_CLICK, 0, 0);
    Drag({100, 90}, {10, 5});
    EXPECT_EQ(Texts({10, 101, 5, 91}), RangeFields());
    ExpectOutline(CaptureClient(Main()), {10, 5, 101, 91}, kBlack, Shown(11, 6));
    Drag({150, 100}, {400, 300});
    EXPECT_EQ(Texts({150, 200, 100, 150}), RangeFields());

    // Over transparent pixels, which show the white beneath them, the rectangle leaves no
    // edge behind as it shrinks.
    UseImage(MakeFilledImage(200, 150, 0));
    Drag({20, 20}, {100, 80}, false);
    SendMouse({{At(60, 50)}});
    PumpMessages(100);
    const ClientPixels shrunk = CaptureClient(Main());
    EXPECT_EQ(kWhite, shrunk.At(100, 40)) << "the old right edge";
    EXPECT_EQ(kWhite, shrunk.At(40, 80)) << "the old bottom edge";
    ExpectOutline(shrunk, {20, 20, 60, 50}, kBlack, kWhite);
    SendMouse({{At(60, 50), LeftButton::Release}});
    PumpMessages(100);
}

TEST_F(RangeDrag, OnAScrolledImageCountsTheScrollAndScrollsOnWhileHeldBeyondTheEdge)
{
    Show(MakeOpaquePattern(3000, 2000));
    ScrollViewTo(Main(), {500, 400});
    PumpMessages();
    Drag({10, 10}, {60, 40}, false);
    ExpectOutline(CaptureClient(Main()), {10, 10, 60, 40}, kWhite, Shown(511, 411));
    SendMouse({{At(60, 40), LeftButton::Release}});
    PumpMessages(100);
    EXPECT_EQ(Texts({510, 561, 410, 441}), RangeFields());

    // Held over the menu bar, above the client area, the view scrolls up towards the cursor.
    Drag({300, 300}, {300, -20}, false);
    PumpMessages(500);
    SendMouse({{At(300, -20), LeftButton::Release}});
    PumpMessages(100);
    const POINT origin = ViewOrigin();
    EXPECT_EQ(500, origin.x);
    EXPECT_LT(origin.y, 400 - 100);
    EXPECT_EQ(Texts({800, 801, std::max(0, static_cast<int>(origin.y) - 20), 701}), RangeFields());
}
