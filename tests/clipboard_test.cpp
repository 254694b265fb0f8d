// Copy and paste with real keys and the context menu: what the clipboard holds after a copy,
// read back byte by byte and decoded by GDI+ itself; each format another program could put
// there, pasted as a new document; refusals; and an empty clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app_state.h"
#include "clipboard_dib.h"
#include "dib_bytes.h"
#include "edit_history.h"
#include "editing.h"
#include "image_document.h"
#include "opening.h"
#include "resource.h"
#include "test_support.h"
#include "ui_support.h"
#include "zoom.h"

namespace {

constexpr char kPastedCaption[] = "Tessarel あるふぁ～ - [ クリップボード ]";
const std::vector<std::uint32_t> kArgbMasks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};

UINT PngFormat()
{
    return RegisterClipboardFormatA("PNG");
}

// Replaces what the clipboard holds with these formats, as another program would.
void PutOnClipboard(HWND owner, const std::vector<std::pair<UINT, Bytes>>& formats)
{
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    for (const auto& [format, bytes] : formats) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::copy(bytes.begin(), bytes.end(), static_cast<unsigned char*>(GlobalLock(memory)));
        GlobalUnlock(memory);
        EXPECT_TRUE(SetClipboardData(format, memory));
    }
    CloseClipboard();
}

// The bytes of one format on the clipboard; empty when it holds none.
Bytes ClipboardBytes(UINT format)
{
    Bytes bytes;
    if (!OpenClipboard(nullptr))
        return bytes;
    if (HANDLE memory = GetClipboardData(format)) {
        const auto* data = static_cast<const unsigned char*>(GlobalLock(memory));
        bytes.assign(data, data + GlobalSize(memory));
        GlobalUnlock(memory);
    }
    CloseClipboard();
    return bytes;
}

class Clipboard : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        PutOnClipboard(Main(), {});
        MovePanelAside();
    }

    void Type(std::initializer_list<WORD> keys, HWND focus = nullptr)
    {
        SetForegroundWindow(Main());
        SetFocus(focus ? focus : Main());
        PressKeys(keys);
        PumpMessages(100);
    }

    // GDI+ itself decodes what the program put on the clipboard as PNG.
    DirectDecode CopiedPng()
    {
        const std::wstring path = folder_.Path(L"copied.png");
        EXPECT_TRUE(WriteFileBytes(path, ClipboardBytes(PngFormat())));
        return DecodeDirectly(path);
    }

    // A copy holds the pixels of area exactly, as PNG and as a bottom-up bitmap with an
    // alpha mask.
    void ExpectCopied(const ImageRect& area)
    {
        std::vector<ArgbValue> pixels(area.PixelCount());
        ASSERT_TRUE(g_document.Image()->ReadPixels(area, pixels.data()));
        const DirectDecode png = CopiedPng();
        EXPECT_EQ(area.width, png.size.width);
        EXPECT_EQ(area.height, png.size.height);
        EXPECT_TRUE(pixels == png.pixels);
        const Bytes dib = ClipboardBytes(CF_DIBV5);
        ASSERT_GE(dib.size(), 124 + pixels.size() * 4);
        EXPECT_EQ((std::vector<std::uint32_t>{124, area.width, area.height, 32u << 16 | 1, kDibBitfields}),
                  (std::vector<std::uint32_t>{Le32At(dib, 0), Le32At(dib, 4), Le32At(dib, 8), Le32At(dib, 12),
                                              Le32At(dib, 16)}));
        EXPECT_EQ(kArgbMasks, (std::vector<std::uint32_t>{Le32At(dib, 40), Le32At(dib, 44), Le32At(dib, 48),
                                                          Le32At(dib, 52)}));
        EXPECT_TRUE(Rows32(pixels, area.width, true) == Bytes(dib.begin() + 124, dib.begin() + 124 + pixels.size() * 4));
    }

    // An opened file with an edit to undo, zoomed in: what a paste must put back.
    std::string OpenEditAndZoom()
    {
        const std::string path = folder_.AnsiPath(L"opened.png");
        EXPECT_TRUE(WritePng(*MakePatternImage(30, 20), folder_.Path(L"opened.png")));
        OpenFileAtPath(Main(), path.c_str());
        PumpMessages();
        SetRange(g_document, 0, 0, 2, 2);
        ApplyAlphaWithUndo(9);
        ZoomIn(Main(), ClientCentre(Main()));
        PumpMessages();
        EXPECT_TRUE(g_history.CanUndo() && !g_ui.view.scale.IsActualSize());
        return path;
    }

    TempFolder folder_;
};

}  // namespace

TEST_F(Clipboard, CtrlCPutsPngAndAnAlphaMaskedBitmapHoldingEveryPixelExactlyAndTextFieldsKeepTheirOwn)
{
    UseImage(MakePatternImage(37, 23));
    Type({VK_CONTROL, 'C'});
    ExpectCopied({0, 0, 37, 23});

    PutOnClipboard(Main(), {});
    Type({VK_CONTROL, 'C'}, GetDlgItem(Panel(), IDC_HIDE_RANGE));
    EXPECT_FALSE(ClipboardBytes(PngFormat()).empty()) << "from a panel button";

    HWND field = GetDlgItem(Panel(), IDC_ALPHA_VALUE);
    SetWindowTextA(field, "77");
    SendMessageA(field, EM_SETSEL, 0, -1);
    Type({VK_CONTROL, 'C'}, field);
    EXPECT_TRUE(ClipboardBytes(PngFormat()).empty());
    EXPECT_EQ("77", std::string(reinterpret_cast<const char*>(ClipboardBytes(CF_TEXT).data())));
}

TEST_F(Clipboard, WhileTheOutlineShowsTheRangeClippedToTheImageIsCopiedAndOtherwiseTheWholeImage)
{
    UseImage(MakePatternImage(60, 40));
    const std::pair<int, const char*> fields[] = {{IDC_X_FROM, "10"}, {IDC_Y_FROM, "5"}, {IDC_X_TO, "500"},
                                                  {IDC_Y_TO, "25"}};
    for (const auto& [id, text] : fields)
        SetDlgItemTextA(Panel(), id, text);
    SendMessageA(GetDlgItem(Panel(), IDC_SHOW_RANGE_WHITE), BM_CLICK, 0, 0);
    Type({VK_CONTROL, 'C'});
    ExpectCopied({10, 5, 50, 20});

    SendMessageA(GetDlgItem(Panel(), IDC_HIDE_RANGE), BM_CLICK, 0, 0);
    Type({VK_CONTROL, 'C'});
    ExpectCopied({0, 0, 60, 40});
}

TEST_F(Clipboard, EachFormatPastesAsANewDocumentAt100PercentWithTheOpenedPathKept)
{
    const ImageRef pattern = MakePatternImage(21, 13);
    ASSERT_TRUE(WritePng(*pattern, folder_.Path(L"pattern.png")));
    const Bytes png = ReadFileBytes(folder_.Path(L"pattern.png"));
    const std::vector<ArgbValue> six = {0x00123456, 0x80FF0000, 0xFF00FF00, 0x010000FF, 0xFFFFFFFF, 0x7F808080};
    const Bytes v5TopDown = MakeDib({124, 3, -2, 32, kDibBitfields, 0, kArgbMasks}, Rows32(six, 3, false));
    struct Case {
        const char* name;
        std::vector<std::pair<UINT, Bytes>> formats;
        std::vector<ArgbValue> pixels;
    };
    const std::vector<Case> cases = {
        {"PNG, before a bitmap", {{PngFormat(), png}, {CF_DIBV5, v5TopDown}}, ReadAllPixels(*pattern)},
        {"CF_DIBV5 top-down", {{CF_DIBV5, v5TopDown}}, six},
        {"CF_DIB 24-bit", {{CF_DIB, MakeDib({40, 1, 2, 24}, {1, 2, 3, 0, 4, 5, 6, 0})}}, {0xFF060504, 0xFF030201}},
        {"CF_DIB 8-bit", {{CF_DIB, MakeDib({40, 2, 1, 8, kDibRgb, 2}, {9, 8, 7, 0, 6, 5, 4, 0, 1, 0, 0, 0})}},
         {0xFF040506, 0xFF070809}},
        {"CF_DIB 32-bit, alpha 0", {{CF_DIB, MakeDib({40, 2, 1, 32}, {1, 2, 3, 0, 4, 5, 6, 0})}},
         {0xFF030201, 0xFF060504}},
    };
    for (const Case& each : cases) {
        const std::string opened = OpenEditAndZoom();
        PutOnClipboard(Main(), each.formats);
        Type({VK_CONTROL, 'V'});
        EXPECT_TRUE(each.pixels == ReadAllPixels(*g_document.Image())) << each.name;
        EXPECT_EQ(kPastedCaption, WindowTextA(Main())) << each.name;
        EXPECT_EQ(opened, g_document.OpenedPath()) << each.name;
        EXPECT_FALSE(g_history.CanUndo()) << each.name;
        EXPECT_TRUE(g_ui.view.scale.IsActualSize()) << each.name;
    }

    const std::string file = folder_.AnsiPath(L"pattern.png");
    ASSERT_TRUE(OpenClipboard(Main()));
    EmptyClipboard();
    SetClipboardData(CF_HDROP, MakeDrop({file, folder_.AnsiPath(L"opened.png")}));
    CloseClipboard();
    Type({VK_CONTROL, 'V'});
    EXPECT_TRUE(ReadAllPixels(*pattern) == ReadAllPixels(*g_document.Image())) << "the first file";
    EXPECT_EQ(file, g_document.OpenedPath());
    EXPECT_EQ("Tessarel あるふぁ～ - [ pattern.png ]", WindowTextA(Main()));
}

TEST_F(Clipboard, AnImageClaimingTooMuchOrUnreadableIsRefusedAndTheDocumentStays)
{
    UseImage(MakePatternImage(8, 8));
    const ImageHandle* before = g_document.Image();
    const std::string caption = WindowTextA(Main());
    const Bytes claimsMore = MakeDib({40, 100, 100, 24}, Bytes(100 * 300 - 1, 0));
    const Bytes pastLimits = MakeDib({40, 16385, 1, 8, kDibRgb, 1}, Bytes(4 + 16388, 0));
    for (const auto& [format, bytes] : {std::pair{UINT{CF_DIB}, claimsMore}, std::pair{UINT{CF_DIBV5}, pastLimits},
                                         std::pair{PngFormat(), Bytes(64, 'x')}}) {
        PutOnClipboard(Main(), {{format, bytes}});
        DialogAnswerer answer("読み込みエラー", IDOK);
        Type({VK_CONTROL, 'V'});
        EXPECT_TRUE(answer.Wait()) << format;
        EXPECT_EQ("クリップボードの画像を読み込めませんでした", answer.Text());
        EXPECT_EQ(before, g_document.Image());
        EXPECT_EQ(caption, WindowTextA(Main()));
    }
}

TEST_F(Clipboard, WithNothingToCopyOrPasteTheItemsAreGreyedAndTheKeysDoNothing)
{
    const auto menuStates = [this](WORD key) {
        MenuWatcher watcher(key);
        Type({VK_SHIFT, VK_F10});
        EXPECT_TRUE(watcher.Wait());
        PumpMessages(60);
        return std::pair{watcher.IsGreyed(IDM_COPY), watcher.IsGreyed(IDM_PASTE)};
    };
    EXPECT_EQ(std::pair(true, true), menuStates(VK_ESCAPE));
    Type({VK_CONTROL, 'C'});
    EXPECT_EQ(0, CountClipboardFormats());
    {
        // Its helper reads window captions, which the test's thread must answer while it looks.
        DialogAnswerer none("読み込みエラー", IDOK, {}, 1000);
        Type({VK_CONTROL, 'V'});
        PumpMessages(1500);
        EXPECT_FALSE(none.Wait()) << "no message box";
    }
    EXPECT_FALSE(g_document.HasImage());

    UseImage(MakePatternImage(16, 9));
    EXPECT_EQ(std::pair(false, true), menuStates('C'));
    ExpectCopied({0, 0, 16, 9});
    g_document.SetImage(MakeFilledImage(4, 4, kOpaqueBlack));
    EXPECT_EQ(std::pair(false, false), menuStates('P'));
    EXPECT_EQ(kPastedCaption, WindowTextA(Main()));
    EXPECT_TRUE(ReadAllPixels(*MakePatternImage(16, 9)) == ReadAllPixels(*g_document.Image()));
}
