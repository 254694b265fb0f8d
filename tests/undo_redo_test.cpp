// Undo and redo as the user meets them: keys typed on the real keyboard in the tool panel
// and the main window, the image's pixels and the screen's, and opening forgetting edits.
#include <gtest/gtest.h>

#include <initializer_list>

#include "alpha_edit.h"
#include "app_state.h"
#include "edit_history.h"
#include "image_document.h"
#include "resource.h"
#include "test_support.h"
#include "ui_support.h"

namespace {

// Types the keys and lets the program handle them.
void Type(std::initializer_list<WORD> keys)
{
    PressKeys(keys);
    PumpMessages(100);
}

class UndoRedo : public ProgramTest {
protected:
    // An opaque grey image with the range 10, 10, 50, 40 made transparent through the panel.
    void EditTheRange()
    {
        UseImage(MakeFilledImage(120, 90, kOpaqueBlack | kGrey));
        MovePanelAside();
        original_ = ReadAllPixels(*g_document.Image());
        SetRange(g_document, 10, 10, 50, 40);
        SetDlgItemTextA(Panel(), IDC_ALPHA_VALUE, "0");
        Press(IDC_APPLY_ALPHA);
        edited_ = ReadAllPixels(*g_document.Image());
        ASSERT_NE(original_, edited_);
    }

    void Press(int id)
    {
        SendMessageA(GetDlgItem(Panel(), id), BM_CLICK, 0, 0);
        PumpMessages();
    }

    // Gives the keyboard to a window, as clicking it would.
    void Focus(HWND window)
    {
        SetForegroundWindow(GetAncestor(window, GA_ROOT));
        SetFocus(window);
        PumpMessages();
    }

    // The screen at a pixel inside the range and one outside it.
    std::pair<DWORD, DWORD> ScreenInsideAndOutside()
    {
        PumpMessages();
        const ClientPixels shot = CaptureClient(Main());
        return {shot.At(20, 20), shot.At(80, 60)};
    }

    std::vector<ArgbValue> original_;
    std::vector<ArgbValue> edited_;
};

}  // namespace

TEST_F(UndoRedo, CtrlZAndCtrlYInThePanelGiveBackTheExactPixelsOnScreenToo)
{
    EditTheRange();
    // Transparent pixels show the white background they are drawn over.
    EXPECT_EQ(std::make_pair(kWhite, kGrey), ScreenInsideAndOutside());

    Focus(GetDlgItem(Panel(), IDC_HIDE_RANGE));
    Type({VK_CONTROL, 'Z'});
    EXPECT_TRUE(original_ == ReadAllPixels(*g_document.Image()));
    EXPECT_EQ(std::make_pair(kGrey, kGrey), ScreenInsideAndOutside());

    Type({VK_CONTROL, 'Y'});
    EXPECT_TRUE(edited_ == ReadAllPixels(*g_document.Image()));
    EXPECT_EQ(std::make_pair(kWhite, kGrey), ScreenInsideAndOutside());

    Type({VK_CONTROL, 'Z'});
    Type({VK_CONTROL, VK_SHIFT, 'Z'});
    EXPECT_TRUE(edited_ == ReadAllPixels(*g_document.Image()));
    // How the bound works is EditHistory's own test; the program's is 256 MB of pixels.
    EXPECT_EQ(std::size_t{256} * 1024 * 1024, g_history.MaxBytes());
}

TEST_F(UndoRedo, InAPanelTextFieldCtrlZUndoesTheTypingNotTheImage)
{
    EditTheRange();
    HWND field = GetDlgItem(Panel(), IDC_ALPHA_VALUE);
    Focus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
    Type({'7'});
    ASSERT_EQ("7", FieldText(Panel(), IDC_ALPHA_VALUE));

    Type({VK_CONTROL, 'Z'});
    EXPECT_EQ("0", FieldText(Panel(), IDC_ALPHA_VALUE)) << "the field's own undo";
    EXPECT_TRUE(edited_ == ReadAllPixels(*g_document.Image()));

    // Redo is not the field's: it reaches the image, which has nothing to redo.
    Type({VK_CONTROL, 'Y'});
    EXPECT_TRUE(edited_ == ReadAllPixels(*g_document.Image()));
}

// A save keeps the history, and a JPEG whose quality dialog waits through an undo holds the
// image of its own Save As: the same bytes as one written before the undo.
TEST_F(UndoRedo, SavingKeepsTheHistoryAndAWaitingJpegIsNotChangedByAnUndo)
{
    EditTheRange();
    TempFolder folder;
    const auto saveAs = [&](const wchar_t* name, int fileType) {
        DialogAnswerer answer("名前をつけて保存", IDOK, FillFileDialog(folder.AnsiPath(name), fileType));
        SendMessageA(Main(), WM_COMMAND, IDM_SAVE_AS, 0);
        EXPECT_TRUE(answer.Wait());
        PumpMessages();
    };
    const auto pressOkInQualityDialog = [] {
        const std::vector<HWND> dialogs = FindTopLevelWindows(nullptr, "JPEGの画質設定");
        ASSERT_EQ(1u, dialogs.size());
        SetDlgItemTextA(dialogs[0], IDC_JPEG_QUALITY, "90");
        SendMessageA(GetDlgItem(dialogs[0], IDC_JPEG_OK), BM_CLICK, 0, 0);
        PumpMessages();
    };

    saveAs(L"edited.png", 1);
    Focus(Main());
    Type({VK_CONTROL, 'Z'});
    EXPECT_TRUE(original_ == ReadAllPixels(*g_document.Image())) << "the save emptied the history";
    Type({VK_CONTROL, 'Y'});
    ASSERT_TRUE(edited_ == ReadAllPixels(*g_document.Image()));

    saveAs(L"before.jpg", 2);
    pressOkInQualityDialog();
    saveAs(L"waiting.jpg", 2);
    Focus(Main());
    Type({VK_CONTROL, 'Z'});
    ASSERT_TRUE(original_ == ReadAllPixels(*g_document.Image()));
    pressOkInQualityDialog();
    const Bytes before = ReadFileBytes(folder.Path(L"before.jpg"));
    ASSERT_FALSE(before.empty());
    EXPECT_TRUE(before == ReadFileBytes(folder.Path(L"waiting.jpg")));
}
