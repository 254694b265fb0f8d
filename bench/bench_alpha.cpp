// Times the program's heavy operations on a 4000 × 3000 image: the range alpha edit over the
// whole image, keeping it for undo and undoing and redoing it, decoding a PNG and a JPEG of
// that size through the loader, encoding the PNG, and painting it in the program's main
// window, at 100% and zoomed (its zoom steps, its repaints at fit, an edit shown at fit), and
// drawing the view of it at 100% and at the zoom that fits it to a 1920 × 1080 area, with and
// without the checkerboard, with the reduced copy that zoom keeps. Prints the median of several
// runs of each, one line each, and the memory the undo history and the reduced copies take.
// Making a colour transparent is timed in the main window too: from the menu item to the
// preview shown, a tolerance change and a Shift+click that adds a part to the preview shown,
// OK to the result applied and shown,
// and undoing it, with what the preview keeps. A stroke of the brush across the whole image is
// undone through the history, and the image as opened rebuilt for the restore brush.
// Run by hand; the paint figures need a display.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "alpha_brush.h"
#include "alpha_edit.h"
#include "edit_history.h"
#include "image_document.h"
#include "gdiplus_session.h"
#include "image_encoder.h"
#include "image_loader.h"
#include "image_canvas.h"
#include "reduced_view.h"
#include "view_scale.h"
#include "app_state.h"
#include "alpha_brush_dialog.h"
#include "colour_key_dialog.h"
#include "refine_edge_dialog.h"
#include "image_tools.h"
#include "tool_preview.h"
#include "editing.h"
#include "resource.h"
#include "scroll_view.h"
#include "startup.h"
#include "zoom.h"

namespace {

constexpr std::uint32_t kWidth = 4000;
constexpr std::uint32_t kHeight = 3000;
constexpr int kRuns = 7;
constexpr std::uint32_t kJpegQuality = 90;

// The median time of work over the runs; prepare, when given, runs untimed before each.
double MedianMilliseconds(const std::function<void(int run)>& work,
                          const std::function<void(int run)>& prepare = nullptr)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        if (prepare)
            prepare(run);
        const auto start = std::chrono::steady_clock::now();
        work(run);
        const std::chrono::duration<double, std::milli> taken = std::chrono::steady_clock::now() - start;
        times.push_back(taken.count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Something like a photo with an alpha channel: smooth gradients, fine detail and an alpha
// that falls from top to bottom, so that neither encoder has it easy.
ImageRef MakePicture()
{
    ImageRef image = CreateArgbImage(kWidth, kHeight);
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            const ArgbValue alpha = 255 - y * 255 / kHeight;
            const ArgbValue red = x * 255 / kWidth;
            const ArgbValue green = y * 255 / kHeight;
            const ArgbValue blue = ((x * 7) ^ (y * 13)) & 0xFF;
            image->SetPixel(x, y, alpha << 24 | red << 16 | green << 8 | blue);
        }
    }
    return image;
}

// A folder of its own under the temporary folder, removed with its files.
class ScratchFolder {
public:
    ScratchFolder()
    {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        folder_ = std::wstring(base) + L"bench-alpha-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    ~ScratchFolder()
    {
        for (const std::wstring& file : files_)
            DeleteFileW(file.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::wstring File(const wchar_t* name)
    {
        files_.push_back(folder_ + L"\\" + name);
        return files_.back();
    }

private:
    std::wstring folder_;
    std::vector<std::wstring> files_;
};

double FileMegabytes(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1e6;
}

double TimeAlphaEdit(const ImageRef& picture)
{
    ImageDocument document;
    document.SetImage(picture);
    document.SetRangeValue(RangeValue::XFrom, 0);
    document.SetRangeValue(RangeValue::YFrom, 0);
    document.SetRangeValue(RangeValue::XTo, kWidth);
    document.SetRangeValue(RangeValue::YTo, kHeight);
    return MedianMilliseconds([&](int run) { ApplyAlphaToRange(document, 128 + run); });
}

// Decodes the file through the loader; -1 when it does not give the full image.
double TimeDecode(const std::wstring& path)
{
    bool complete = true;
    const double median = MedianMilliseconds([&](int) {
        const ImageRef image = LoadImageFile(path.c_str());
        complete = complete && image->Size().width == kWidth && image->Size().height == kHeight;
    });
    return complete ? median : -1;
}

// One result line; a negative time stands for a run that failed.
void PrintLine(const std::string& what, double milliseconds)
{
    if (milliseconds < 0)
        std::printf("%-50s   failed\n", what.c_str());
    else
        std::printf("%-50s %8.1f ms\n", what.c_str(), milliseconds);
}

std::string WithFileSize(const char* what, const std::wstring& path)
{
    char size[32];
    std::snprintf(size, sizeof size, " (%.1f MB)", FileMegabytes(path));
    return what + std::string(size);
}

double CommittedMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PagefileUsage) / 1e6;
}

// Times keeping a whole-image edit for undo, then undoing and redoing it in turn, and says
// how much memory the kept pixels take.
void BenchUndo(const ImageRef& picture)
{
    ImageDocument document;
    document.SetImage(picture);
    document.SetRangeValue(RangeValue::XTo, kWidth);
    document.SetRangeValue(RangeValue::YTo, kHeight);
    EditHistory history(EditHistory::kProgramMaxBytes);
    const double committedBefore = CommittedMegabytes();
    PrintLine("keep a whole-image edit for undo", MedianMilliseconds([&](int) {
                  history.Clear();
                  history.RecordAlphaEdit(document);
              }));
    std::printf("%-50s %8.1f MB kept, %.1f MB more committed\n", "  its memory",
                static_cast<double>(history.Bytes()) / 1e6, CommittedMegabytes() - committedBefore);
    ApplyAlphaToRange(document, 0);
    // Undo and redo are the same exchange of pixels; each pair gives the image back as it was.
    PrintLine("undo (or redo) a whole-image edit", MedianMilliseconds([&](int) {
                  history.Undo(*picture);
                  history.Redo(*picture);
              }) / 2);
}

// Paints one stroke of the brush corner to corner on picture and keeps it in history, as the
// view does; false when the image could not be locked.
bool PaintDiagonalStroke(ImageHandle& picture, EditHistory& history, std::uint32_t diameter)
{
    BrushStroke stroke({diameter, 50, 0, BrushMode::PaintAlpha}, picture.Size());
    const bool painted = picture.UsePixels(WholeOf(picture.Size()), true, [&](const PixelRows& rows) {
        stroke.Line({0.0, 0.0}, {static_cast<double>(kWidth), static_cast<double>(kHeight)}, {rows, {}});
    });
    std::vector<PixelTile> tiles = stroke.TakeTilesBefore();
    history.KeepMadeEdit(picture, tiles);
    return painted;
}

// Times the undo of a brush stroke across the whole image, its lock of the image included, and
// the first rebuild of the image as opened, after the stroke and a whole-image edit.
void BenchStrokeUndo(const ImageRef& picture)
{
    for (const std::uint32_t diameter : {50u, 500u}) {
        EditHistory history(EditHistory::kProgramMaxBytes);
        if (!PaintDiagonalStroke(*picture, history, diameter))
            return;
        char what[64];
        std::snprintf(what, sizeof what, "undo (or redo) a diagonal stroke, size %u", diameter);
        PrintLine(what, MedianMilliseconds([&](int) {
                      history.Undo(*picture);
                      history.Redo(*picture);
                  }) / 2);
        std::printf("%-50s %8.1f MB kept\n", "  its memory", static_cast<double>(history.Bytes()) / 1e6);
        history.Undo(*picture);
    }
    ImageDocument document;
    document.SetImage(picture);
    document.SetRangeValue(RangeValue::XTo, kWidth);
    document.SetRangeValue(RangeValue::YTo, kHeight);
    EditHistory history(EditHistory::kProgramMaxBytes);
    PrintLine("rebuild the image as opened, after a stroke + edit", MedianMilliseconds(
                  [&](int) { history.OriginalRows(*picture); },
                  [&](int) {
                      while (history.Undo(*picture)) {
                      }
                      history = EditHistory(EditHistory::kProgramMaxBytes);
                      PaintDiagonalStroke(*picture, history, 50);
                      history.RecordAlphaEdit(document);
                      ApplyAlphaToRange(document, 7);
                  }));
    while (history.Undo(*picture)) {
    }
}

// Lets the window handle what its paints and fits queued, as the program's loop would.
void HandlePendingMessages()
{
    constexpr DWORD kSettleMs = 50;
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < kSettleMs) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);
    }
}

// One paint of the window: the part given (all of the client area for null) is invalidated
// with erasing and painted at once.
double TimePaint(HWND window, const RECT* part)
{
    return MedianMilliseconds([&](int) {
        InvalidateRect(window, part, TRUE);
        UpdateWindow(window);
        GdiFlush();
    });
}

// Copying a client area's worth of ready pixels onto the window with GDI's BitBlt, beside
// the paint of the same size: how much of that paint is GDI+ preparing and drawing pixels.
double TimeScreenfulCopy(HWND window, HDC source, const RECT& client)
{
    return MedianMilliseconds([&](int) {
        HDC windowDc = GetDC(window);
        BitBlt(windowDc, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
        GdiFlush();
        ReleaseDC(window, windowDc);
    });
}

// Drawing every pixel of the image onto a device context, as each paint once did.
double TimeWholeImageDraw(HDC dc, const ImageRef& picture)
{
    return MedianMilliseconds([&](int) {
        ImageCanvas canvas(dc);
        canvas.DrawImageAtOrigin(picture.get());
        GdiFlush();
    });
}

// A 32-bit device-independent bitmap selected into a memory device context: a surface the
// size of a window on a 1920 × 1080 screen.
class MemorySurface {
public:
    static constexpr int kWidth = 1920;
    static constexpr int kHeight = 1080;
    MemorySurface()
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~MemorySurface()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// Runs a command on the window and has what it shows painted: from the key to the screen.
double TimeShown(HWND window, const std::function<void()>& command)
{
    return MedianMilliseconds([&](int) {
        command();
        UpdateWindow(window);
        GdiFlush();
    });
}

// The zoomed view in the program's main window, which is as large as the screen allows at
// 100%: repaints at 100% and at fit, with the checkerboard off and on, a zoom step from the
// keys' commands to the screen, an alpha edit at fit shown, and what the view keeps.
void PrintZoomFigures(HWND window, const ImageRef& picture)
{
    const POINT centre = ClientCentre(window);
    PrintLine("zoom step: 100% to fit, shown", TimeShown(window, [&] {
                  ZoomToActualSize(window);
                  UpdateWindow(window);
                  ZoomToFit(window);
              }) / 2);
    PrintLine("zoom step: one step in from fit, shown", TimeShown(window, [&] {
                  ZoomToFit(window);
                  UpdateWindow(window);
                  ZoomIn(window, centre);
              }) / 2);
    ZoomToFit(window);
    HandlePendingMessages();
    RECT client = {};
    GetClientRect(window, &client);
    char what[96];
    std::snprintf(what, sizeof what, "paint the main window at fit (%u/%u), %ld x %ld", ViewZoom().numerator,
                  ViewZoom().denominator, client.right, client.bottom);
    PrintLine(what, TimePaint(window, nullptr));
    ToggleCheckerboard(window);
    PrintLine("  the same with the checkerboard", TimePaint(window, nullptr));
    ToggleCheckerboard(window);
    std::printf("  reduced copy kept: %.1f MB, the image %.1f MB\n", g_ui.view.reduced.Bytes() / 1e6,
                double{kWidth} * kHeight * sizeof(ArgbValue) / 1e6);

    g_document.SetRangeValue(RangeValue::XFrom, 0);
    g_document.SetRangeValue(RangeValue::YFrom, 0);
    g_document.SetRangeValue(RangeValue::XTo, kWidth);
    g_document.SetRangeValue(RangeValue::YTo, kHeight);
    const double edit = TimeAlphaEdit(picture);
    const double shown = MedianMilliseconds([&](int run) {
        ApplyAlphaToRange(g_document, static_cast<std::uint32_t>(run * 30));
        ShowImageChange(window, AlphaEditArea(g_document));
        UpdateWindow(window);
        GdiFlush();
    });
    PrintLine("ApplyAlphaToRange over the whole image at fit", edit);
    PrintLine("  the same, shown", shown);

    ZoomToActualSize(window);
    HandlePendingMessages();
    ToggleCheckerboard(window);
    PrintLine("paint the main window at 100% with the checkerboard", TimePaint(window, nullptr));
    ToggleCheckerboard(window);
    HandlePendingMessages();
}

// A logo on white: a red ring with a white hole, and a blue bar.
ImageRef MakeLogo()
{
    constexpr std::int64_t kOuter = 1200;
    constexpr std::int64_t kInner = 500;
    std::vector<ArgbValue> pixels(std::size_t{kWidth} * kHeight, kOpaqueWhite);
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            const std::int64_t dx = std::int64_t{x} - kWidth / 2;
            const std::int64_t dy = std::int64_t{y} - kHeight / 2;
            const std::int64_t square = dx * dx + dy * dy;
            ArgbValue& pixel = pixels[std::size_t{y} * kWidth + x];
            if (square < kOuter * kOuter && square >= kInner * kInner)
                pixel = 0xFFCC2020u;
            else if (x >= 300 && x < 1300 && y >= 300 && y < 800)
                pixel = 0xFF2050C0u;
        }
    ImageRef image = CreateArgbImage(kWidth, kHeight);
    image->SwapPixels({0, 0, kWidth, kHeight}, pixels.data());
    return image;
}

// Handles what is queued now, without waiting for more: a posted preview, the paints.
void DispatchQueued()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Shown(HWND window)
{
    UpdateWindow(window);
    GdiFlush();
}

// The median time of undoing the last edit and showing it, the edit made again between runs.
double UndoShownMilliseconds(HWND window)
{
    return MedianMilliseconds(
        [&](int) {
            UndoEdit();
            Shown(window);
        },
        [&](int run) {
            if (run > 0)
                RedoEdit();
            Shown(window);
        });
}

// A tool's menu item (open), to the preview shown: the first time on the image (the preview's
// memory new), or again after a Cancel. menuMs, when not negative, is how long the context menu
// was open before the click, the first time: the preview's memory is made meanwhile.
double TimeOpenedAndShown(HWND window, const std::function<void()>& open, bool firstTime, int menuMs = -1)
{
    return MedianMilliseconds(
        [&](int) {
            open();
            Shown(window);
        },
        [&](int) {
            CloseOpenTool();
            if (firstTime)
                ForgetPreviewMemory();
            Shown(window);
            HandlePendingMessages();
            if (firstTime && menuMs >= 0) {
                PreparePreviewMemory();
                Sleep(static_cast<DWORD>(menuMs));
            }
        });
}

// The first time, beside it when the menu was open for a user's moment before the click.
void PrintFirstTimes(HWND window, const std::function<void()>& open, const char* what)
{
    char line[128];
    std::snprintf(line, sizeof line, "  %s, the first time", what);
    PrintLine(line, TimeOpenedAndShown(window, open, true));
    for (const int menuMs : {100, 250}) {
        std::snprintf(line, sizeof line, "    the same, the menu open %d ms before the click", menuMs);
        PrintLine(line, TimeOpenedAndShown(window, open, true, menuMs));
    }
}

void PrintColourKeyOkAndUndo(HWND window)
{
    PrintLine("  OK to applied and shown", MedianMilliseconds(
                                               [&](int) {
                                                   SendMessageA(g_ui.colourKey.dialog, WM_COMMAND, IDOK, 0);
                                                   Shown(window);
                                               },
                                               [&](int run) {
                                                   if (run > 0)
                                                       UndoEdit();
                                                   OpenColourKeyDialog(window, {0, 0}, ClientCentre(window));
                                                   Shown(window);
                                                   HandlePendingMessages();
                                               }));
    PrintLine("  undo of it, shown", UndoShownMilliseconds(window));
    ApplyAlphaWithUndo(0);  // the range is the whole image
    PrintLine("  beside it: undo of a whole-image range edit, shown", UndoShownMilliseconds(window));
}

// The colour work alone, as a preview makes it (no view): the first time, its memory new, and
// asked again, as a change of the tolerance asks; with clean edges, then with soft fades too.
void PrintColourWork(const ImageHandle& logo, ColourKeyOptions options)
{
    for (const bool soft : {false, true}) {
        options.softShadows = soft;
        const PreviewWork work = [&](const PixelRows& pixels, ImageSize size, ColourKeyResult& result) {
            return MakeColourTransparent(pixels, size, options, result);
        };
        const char* what = soft ? "clean edges, soft fades" : "clean edges";
        char line[96];
        std::snprintf(line, sizeof line, "  colour work, connected, %s, the first time", what);
        PrintLine(line, MedianMilliseconds([&](int) {
                      ToolPreview preview;
                      preview.Make(logo, work, ViewScale{});
                  }));
        ToolPreview kept;
        kept.Make(logo, work, ViewScale{});
        std::snprintf(line, sizeof line, "  colour work, connected, %s, asked again", what);
        PrintLine(line, MedianMilliseconds([&](int) { kept.Make(logo, work, ViewScale{}); }));
    }
}

// A Shift+click in the ring's hole, which adds it as another part of the background, to the
// preview shown; before each, a plain click outside the ring starts again with one part.
double TimeShiftClickShown(HWND window)
{
    const POINT hole = ImageToClient({static_cast<LONG>(kWidth / 2), static_cast<LONG>(kHeight / 2)});
    const POINT outside = ImageToClient({static_cast<LONG>(kWidth / 2), 100});
    const auto click = [window](POINT at, WPARAM keys) {
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(at.x, at.y));
        SendMessageA(window, WM_LBUTTONUP, keys, MAKELPARAM(at.x, at.y));
    };
    return MedianMilliseconds(
        [&](int) {
            click(hole, MK_SHIFT);
            Shown(window);
        },
        [&](int) {
            click(outside, 0);
            Shown(window);
            HandlePendingMessages();
        });
}

// Making a colour transparent in the main window, on a logo of the benchmark's size.
void PrintColourKeyFigures(HWND window)
{
    const ImageRef logo = MakeLogo();
    g_document.SetImage(logo);
    g_history.Clear();
    ColourKeyOptions options;
    options.key = kOpaqueWhite;
    options.area = {0, 0, kWidth, kHeight};
    std::printf("making white transparent on a %u x %u logo:\n", kWidth, kHeight);
    PrintColourWork(*logo, options);
    // The command on the top-left pixel of the background.
    const auto openColourKey = [window] { OpenColourKeyDialog(window, {0, 0}, ClientCentre(window)); };
    ZoomToActualSize(window);
    HandlePendingMessages();
    PrintFirstTimes(window, openColourKey, "menu item to preview shown at 100%");
    PrintLine("  menu item to preview shown at 100%, again", TimeOpenedAndShown(window, openColourKey, false));
    ZoomToFit(window);
    HandlePendingMessages();
    char what[96];
    std::snprintf(what, sizeof what, "menu item to preview shown at fit (%u/%u)", ViewZoom().numerator,
                  ViewZoom().denominator);
    PrintFirstTimes(window, openColourKey, what);
    PrintLine("  menu item to preview shown at fit, again", TimeOpenedAndShown(window, openColourKey, false));
    PrintLine("  tolerance change at fit, to preview shown", MedianMilliseconds([&](int run) {
                  SetDlgItemInt(g_ui.colourKey.dialog, IDC_TOLERANCE, 9 + static_cast<UINT>(run), FALSE);
                  DispatchQueued();
                  Shown(window);
              }));
    PrintLine("  Shift+click adding a part at fit, to preview shown", TimeShiftClickShown(window));
    ToolPreview& preview = g_ui.view.preview;
    PrintLine("    of which the preview's reduced view", MedianMilliseconds([&](int) {
                  preview.BuildReduced(*logo, ViewZoom());
              }));
    PrintLine("    and a paint of the preview", TimePaint(window, nullptr));
    std::printf("  the preview keeps %.1f MB of new pixels (%u x %u changed) and %.1f MB reduced\n",
                preview.Changed().PixelCount() * sizeof(ArgbValue) / 1e6, preview.Changed().width,
                preview.Changed().height, preview.ReducedArea().PixelCount() * sizeof(ArgbValue) / 1e6);
    CloseOpenTool();
    ToggleCheckerboard(window);
    PrintLine("    beside it: a paint of the image over the checkerboard", TimePaint(window, nullptr));
    ToggleCheckerboard(window);
    PrintColourKeyOkAndUndo(window);
    CloseOpenTool();
    HandlePendingMessages();
}

// Paints the picture in the program's own main window, which its first paint fits to the
// screen, and prints the figures; without a display there is no window to paint.
// The logo with its white background cut out, as the colour work leaves it.
ImageRef MakeCutOutLogo()
{
    ImageRef logo = MakeLogo();
    ColourKeyOptions options;
    options.key = kOpaqueWhite;
    options.area = {0, 0, kWidth, kHeight};
    ColourKeyResult result;
    logo->UsePixels(options.area, false, [&](const PixelRows& rows) {
        MakeColourTransparent(rows, {kWidth, kHeight}, options, result);
    });
    logo->SwapPixels(result.changed, result.pixels.data());
    return logo;
}

// The median time of one mouse move of a brush drag, from the message to the stroke shown,
// moving step client pixels each time.
double TimeBrushMove(HWND window, std::uint32_t diameter, int step)
{
    g_ui.brush.settings.diameter = diameter;
    SetDlgItemInt(g_ui.brush.dialog, IDC_BRUSH_SIZE, diameter, FALSE);
    POINT at = {400, 300};
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    const double milliseconds = MedianMilliseconds([&](int run) {
        at.x += run % 2 ? -step : step;
        SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        Shown(window);
    });
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    HandlePendingMessages();
    return milliseconds;
}

// The edge cleaning's preview and the brush's strokes on a cut-out of 4000 × 3000.
void PrintToolFigures(HWND window)
{
    const ImageRef cutout = MakeCutOutLogo();
    g_document.SetImage(cutout);
    g_history.Clear();
    std::printf("the tools on a %u x %u cut-out:\n", kWidth, kHeight);
    for (bool fit : {false, true}) {
        if (fit)
            ZoomToFit(window);
        else
            ZoomToActualSize(window);
        HandlePendingMessages();
        char what[96];
        const auto open = [window] { OpenRefineEdgeDialog(window); };
        std::snprintf(what, sizeof what, "edge cleaning: menu item to preview shown at %u/%u", ViewZoom().numerator,
                      ViewZoom().denominator);
        PrintFirstTimes(window, open, what);
        PrintLine("  the same, again", TimeOpenedAndShown(window, open, false));
        CloseOpenTool();
        OpenAlphaBrushDialog(window);
        HandlePendingMessages();
        for (std::uint32_t diameter : {50u, 500u}) {
            std::snprintf(what, sizeof what, "  brush, size %u: a mouse move of 20 screen pixels to shown, at %u/%u",
                          diameter, ViewZoom().numerator, ViewZoom().denominator);
            PrintLine(what, TimeBrushMove(window, diameter, 20));
        }
        PrintLine("  undo of the brush's strokes, shown", UndoShownMilliseconds(window));
        CloseOpenTool();
        HandlePendingMessages();
    }
}

void PrintPaintFigures(const ImageRef& picture)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND window = RegisterMainWindowClass(instance) ? CreateMainWindow(instance, false) : nullptr;
    if (!window) {
        std::printf("paint: no window (no display?)\n");
        return;
    }
    g_app.instance = instance;
    ShowWindow(window, SW_SHOWNORMAL);
    g_document.SetImage(picture);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    HandlePendingMessages();

    RECT client = {};
    GetClientRect(window, &client);
    char what[96];
    std::snprintf(what, sizeof what, "paint the main window, %ld x %ld client area", client.right, client.bottom);
    PrintLine(what, TimePaint(window, nullptr));
    HandlePendingMessages();
    const MemorySurface surface;
    PrintLine("  BitBlt of as many ready pixels onto it", TimeScreenfulCopy(window, surface.Get(), client));
    HandlePendingMessages();
    const RECT part = {100, 100, 740, 580};
    PrintLine("paint a 640 x 480 update rectangle", TimePaint(window, &part));
    HandlePendingMessages();
    HDC windowDc = GetDC(window);
    PrintLine("draw the whole image onto the window", TimeWholeImageDraw(windowDc, picture));
    ReleaseDC(window, windowDc);
    PrintLine("draw the whole image onto a 1920 x 1080 DIB", TimeWholeImageDraw(surface.Get(), picture));
    PrintZoomFigures(window, picture);
    PrintColourKeyFigures(window);
    PrintToolFigures(window);
    ReleaseAllImages();
}

// The largest zoom at which the whole image fits the area, as a fraction of whole numbers.
ViewScale FitZoom(std::uint32_t areaWidth, std::uint32_t areaHeight)
{
    if (std::uint64_t{areaWidth} * kHeight < std::uint64_t{areaHeight} * kWidth)
        return {areaWidth, kWidth};
    return {areaHeight, kHeight};
}

std::string ZoomName(const char* what, ViewScale scale)
{
    char name[96];
    std::snprintf(name, sizeof name, "%s at %u/%u (%lld x %lld)", what, scale.numerator, scale.denominator,
                  static_cast<long long>(ViewLength(kWidth, scale)), static_cast<long long>(ViewLength(kHeight, scale)));
    return name;
}

// Building the reduced copy at a zoom, and what it holds beside the image's own pixels.
void BenchReducedView(const ImageRef& picture, ViewScale scale)
{
    ReducedView view;
    PrintLine(ZoomName("ReducedView::Build", scale), MedianMilliseconds([&](int) { view.Build(*picture, scale); }));
    const double imageBytes = 4.0 * kWidth * kHeight;
    std::printf("%-50s %8.1f MB, %.3f of the image's %.1f MB\n", "  it holds", static_cast<double>(view.Bytes()) / 1e6,
                static_cast<double>(view.Bytes()) / imageBytes, imageBytes / 1e6);
}

// After "編集開始" over the whole image at the fit zoom: the edit, then the reduced copy
// made again where it changed, which is everywhere.
void BenchUpdate(const ImageRef& picture, ViewScale fit)
{
    ImageDocument document;
    document.SetImage(picture);
    document.SetRangeValue(RangeValue::XTo, kWidth);
    document.SetRangeValue(RangeValue::YTo, kHeight);
    ReducedView view;
    view.Build(*picture, fit);
    const ImageRect whole = {0, 0, kWidth, kHeight};
    PrintLine("  ReducedView::Update of the whole image", MedianMilliseconds([&](int) { view.Update(*picture, whole); },
                                                                    [&](int run) { ApplyAlphaToRange(document, 100 + run); }));
    const ImageRect part = {1000, 1000, 640, 480};
    PrintLine("  ReducedView::Update of a 640 x 480 rectangle", MedianMilliseconds([&](int) { view.Update(*picture, part); }));
}

// A plain window of the area's size at the screen's top-left, to draw the view on.
class AreaWindow {
public:
    AreaWindow(int width, int height)
    {
        window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, width,
                                  height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        HandlePendingMessages();
    }
    ~AreaWindow()
    {
        if (window_)
            DestroyWindow(window_);
    }
    AreaWindow(const AreaWindow&) = delete;
    AreaWindow& operator=(const AreaWindow&) = delete;
    HWND Get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// One draw of the view over the whole area as a paint makes it: the erase to white, then
// DrawView.
void DrawViewOnce(HWND window, const RECT& area, const ImageRef& picture, const ReducedView* reduced,
                  ViewScale scale, bool checkerboard)
{
    HDC dc = GetDC(window);
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    {
        ImageCanvas canvas(dc);
        canvas.DrawView(picture.get(), reduced, ViewPlace{scale, {0, 0}}, area, checkerboard);
    }
    GdiFlush();
    ReleaseDC(window, dc);
}

double TimeViewDraw(HWND window, const RECT& area, const ImageRef& picture, const ReducedView* reduced,
                    ViewScale scale, bool checkerboard)
{
    return MedianMilliseconds([&](int) { DrawViewOnce(window, area, picture, reduced, scale, checkerboard); });
}

// The view in a 1920 × 1080 area at 100% and at the zoom that fits the whole image, each
// with the checkerboard off and on, and a zoom step to the fit: the copy built, then drawn.
void PrintViewFigures(const ImageRef& picture)
{
    constexpr int kAreaWidth = 1920;
    constexpr int kAreaHeight = 1080;
    const ViewScale fit = FitZoom(kAreaWidth, kAreaHeight);
    BenchReducedView(picture, fit);
    BenchReducedView(picture, {2, 3});
    BenchReducedView(picture, {1, 2});
    std::printf("after an alpha edit of the whole image, at %u/%u:\n", fit.numerator, fit.denominator);
    BenchUpdate(picture, fit);

    const AreaWindow window(kAreaWidth, kAreaHeight);
    if (!window.Get()) {
        std::printf("view: no window (no display?)\n");
        return;
    }
    const RECT area = {0, 0, kAreaWidth, kAreaHeight};
    ReducedView reduced;
    reduced.Build(*picture, fit);
    std::printf("DrawView of a %d x %d area on a window:\n", kAreaWidth, kAreaHeight);
    for (const bool checkerboard : {false, true}) {
        const char* board = checkerboard ? ", checkerboard on" : ", checkerboard off";
        PrintLine(std::string("  at 100%") + board, TimeViewDraw(window.Get(), area, picture, nullptr, {1, 1}, checkerboard));
        PrintLine(ZoomName("  at fit", fit) + board, TimeViewDraw(window.Get(), area, picture, &reduced, fit, checkerboard));
        PrintLine(std::string("  at 200%") + board, TimeViewDraw(window.Get(), area, picture, nullptr, {2, 1}, checkerboard));
    }
    PrintLine("zoom step from 100% to fit: Build, then DrawView", MedianMilliseconds([&](int) {
                  reduced.Build(*picture, fit);
                  DrawViewOnce(window.Get(), area, picture, &reduced, fit, false);
              }));
}

int RunBenchmarks()
{
    ScratchFolder folder;
    const std::wstring png = folder.File(L"picture.png");
    const std::wstring jpeg = folder.File(L"picture.jpg");
    const ImageRef picture = MakePicture();
    if (picture->IsEmpty() || !WriteImageFile(*picture, png.c_str(), L"image/png", nullptr) ||
        !WriteImageFile(*picture, jpeg.c_str(), L"image/jpeg", &kJpegQuality)) {
        std::printf("could not make the test files\n");
        return 1;
    }

    std::printf("%u x %u pixels, median of %d runs each\n", kWidth, kHeight, kRuns);
    PrintLine("ApplyAlphaToRange over the whole image", TimeAlphaEdit(picture));
    BenchUndo(picture);
    BenchStrokeUndo(picture);
    PrintLine(WithFileSize("decode PNG with LoadImageFile", png), TimeDecode(png));
    PrintLine(WithFileSize("decode JPEG with LoadImageFile", jpeg), TimeDecode(jpeg));
    PrintLine("encode PNG", MedianMilliseconds([&](int) { WriteImageFile(*picture, png.c_str(), L"image/png", nullptr); }));
    PrintPaintFigures(picture);
    PrintViewFigures(picture);
    return 0;
}

}  // namespace

int main()
{
    const GdiplusSession gdiplus;
    if (!gdiplus.IsStarted()) {
        std::printf("GDI+ did not start\n");
        return 1;
    }
    return RunBenchmarks();  // every image is released inside, before GDI+ shuts down
}
