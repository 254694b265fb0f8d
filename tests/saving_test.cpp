// Saving through "名前をつけて保存": the save dialog, PNG and BMP written at once, JPEG
// through its quality dialog, and failed saves, which must neither damage a file nor pass
// unnoticed. Driven through the real windows; the files are read back from disk, those of
// SavingFormats and the first SavingJpeg test once more on the build host
// (check_saved_files.sh).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <map>
#include <set>

#include "alpha_edit.h"
#include "image_document.h"
#include "image_saver.h"
#include "encoder_parameters.h"
#include "image_encoder.h"
#include "image_loader.h"
#include "resource.h"
#include "test_support.h"
#include "app_state.h"
#include "ui_support.h"

namespace {

constexpr char kSaveDialog[] = "名前をつけて保存";
constexpr char kSaveError[] = "保存エラー";
constexpr char kSaveFailed[] = "画像を保存できませんでした";
constexpr int kPng = 1, kJpeg = 2, kBmp = 3;  // places in the save dialog's file type list

// A dialog or box that opened on the test's thread.
struct ShownDialog {
    std::string caption;
    std::string text;  // a message box's text
    HWND owner = nullptr;
};

// Records every dialog created and shown on this thread while it lives (the tool panel,
// created before, is left out). It presses the given button in those whose caption it is
// given, and "Yes" in the save dialog's overwrite prompt, so that an unexpected box fails
// the test through the record instead of blocking the handler under test for good.
class DialogLog {
public:
    explicit DialogLog(std::map<std::string, int> answers) : answers_(std::move(answers))
    {
        current_ = this;
        hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~DialogLog()
    {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    DialogLog(const DialogLog&) = delete;
    DialogLog& operator=(const DialogLog&) = delete;

    const std::vector<ShownDialog>& Shown() const { return shown_; }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (const ShownDialog& shown : shown_)
            captions.push_back(shown.caption);
        return captions;
    }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND)
            current_->created_.insert(window);
        else if (code == HCBT_ACTIVATE && current_->created_.count(window))
            current_->OnFirstActivation(window);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void OnFirstActivation(HWND dialog)
    {
        char className[16] = {};
        GetClassNameA(dialog, className, sizeof className);
        if (lstrcmpA(className, "#32770") != 0 || !recorded_.insert(dialog).second)
            return;
        const ShownDialog shown{WindowTextA(dialog), FieldText(dialog, kMessageTextId), GetWindow(dialog, GW_OWNER)};
        shown_.push_back(shown);
        const bool overwritePrompt = shown.caption == kSaveDialog && WindowTextA(shown.owner) == kSaveDialog;
        const auto answer = answers_.find(shown.caption);
        const int button = overwritePrompt ? IDYES : answer != answers_.end() ? answer->second : 0;
        if (button)  // taken by the box's own message loop once it runs
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    }

    static inline DialogLog* current_ = nullptr;
    std::map<std::string, int> answers_;
    HHOOK hook_ = nullptr;
    std::set<HWND> created_;
    std::set<HWND> recorded_;
    std::vector<ShownDialog> shown_;
};

// The images of the format tests: 40 × 30, opaque pattern, then one region given alpha 0.
// check_saved_files.sh knows them too.
constexpr std::uint32_t kWidth = 40, kHeight = 30;
constexpr PixelRange kClearRange{10, 5, 20, 15};

void ClearRangeOfTheDocument()
{
    SetRange(g_document, kClearRange.xFrom, kClearRange.yFrom, kClearRange.xTo, kClearRange.yTo);
    ApplyAlphaToRange(g_document, 0);
}

ArgbValue ClearedPatternColour(std::uint32_t x, std::uint32_t y)
{
    const bool cleared = x >= kClearRange.xFrom && x < kClearRange.xTo && y >= kClearRange.yFrom && y < kClearRange.yTo;
    return (PatternColour(x, y) & 0xFFFFFF) | (cleared ? 0 : kOpaqueBlack);
}

// A path in the folder the host-side check reads; the file of an earlier run is removed.
std::wstring HostCheckedFile(const std::wstring& name)
{
    std::wstring folder = TESSAREL_SAVED_FILES;
    for (wchar_t& c : folder)
        c = c == L'/' ? L'\\' : c;
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name;
    DeleteFileW(path.c_str());
    return path;
}

const Bytes kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
const Bytes kJpegStart{0xFF, 0xD8, 0xFF};
const Bytes kOldContent{'k', 'e', 'e', 'p', ' ', 'm', 'e'};

bool StartsWith(const Bytes& bytes, const Bytes& prefix)
{
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// A decoded JPEG pixel: each channel within a few steps of the original.
bool CloseColour(ArgbValue decoded, ArgbValue original)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>((decoded >> shift) & 0xFF) - static_cast<int>((original >> shift) & 0xFF)) > 8)
            return false;
    return true;
}

ArgbValue PixelOfFile(const std::wstring& path, std::uint32_t x, std::uint32_t y)
{
    ArgbValue colour = 0;
    LoadImageFile(path.c_str())->GetPixel(x, y, colour);
    return colour;
}

BOOL CALLBACK CollectQualityDialog(HWND window, LPARAM found)
{
    if (WindowTextA(window) == "JPEGの画質設定")
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// The quality dialogs open now. Like all the program's windows they belong to the test's
// thread, which keeps out those of any other test process on the same display.
std::vector<HWND> QualityDialogs()
{
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectQualityDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Types into the quality field as the keyboard does, one character at a time.
void TypeQuality(HWND dialog, const std::string& text)
{
    for (char c : text)
        SendMessageA(GetDlgItem(dialog, IDC_JPEG_QUALITY), WM_CHAR, static_cast<unsigned char>(c), 1);
}

void Press(HWND dialog, int button)
{
    SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    PumpMessages();
}

// Holds a file open for reading, sharing only reading, as a program showing it would.
class HeldOpen {
public:
    explicit HeldOpen(const std::wstring& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~HeldOpen() { CloseHandle(handle_); }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

void ExpectOneSaveFailedBoxOwnedBy(HWND mainWindow, const DialogLog& log)
{
    std::vector<ShownDialog> errors;
    for (const ShownDialog& shown : log.Shown())
        if (shown.caption == kSaveError)
            errors.push_back(shown);
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(kSaveFailed, errors[0].text);
    EXPECT_EQ(mainWindow, errors[0].owner);
}

class SavingTest : public ProgramTest {
protected:
    // Chooses "名前をつけて保存" and answers the save dialog with a path and a file type.
    // The handler has returned when this does, and nothing else was dispatched.
    void SaveThroughMenu(const std::wstring& path, int fileType)
    {
        DialogAnswerer answer(kSaveDialog, IDOK, FillFileDialog(ToAnsi(path), fileType));
        SendMessageA(Main(), WM_COMMAND, IDM_SAVE_AS, 0);
        ASSERT_TRUE(answer.Wait()) << "the save dialog did not appear";
    }

    // Saves as JPEG; returns the quality dialog this save opened.
    HWND SaveAsJpegThroughMenu(const std::wstring& path)
    {
        const std::vector<HWND> before = QualityDialogs();
        SaveThroughMenu(path, kJpeg);
        for (HWND dialog : QualityDialogs())
            if (std::find(before.begin(), before.end(), dialog) == before.end())
                return dialog;
        ADD_FAILURE() << "no quality dialog opened";
        return nullptr;
    }

    TempFolder folder_;
};

using SavingFormats = SavingTest;
using SavingJpeg = SavingTest;
using SavingFailures = SavingTest;

}  // namespace

// Encoder look-up and the JPEG parameter list, as the imaging library receives them.

TEST(SavingEncoders, EachMimeTypeFindsTheFirstEncoderThatMatchesItExactly)
{
    UINT count = 0, bytes = 0;
    ASSERT_EQ(Gdiplus::Ok, Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &bytes));
    Bytes buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    ASSERT_EQ(Gdiplus::Ok, Gdiplus::DllExports::GdipGetImageEncoders(count, bytes, encoders));

    for (const wchar_t* mimeType : {L"image/bmp", L"image/jpeg", L"image/png"}) {
        UINT first = 0;
        while (first < count && std::wcscmp(encoders[first].MimeType, mimeType) != 0)
            ++first;
        ASSERT_LT(first, count) << "the library has no encoder for the format";
        CLSID clsid = {};
        EXPECT_EQ(static_cast<int>(first), FindEncoderClsid(mimeType, &clsid));
        EXPECT_TRUE(IsEqualGUID(encoders[first].Clsid, clsid));
    }
    for (const wchar_t* mimeType : {L"IMAGE/PNG", L"image/Png", L"image/png ", L"image/pn", L"png", L""}) {
        const CLSID untouched = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
        CLSID clsid = untouched;
        EXPECT_EQ(-1, FindEncoderClsid(mimeType, &clsid));
        EXPECT_TRUE(IsEqualGUID(untouched, clsid));
    }
}

// Wine's JPEG encoder ignores its parameters, so the list the program builds is the one
// place where a wrong category or a clamped quality can be caught before Windows sees it.
TEST(SavingEncoders, JpegParameterListHoldsOneQualityValueOfTypeLongUnclamped)
{
    for (const ULONG quality : {85ul, 0ul, 101ul, 1000ul, 4294967295ul}) {
        const JpegQualityParameters parameters(quality);
        ASSERT_EQ(1u, parameters.List()->Count);
        const Gdiplus::EncoderParameter& parameter = parameters.List()->Parameter[0];
        const GUID& g = parameter.Guid;
        wchar_t category[40];
        swprintf(category, 40, L"%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", g.Data1, g.Data2, g.Data3,
                 g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
        EXPECT_STREQ(L"1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB", category);
        EXPECT_EQ(1u, parameter.NumberOfValues);
        EXPECT_EQ(4u, parameter.Type);
        EXPECT_EQ(quality, *static_cast<const ULONG*>(parameter.Value));
    }
}

// The save dialog and the formats written at once.

TEST_F(SavingTest, WithNoImageOnlyTheNothingToSaveBoxAppears)
{
    DialogLog log({{kSaveError, IDOK}, {kSaveDialog, IDCANCEL}});
    SendMessageA(Main(), WM_COMMAND, IDM_SAVE_AS, 0);
    PumpMessages();

    ASSERT_EQ(std::vector<std::string>{kSaveError}, log.Captions());
    EXPECT_EQ("保存する画像がありません", log.Shown()[0].text);
    EXPECT_EQ(Main(), log.Shown()[0].owner);
    EXPECT_TRUE(QualityDialogs().empty());
}

TEST_F(SavingTest, SaveDialogOffersThreeTypesWithPngChosenAndStartsFromThePreviousPath)
{
    struct Seen {
        HWND owner = nullptr;
        std::vector<std::string> types;
        LRESULT chosen = -1;
        std::string name;
    };
    // Runs on the answering thread while the dialog waits for its answer.
    auto look = [](Seen& seen, DialogAnswerer::Prepare then) {
        return [&seen, then](HWND dialog) {
            seen.owner = GetWindow(dialog, GW_OWNER);
            HWND types = GetDlgItem(dialog, kFileTypeBox);
            for (LRESULT i = 0, count = SendMessageA(types, CB_GETCOUNT, 0, 0); i < count; ++i) {
                char text[64] = {};
                SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                seen.types.push_back(text);
            }
            seen.chosen = SendMessageA(types, CB_GETCURSEL, 0, 0);
            seen.name = WindowTextA(GetDlgItem(dialog, kFileNameBox));
            if (then)
                then(dialog);
        };
    };
    g_document.SetImage(MakeOpaquePattern(8, 8));
    const std::string first = folder_.AnsiPath(L"first.jpg");
    Seen firstSeen, secondSeen;
    {
        DialogAnswerer answer(kSaveDialog, IDOK, look(firstSeen, FillFileDialog(first, kJpeg)));
        SendMessageA(Main(), WM_COMMAND, IDM_SAVE_AS, 0);
        ASSERT_TRUE(answer.Wait());
    }
    ASSERT_EQ(1u, QualityDialogs().size());
    Press(QualityDialogs()[0], IDCANCEL);
    {
        DialogAnswerer answer(kSaveDialog, IDCANCEL, look(secondSeen, {}));
        SendMessageA(Main(), WM_COMMAND, IDM_SAVE_AS, 0);
        ASSERT_TRUE(answer.Wait());
    }

    EXPECT_EQ(Main(), firstSeen.owner);
    EXPECT_EQ((std::vector<std::string>{"PNG(*.png)", "JPEG(*.jpg)", "BMP(*.bmp)"}), firstSeen.types);
    EXPECT_EQ(0, firstSeen.chosen);
    EXPECT_EQ("", firstSeen.name);
    EXPECT_EQ(0, secondSeen.chosen) << "PNG is chosen again, whatever was chosen last";
    EXPECT_NE("", secondSeen.name);
    EXPECT_NE(std::string::npos, first.find(secondSeen.name)) << secondSeen.name;
    EXPECT_EQ(first, std::string(g_saver.SavePath())) << "a cancelled dialog keeps the last path";
}

TEST_F(SavingFormats, PngIsWrittenAtOnceWithTheClearedPixelsKeepingTheirColours)
{
    ASSERT_TRUE(WritePng(*MakeOpaquePattern(kWidth, kHeight), folder_.Path(L"photo.png")));
    OpenThroughMenu(folder_.AnsiPath(L"photo.png"));
    ClearRangeOfTheDocument();
    const ImageHandle* edited = g_document.Image();
    const std::wstring caption = WindowTextW(Main());

    const std::wstring target = HostCheckedFile(L"saved.png");
    DialogLog log({{kSaveError, IDOK}});
    SaveThroughMenu(target, kPng);

    EXPECT_TRUE(StartsWith(ReadFileBytes(target), kPngSignature)) << "not written before the handler returned";
    EXPECT_EQ(std::vector<std::string>{kSaveDialog}, log.Captions());
    EXPECT_TRUE(QualityDialogs().empty());
    const ImageRef saved = LoadImageFile(target.c_str());
    ASSERT_EQ(kWidth, saved->Size().width);
    ASSERT_EQ(kHeight, saved->Size().height);
    const std::vector<ArgbValue> pixels = ReadAllPixels(*saved);
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x)
            ASSERT_EQ(ClearedPatternColour(x, y), pixels[y * kWidth + x]) << x << ", " << y;

    PumpMessages();  // saving leaves the document and the caption as they were
    EXPECT_EQ(edited, g_document.Image());
    EXPECT_EQ(caption, WindowTextW(Main()));
}

TEST_F(SavingFormats, BmpIsWrittenAtOnceWithTheColoursAndNoAlpha)
{
    g_document.SetImage(MakeOpaquePattern(kWidth, kHeight));
    ClearRangeOfTheDocument();
    const std::wstring target = HostCheckedFile(L"saved.bmp");
    DialogLog log({{kSaveError, IDOK}});
    SaveThroughMenu(target, kBmp);

    EXPECT_TRUE(StartsWith(ReadFileBytes(target), {'B', 'M'})) << "not written before the handler returned";
    EXPECT_EQ(std::vector<std::string>{kSaveDialog}, log.Captions());
    EXPECT_TRUE(QualityDialogs().empty());
    const ImageRef saved = LoadImageFile(target.c_str());
    ASSERT_EQ(kWidth, saved->Size().width);
    const std::vector<ArgbValue> pixels = ReadAllPixels(*saved);
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x)
            ASSERT_EQ(PatternColour(x, y) | kOpaqueBlack, pixels[y * kWidth + x]) << x << ", " << y;
}

TEST_F(SavingFormats, ChosenFileTypeDecidesTheFormatWhateverTheName)
{
    g_document.SetImage(MakeOpaquePattern(8, 8));
    SaveThroughMenu(folder_.Path(L"really-a-png.bmp"), kPng);
    EXPECT_TRUE(StartsWith(ReadFileBytes(folder_.Path(L"really-a-png.bmp")), kPngSignature));
    EXPECT_EQ(SaveFormatIndex::Png, g_saver.FormatIndex());
}

TEST_F(SavingFormats, SavingOverTheOpenedFileReplacesIt)
{
    const std::wstring photo = folder_.Path(L"photo.png");
    ASSERT_TRUE(WritePng(*MakeOpaquePattern(kWidth, kHeight), photo));
    OpenThroughMenu(ToAnsi(photo));
    ClearRangeOfTheDocument();

    DialogLog log({{kSaveError, IDOK}});
    SaveThroughMenu(photo, kPng);

    EXPECT_EQ((std::vector<std::string>{kSaveDialog, kSaveDialog}), log.Captions()) << "dialog and overwrite prompt";
    EXPECT_EQ(0u, PixelOfFile(photo, kClearRange.xFrom, kClearRange.yFrom) >> 24);
    EXPECT_EQ(0xFFu, PixelOfFile(photo, 0, 0) >> 24);
    EXPECT_EQ(std::vector<std::wstring>{L"photo.png"}, FileNamesIn(folder_.Folder()));
}

// JPEG through the quality dialog.

TEST_F(SavingJpeg, NothingIsWrittenUntilOkAndTheTypedQualityIsStored)
{
    const ArgbValue colour = 0xFF3366CC;
    g_document.SetImage(MakeFilledImage(kWidth, kHeight, colour));
    const std::wstring target = HostCheckedFile(L"saved.jpg");
    HWND dialog = SaveAsJpegThroughMenu(target);
    ASSERT_NE(nullptr, dialog);

    EXPECT_FALSE(FileExists(target));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(Main(), GetWindow(dialog, GW_OWNER));
    EXPECT_TRUE(IsWindowEnabled(Main())) << "the quality dialog is modeless";
    EXPECT_EQ("", FieldText(dialog, IDC_JPEG_QUALITY));
    TypeQuality(dialog, "85");
    EXPECT_EQ(85u, g_saver.JpegQuality());
    EXPECT_FALSE(FileExists(target));

    Press(dialog, IDC_JPEG_OK);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(0u, g_saver.PendingJpegSaveCount());
    EXPECT_TRUE(StartsWith(ReadFileBytes(target), kJpegStart));
    EXPECT_TRUE(CloseColour(PixelOfFile(target, 20, 15), colour));
}

TEST_F(SavingJpeg, QualityIsSharedAndAnUntouchedFieldUsesTheOneStoredLast)
{
    g_document.SetImage(MakeFilledImage(16, 16, 0xFF808080));
    HWND first = SaveAsJpegThroughMenu(folder_.Path(L"first.jpg"));
    ASSERT_NE(nullptr, first);
    Press(first, IDC_JPEG_OK);
    EXPECT_EQ(0u, g_saver.JpegQuality()) << "the run's first dialog, untouched, uses 0";
    EXPECT_TRUE(FileExists(folder_.Path(L"first.jpg")));

    HWND second = SaveAsJpegThroughMenu(folder_.Path(L"second.jpg"));
    ASSERT_NE(nullptr, second);
    TypeQuality(second, "85");
    Press(second, IDC_JPEG_OK);

    HWND third = SaveAsJpegThroughMenu(folder_.Path(L"third.jpg"));
    ASSERT_NE(nullptr, third);
    EXPECT_EQ(85u, g_saver.JpegQuality()) << "opening a dialog sets nothing";
    Press(third, IDC_JPEG_OK);
    EXPECT_EQ(85u, g_saver.JpegQuality());
    EXPECT_TRUE(FileExists(folder_.Path(L"third.jpg")));

    HWND fourth = SaveAsJpegThroughMenu(folder_.Path(L"fourth.jpg"));
    ASSERT_NE(nullptr, fourth);
    SetFocus(GetDlgItem(fourth, IDC_JPEG_QUALITY));
    PumpMessages();
    EXPECT_EQ(0u, g_saver.JpegQuality()) << "an empty field that gains the focus stores 0";
}

TEST_F(SavingJpeg, TwoOpenDialogsEachWriteTheFileAndImageOfTheirOwnSaveAs)
{
    const ArgbValue red = 0xFFC03020, blue = 0xFF2040C0;
    g_document.SetImage(MakeFilledImage(16, 16, red));
    HWND redDialog = SaveAsJpegThroughMenu(folder_.Path(L"red.jpg"));
    g_document.SetImage(MakeFilledImage(16, 16, blue));
    HWND blueDialog = SaveAsJpegThroughMenu(folder_.Path(L"blue.jpg"));
    ASSERT_NE(nullptr, redDialog);
    ASSERT_NE(nullptr, blueDialog);
    // A PNG saved while both wait holds the latest path; neither dialog may touch it.
    SaveThroughMenu(folder_.Path(L"later.png"), kPng);
    const Bytes png = ReadFileBytes(folder_.Path(L"later.png"));
    ASSERT_TRUE(StartsWith(png, kPngSignature));

    TypeQuality(blueDialog, "90");
    Press(redDialog, IDC_JPEG_OK);
    EXPECT_TRUE(CloseColour(PixelOfFile(folder_.Path(L"red.jpg"), 8, 8), red));
    EXPECT_FALSE(FileExists(folder_.Path(L"blue.jpg")));
    EXPECT_TRUE(IsWindow(blueDialog));

    Press(blueDialog, IDC_JPEG_OK);
    EXPECT_TRUE(CloseColour(PixelOfFile(folder_.Path(L"blue.jpg"), 8, 8), blue));
    EXPECT_EQ(png, ReadFileBytes(folder_.Path(L"later.png")));
    EXPECT_EQ(0u, g_saver.PendingJpegSaveCount());
}

TEST_F(SavingJpeg, APickWhileTheDialogWaitsChangesNeitherItsFieldNorTheStoredQuality)
{
    // The panel's red field and the quality field share the id 1011.
    UseImage(MakeFilledImage(30, 30, 0xFF336699));
    HWND dialog = SaveAsJpegThroughMenu(folder_.Path(L"picked.jpg"));
    ASSERT_NE(nullptr, dialog);
    TypeQuality(dialog, "85");
    ClickAt(5, 5);

    EXPECT_EQ("51", FieldText(Panel(), IDC_PICK_RED));
    EXPECT_EQ("85", FieldText(dialog, IDC_JPEG_QUALITY));
    EXPECT_EQ(85u, g_saver.JpegQuality());
}

TEST_F(SavingJpeg, CancelClosesTheDialogWithoutWriting)
{
    g_document.SetImage(MakeOpaquePattern(8, 8));
    HWND dialog = SaveAsJpegThroughMenu(folder_.Path(L"cancelled.jpg"));
    ASSERT_NE(nullptr, dialog);
    TypeQuality(dialog, "50");
    Press(dialog, IDCANCEL);

    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(FileNamesIn(folder_.Folder()).empty());
    EXPECT_EQ(0u, g_saver.PendingJpegSaveCount());
}

TEST_F(SavingJpeg, CloseBoxAsksTheExitQuestionAndTheDialogStays)
{
    g_document.SetImage(MakeOpaquePattern(8, 8));
    HWND dialog = SaveAsJpegThroughMenu(folder_.Path(L"kept.jpg"));
    ASSERT_NE(nullptr, dialog);

    DialogLog log({{"終了確認", IDCANCEL}});
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpMessages();

    ASSERT_EQ(std::vector<std::string>{"終了確認"}, log.Captions());
    EXPECT_EQ("終了してよろしいですか？", log.Shown()[0].text);
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(FileExists(folder_.Path(L"kept.jpg")));
    Press(dialog, IDC_JPEG_OK);
    EXPECT_TRUE(FileExists(folder_.Path(L"kept.jpg"))) << "the dialog still saves";
}

TEST_F(SavingJpeg, CancellingTheSaveDialogWritesNothingAndOpensNoQualityDialog)
{
    g_document.SetImage(MakeOpaquePattern(8, 8));
    HWND earlier = SaveAsJpegThroughMenu(folder_.Path(L"earlier.jpg"));
    ASSERT_NE(nullptr, earlier);
    Press(earlier, IDC_JPEG_OK);

    DialogAnswerer answer(kSaveDialog, IDCANCEL, FillFileDialog(folder_.AnsiPath(L"never.jpg"), kJpeg));
    SendMessageA(Main(), WM_COMMAND, IDM_SAVE_AS, 0);
    ASSERT_TRUE(answer.Wait());
    PumpMessages();

    EXPECT_TRUE(QualityDialogs().empty());
    EXPECT_EQ(std::vector<std::wstring>{L"earlier.jpg"}, FileNamesIn(folder_.Folder()));
}

TEST_F(SavingJpeg, QualityDialogIsBuiltAsItsTemplateSays)
{
    g_saver.SetJpegQuality(42);
    g_document.SetImage(MakeOpaquePattern(8, 8));
    HWND dialog = SaveAsJpegThroughMenu(folder_.Path(L"template.jpg"));
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(42u, g_saver.JpegQuality()) << "opening the dialog sets nothing";

    // Client rectangle of a control in pixels; position and size each converted on its
    // own, as the dialog manager does.
    auto dialogUnits = [dialog](int x, int y, int width, int height) {
        RECT units{x, y, width, height};
        MapDialogRect(dialog, &units);
        return std::vector<LONG>{units.left, units.top, units.left + units.right, units.top + units.bottom};
    };
    auto placeOf = [dialog](HWND window) {
        RECT rect;
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        return std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom};
    };

    EXPECT_EQ(L"JPEGの画質設定", WindowTextW(dialog));
    const DWORD style = GetWindowLongA(dialog, GWL_STYLE);
    for (const DWORD bit : std::initializer_list<DWORD>{WS_POPUP, WS_CAPTION, WS_SYSMENU, DS_MODALFRAME, WS_VISIBLE})
        EXPECT_EQ(bit, style & bit) << std::hex << bit;
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(dialogUnits(0, 0, 186, 90), (std::vector<LONG>{0, 0, client.right, client.bottom}));
    POINT origin{0, 0};  // the position is the client area's, in the owner's client area
    MapWindowPoints(dialog, Main(), &origin, 1);
    EXPECT_EQ(dialogUnits(100, 0, 0, 0), (std::vector<LONG>{origin.x, origin.y, origin.x, origin.y}));

    LOGFONTW font = {};
    ASSERT_NE(0, GetObjectW(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font));
    EXPECT_STREQ(L"MS Shell Dlg", font.lfFaceName);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), font.lfHeight);
    ReleaseDC(nullptr, screen);

    HWND label = FindWindowExW(dialog, nullptr, L"Static", nullptr);
    const struct {
        HWND window;
        int id;
        const wchar_t* text;
        std::vector<LONG> place;
        LONG typeMask, type;
    } controls[] = {
        {GetDlgItem(dialog, IDC_JPEG_OK), IDC_JPEG_OK, L"OK", dialogUnits(33, 69, 50, 14), BS_TYPEMASK,
         BS_DEFPUSHBUTTON},
        {GetDlgItem(dialog, IDCANCEL), IDCANCEL, L"キャンセル", dialogUnits(101, 69, 50, 14), BS_TYPEMASK,
         BS_PUSHBUTTON},
        {GetDlgItem(dialog, IDC_JPEG_QUALITY), IDC_JPEG_QUALITY, L"", dialogUnits(67, 31, 46, 15), ES_NUMBER,
         ES_NUMBER},
        {label, -1, L"JPEGの画質を設定してください（０～１００）", dialogUnits(29, 7, 133, 9), SS_TYPEMASK, SS_LEFT},
    };
    int children = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ++children;
    EXPECT_EQ(4, children);
    for (const auto& control : controls) {
        ASSERT_NE(nullptr, control.window) << control.id;
        EXPECT_EQ(control.id, GetDlgCtrlID(control.window));
        EXPECT_EQ(std::wstring(control.text), WindowTextW(control.window));
        EXPECT_EQ(control.type, GetWindowLongA(control.window, GWL_STYLE) & control.typeMask) << control.id;
        EXPECT_EQ(control.place, placeOf(control.window)) << control.id;
    }
    // In a dialog a bordered edit gets a sunken client edge in place of WS_BORDER.
    EXPECT_TRUE(GetWindowLongA(controls[2].window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(MAKELONG(IDC_JPEG_OK, DC_HASDEFID), SendMessageA(dialog, DM_GETDEFID, 0, 0));
}

// Failed saves: the target stays as it was, no temporary file is left, and the user is told.

TEST_F(SavingFailures, TargetOpenElsewhereIsKeptByteForByteAndTheFailureIsShown)
{
    g_document.SetImage(MakeOpaquePattern(20, 10));
    const std::wstring target = folder_.Path(L"viewed.png");
    ASSERT_TRUE(WriteFileBytes(target, kOldContent));
    const HeldOpen viewer(target);
    ASSERT_TRUE(viewer.IsOpen());

    DialogLog log({{kSaveError, IDOK}});
    SaveThroughMenu(target, kPng);

    EXPECT_EQ(kOldContent, ReadFileBytes(target));
    EXPECT_EQ(std::vector<std::wstring>{L"viewed.png"}, FileNamesIn(folder_.Folder()));
    ExpectOneSaveFailedBoxOwnedBy(Main(), log);
}

TEST_F(SavingFailures, EmptyImageOfAnUndecodableFileWritesNothingAndSaysSo)
{
    const std::string junk = "not an image at all";
    ASSERT_TRUE(WriteFileBytes(folder_.Path(L"broken.png"), {junk.begin(), junk.end()}));
    OpenThroughMenu(folder_.AnsiPath(L"broken.png"));
    ASSERT_TRUE(g_document.HasImage());
    const std::wstring target = folder_.Path(L"target.bmp");
    ASSERT_TRUE(WriteFileBytes(target, kOldContent));

    DialogLog log({{kSaveError, IDOK}});
    SaveThroughMenu(target, kBmp);

    EXPECT_EQ(kOldContent, ReadFileBytes(target));
    EXPECT_EQ((std::vector<std::wstring>{L"broken.png", L"target.bmp"}), FileNamesIn(folder_.Folder()));
    ExpectOneSaveFailedBoxOwnedBy(Main(), log);
}

TEST_F(SavingFailures, JpegIntoAFolderThatVanishedWhileTheDialogWaitedSaysSo)
{
    g_document.SetImage(MakeOpaquePattern(8, 8));
    const std::wstring folder = folder_.Path(L"gone");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    HWND dialog = SaveAsJpegThroughMenu(folder + L"\\picture.jpg");
    ASSERT_NE(nullptr, dialog);
    SetCurrentDirectoryW(folder_.Folder().c_str());  // the save dialog may have entered it
    ASSERT_TRUE(RemoveDirectoryW(folder.c_str()));

    DialogLog log({{kSaveError, IDOK}});
    Press(dialog, IDC_JPEG_OK);

    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(0u, g_saver.PendingJpegSaveCount());
    EXPECT_FALSE(FileExists(folder));
    EXPECT_EQ(std::vector<std::string>{kSaveError}, log.Captions());
    ExpectOneSaveFailedBoxOwnedBy(Main(), log);
}

TEST_F(SavingFailures, ButtonsPressedWhileTheJpegErrorBoxIsUpDoNothing)
{
    g_document.SetImage(MakeOpaquePattern(8, 8));
    const std::wstring target = folder_.Path(L"viewed.jpg");
    ASSERT_TRUE(WriteFileBytes(target, kOldContent));
    const HeldOpen viewer(target);
    HWND dialog = nullptr;
    {
        const DialogLog overwritePrompt({});
        dialog = SaveAsJpegThroughMenu(target);
    }
    ASSERT_NE(nullptr, dialog);

    // A crash ends the process at once rather than waiting for a debugger.
    SetUnhandledExceptionFilter([](EXCEPTION_POINTERS*) -> LONG { ExitProcess(3); });
    // Queued now, these presses of OK and "キャンセル" reach the dialog while the error
    // box, opened by the first OK, runs its message loop.
    PostMessageA(GetDlgItem(dialog, IDC_JPEG_OK), BM_CLICK, 0, 0);
    PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    DialogLog log({{kSaveError, IDOK}});
    Press(dialog, IDC_JPEG_OK);

    EXPECT_EQ(std::vector<std::string>{kSaveError}, log.Captions());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(0u, g_saver.PendingJpegSaveCount());
    EXPECT_EQ(kOldContent, ReadFileBytes(target));
}

TEST_F(SavingFailures, UnknownMimeTypeLeavesTheTargetAndNoTemporaryFile)
{
    const ImageRef image = MakeOpaquePattern(8, 8);
    const std::wstring target = folder_.Path(L"target.png");
    ASSERT_TRUE(WriteFileBytes(target, kOldContent));

    EXPECT_FALSE(WriteImageReplacing(image.get(), target.c_str(), L"image/PNG", nullptr));
    EXPECT_EQ(kOldContent, ReadFileBytes(target));
    EXPECT_EQ(std::vector<std::wstring>{L"target.png"}, FileNamesIn(folder_.Folder()));
    EXPECT_TRUE(WriteImageReplacing(image.get(), target.c_str(), L"image/png", nullptr));
    EXPECT_TRUE(StartsWith(ReadFileBytes(target), kPngSignature));
    EXPECT_EQ(std::vector<std::wstring>{L"target.png"}, FileNamesIn(folder_.Folder()));
}
