// Opening images through the real open dialog, and what the main window then shows.
#include <gtest/gtest.h>

#include "alpha_edit.h"
#include "crafted_files.h"
#include "image_document.h"
#include "path_conversion.h"
#include "resource.h"
#include "image_loader.h"
#include "test_support.h"
#include "app_state.h"
#include "ui_support.h"

namespace {

class OpenImageTest : public ProgramTest {
protected:
    // Writes an opaque pattern PNG into the test's folder and returns its code page 932 path.
    std::string WritePicture(const std::wstring& name, std::uint32_t width, std::uint32_t height)
    {
        const ImageRef image = MakeOpaquePattern(width, height);
        EXPECT_TRUE(WritePng(*image, folder_.Path(name)));
        return folder_.AnsiPath(name);
    }

    TempFolder folder_;
};

}  // namespace

TEST(PathConversion, JapanesePathsReachTheImagingLibraryAsTheSameCharacters)
{
    wchar_t wide[260];
    ASSERT_TRUE(ConvertPathToWide(ToAnsi(L"C:\\画像フォルダ\\写真ー～①.png").c_str(), wide));
    EXPECT_STREQ(L"C:\\画像フォルダ\\写真ー～①.png", wide);
    ASSERT_TRUE(ConvertPathToWide("C:\\plain\\cat.png", wide));
    EXPECT_STREQ(L"C:\\plain\\cat.png", wide);
}

TEST(PathConversion, PathsThatDoNotConvertOrFitGiveAnEmptyString)
{
    wchar_t wide[8];
    std::wmemset(wide, L'x', 8);
    EXPECT_FALSE(ConvertPathToWide("C:\\\x81", wide));  // a lead byte without its trail byte
    EXPECT_STREQ(L"", wide);

    std::wmemset(wide, L'x', 8);
    EXPECT_FALSE(ConvertPathToWide("C:\\toolong.png", wide));
    EXPECT_STREQ(L"", wide);

    EXPECT_TRUE(ConvertPathToWide("C:\\a.pn", wide));  // seven units and the terminator fit
    EXPECT_STREQ(L"C:\\a.pn", wide);
}

TEST_F(OpenImageTest, A640By480PngFitsTheWindowAndNamesTheFileInTheCaption)
{
    const std::string path = WritePicture(L"picture.png", 640, 480);
    OpenThroughMenu(path);

    EXPECT_TRUE(g_document.HasImage());
    EXPECT_EQ(640u, g_document.GetImageSize().width);
    EXPECT_EQ(480u, g_document.GetImageSize().height);
    EXPECT_EQ(path, std::string(g_document.OpenedPath()));
    EXPECT_STREQ("picture.png", g_document.OpenedTitle());
    const SIZE client = ClientSize(Main());
    EXPECT_EQ(640, client.cx);
    EXPECT_EQ(480, client.cy);
    EXPECT_EQ(L"Tessarel あるふぁ～ - [ picture.png ]", WindowTextW(Main()));
}

TEST_F(OpenImageTest, EveryPaintSnapsTheWindowBackToTheImage)
{
    OpenThroughMenu(WritePicture(L"snap.png", 120, 90));
    SetWindowPos(Main(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowTextA(Main(), "other");
    InvalidateRect(Main(), nullptr, TRUE);
    PumpMessages();
    EXPECT_EQ(120, ClientSize(Main()).cx);
    EXPECT_EQ(90, ClientSize(Main()).cy);
    EXPECT_EQ(L"Tessarel あるふぁ～ - [ snap.png ]", WindowTextW(Main()));
}

TEST_F(OpenImageTest, FileWithAJapaneseNameOpens)
{
    const std::string path = WritePicture(L"写真テスト～.png", 64, 48);
    OpenThroughMenu(path);

    EXPECT_EQ(64u, g_document.GetImageSize().width);
    EXPECT_STREQ(folder_.Path(L"写真テスト～.png").c_str(), g_document.WidePath());
    EXPECT_EQ(L"Tessarel あるふぁ～ - [ 写真テスト～.png ]", WindowTextW(Main()));
}

TEST_F(OpenImageTest, UndecodableFileGivesAnEmptyImageWithItsNameInTheCaption)
{
    const std::string text = "this is not an image";
    ASSERT_TRUE(WriteFileBytes(folder_.Path(L"broken.png"), {text.begin(), text.end()}));
    OpenThroughMenu(folder_.AnsiPath(L"broken.png"));

    EXPECT_TRUE(g_document.HasImage());
    ASSERT_NE(nullptr, g_document.Image());
    EXPECT_TRUE(g_document.Image()->IsEmpty());
    // The window asks for a 0 × 0 client area; the system keeps a minimum width.
    EXPECT_EQ(0, ClientSize(Main()).cy);
    EXPECT_LT(ClientSize(Main()).cx, 400);
    EXPECT_EQ(L"Tessarel あるふぁ～ - [ broken.png ]", WindowTextW(Main()));

    // Editing the empty image changes nothing the user sees.
    SetRange(g_document, 0, 0, 100, 100);
    SendMessageA(GetDlgItem(Panel(), IDC_APPLY_ALPHA), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_TRUE(g_document.Image()->IsEmpty());
    EXPECT_EQ(0, ClientSize(Main()).cy);
    EXPECT_EQ(L"Tessarel あるふぁ～ - [ broken.png ]", WindowTextW(Main()));
}

TEST_F(OpenImageTest, AGoodFileOpenedAfterAnUndecodableOneIsShownAndNamed)
{
    // The undecodable file leaves a client area with no height, which has nothing to paint.
    const std::string text = "this is not an image";
    ASSERT_TRUE(WriteFileBytes(folder_.Path(L"broken.png"), {text.begin(), text.end()}));
    OpenThroughMenu(folder_.AnsiPath(L"broken.png"));
    ASSERT_EQ(0, ClientSize(Main()).cy);

    OpenThroughMenu(WritePicture(L"good.png", 150, 100));
    EXPECT_EQ(150, ClientSize(Main()).cx);
    EXPECT_EQ(100, ClientSize(Main()).cy);
    EXPECT_EQ(L"Tessarel あるふぁ～ - [ good.png ]", WindowTextW(Main()));

    OpenThroughMenu(folder_.AnsiPath(L"broken.png"));
    OpenThroughMenu(folder_.AnsiPath(L"broken.png"));
    EXPECT_EQ(L"Tessarel あるふぁ～ - [ broken.png ]", WindowTextW(Main()));
}

TEST_F(OpenImageTest, NextDialogStartsWithThePreviousPathAndCancelKeepsTheEditedImage)
{
    const std::string path = WritePicture(L"first.png", 30, 20);
    OpenThroughMenu(path);
    SetRange(g_document, 0, 0, 1, 1);
    ApplyAlphaToRange(g_document, 0);
    const ImageHandle* edited = g_document.Image();

    std::string shownName;
    DialogAnswerer answer("画像選択", IDCANCEL, [&shownName](HWND dialog) {
        char text[MAX_PATH] = {};
        GetWindowTextA(GetDlgItem(dialog, kFileNameBox), text, sizeof text);
        shownName = text;
    });
    SendMessageA(Main(), WM_COMMAND, IDM_OPEN_IMAGE, 0);
    ASSERT_TRUE(answer.Wait());
    PumpMessages();

    EXPECT_NE(std::string::npos, path.find(shownName)) << "the dialog showed \"" << shownName << '"';
    EXPECT_NE("", shownName);
    EXPECT_EQ(edited, g_document.Image());  // not read again
    ArgbValue colour = 0;
    ASSERT_TRUE(g_document.Image()->GetPixel(0, 0, colour));
    EXPECT_EQ(0u, colour >> 24);
    EXPECT_EQ(path, std::string(g_document.OpenedPath()));
}

TEST_F(OpenImageTest, OpeningTheSameFileAgainDiscardsTheEdits)
{
    const std::string path = WritePicture(L"again.png", 30, 20);
    OpenThroughMenu(path);
    SetRange(g_document, 0, 0, 30, 20);
    ApplyAlphaToRange(g_document, 0);
    OpenThroughMenu(path);

    ArgbValue colour = 0;
    ASSERT_TRUE(g_document.Image()->GetPixel(5, 5, colour));
    EXPECT_EQ(PatternColour(5, 5) | kOpaqueBlack, colour);
}

TEST_F(OpenImageTest, ImageIsDrawnOnePixelToOneScreenPixelWhateverItsResolution)
{
    // This file records 1000 pixels a metre (about 25 dpi); left to scale it by that, GDI+
    // would draw it nearly four times larger than its 32 × 32 pixels.
    const std::wstring file = TestData(L"pngsuite/cdun2c08.png");
    OpenThroughMenu(ToAnsi(file));
    MovePanelAside();
    const ImageRef decoded = LoadImageFile(file.c_str());

    // The system keeps the window wider than 32 pixels; the image fills the left of it.
    const ClientPixels shot = CaptureClient(Main());
    ASSERT_GE(shot.width, 32);
    ASSERT_EQ(32, shot.height);
    int mismatches = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            ArgbValue colour = 0;
            ASSERT_TRUE(decoded->GetPixel(x, y, colour));
            if (shot.At(x, y) != (colour & 0x00FFFFFF))
                ++mismatches;
        }
    }
    EXPECT_EQ(0, mismatches);
}

TEST_F(OpenImageTest, OutlineLiesExactlyOnTheRangeEdgesInTheChosenColour)
{
    const ImageRef grey = MakeFilledImage(200, 150, 0xFF000000 | kGrey);
    ASSERT_TRUE(WritePng(*grey, folder_.Path(L"grey.png")));
    OpenThroughMenu(folder_.AnsiPath(L"grey.png"));
    MovePanelAside();
    SetRange(g_document, 10, 20, 110, 70);

    for (const auto& [mode, colour] : {std::pair{RangePenMode::White, kWhite}, std::pair{RangePenMode::Black, kBlack}}) {
        g_document.ShowRange(mode);
        InvalidateRect(Main(), nullptr, TRUE);
        PumpMessages();
        const ClientPixels shot = CaptureClient(Main());
        ASSERT_EQ(200, shot.width);
        int wrong = 0;
        for (int y = 0; y < shot.height; ++y) {
            for (int x = 0; x < shot.width; ++x) {
                const bool onEdge = ((x == 10 || x == 110) && y >= 20 && y <= 70) ||
                                    ((y == 20 || y == 70) && x >= 10 && x <= 110);
                if (shot.At(x, y) != (onEdge ? colour : kGrey) && ++wrong <= 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << shot.At(x, y);
            }
        }
        EXPECT_EQ(0, wrong);
    }

    g_document.HideRange();
    InvalidateRect(Main(), nullptr, TRUE);
    PumpMessages();
    const ClientPixels hidden = CaptureClient(Main());
    EXPECT_EQ(kGrey, hidden.At(10, 20));
    EXPECT_EQ(kGrey, hidden.At(60, 70));
}

// Files that cannot be decoded, or claim sizes past the limits, opened through the dialog.

namespace {

class UntrustedFilesInTheWindow : public ProgramTest {
protected:
    // Opens a copy of bytes named name through the menu and the open dialog.
    void OpenCopy(const std::wstring& name, const Bytes& bytes)
    {
        ASSERT_FALSE(bytes.empty());
        ASSERT_TRUE(WriteFileBytes(folder_.Path(name), bytes));
        OpenThroughMenu(folder_.AnsiPath(name));
    }

    void ExpectEmptyWindowNamed(const std::wstring& name)
    {
        EXPECT_TRUE(g_document.HasImage());
        ASSERT_NE(nullptr, g_document.Image());
        EXPECT_TRUE(g_document.Image()->IsEmpty());
        EXPECT_EQ(0, ClientSize(Main()).cy);
        const std::wstring caption = WindowTextW(Main());
        EXPECT_NE(std::wstring::npos, caption.find(L"[ " + name + L" ]")) << ToAnsi(caption);
    }

    TempFolder folder_;
};

}  // namespace

TEST_F(UntrustedFilesInTheWindow, CorruptPngShowsAnEmptyWindowNamedForTheFile)
{
    OpenCopy(L"xcrn0g04.png", ReadFileBytes(TestData(L"pngsuite/xcrn0g04.png")));
    ExpectEmptyWindowNamed(L"xcrn0g04.png");
}

TEST_F(UntrustedFilesInTheWindow, BmpClaimingSixTrillionPixelsShowsAnEmptyWindowNamedForTheFile)
{
    OpenCopy(L"reallybig.bmp", ReadFileBytes(TestData(L"bmpsuite/b/reallybig.bmp")));
    ExpectEmptyWindowNamed(L"reallybig.bmp");
}

TEST_F(UntrustedFilesInTheWindow, HugeJpegWithAJapaneseNameShowsAnEmptyWindowNamedForTheFile)
{
    OpenCopy(L"巨大な写真.jpg", JpegClaiming(folder_, 22500, 33300, true));
    ExpectEmptyWindowNamed(L"巨大な写真.jpg");
}
