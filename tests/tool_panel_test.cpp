// The tool panel "編集ダイアログ": its template, its fields and its buttons, driven as a
// user drives them.
#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "dialog_template.h"
#include "fitted_dialog.h"
#include "image_document.h"
#include "resource.h"
#include "test_support.h"
#include "app_state.h"
#include "ui_support.h"

namespace {

constexpr int kLabel = 0xFFFF;  // labels without an id of their own

enum Kind { DefaultButton, Button, EditField, ReadOnlyField, Label, CentredLabel, Picture };

struct ExpectedControl {
    int id;
    Kind kind;
    const wchar_t* text;
    int x, y, width, height;
};

// The panel's 34 controls, in template order.
const ExpectedControl kPanelControls[] = {
    {1001, DefaultButton, L"編集開始", 7, 234, 40, 14},
    {1002, EditField, L"0", 54, 22, 51, 13},
    {1003, EditField, L"0", 54, 47, 51, 13},
    {1004, EditField, L"0", 54, 70, 51, 13},
    {1005, EditField, L"0", 54, 92, 51, 13},
    {kLabel, Label, L"X座標", 25, 24, 25, 9},
    {kLabel, Label, L"X座標", 25, 73, 25, 9},
    {kLabel, Label, L"Y座標", 25, 49, 25, 9},
    {kLabel, Label, L"Y座標", 25, 95, 25, 9},
    {kLabel, Label, L"から", 113, 25, 12, 8},
    {kLabel, Label, L"まで", 115, 73, 13, 8},
    {kLabel, Label, L"から", 114, 50, 12, 8},
    {kLabel, Label, L"まで", 114, 95, 13, 8},
    {kLabel, Label, L"範囲", 66, 6, 19, 9},
    {kLabel, CentredLabel, L"クリックした場所の色情報", 23, 266, 119, 11},
    {kLabel, Label, L"アルファ値", 25, 289, 40, 11},
    {kLabel, Label, L"グリーン値", 25, 319, 40, 11},
    {kLabel, Label, L"レッド値", 25, 304, 40, 11},
    {kLabel, Label, L"ブルー値", 25, 334, 40, 11},
    {1010, ReadOnlyField, L"", 70, 289, 40, 12},
    {1011, ReadOnlyField, L"", 70, 304, 40, 12},
    {1012, ReadOnlyField, L"", 70, 320, 40, 12},
    {1013, ReadOnlyField, L"", 70, 334, 40, 12},
    {1017, Picture, L"", 118, 311, 13, 13},
    {1018, Button, L"全範囲を指定する", 93, 6, 64, 13},
    {1006, DefaultButton, L"範囲表示(黒)", 58, 234, 46, 14},
    {1007, DefaultButton, L"範囲消去", 117, 234, 40, 14},
    {kLabel, Label, L"アルファ値を有効にするにはPNG形式で保存してください", 23, 137, 117, 22},
    {kLabel, Label, L"アルファ値を", 17, 182, 37, 9},
    {kLabel, Label, L"--------------------------------------", 7, 253, 150, 8},
    {1019, EditField, L"255", 59, 179, 38, 14},
    {kLabel, Label, L"に変更する", 104, 181, 34, 10},
    {kLabel, Label, L"（0←薄い---------濃い→255）", 30, 164, 102, 9},
    {1008, DefaultButton, L"範囲表示(白)", 58, 216, 46, 14},
};

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

void ExpectKind(const DialogItem& item, Kind kind, const std::wstring& what)
{
    switch (kind) {
    case DefaultButton:
    case Button:
        EXPECT_EQ(0, _wcsicmp(L"Button", item.className.c_str())) << what;
        EXPECT_EQ(DWORD(kind == DefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), item.style & BS_TYPEMASK) << what;
        break;
    case EditField:
    case ReadOnlyField:
        EXPECT_EQ(0, _wcsicmp(L"Edit", item.className.c_str())) << what;
        EXPECT_TRUE(item.style & WS_BORDER) << what;
        EXPECT_EQ(kind == ReadOnlyField, (item.style & ES_READONLY) != 0) << what;
        break;
    case Label:
    case CentredLabel:
        EXPECT_EQ(0, _wcsicmp(L"Static", item.className.c_str())) << what;
        EXPECT_EQ(DWORD(kind == CentredLabel ? SS_CENTER : SS_LEFT), item.style & SS_TYPEMASK) << what;
        break;
    case Picture:
        EXPECT_EQ(0, _wcsicmp(L"Static", item.className.c_str())) << what;
        EXPECT_EQ(DWORD(SS_BITMAP), item.style & SS_TYPEMASK) << what;
        break;
    }
    EXPECT_TRUE(item.style & WS_VISIBLE) << what;
}

// Where a control's top-left corner and size land in pixels: the dialog manager converts
// each of the four numbers on its own.
RECT ToPixels(HWND dialog, int x, int y, int width, int height)
{
    RECT rect = {x, y, width, height};
    MapDialogRect(dialog, &rect);
    return rect;
}

std::wstring Describe(const ExpectedControl& listed)
{
    return L"control " + std::to_wstring(listed.id) + L" \"" + listed.text + L"\"";
}

// True when the label control shows text cut off in its own font: wrapped as it wraps, the
// text needs more width or height than the control has.
bool CutOff(HWND control, const wchar_t* text)
{
    RECT shown = {};
    GetClientRect(control, &shown);
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT needed = {0, 0, shown.right, 0};
    DrawTextW(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return needed.right > shown.right || needed.bottom > shown.bottom;
}

bool IsLabel(const ExpectedControl& listed) { return listed.kind == Label || listed.kind == CentredLabel; }

}  // namespace

TEST(ToolPanelTemplate, IsTheEditDialogInMsUiGothicWithItsThirtyFourControlsInOrder)
{
    const DialogTemplate panel = ReadDialogTemplate(IDD_TOOL_PANEL);
    ASSERT_TRUE(panel.found);
    EXPECT_EQ(L"編集ダイアログ", panel.caption);
    EXPECT_EQ(0, panel.x);
    EXPECT_EQ(70, panel.y);
    EXPECT_EQ(167, panel.cx);
    EXPECT_EQ(369, panel.cy);
    EXPECT_EQ(L"MS UI Gothic", panel.typeface);
    EXPECT_EQ(10, panel.pointSize);
    EXPECT_EQ(400, panel.weight);
    EXPECT_EQ(0, panel.italic);
    EXPECT_EQ(SHIFTJIS_CHARSET, panel.charset);
    for (const DWORD bit : {DWORD(WS_POPUP), DWORD(WS_CAPTION), DWORD(WS_SYSMENU), DWORD(DS_MODALFRAME)})
        EXPECT_EQ(bit, panel.style & bit);
    EXPECT_FALSE(panel.style & WS_VISIBLE);  // the main window shows it

    ASSERT_EQ(std::size(kPanelControls), panel.items.size());
    for (std::size_t i = 0; i < panel.items.size(); ++i) {
        const ExpectedControl& listed = kPanelControls[i];
        const DialogItem& item = panel.items[i];
        const std::wstring what = Describe(listed);
        EXPECT_EQ(listed.id, item.id & 0xFFFF) << what;
        const bool field = listed.kind == EditField || listed.kind == ReadOnlyField;
        EXPECT_EQ(field ? L"" : std::wstring(listed.text), item.text) << what;
        EXPECT_EQ(listed.x, item.x) << what;
        EXPECT_EQ(listed.y, item.y) << what;
        EXPECT_EQ(listed.width, item.cx) << what;
        EXPECT_EQ(listed.height, item.cy) << what;
        ExpectKind(item, listed.kind, what);
    }
}

namespace {

class ToolPanel : public ProgramTest {
protected:
    void Type(int id, const char* text) { SetDlgItemTextA(Panel(), id, text); }
    void Press(int id) { SendMessageA(GetDlgItem(Panel(), id), BM_CLICK, 0, 0); }
    UINT FieldNumber(int id) { return GetDlgItemInt(Panel(), id, nullptr, FALSE); }

    void TypeRange(const char* xFrom, const char* yFrom, const char* xTo, const char* yTo)
    {
        Type(IDC_X_FROM, xFrom);
        Type(IDC_Y_FROM, yFrom);
        Type(IDC_X_TO, xTo);
        Type(IDC_Y_TO, yTo);
    }


    bool MainWindowAwaitsRepaint() const
    {
        RECT update;
        return GetUpdateRect(Main(), &update, FALSE) != FALSE;
    }

    void ExpectRange(std::uint32_t xFrom, std::uint32_t yFrom, std::uint32_t xTo, std::uint32_t yTo)
    {
        EXPECT_EQ(xFrom, g_document.Range().xFrom);
        EXPECT_EQ(yFrom, g_document.Range().yFrom);
        EXPECT_EQ(xTo, g_document.Range().xTo);
        EXPECT_EQ(yTo, g_document.Range().yTo);
    }
};

}  // namespace

TEST_F(ToolPanel, OpensBesideTheMainWindowInMsUiGothic)
{
    EXPECT_EQ(L"編集ダイアログ", WindowTextW(Panel()));
    EXPECT_STREQ("#32770", ClassOf(Panel()).c_str());
    EXPECT_EQ(Main(), GetWindow(Panel(), GW_OWNER));
    EXPECT_TRUE(IsWindowVisible(Panel()));

    const auto font = reinterpret_cast<HFONT>(SendMessageA(Panel(), WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, font);
    LOGFONTW logFont = {};
    ASSERT_NE(0, GetObjectW(font, sizeof logFont, &logFont));
    EXPECT_STREQ(L"MS UI Gothic", logFont.lfFaceName);
    EXPECT_EQ(-MulDiv(10, 96, 72), logFont.lfHeight);  // 10 points on a 96-dpi screen
    EXPECT_EQ(400, logFont.lfWeight);

    // The client area starts 0, 70 dialog units into the main window's client area.
    const RECT expected = ToPixels(Panel(), 0, 70, 167, 369);
    POINT mainOrigin = {0, 0};
    ClientToScreen(Main(), &mainOrigin);
    POINT panelOrigin = {0, 0};
    ClientToScreen(Panel(), &panelOrigin);
    EXPECT_EQ(mainOrigin.x + expected.left, panelOrigin.x);
    EXPECT_EQ(mainOrigin.y + expected.top, panelOrigin.y);
    EXPECT_EQ(expected.right, ClientSize(Panel()).cx);
    EXPECT_EQ(expected.bottom, ClientSize(Panel()).cy);
}

// Where each control lies is the template's, checked above; what the user reads is checked
// here: each control's text as shown, and every label whole in the dialog's font.
TEST_F(ToolPanel, ShowsEveryControlsTextWithEveryLabelWhole)
{
    HWND control = GetWindow(Panel(), GW_CHILD);
    for (const ExpectedControl& listed : kPanelControls) {
        const std::wstring what = Describe(listed);
        ASSERT_NE(nullptr, control) << "missing " << std::string(what.begin(), what.end());
        ASSERT_EQ(listed.id, GetDlgCtrlID(control) & 0xFFFF) << what << L": controls out of template order";
        EXPECT_EQ(std::wstring(listed.text), WindowTextW(control)) << what;

        EXPECT_FALSE(IsLabel(listed) && CutOff(control, listed.text)) << what << L" is cut off";
        control = GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(nullptr, control) << "more controls than the template's 34";
}

namespace {

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A dialog made from a template's bytes, hidden, destroyed with this.
class DialogFromTemplate {
public:
    explicit DialogFromTemplate(const std::vector<DWORD>& bytes)
        : dialog_(CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(bytes.data()),
                                             nullptr, QuietDialogProc, 0))
    {
    }
    ~DialogFromTemplate() { DestroyWindow(dialog_); }
    DialogFromTemplate(const DialogFromTemplate&) = delete;
    DialogFromTemplate& operator=(const DialogFromTemplate&) = delete;

    // The labels (statics of text) it shows cut off.
    std::vector<std::wstring> LabelsCutOff() const
    {
        std::vector<std::wstring> cut;
        for (HWND control = GetWindow(dialog_, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            const LONG type = GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK;
            const std::wstring text = WindowTextW(control);
            const bool label = ClassOf(control) == "Static" && (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
            if (label && !text.empty() && CutOff(control, text.c_str()))
                cut.push_back(text);
        }
        return cut;
    }
    HWND Get() const { return dialog_; }

private:
    HWND dialog_;
};

void ExpectSameControls(const DialogTemplate& expected, const DialogTemplate& actual)
{
    ASSERT_EQ(expected.items.size(), actual.items.size());
    for (std::size_t i = 0; i < expected.items.size(); ++i) {
        const DialogItem& a = expected.items[i];
        const DialogItem& b = actual.items[i];
        EXPECT_EQ(a.id, b.id);
        EXPECT_EQ(a.className, b.className);
        EXPECT_EQ(a.text, b.text);
        EXPECT_EQ(a.style, b.style);
        EXPECT_EQ(a.exStyle, b.exStyle);
        EXPECT_TRUE(a.x == b.x && a.y == b.y && a.cx == b.cx && a.cy == b.cy) << "control " << a.id;
    }
}

}  // namespace

// Where the system lacks the template's face and puts a fixed-pitch font in its place, as a
// Wine prefix without font settings puts IPAGothic, the kana take full cells and labels lose
// their ends ("から" shows as "か"). Then the panel is made from a copy of its template naming
// a proportional gothic the system has, the same in everything else, and every label is whole.
// Where the face comes out proportional, as MS UI Gothic does here and on Windows, the template
// is used as it is.
TEST(FittedDialog, AFixedPitchFontInPlaceOfTheTemplatesFaceGivesWayToAProportionalGothic)
{
    EXPECT_TRUE(ProportionalFace(L"MS UI Gothic", SHIFTJIS_CHARSET));
    EXPECT_FALSE(ProportionalFace(L"IPAGothic", SHIFTJIS_CHARSET));
    const wchar_t* face = ProportionalJapaneseFace();
    ASSERT_NE(nullptr, face);

    const TemplateBytes panel = DialogTemplateBytes(IDD_TOOL_PANEL);
    ASSERT_NE(nullptr, panel.data);
    const std::vector<DWORD> fixedPitch = WithTypeface(panel.data, panel.size, L"IPAGothic");
    const std::vector<DWORD> fitted = WithTypeface(panel.data, panel.size, face);
    ASSERT_FALSE(fitted.empty());
    const DialogTemplate original = ReadDialogTemplate(panel.data);
    const DialogTemplate copy = ReadDialogTemplate(reinterpret_cast<const BYTE*>(fitted.data()));
    EXPECT_EQ(std::wstring(face), copy.typeface);
    EXPECT_EQ(original.caption, copy.caption);
    EXPECT_EQ(original.style, copy.style);
    EXPECT_TRUE(original.cx == copy.cx && original.cy == copy.cy);
    EXPECT_TRUE(original.pointSize == copy.pointSize && original.weight == copy.weight &&
                original.charset == copy.charset);
    ExpectSameControls(original, copy);

    const DialogFromTemplate cramped(fixedPitch), fitting(fitted);
    ASSERT_TRUE(cramped.Get() && fitting.Get());
    EXPECT_FALSE(cramped.LabelsCutOff().empty());
    EXPECT_TRUE(fitting.LabelsCutOff().empty());

    // Every other dialog's labels fit in that face too.
    for (const int id : {IDD_JPEG_QUALITY, IDD_COLOUR_KEY, IDD_ALPHA_BRUSH, IDD_REFINE_EDGE}) {
        const TemplateBytes bytes = DialogTemplateBytes(id);
        ASSERT_NE(nullptr, bytes.data) << id;
        const DialogFromTemplate dialog(WithTypeface(bytes.data, bytes.size, face));
        ASSERT_NE(nullptr, dialog.Get()) << id;
        for (const std::wstring& label : dialog.LabelsCutOff())
            ADD_FAILURE() << "dialog " << id << L": \"" << label << L"\" is cut off";
    }
}

TEST_F(ToolPanel, StartsWithZerosOpaqueAlphaAndEmptyPickFields)
{
    for (int id : {IDC_X_FROM, IDC_Y_FROM, IDC_X_TO, IDC_Y_TO})
        EXPECT_EQ("0", FieldText(Panel(), id)) << id;
    EXPECT_EQ("255", FieldText(Panel(), IDC_ALPHA_VALUE));
    for (int id : {IDC_PICK_ALPHA, IDC_PICK_RED, IDC_PICK_GREEN, IDC_PICK_BLUE})
        EXPECT_EQ("", FieldText(Panel(), id)) << id;
    EXPECT_EQ(GetDlgItem(Panel(), IDC_SWATCH), g_app.swatch);
    EXPECT_EQ(nullptr, reinterpret_cast<HANDLE>(SendMessageA(g_app.swatch, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    ExpectRange(0, 0, 0, 0);
}

TEST_F(ToolPanel, RangeFieldsAreStoredOnEveryEditWithoutARepaint)
{
    ValidateRect(Main(), nullptr);
    TypeRange("3", "4", "5", "6");
    ExpectRange(3, 4, 5, 6);
    Type(IDC_X_TO, "abc");
    EXPECT_EQ(0u, g_document.Range().xTo);
    Type(IDC_X_TO, "12");
    EXPECT_EQ(12u, g_document.Range().xTo);
    EXPECT_FALSE(MainWindowAwaitsRepaint());

    // The platform's unsigned reading decides odd texts.
    Type(IDC_Y_TO, "12abc");
    EXPECT_EQ(12u, g_document.Range().yTo);
    Type(IDC_Y_TO, "");
    EXPECT_EQ(0u, g_document.Range().yTo);
    Type(IDC_Y_FROM, "4294967295");
    EXPECT_EQ(4294967295u, g_document.Range().yFrom);
    Type(IDC_Y_FROM, "4294967296");
    EXPECT_EQ(0u, g_document.Range().yFrom);
}

TEST_F(ToolPanel, AnyNotificationOfAFieldOrButtonCounts)
{
    SetWindowTextA(GetDlgItem(Panel(), IDC_X_FROM), "9");  // stored by its change notification
    EXPECT_EQ(9u, g_document.Range().xFrom);
    g_document.SetRangeValue(RangeValue::XFrom, 1);
    SendMessageA(Panel(), WM_COMMAND, MAKEWPARAM(IDC_X_FROM, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(GetDlgItem(Panel(), IDC_X_FROM)));
    EXPECT_EQ(9u, g_document.Range().xFrom);

    SendMessageA(Panel(), WM_COMMAND, MAKEWPARAM(IDC_SHOW_RANGE_BLACK, BN_SETFOCUS), 0);
    EXPECT_TRUE(g_document.IsRangeShown());
    EXPECT_EQ(RangePenMode::Black, g_document.PenMode());
}

TEST_F(ToolPanel, WholeImageFillsTheFieldsAndSoTheRange)
{
    UseImage(MakePatternImage(320, 200));
    ValidateRect(Main(), nullptr);
    Press(IDC_WHOLE_RANGE);
    EXPECT_EQ("0", FieldText(Panel(), IDC_X_FROM));
    EXPECT_EQ("320", FieldText(Panel(), IDC_X_TO));
    EXPECT_EQ("0", FieldText(Panel(), IDC_Y_FROM));
    EXPECT_EQ("200", FieldText(Panel(), IDC_Y_TO));
    ExpectRange(0, 0, 320, 200);
    EXPECT_FALSE(MainWindowAwaitsRepaint());
}

TEST_F(ToolPanel, WithoutAnImageWholeImageAndApplyingChangeNothingTheUserSees)
{
    MovePanelAside();
    TypeRange("7", "8", "9", "10");
    Press(IDC_WHOLE_RANGE);
    EXPECT_EQ("7", FieldText(Panel(), IDC_X_FROM));
    EXPECT_EQ("9", FieldText(Panel(), IDC_X_TO));
    ExpectRange(7, 8, 9, 10);

    const ClientPixels before = CaptureClient(Main());
    TypeRange("0", "0", "100", "100");
    Type(IDC_ALPHA_VALUE, "0");
    Press(IDC_APPLY_ALPHA);
    PumpMessages();
    EXPECT_EQ(L"Tessarel あるふぁ～", WindowTextW(Main()));
    const ClientPixels after = CaptureClient(Main());
    EXPECT_EQ(400, after.width) << "the window kept its size";
    EXPECT_TRUE(before.pixels == after.pixels) << "the prompt is shown as before";
}

TEST_F(ToolPanel, ApplyingAlphaUsesItsLowEightBitsOnTheRangeOnlyAndRepaints)
{
    UseImage(MakePatternImage(40, 30));
    TypeRange("10", "10", "20", "15");
    Type(IDC_ALPHA_VALUE, "300");
    ValidateRect(Main(), nullptr);
    Press(IDC_APPLY_ALPHA);
    EXPECT_TRUE(MainWindowAwaitsRepaint());

    int wrong = 0;
    for (std::uint32_t y = 0; y < 30; ++y) {
        for (std::uint32_t x = 0; x < 40; ++x) {
            const bool inside = x >= 10 && x < 20 && y >= 10 && y < 15;
            const ArgbValue expected = inside ? (44u << 24) | (PatternColour(x, y) & 0xFFFFFF) : PatternColour(x, y);
            ArgbValue actual = 0;
            g_document.Image()->GetPixel(x, y, actual);
            if (actual != expected)
                ++wrong;
        }
    }
    EXPECT_EQ(0, wrong);
    EXPECT_EQ("300", FieldText(Panel(), IDC_ALPHA_VALUE));  // the field is not stored or rewritten
}

TEST_F(ToolPanel, ShowAndHideButtonsChangeTheOutlineTheMainWindowDraws)
{
    UseImage(MakeFilledImage(120, 90, kOpaqueBlack | kGrey));
    MovePanelAside();
    TypeRange("10", "10", "50", "40");
    Type(IDC_X_TO, "12");  // typed after the others; takes effect at the next repaint
    const auto shot = [this] {
        PumpMessages();
        return CaptureClient(Main());
    };

    Press(IDC_SHOW_RANGE_WHITE);
    ClientPixels pixels = shot();
    EXPECT_EQ(kWhite, pixels.At(10, 10));
    EXPECT_EQ(kWhite, pixels.At(12, 25));
    EXPECT_EQ(kGrey, pixels.At(50, 25));
    EXPECT_EQ(kWhite, pixels.At(11, 40));

    Press(IDC_SHOW_RANGE_BLACK);
    pixels = shot();
    EXPECT_EQ(kBlack, pixels.At(10, 10));
    EXPECT_EQ(kBlack, pixels.At(12, 40));

    Press(IDC_HIDE_RANGE);
    pixels = shot();
    EXPECT_EQ(kGrey, pixels.At(10, 10));
    EXPECT_EQ(kGrey, pixels.At(12, 40));
    EXPECT_EQ(RangePenMode::Black, g_document.PenMode());
}
