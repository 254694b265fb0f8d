// "この色を透明にする" as the user meets it: the context menu item chosen by its access key, the
// modeless dialog's controls and texts, the preview over the checkerboard read from the
// screen, Cancel and OK with undo and redo, a click choosing the colour again, and
// "範囲の中だけ" following the panel's range. The checks on pixels hold for any correct colour
// work: the background clicked becomes transparent, pixels far from it stay as they were.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app_state.h"
#include "image_document.h"
#include "image_tools.h"
#include "opening.h"
#include "scroll_view.h"
#include "resource.h"
#include "test_support.h"
#include "ui_support.h"

namespace {

constexpr ArgbValue kKeyWhite = 0xFFFFFFFFu;
constexpr ArgbValue kSubjectRed = 0xFFCC2020u;
constexpr ArgbValue kStrayGrey = 0xFFE7E7E7u;  // 24 levels off the white key, alone in it
constexpr DWORD kLightGrey = 0xCCCCCC;  // the checkerboard's grey squares
constexpr DWORD kShownRed = 0xCC2020;
constexpr char kCaption[] = "色を透明にする";

// Image pixels on grey squares of the checkerboard at 100%: the background, a pixel of the
// white hole that the red subject encloses, and the background far right.
constexpr POINT kBackground = {8, 0};
constexpr POINT kHole = {72, 64};
constexpr POINT kFarBackground = {168, 0};
constexpr POINT kInsideSubject = {60, 45};

// A red square on white with a white hole in it, 200 × 150, opaque but for an 8 × 8 block
// of the background, transparent already, at kTransparent.
constexpr POINT kTransparent = {176, 8};

ImageRef MakeLogo()
{
    ImageRef image = CreateArgbImage(200, 150);
    for (std::uint32_t y = 0; y < 150; ++y)
        for (std::uint32_t x = 0; x < 200; ++x) {
            const bool square = x >= 50 && x < 130 && y >= 40 && y < 120;
            const bool hole = x >= 70 && x < 100 && y >= 60 && y < 90;
            const bool transparent = x >= 176 && x < 176 + 8 && y >= 8 && y < 8 + 8;  // kTransparent
            image->SetPixel(x, y, square && !hole ? kSubjectRed : transparent ? 0x00FFFFFFu : kKeyWhite);
        }
    return image;
}

ArgbValue PixelAt(POINT point)
{
    ArgbValue colour = 0;
    g_document.Image()->GetPixel(static_cast<std::uint32_t>(point.x), static_cast<std::uint32_t>(point.y), colour);
    return colour;
}

HWND FindDialog()
{
    HWND dialog = FindWindowA("#32770", kCaption);
    return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

class ColourKey : public ProgramTest {
protected:
    void ShowLogo()
    {
        UseImage(MakeLogo());
        MovePanelAside();
        original_ = ReadAllPixels(*g_document.Image());
    }

    POINT At(POINT client) const { return ScreenPointOf(Main(), client); }

    // Opens image as the user would a file it was written to at path (by write), and chooses
    // the item at the top left corner, on the background.
    template <typename Write>
    HWND ChooseItemOnFile(const ImageRef& image, const std::wstring& path, Write write)
    {
        EXPECT_TRUE(write(*image, path));
        OpenFileAtPath(Main(), ToAnsi(path).c_str());
        PumpMessages(100);
        MovePanelAside();
        return ChooseItemAt({2, 2});
    }

    // A real right click at a client point, then the access key of the item; whileOpen is
    // called while the menu is open.
    HWND ChooseItemAt(POINT client, WORD key = 'K', std::function<void()> whileOpen = {})
    {
        SetForegroundWindow(Main());
        PumpMessages();
        MenuWatcher menu(key, std::move(whileOpen));
        const INPUT inputs[] = {MouseInputAt(At(client), MOUSEEVENTF_RIGHTDOWN),
                                MouseInputAt(At(client), MOUSEEVENTF_RIGHTUP)};
        SendInput(2, const_cast<INPUT*>(inputs), sizeof(INPUT));
        PumpMessages(100);
        EXPECT_TRUE(menu.Wait()) << "no context menu";
        greyed_ = menu.IsGreyed(IDM_COLOUR_KEY);
        itemText_ = menu.TextOf(IDM_COLOUR_KEY);
        PumpMessages(100);
        return FindDialog();
    }

    // Opens the dialog on the background and moves it off the main window.
    HWND OpenOnBackground()
    {
        HWND dialog = ChooseItemAt(kBackground);
        EXPECT_NE(nullptr, dialog);
        SetWindowPos(dialog, nullptr, 1200, 600, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpMessages();
        return dialog;
    }

    DWORD Shown(POINT client)
    {
        PumpMessages();
        return CaptureClient(Main()).At(client.x, client.y);
    }

    static void Click(HWND dialog, int id)
    {
        SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
        PumpMessages();
    }

    std::vector<ArgbValue> original_;
    bool greyed_ = false;
    std::wstring itemText_;
};

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// Whether a control's text, in the control's own font, fits its width (less the box of a
// check box or radio button).
bool TextFits(HWND control, int allowance)
{
    const std::string text = WindowTextA(control);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    RECT box = {};
    GetClientRect(control, &box);
    return extent.cx + allowance <= box.right;
}

}  // namespace

TEST_F(ColourKey, TheMenuItemOpensTheDialogWithItsControlsAndTextsBesideThePointClicked)
{
    // Greyed without an image.
    EXPECT_EQ(nullptr, ChooseItemAt({100, 50}, VK_ESCAPE));
    EXPECT_TRUE(greyed_);
    EXPECT_EQ(L"この色を透明にする(&K)...", itemText_);

    ShowLogo();
    HWND dialog = ChooseItemAt(kBackground);
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(greyed_);
    EXPECT_EQ(Main(), GetWindow(dialog, GW_OWNER));
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    const POINT clicked = At(kBackground);
    EXPECT_FALSE(PtInRect(&frame, clicked)) << "covers the point clicked";

    EXPECT_EQ("255, 255, 255", FieldText(dialog, IDC_KEY_COLOUR));
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, IDC_KEY_COLOUR), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, IDC_TOLERANCE), GWL_STYLE) & ES_NUMBER);
    EXPECT_EQ("8", FieldText(dialog, IDC_TOLERANCE));
    HWND slider = GetDlgItem(dialog, IDC_TOLERANCE_SLIDER);
    EXPECT_EQ(0, SendMessageA(slider, TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(255, SendMessageA(slider, TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(8, SendMessageA(slider, TBM_GETPOS, 0, 0));
    EXPECT_NE(nullptr, reinterpret_cast<HBITMAP>(SendDlgItemMessageA(dialog, IDC_KEY_SWATCH, STM_GETIMAGE, IMAGE_BITMAP, 0)));

    const struct {
        int id;
        const char* text;
        bool checked;
    } buttons[] = {{IDC_CONNECTED, "クリックした所とつながった部分", true},
                   {IDC_EVERYWHERE, "画像全体のこの色", false},
                   {IDC_IN_RANGE, "範囲の中だけ", false},
                   {IDC_CLEAN_EDGES, "縁に残る背景の色を取り除く", true},
                   {IDC_SOFT_SHADOWS, "影やぼかしを半透明で残す", false}};
    constexpr int kBoxAllowance = 16;
    for (const auto& button : buttons) {
        EXPECT_EQ(button.text, FieldText(dialog, button.id));
        EXPECT_EQ(button.checked, IsChecked(dialog, button.id)) << button.text;
        EXPECT_TRUE(TextFits(GetDlgItem(dialog, button.id), kBoxAllowance)) << button.text;
    }
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, IDC_CONNECTED), GWL_STYLE) & WS_GROUP);
    EXPECT_EQ("透明にする", FieldText(dialog, IDOK));
    EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK);
    EXPECT_EQ("キャンセル", FieldText(dialog, IDCANCEL));
    std::vector<std::string> labels;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == IDC_STATIC || GetDlgCtrlID(child) == 0xFFFF) {
            labels.push_back(WindowTextA(child));
            EXPECT_TRUE(TextFits(child, 0)) << labels.back();
        }
    EXPECT_EQ((std::vector<std::string>{"許容範囲", "画像をクリックすると、色と場所を選び直せます"}), labels);

    // Chosen again from the keyboard, the same dialog comes forward with the last pick's colour.
    ClickAt(kInsideSubject.x, kInsideSubject.y);
    PumpMessages();
    SetForegroundWindow(Main());
    MenuWatcher menu('K');
    PressKeys({VK_SHIFT, VK_F10});
    PumpMessages(100);
    ASSERT_TRUE(menu.Wait());
    PumpMessages(100);
    EXPECT_EQ(dialog, FindDialog());
    EXPECT_EQ("204, 32, 32", FieldText(dialog, IDC_KEY_COLOUR));
    EXPECT_EQ(1u, FindTopLevelWindows("#32770", kCaption).size());
}

TEST_F(ColourKey, ThePreviewShowsTheCheckerboardAndCancelEscAndTheCloseBoxLeaveTheImage)
{
    ShowLogo();
    ASSERT_FALSE(g_ui.view.checkerboard);
    // Cancel, Esc in the dialog, the close box.
    for (int way = 0; way < 3; ++way) {
        HWND dialog = OpenOnBackground();
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(kLightGrey, Shown(kBackground)) << way;
        EXPECT_EQ(kWhite, Shown({0, 0})) << way;
        EXPECT_EQ(kShownRed, Shown(kInsideSubject)) << way;
        EXPECT_EQ(kWhite, Shown(kHole)) << "only the background connected to the click";
        EXPECT_TRUE(original_ == ReadAllPixels(*g_document.Image())) << "changed before OK";

        if (way == 0) {
            // Zoomed out and in, the preview is shown at the zoom.
            SetForegroundWindow(Main());
            PressKeys({VK_CONTROL, VK_OEM_MINUS});
            PumpMessages(100);
            ASSERT_EQ(2u * ViewZoom().denominator, 3u * ViewZoom().numerator) << "not at 2/3";
            EXPECT_EQ(kLightGrey, Shown({8, 0}));
            EXPECT_EQ(kShownRed, Shown({kInsideSubject.x * 2 / 3, kInsideSubject.y * 2 / 3}));
            EXPECT_EQ(kWhite, Shown({48, 42})) << "the hole";
            PressKeys({VK_CONTROL, VK_OEM_PLUS});
            PressKeys({VK_CONTROL, VK_OEM_PLUS});
            PumpMessages(100);
            ASSERT_TRUE(ViewZoom().Enlarges());
            // The checkerboard's squares stay 8 screen pixels: (8, 0) and (144, 136) are grey.
            EXPECT_EQ(kLightGrey, Shown({8, 0}));
            EXPECT_EQ(kWhite, Shown({144, 136})) << "the hole";
            PressKeys({VK_CONTROL, '1'});
            PumpMessages(100);
            Click(dialog, IDCANCEL);
        } else if (way == 1) {
            SetForegroundWindow(dialog);
            SetFocus(GetDlgItem(dialog, IDC_TOLERANCE));
            PressKeys({VK_ESCAPE});
        } else {
            SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        PumpMessages(100);
        EXPECT_EQ(nullptr, FindDialog()) << way;
        EXPECT_FALSE(IsWindow(dialog)) << way;
        EXPECT_EQ(kWhite, Shown(kBackground)) << "the checkerboard's own setting, way " << way;
        EXPECT_TRUE(original_ == ReadAllPixels(*g_document.Image())) << way;
    }
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "Esc in the dialog quit";
    // Esc in the main window quits at once, as it always does, with the dialog open too.
    ASSERT_NE(nullptr, OpenOnBackground());
    SetForegroundWindow(Main());
    SetFocus(Main());
    PressKeys({VK_ESCAPE});
    PumpMessages(100);
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "Esc in the main window did not quit";
}

TEST_F(ColourKey, TheOpenMenuReadiesThePreviewsMemoryForTheToolAlone)
{
    ShowLogo();
    const std::size_t pixels = WholeOf(g_document.GetImageSize()).PixelCount();
    std::atomic<std::size_t> whileOpen{0};
    const auto probe = [&whileOpen] { whileOpen = g_ui.view.previewMemory.PixelsStarted(); };
    // Closed without a choice: the memory was made while the menu was open, and goes back.
    EXPECT_EQ(nullptr, ChooseItemAt(kBackground, VK_ESCAPE, probe));
    EXPECT_EQ(pixels, whileOpen.load());
    EXPECT_EQ(0u, g_ui.view.previewMemory.PixelsStarted());
    EXPECT_FALSE(g_ui.view.preview.HoldsMemoryFor(pixels));
    // The tool chosen: its preview takes it and shows.
    whileOpen = 0;
    HWND dialog = ChooseItemAt(kBackground, 'K', probe);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(pixels, whileOpen.load());
    EXPECT_TRUE(g_ui.view.preview.HoldsMemoryFor(pixels));
    EXPECT_EQ(kLightGrey, Shown(kBackground));
    Click(dialog, IDCANCEL);
    // The preview keeps it after Cancel, so the menu makes none again.
    whileOpen = 1;
    EXPECT_EQ(nullptr, ChooseItemAt(kBackground, VK_ESCAPE, probe));
    EXPECT_EQ(0u, whileOpen.load());
    EXPECT_TRUE(g_ui.view.preview.HoldsMemoryFor(pixels));
    EXPECT_TRUE(original_ == ReadAllPixels(*g_document.Image()));
}

TEST_F(ColourKey, EnterAppliesOneStepThatCtrlZAndCtrlYTakeBackAndMakeAgainExactly)
{
    ShowLogo();
    HWND dialog = OpenOnBackground();
    ASSERT_NE(nullptr, dialog);
    SetForegroundWindow(dialog);
    SetFocus(GetDlgItem(dialog, IDC_TOLERANCE));
    PressKeys({VK_RETURN});
    PumpMessages(100);
    EXPECT_EQ(nullptr, FindDialog());

    EXPECT_EQ(0u, PixelAt(kBackground) >> 24);
    EXPECT_EQ(0u, PixelAt(kFarBackground) >> 24);
    EXPECT_EQ(kSubjectRed, PixelAt(kInsideSubject));
    EXPECT_EQ(kKeyWhite, PixelAt(kHole)) << "the enclosed hole stays";
    const std::vector<ArgbValue> applied = ReadAllPixels(*g_document.Image());
    // Transparent over the white the window draws on, with the checkerboard off again.
    EXPECT_EQ(kWhite, Shown(kBackground));

    SetForegroundWindow(Main());
    PressKeys({VK_CONTROL, 'Z'});
    PumpMessages(100);
    EXPECT_TRUE(original_ == ReadAllPixels(*g_document.Image()));
    PressKeys({VK_CONTROL, 'Y'});
    PumpMessages(100);
    EXPECT_TRUE(applied == ReadAllPixels(*g_document.Image()));
}

TEST_F(ColourKey, AClickChoosesAgainAndThePreviewFollowsTheOptionsTheToleranceAndTheImage)
{
    ShowLogo();
    HWND dialog = OpenOnBackground();
    ASSERT_NE(nullptr, dialog);

    // "画像全体" clears the enclosed hole too.
    Click(dialog, IDC_EVERYWHERE);
    EXPECT_EQ(kLightGrey, Shown(kHole));
    Click(dialog, IDC_CONNECTED);
    EXPECT_EQ(kWhite, Shown(kHole));

    // A click reads the image, not the preview: the background is opaque white there.
    ClickAt(kFarBackground.x, kFarBackground.y);
    PumpMessages();
    EXPECT_EQ("255", FieldText(Panel(), IDC_PICK_ALPHA));
    EXPECT_EQ("255, 255, 255", FieldText(dialog, IDC_KEY_COLOUR));

    // A click on the subject picks it, as always, and makes it the colour and the start.
    ClickAt(kInsideSubject.x, kInsideSubject.y);
    PumpMessages();
    EXPECT_EQ("204, 32, 32", FieldText(dialog, IDC_KEY_COLOUR));
    EXPECT_EQ("204", FieldText(Panel(), IDC_PICK_RED));
    EXPECT_EQ("255", FieldText(Panel(), IDC_PICK_ALPHA));
    EXPECT_EQ(kWhite, Shown(kBackground)) << "the background is the image's again";
    EXPECT_NE(kShownRed, Shown(kInsideSubject));
    EXPECT_TRUE(original_ == ReadAllPixels(*g_document.Image()));

    // The field moves the slider, a number past 255 counting as 255; the slider writes the field.
    SetDlgItemTextA(dialog, IDC_TOLERANCE, "300");
    PumpMessages();
    EXPECT_EQ(255, SendDlgItemMessageA(dialog, IDC_TOLERANCE_SLIDER, TBM_GETPOS, 0, 0));
    EXPECT_EQ(kLightGrey, Shown(kBackground)) << "everything is within 255 of the key";
    HWND slider = GetDlgItem(dialog, IDC_TOLERANCE_SLIDER);
    SendMessageA(slider, TBM_SETPOS, TRUE, 20);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
    PumpMessages();
    EXPECT_EQ("20", FieldText(dialog, IDC_TOLERANCE));
    EXPECT_EQ(kWhite, Shown(kBackground));
    // Typed with real keys, each digit reaches the field and the preview follows it.
    SetForegroundWindow(dialog);
    SetFocus(GetDlgItem(dialog, IDC_TOLERANCE));
    SendDlgItemMessageA(dialog, IDC_TOLERANCE, EM_SETSEL, 0, -1);
    for (WORD key : {'2', '5', '5'}) {
        PressKeys({key});
        PumpMessages(50);
    }
    EXPECT_EQ("255", FieldText(dialog, IDC_TOLERANCE));
    EXPECT_EQ(kLightGrey, Shown(kBackground));
    SetDlgItemTextA(dialog, IDC_TOLERANCE, "20");
    PumpMessages();

    // An edit under the dialog: the preview follows the image.
    SetRange(g_document, 50, 40, 130, 120);
    SetDlgItemTextA(Panel(), IDC_ALPHA_VALUE, "0");
    SendMessageA(GetDlgItem(Panel(), IDC_APPLY_ALPHA), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(0u, PixelAt(kInsideSubject) >> 24);
    EXPECT_EQ(kLightGrey, Shown(kHole)) << "the hole, made transparent by the edit";

    // The next dialog starts at the tolerance the picture needs, not the one last used: the
    // logo's background is clean.
    Click(dialog, IDCANCEL);
    EXPECT_NE(nullptr, OpenOnBackground());
    EXPECT_EQ("8", FieldText(FindDialog(), IDC_TOLERANCE));

    // Opening another image closes it, as Cancel does.
    OpenFileAtPath(Main(), ToAnsi(TestData(L"pngsuite/basn6a08.png")).c_str());
    PumpMessages(100);
    EXPECT_EQ(nullptr, FindDialog());
    EXPECT_FALSE(IsToolPreviewShown());
}

TEST_F(ColourKey, InTheRangeOnlyChangesTheRangeAndFollowsThePanelsFields)
{
    ShowLogo();
    HWND dialog = OpenOnBackground();
    ASSERT_NE(nullptr, dialog);
    SetDlgItemTextA(Panel(), IDC_X_FROM, "0");
    SetDlgItemTextA(Panel(), IDC_X_TO, "40");
    SetDlgItemTextA(Panel(), IDC_Y_FROM, "0");
    SetDlgItemTextA(Panel(), IDC_Y_TO, "150");
    Click(dialog, IDC_IN_RANGE);
    EXPECT_EQ(kLightGrey, Shown(kBackground));
    EXPECT_EQ(kWhite, Shown(kFarBackground)) << "outside the range";
    EXPECT_EQ(kLightGrey, Shown(kTransparent)) << "transparent already: the checkerboard shows through";

    // The range typed in the panel: the preview follows.
    SetDlgItemTextA(Panel(), IDC_X_TO, "190");
    PumpMessages(60);
    EXPECT_EQ(kLightGrey, Shown(kFarBackground));
    SetDlgItemTextA(Panel(), IDC_X_TO, "160");
    PumpMessages(60);
    EXPECT_EQ(kWhite, Shown(kFarBackground));

    // Zoomed out to 2/3, the view pixels across the range's edge average old and new pixels.
    SetForegroundWindow(Main());
    PressKeys({VK_CONTROL, VK_OEM_MINUS});
    PumpMessages(100);
    EXPECT_EQ(kLightGrey, Shown({8, 0}));
    EXPECT_EQ(kWhite, Shown({120, 0})) << "image pixel 180, outside the range";
    const DWORD acrossEdge = Shown({106, 2});  // image pixels 159 and 160
    EXPECT_GT(acrossEdge & 0xFF, kLightGrey & 0xFF);
    EXPECT_LT(acrossEdge & 0xFF, kWhite & 0xFF);
    PressKeys({VK_CONTROL, '1'});
    PumpMessages(100);

    Click(dialog, IDOK);
    EXPECT_EQ(0u, PixelAt(kBackground) >> 24);
    EXPECT_EQ(0u, PixelAt({159, 149}) >> 24);
    EXPECT_EQ(kKeyWhite, PixelAt(kFarBackground));
    EXPECT_EQ(kKeyWhite, PixelAt({199, 0}));
    EXPECT_EQ(kSubjectRed, PixelAt(kInsideSubject));
}

namespace {

// A red bar from the top edge to the bottom cuts the white background in two parts.
ImageRef MakeSplitLogo()
{
    ImageRef image = CreateArgbImage(200, 150);
    for (std::uint32_t y = 0; y < 150; ++y)
        for (std::uint32_t x = 0; x < 200; ++x)
            image->SetPixel(x, y, x >= 90 && x < 110 ? kSubjectRed : kKeyWhite);
    return image;
}

}  // namespace

TEST_F(ColourKey, ShiftClickAddsAPartOfTheBackgroundAndOkAppliesEveryPartAsOneStep)
{
    UseImage(MakeSplitLogo());
    MovePanelAside();
    const std::vector<ArgbValue> original = ReadAllPixels(*g_document.Image());
    HWND dialog = OpenOnBackground();
    ASSERT_NE(nullptr, dialog);
    constexpr POINT kLeft = {8, 0};  // on grey squares of the checkerboard
    constexpr POINT kRight = {168, 0};
    EXPECT_EQ(kLightGrey, Shown(kLeft));
    EXPECT_EQ(kWhite, Shown(kRight)) << "the other part, cut off by the bar";

    // Shift+click on the other part adds it; the key colour stays the first one chosen.
    const POINT right = At(kRight);
    SetForegroundWindow(Main());
    INPUT shiftDown = {};
    shiftDown.type = INPUT_KEYBOARD;
    shiftDown.ki.wVk = VK_SHIFT;
    INPUT shiftUp = shiftDown;
    shiftUp.ki.dwFlags = KEYEVENTF_KEYUP;
    const INPUT inputs[] = {shiftDown, MouseInputAt(right, MOUSEEVENTF_LEFTDOWN), MouseInputAt(right, MOUSEEVENTF_LEFTUP),
                            shiftUp};
    SendInput(4, const_cast<INPUT*>(inputs), sizeof(INPUT));
    PumpMessages(150);
    EXPECT_EQ(kLightGrey, Shown(kRight));
    EXPECT_EQ(kLightGrey, Shown(kLeft));
    EXPECT_EQ(kShownRed, Shown({100, 75}));
    EXPECT_EQ("255, 255, 255", FieldText(dialog, IDC_KEY_COLOUR));

    Click(dialog, IDOK);
    EXPECT_EQ(0u, PixelAt({8, 100}) >> 24);
    EXPECT_EQ(0u, PixelAt({190, 100}) >> 24);
    EXPECT_EQ(kSubjectRed, PixelAt({100, 75}));
    SetForegroundWindow(Main());
    PressKeys({VK_CONTROL, 'Z'});
    PumpMessages();
    EXPECT_TRUE(original == ReadAllPixels(*g_document.Image())) << "one step gives every part back";
}

// A PNG's few stray pixels near the key, a shadow's grain where it fades out, are no noise: the
// dialog opens at 8 on it (in a JPEG, such pixels as near the key would count as its noise).
TEST_F(ColourKey, AFewStrayPixelsOfAPngLeaveTheToleranceAtEight)
{
    ImageRef logo = MakeLogo();
    for (std::uint32_t x = 10; x < 170; x += 4)
        logo->SetPixel(x, 20, kStrayGrey);
    const TempFolder folder;
    HWND dialog = ChooseItemOnFile(logo, folder.Path(L"grainy-logo.png"), WritePng);
    EXPECT_FALSE(g_document.FromLossyFile());
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("8", FieldText(dialog, IDC_TOLERANCE));
    Click(dialog, IDCANCEL);
}

TEST_F(ColourKey, AJpegsNoiseStartsTheToleranceAboveTheCleanEight)
{
    ImageRef logo = MakeLogo();
    logo->SetPixel(176, 8, kKeyWhite);
    const TempFolder folder;
    HWND dialog = ChooseItemOnFile(logo, folder.Path(L"noisy-logo.jpg"), WriteJpeg);
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(g_document.FromLossyFile());
    const unsigned tolerance = std::stoul(FieldText(dialog, IDC_TOLERANCE));
    EXPECT_GT(tolerance, 8u);
    EXPECT_LE(tolerance, 64u);
    EXPECT_EQ(tolerance, SendDlgItemMessageA(dialog, IDC_TOLERANCE_SLIDER, TBM_GETPOS, 0, 0));
    Click(dialog, IDCANCEL);
}
