// The tools behind the tools' door besides the colour command: the alpha brush and the edge
// cleaning, driven with real mouse and keyboard input.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_state.h"
#include "edit_history.h"
#include "image_document.h"
#include "resource.h"
#include "test_support.h"
#include "ui_support.h"

namespace {

constexpr ArgbValue kOpaqueGrey = 0xFF808080u;
constexpr char kBrushCaption[] = "アルファブラシ";
constexpr char kRefineCaption[] = "縁を整える";

HWND FindToolDialog(const char* caption)
{
    HWND dialog = FindWindowA("#32770", caption);
    return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

ArgbValue PixelAt(std::uint32_t x, std::uint32_t y)
{
    ArgbValue colour = 0;
    g_document.Image()->GetPixel(x, y, colour);
    return colour;
}

ImageRef MakeGrey(std::uint32_t width, std::uint32_t height)
{
    ImageRef image = CreateArgbImage(width, height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image->SetPixel(x, y, kOpaqueGrey);
    return image;
}

class ImageTools : public ProgramTest {
protected:
    POINT At(POINT client) const { return ScreenPointOf(Main(), client); }

    // A real right click at a client point, then the access key of an item; the watcher
    // tells the items' states.
    void ChooseItem(WORD key, POINT client = {4, 4})
    {
        SetForegroundWindow(Main());
        PumpMessages();
        MenuWatcher menu(key);
        const INPUT inputs[] = {MouseInputAt(At(client), MOUSEEVENTF_RIGHTDOWN),
                                MouseInputAt(At(client), MOUSEEVENTF_RIGHTUP)};
        SendInput(2, const_cast<INPUT*>(inputs), sizeof(INPUT));
        PumpMessages(100);
        EXPECT_TRUE(menu.Wait()) << "no context menu";
        brushGreyed_ = menu.IsGreyed(IDM_ALPHA_BRUSH);
        refineGreyed_ = menu.IsGreyed(IDM_REFINE_EDGE);
        brushText_ = menu.TextOf(IDM_ALPHA_BRUSH);
        refineText_ = menu.TextOf(IDM_REFINE_EDGE);
        PumpMessages(100);
    }

    // A drag with the left button through client points, as real input.
    void Drag(std::initializer_list<POINT> points)
    {
        std::vector<INPUT> inputs;
        for (const POINT& point : points)
            inputs.push_back(MouseInputAt(At(point), inputs.empty() ? MOUSEEVENTF_LEFTDOWN : 0));
        inputs.push_back(MouseInputAt(At(*(points.end() - 1)), MOUSEEVENTF_LEFTUP));
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        PumpMessages(150);
    }

    static void SetField(HWND dialog, int id, const char* text)
    {
        SetDlgItemTextA(dialog, id, text);
        PumpMessages();
    }

    static void Ctrl(WORD key)
    {
        PressKeys({VK_CONTROL, key});
        PumpMessages(60);
    }

    bool brushGreyed_ = false;
    bool refineGreyed_ = false;
    std::wstring brushText_;
    std::wstring refineText_;
};

std::vector<std::string> Labels(HWND dialog)
{
    std::vector<std::string> labels;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == IDC_STATIC || GetDlgCtrlID(child) == 0xFFFF)
            labels.push_back(WindowTextA(child));
    return labels;
}

TEST_F(ImageTools, TheBrushItemOpensItsDialogAndOneToolIsOpenAtATime)
{
    ChooseItem(VK_ESCAPE);
    EXPECT_TRUE(brushGreyed_) << "no image";
    EXPECT_TRUE(refineGreyed_);

    UseImage(MakeGrey(200, 150));
    MovePanelAside();
    ChooseItem('B');
    EXPECT_FALSE(brushGreyed_);
    EXPECT_TRUE(refineGreyed_) << "every pixel opaque: no edge to clean";
    EXPECT_EQ(L"アルファブラシ(&B)...", brushText_);
    HWND brush = FindToolDialog(kBrushCaption);
    ASSERT_NE(nullptr, brush);
    EXPECT_EQ(Main(), GetWindow(brush, GW_OWNER));
    EXPECT_EQ("20", FieldText(brush, IDC_BRUSH_SIZE));
    EXPECT_EQ("50", FieldText(brush, IDC_BRUSH_HARDNESS));
    EXPECT_EQ("0", FieldText(brush, IDC_BRUSH_ALPHA));
    EXPECT_EQ(20, SendDlgItemMessageA(brush, IDC_BRUSH_SIZE_SLIDER, TBM_GETPOS, 0, 0));
    EXPECT_EQ(1000, SendDlgItemMessageA(brush, IDC_BRUSH_SIZE_SLIDER, TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(brush, IDC_BRUSH_PAINT));
    EXPECT_EQ("アルファ値を塗る", WindowTextA(GetDlgItem(brush, IDC_BRUSH_PAINT)));
    EXPECT_EQ("開いたときの画像に戻す", WindowTextA(GetDlgItem(brush, IDC_BRUSH_RESTORE)));
    EXPECT_EQ("閉じる", WindowTextA(GetDlgItem(brush, IDCANCEL)));
    EXPECT_EQ((std::vector<std::string>{"大きさ", "硬さ (%)", "アルファ値",
                                        "画像の上をドラッグして塗ります。Shift+クリックで直線"}),
              Labels(brush));
    RECT frame = {};
    RECT client = {};
    RECT overlap = {};
    GetWindowRect(brush, &frame);
    GetClientRect(Main(), &client);
    MapWindowPoints(Main(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_FALSE(IntersectRect(&overlap, &frame, &client)) << "placed beside the image";

    // The slider writes the field, a number past the top counts as the top.
    SendDlgItemMessageA(brush, IDC_BRUSH_SIZE_SLIDER, TBM_SETPOS, TRUE, 300);
    SendMessageA(brush, WM_HSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(GetDlgItem(brush, IDC_BRUSH_SIZE_SLIDER)));
    PumpMessages();
    EXPECT_EQ("300", FieldText(brush, IDC_BRUSH_SIZE));
    SetField(brush, IDC_BRUSH_SIZE, "5000");
    EXPECT_EQ(1000, SendDlgItemMessageA(brush, IDC_BRUSH_SIZE_SLIDER, TBM_GETPOS, 0, 0));
    SetField(brush, IDC_BRUSH_SIZE, "20");

    // The colour command closes the brush, and the brush the colour command.
    ChooseItem('K');
    EXPECT_EQ(nullptr, FindToolDialog(kBrushCaption));
    EXPECT_NE(nullptr, FindToolDialog("色を透明にする"));
    ChooseItem('B');
    EXPECT_EQ(nullptr, FindToolDialog("色を透明にする"));
    brush = FindToolDialog(kBrushCaption);
    ASSERT_NE(nullptr, brush);
    EXPECT_EQ("20", FieldText(brush, IDC_BRUSH_SIZE)) << "the settings hold for the run";
    SendMessageA(GetDlgItem(brush, IDCANCEL), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(nullptr, FindToolDialog(kBrushCaption));
}

TEST_F(ImageTools, ABrushDragPaintsItsPixelsAtAnyZoomAsOneStepAndLeavesTheRangeAndPickAlone)
{
    UseImage(MakeGrey(200, 150));
    MovePanelAside();
    const std::vector<ArgbValue> original = ReadAllPixels(*g_document.Image());
    ChooseItem('B');
    HWND brush = FindToolDialog(kBrushCaption);
    ASSERT_NE(nullptr, brush);
    SetField(brush, IDC_BRUSH_SIZE, "1");
    SetField(brush, IDC_BRUSH_HARDNESS, "100");

    // At 100% a quick drag leaves no gap: every pixel of the row between its ends.
    Drag({{20, 30}, {120, 30}});
    for (std::uint32_t x = 20; x <= 120; ++x)
        ASSERT_EQ(0x00808080u, PixelAt(x, 30)) << x;
    EXPECT_EQ(kOpaqueGrey, PixelAt(20, 29));
    EXPECT_EQ(kOpaqueGrey, PixelAt(121, 30));
    EXPECT_EQ("0", FieldText(Panel(), IDC_X_TO)) << "the drag chose no range";
    EXPECT_EQ("", FieldText(Panel(), IDC_PICK_RED)) << "nor picked";

    // Shift+click: a straight stroke from where the last one ended.
    INPUT shiftDown = {};
    shiftDown.type = INPUT_KEYBOARD;
    shiftDown.ki.wVk = VK_SHIFT;
    INPUT shiftUp = shiftDown;
    shiftUp.ki.dwFlags = KEYEVENTF_KEYUP;
    const POINT end = At({120, 90});
    const INPUT line[] = {shiftDown, MouseInputAt(end, MOUSEEVENTF_LEFTDOWN), MouseInputAt(end, MOUSEEVENTF_LEFTUP),
                          shiftUp};
    SendInput(4, const_cast<INPUT*>(line), sizeof(INPUT));
    PumpMessages(150);
    for (std::uint32_t y = 30; y <= 90; ++y)
        ASSERT_EQ(0x00808080u, PixelAt(120, y)) << y;

    // Ctrl+Z takes the line back exactly, then the drag; Ctrl+Y paints them again.
    const std::vector<ArgbValue> painted = ReadAllPixels(*g_document.Image());
    SetForegroundWindow(Main());
    Ctrl('Z');
    Ctrl('Z');
    EXPECT_TRUE(original == ReadAllPixels(*g_document.Image()));
    Ctrl('Y');
    Ctrl('Y');
    EXPECT_TRUE(painted == ReadAllPixels(*g_document.Image()));

    // At 200% a click lands on the image pixel under the cursor, and only on it.
    Ctrl(VK_OEM_PLUS);
    SetField(brush, IDC_BRUSH_ALPHA, "100");
    Drag({{81, 121}});  // image pixel (40, 60)
    EXPECT_EQ(0x64808080u, PixelAt(40, 60));
    EXPECT_EQ(kOpaqueGrey, PixelAt(41, 60));
    EXPECT_EQ(kOpaqueGrey, PixelAt(40, 61));

    // Closed, the click picks and the drag chooses the range again.
    SendMessageA(GetDlgItem(brush, IDCANCEL), BM_CLICK, 0, 0);
    PumpMessages();
    Ctrl('1');
    Drag({{150, 100}, {170, 120}});
    EXPECT_EQ("171", FieldText(Panel(), IDC_X_TO));
    EXPECT_EQ("128", FieldText(Panel(), IDC_PICK_RED));
}

TEST_F(ImageTools, TheRestoreBrushPaintsBackTheImageAsOpened)
{
    UseImage(MakeGrey(100, 80));
    MovePanelAside();
    SetDlgItemTextA(Panel(), IDC_X_TO, "100");
    SetDlgItemTextA(Panel(), IDC_Y_TO, "80");
    SetDlgItemTextA(Panel(), IDC_ALPHA_VALUE, "0");
    SendMessageA(GetDlgItem(Panel(), IDC_APPLY_ALPHA), BM_CLICK, 0, 0);
    PumpMessages();
    ASSERT_EQ(0x00808080u, PixelAt(50, 40));
    ChooseItem('B');
    HWND brush = FindToolDialog(kBrushCaption);
    ASSERT_NE(nullptr, brush);
    SendMessageA(GetDlgItem(brush, IDC_BRUSH_RESTORE), BM_CLICK, 0, 0);
    SetField(brush, IDC_BRUSH_HARDNESS, "100");
    Drag({{50, 40}});
    EXPECT_EQ(kOpaqueGrey, PixelAt(50, 40));
    EXPECT_EQ(0x00808080u, PixelAt(50, 60)) << "outside the dab";
}

// A red square cut out of white by a flood fill: its anti-aliased rim kept fully opaque as a
// mix of red and white, and the white around it made transparent.
constexpr ArgbValue kRed = 0xFFC82828u;
constexpr ArgbValue kRim = 0xFFE39393u;  // half red, half white
ImageRef MakeCutOut()
{
    ImageRef image = CreateArgbImage(120, 100);
    for (std::uint32_t y = 0; y < 100; ++y)
        for (std::uint32_t x = 0; x < 120; ++x) {
            const bool inside = x >= 40 && x < 80 && y >= 30 && y < 70;
            const bool rim = !inside && x >= 39 && x < 81 && y >= 29 && y < 71;
            image->SetPixel(x, y, inside ? kRed : rim ? kRim : 0x00FFFFFFu);
        }
    return image;
}

TEST_F(ImageTools, CleaningTheEdgeFindsTheMattePreviewsAndAppliesAsOneStep)
{
    UseImage(MakeCutOut());
    MovePanelAside();
    const std::vector<ArgbValue> original = ReadAllPixels(*g_document.Image());
    ChooseItem('E');
    EXPECT_FALSE(refineGreyed_);
    EXPECT_EQ(L"縁を整える(&E)...", refineText_);
    HWND dialog = FindToolDialog(kRefineCaption);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("255, 255, 255", FieldText(dialog, IDC_MATTE_COLOUR));
    EXPECT_EQ("2", FieldText(dialog, IDC_EDGE_WIDTH));
    EXPECT_EQ("0", FieldText(dialog, IDC_EDGE_SHRINK));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_REFINE_IN_RANGE));
    EXPECT_EQ("整える", WindowTextA(GetDlgItem(dialog, IDOK)));
    EXPECT_EQ("キャンセル", WindowTextA(GetDlgItem(dialog, IDCANCEL)));
    EXPECT_EQ((std::vector<std::string>{"背景だった色", "縁の幅", "縁を削る",
                                        "画像をクリックすると、背景だった色を選び直せます"}),
              Labels(dialog));

    // The preview shows the rim un-mixed over the checkerboard (a grey square there, over
    // which the white's share would show); the image is untouched.
    PumpMessages(100);
    const DWORD shownRim = CaptureClient(Main()).At(39, 58);
    EXPECT_NE(kRim & 0xFFFFFFu, shownRim);
    EXPECT_TRUE(original == ReadAllPixels(*g_document.Image()));

    // Cancel leaves the image as it was.
    SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_TRUE(original == ReadAllPixels(*g_document.Image()));

    // A click chooses the matte; OK applies; Ctrl+Z and Ctrl+Y are exact.
    ChooseItem('E');
    dialog = FindToolDialog(kRefineCaption);
    ASSERT_NE(nullptr, dialog);
    Drag({{60, 50}});
    EXPECT_EQ("200, 40, 40", FieldText(dialog, IDC_MATTE_COLOUR));
    Drag({{2, 2}});
    EXPECT_EQ("255, 255, 255", FieldText(dialog, IDC_MATTE_COLOUR)) << "a transparent pixel's colour";
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(nullptr, FindToolDialog(kRefineCaption));
    const ArgbValue rim = PixelAt(39, 50);
    EXPECT_LT(rim >> 24, 200u) << "the white's share went into the alpha";
    EXPECT_LT((rim >> 8) & 0xFF, 0x60u) << "and out of the colour";
    EXPECT_EQ(kRed, PixelAt(60, 50)) << "the inside stays";
    EXPECT_EQ(0x00FFFFFFu, PixelAt(5, 5)) << "the transparent part stays";
    const std::vector<ArgbValue> cleaned = ReadAllPixels(*g_document.Image());
    SetForegroundWindow(Main());
    Ctrl('Z');
    EXPECT_TRUE(original == ReadAllPixels(*g_document.Image()));
    Ctrl('Y');
    EXPECT_TRUE(cleaned == ReadAllPixels(*g_document.Image()));
}

}  // namespace
