// Opening without the menu: a file dropped on the main window or the tool panel, the
// command line's file, and Ctrl+O / Ctrl+S, all taking the open dialog's way.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "alpha_edit.h"
#include "app_state.h"
#include "command_line.h"
#include "edit_history.h"
#include "image_document.h"
#include "resource.h"
#include "test_support.h"
#include "ui_support.h"

namespace {

class OpenWays : public ProgramTest {
protected:
    std::string WritePicture(const std::wstring& name, std::uint32_t width, std::uint32_t height)
    {
        EXPECT_TRUE(WritePng(*MakeOpaquePattern(width, height), folder_.Path(name)));
        return folder_.AnsiPath(name);
    }

    void Drop(HWND window, const std::vector<std::string>& paths)
    {
        SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
        PumpMessages();
    }

    // An edit that could be undone, so that a test can see the history emptied.
    void EditSomething()
    {
        SetRange(g_document, 0, 0, 2, 2);
        SendMessageA(GetDlgItem(Panel(), IDC_APPLY_ALPHA), BM_CLICK, 0, 0);
        ASSERT_TRUE(g_history.CanUndo());
    }

    TempFolder folder_;
};

}  // namespace

TEST(CommandLine, OpensOnlyAnExistingFileNamedBeforeATrailingSwitch)
{
    TempFolder folder;
    ASSERT_TRUE(WriteFileBytes(folder.Path(L"photo.png"), {1}));
    ASSERT_TRUE(WriteFileBytes(folder.Path(L"my photo.png"), {1}));
    ASSERT_TRUE(WriteFileBytes(folder.Path(L"写真.png"), {1}));
    ASSERT_TRUE(CreateDirectoryW(folder.Path(L"sub").c_str(), nullptr));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.Folder().c_str());

    const std::string photo = folder.AnsiPath(L"photo.png");
    const std::string spaced = folder.AnsiPath(L"my photo.png");
    EXPECT_EQ(photo, StartupFilePath("photo.png"));
    EXPECT_EQ(photo, StartupFilePath("photo.png /f"));
    EXPECT_EQ(photo, StartupFilePath(("  \"" + photo + "\"  /F").c_str()));
    EXPECT_EQ(spaced, StartupFilePath(("\"" + spaced + "\"").c_str()));
    EXPECT_EQ(spaced, StartupFilePath("my photo.png"));
    EXPECT_EQ(folder.AnsiPath(L"写真.png"), StartupFilePath(ToAnsi(L"写真.png").c_str()));
    for (const char* line : {"", "/F", "/f", "abc/f", "-x /f", "/f x", "missing.png", "sub", "\"\"", "photo.png x"})
        EXPECT_EQ("", StartupFilePath(line)) << line;

    SetCurrentDirectoryW(previous);
}

TEST_F(OpenWays, ADroppedFileOpensAsFromTheDialogOnEitherWindow)
{
    OpenThroughMenu(WritePicture(L"first.png", 100, 80));
    EditSomething();
    const std::string second = WritePicture(L"second.png", 150, 90);
    const std::string third = WritePicture(L"third.png", 60, 40);

    Drop(Main(), {second, third});
    EXPECT_EQ(L"Tessarel あるふぁ～ - [ second.png ]", WindowTextW(Main()));
    EXPECT_EQ(150, ClientSize(Main()).cx);
    EXPECT_EQ(90, ClientSize(Main()).cy);
    EXPECT_EQ(second, std::string(g_document.OpenedPath()));
    EXPECT_STREQ("second.png", g_document.OpenedTitle());
    EXPECT_FALSE(g_history.CanUndo()) << "an open starts the history empty";

    EditSomething();
    Drop(Panel(), {third});
    EXPECT_EQ(L"Tessarel あるふぁ～ - [ third.png ]", WindowTextW(Main()));
    EXPECT_EQ(60u, g_document.GetImageSize().width);
    EXPECT_FALSE(g_history.CanUndo());

    // The next open dialog starts from the dropped file.
    std::string shownName;
    DialogAnswerer answer("画像選択", IDCANCEL, [&shownName](HWND dialog) {
        shownName = WindowTextA(GetDlgItem(dialog, kFileNameBox));
    });
    SendMessageA(Main(), WM_COMMAND, IDM_OPEN_IMAGE, 0);
    ASSERT_TRUE(answer.Wait());
    EXPECT_NE("", shownName);
    EXPECT_NE(std::string::npos, third.find(shownName)) << shownName;
}

TEST_F(OpenWays, ADroppedFileThatCannotBeDecodedOrAPathTooLongIsHandledAsTheDialogDoes)
{
    OpenThroughMenu(WritePicture(L"kept.png", 100, 80));
    const std::string text = "not an image";
    ASSERT_TRUE(WriteFileBytes(folder_.Path(L"broken.png"), {text.begin(), text.end()}));
    Drop(Main(), {folder_.AnsiPath(L"broken.png")});
    EXPECT_TRUE(g_document.Image()->IsEmpty());
    EXPECT_EQ(L"Tessarel あるふぁ～ - [ broken.png ]", WindowTextW(Main()));

    OpenThroughMenu(folder_.AnsiPath(L"kept.png"));
    const ImageHandle* kept = g_document.Image();
    const std::string tooLong = folder_.AnsiPath(std::wstring(300, L'x') + L".png");
    DialogAnswerer answer("読み込みエラー", IDOK);
    Drop(Main(), {tooLong});
    ASSERT_TRUE(answer.Wait()) << "no message box";
    EXPECT_EQ("ファイルのパスが長すぎるため、開くことができません", answer.Text());
    EXPECT_EQ(Main(), answer.Owner());
    EXPECT_EQ(kept, g_document.Image());
    EXPECT_EQ(L"Tessarel あるふぁ～ - [ kept.png ]", WindowTextW(Main()));
}

TEST_F(OpenWays, CtrlOAndCtrlSOpenTheDialogsFromTheMainWindowAndThePanel)
{
    UseImage(MakeOpaquePattern(50, 40));
    for (HWND window : {Main(), GetDlgItem(Panel(), IDC_WHOLE_RANGE), GetDlgItem(Panel(), IDC_X_FROM)}) {
        SetForegroundWindow(GetAncestor(window, GA_ROOT));
        SetFocus(window);
        PumpMessages();
        {
            DialogAnswerer answer("画像選択", IDCANCEL);
            PressKeys({VK_CONTROL, 'O'});
            PumpMessages();
            EXPECT_TRUE(answer.Wait()) << "Ctrl+O opened no open dialog";
        }
        SetForegroundWindow(GetAncestor(window, GA_ROOT));
        SetFocus(window);
        PumpMessages();
        {
            DialogAnswerer answer("名前をつけて保存", IDCANCEL);
            PressKeys({VK_CONTROL, 'S'});
            PumpMessages();
            EXPECT_TRUE(answer.Wait()) << "Ctrl+S opened no save dialog";
        }
    }
    EXPECT_EQ("0", FieldText(Panel(), IDC_X_FROM)) << "the keys typed nothing into the field";
}
