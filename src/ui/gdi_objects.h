#pragma once
// Owners for GDI handles: each is released, or put back, when it goes out of scope.
#include <windows.h>

// A device context for a window's client area, or with no window for the whole screen, from
// GetDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() { if (dc_) ReleaseDC(window_, dc_); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A device context for the whole screen.
class ScreenDC : public WindowDC {
public:
    ScreenDC() noexcept : WindowDC(nullptr) {}
};

// A memory device context compatible with another.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) noexcept : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() { if (dc_) DeleteDC(dc_); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const noexcept { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { if (previous_) SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A bitmap owned until it is handed on with Release.
class OwnedBitmap {
public:
    explicit OwnedBitmap(HBITMAP bitmap) noexcept : bitmap_(bitmap) {}
    ~OwnedBitmap() { if (bitmap_) DeleteObject(bitmap_); }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    HBITMAP Get() const noexcept { return bitmap_; }
    HBITMAP Release() noexcept
    {
        HBITMAP bitmap = bitmap_;
        bitmap_ = nullptr;
        return bitmap;
    }

private:
    HBITMAP bitmap_;
};

// A region owned for as long as it lives.
class OwnedRegion {
public:
    explicit OwnedRegion(HRGN region) noexcept : region_(region) {}
    ~OwnedRegion() { if (region_) DeleteObject(region_); }
    OwnedRegion(const OwnedRegion&) = delete;
    OwnedRegion& operator=(const OwnedRegion&) = delete;
    HRGN Get() const noexcept { return region_; }

private:
    HRGN region_;
};

// The BeginPaint / EndPaint pair of one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Get() const noexcept { return dc_; }
    // The part of the client area this paint is to draw.
    const RECT& Area() const noexcept { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};
