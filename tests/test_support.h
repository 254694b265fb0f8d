#pragma once
// Helpers shared by the tests: temporary folders, test images, test data and files.
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image_handle.h"

class ImageDocument;

// A folder of its own under the user's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::wstring Path(const std::wstring& name) const { return folder_ + L"\\" + name; }
    // The same path in the ANSI code page (932 here), as the program's dialogs return it.
    std::string AnsiPath(const std::wstring& name) const;
    const std::wstring& Folder() const { return folder_; }

private:
    std::wstring folder_;
};

// A colour that differs from pixel to pixel in red, green, blue and alpha.
ArgbValue PatternColour(std::uint32_t x, std::uint32_t y);

// A 32-bit ARGB image filled with PatternColour, or with one colour.
ImageRef MakePatternImage(std::uint32_t width, std::uint32_t height);
ImageRef MakeFilledImage(std::uint32_t width, std::uint32_t height, ArgbValue colour);
// The pattern made opaque, as a file without alpha holds it.
ImageRef MakeOpaquePattern(std::uint32_t width, std::uint32_t height);

// The colour with its alpha replaced by the given one.
ArgbValue WithAlpha(ArgbValue colour, std::uint32_t alpha);

// Sets all four range values of a document, as the tool panel's fields do.
void SetRange(ImageDocument& document, std::uint32_t xFrom, std::uint32_t yFrom, std::uint32_t xTo,
              std::uint32_t yTo);

// Every pixel of an image, row by row; empty for an empty image.
std::vector<ArgbValue> ReadAllPixels(const ImageHandle& image);

// Writes an image as PNG, BMP or JPEG with the platform's encoders; false on failure.
bool WritePng(const ImageHandle& image, const std::wstring& path);
bool WriteBmp(const ImageHandle& image, const std::wstring& path);
bool WriteJpeg(const ImageHandle& image, const std::wstring& path);

// What GDI+ itself makes of a file, without the program's loader: whether it decoded, its
// size, its pixel format (a GDI+ PixelFormat) and every pixel, row by row. The bitmap is
// released before this returns.
struct DirectDecode {
    bool decoded = false;
    ImageSize size;
    std::uint32_t pixelFormat = 0;
    std::vector<ArgbValue> pixels;
};
DirectDecode DecodeDirectly(const std::wstring& path);

// The GDI+ pixel format of an image; 0 for an empty one.
std::uint32_t PixelFormatOf(const ImageHandle& image);

// A file from tests/data, for example TestData(L"pngsuite/basn6a08.png").
std::wstring TestData(const std::wstring& relative);

using Bytes = std::vector<unsigned char>;
Bytes ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const Bytes& bytes);
bool FileExists(const std::wstring& path);
// The names of the files (not folders) in a folder that match a pattern, in the order the
// system lists them.
std::vector<std::wstring> FileNamesIn(const std::wstring& folder, const wchar_t* pattern = L"*");

// This process's memory counters now: PeakWorkingSetSize and PagefileUsage (committed
// memory) are the ones that move under Wine.
PROCESS_MEMORY_COUNTERS MemoryCounters();

// UTF-16 to the ANSI code page and back.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);
