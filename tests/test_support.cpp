#include "test_support.h"

#include <cstdio>

#include "image_document.h"
#include "gdiplus_api.h"
#include "image_encoder.h"

TempFolder::TempFolder()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        wchar_t name[MAX_PATH];
        swprintf(name, MAX_PATH, L"%lstessarel-test-%lu-%u", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryW(name, nullptr)) {
            folder_ = name;
            break;
        }
    }
}

TempFolder::~TempFolder()
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(Path(found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder_.c_str());
}

std::string TempFolder::AnsiPath(const std::wstring& name) const
{
    return ToAnsi(Path(name));
}

ArgbValue PatternColour(std::uint32_t x, std::uint32_t y)
{
    const ArgbValue alpha = (x * 7 + y * 3) & 0xFF;
    const ArgbValue red = (x * 13) & 0xFF;
    const ArgbValue green = (y * 17) & 0xFF;
    const ArgbValue blue = (x * 5 + y * 11) & 0xFF;
    return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

ImageRef MakePatternImage(std::uint32_t width, std::uint32_t height)
{
    ImageRef image = CreateArgbImage(width, height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image->SetPixel(x, y, PatternColour(x, y));
    return image;
}

ImageRef MakeFilledImage(std::uint32_t width, std::uint32_t height, ArgbValue colour)
{
    ImageRef image = CreateArgbImage(width, height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image->SetPixel(x, y, colour);
    return image;
}

ImageRef MakeOpaquePattern(std::uint32_t width, std::uint32_t height)
{
    ImageRef image = CreateArgbImage(width, height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image->SetPixel(x, y, PatternColour(x, y) | kOpaqueBlack);
    return image;
}

ArgbValue WithAlpha(ArgbValue colour, std::uint32_t alpha)
{
    return (alpha << 24) | (colour & 0x00FFFFFFu);
}

void SetRange(ImageDocument& document, std::uint32_t xFrom, std::uint32_t yFrom, std::uint32_t xTo,
              std::uint32_t yTo)
{
    document.SetRangeValue(RangeValue::XFrom, xFrom);
    document.SetRangeValue(RangeValue::YFrom, yFrom);
    document.SetRangeValue(RangeValue::XTo, xTo);
    document.SetRangeValue(RangeValue::YTo, yTo);
}

std::vector<ArgbValue> ReadAllPixels(const ImageHandle& image)
{
    const ImageSize size = image.Size();
    std::vector<ArgbValue> pixels;
    pixels.reserve(std::size_t{size.width} * size.height);
    for (std::uint32_t y = 0; y < size.height; ++y) {
        for (std::uint32_t x = 0; x < size.width; ++x) {
            ArgbValue colour = 0;
            image.GetPixel(x, y, colour);
            pixels.push_back(colour);
        }
    }
    return pixels;
}

bool WritePng(const ImageHandle& image, const std::wstring& path)
{
    return WriteImageFile(image, path.c_str(), L"image/png", nullptr);
}

bool WriteBmp(const ImageHandle& image, const std::wstring& path)
{
    return WriteImageFile(image, path.c_str(), L"image/bmp", nullptr);
}

bool WriteJpeg(const ImageHandle& image, const std::wstring& path)
{
    const std::uint32_t quality = 90;
    return WriteImageFile(image, path.c_str(), L"image/jpeg", &quality);
}

DirectDecode DecodeDirectly(const std::wstring& path)
{
    DirectDecode result;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Gdiplus::Ok) {
        if (bitmap)
            Gdiplus::DllExports::GdipDisposeImage(bitmap);
        return result;
    }
    const ImageHandle image(bitmap);  // disposes the bitmap, and so frees the file, on return
    result.decoded = true;
    result.size = image.Size();
    result.pixelFormat = PixelFormatOf(image);
    result.pixels = ReadAllPixels(image);
    return result;
}

std::uint32_t PixelFormatOf(const ImageHandle& image)
{
    Gdiplus::PixelFormat format = 0;
    if (image.IsEmpty() || Gdiplus::DllExports::GdipGetImagePixelFormat(image.Native(), &format) != Gdiplus::Ok)
        return 0;
    return format;
}

std::wstring TestData(const std::wstring& relative)
{
    // Backslashes throughout: the file dialogs do not take forward slashes.
    std::wstring path = std::wstring(TESSAREL_TEST_DATA) + L"\\" + relative;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

Bytes ReadFileBytes(const std::wstring& path)
{
    Bytes bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return bytes;
    unsigned char buffer[65536];
    std::size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + read);
    fclose(file);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const Bytes& bytes)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder, const wchar_t* pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

PROCESS_MEMORY_COUNTERS MemoryCounters()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

std::string ToAnsi(const std::wstring& text)
{
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(bytes > 0 ? bytes - 1 : 0, '\0');
    if (bytes > 1)
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, result.data(), bytes, nullptr, nullptr);
    return result;
}

std::wstring FromAnsi(const std::string& text)
{
    const int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(units > 0 ? units - 1 : 0, L'\0');
    if (units > 1)
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), units);
    return result;
}
