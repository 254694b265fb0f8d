// Opens one image file through the program's open path, in a process that does nothing
// else, and writes what it cost to a result file, so that a peak of memory can be told
// apart from every other file's:
//   open_probe.exe <code page 932 path of the image> <path of the result file>
// The result is one line of figures, in this order: the working set of the idle process
// just before the open and the peak working set after it (both in bytes), whether the
// image is empty, its width and height, and the live bitmap count before the open, while
// the document holds the image, and after the document let go of it.
// Exit code 0 when the result was written.
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "gdiplus_session.h"
#include "image_document.h"
#include "image_handle.h"
#include "open_image.h"

namespace {

PROCESS_MEMORY_COUNTERS Counters()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

constexpr int kBadArguments = 2;
constexpr int kNoGdiplus = 3;
constexpr int kNotOpened = 4;
constexpr int kNoResultFile = 5;

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return kBadArguments;
    const GdiplusSession gdiplus;
    if (!gdiplus.IsStarted())
        return kNoGdiplus;
    ImageDocument document;  // destroyed before the session, as its image must be

    const int bitmapsBefore = ImageHandle::LiveBitmapCount();
    const PROCESS_MEMORY_COUNTERS idle = Counters();
    if (!OpenImageFile(document, argv[1]))
        return kNotOpened;
    const PROCESS_MEMORY_COUNTERS opened = Counters();
    const bool empty = !document.Image() || document.Image()->IsEmpty();
    const ImageSize size = document.GetImageSize();
    const int bitmapsHeld = ImageHandle::LiveBitmapCount();
    document.ReleaseImage();
    const int bitmapsAfter = ImageHandle::LiveBitmapCount();

    FILE* result = std::fopen(argv[2], "w");
    if (!result)
        return kNoResultFile;
    std::fprintf(result, "%llu %llu %d %u %u %d %d %d\n", static_cast<unsigned long long>(idle.WorkingSetSize),
                 static_cast<unsigned long long>(opened.PeakWorkingSetSize), empty ? 1 : 0, size.width,
                 size.height, bitmapsBefore, bitmapsHeld, bitmapsAfter);
    return std::fclose(result) == 0 ? 0 : kNoResultFile;
}
