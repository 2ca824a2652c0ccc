// Scoped GDI pieces: a window's paint DC, a DC borrowed from a window, and a
// 32-bit top-down DIB section.  The GDI object and memory DC owners and the
// selection scope are in fx/Handle.h (fx::GdiObject, fx::MemoryDC,
// fx::SelectObjectScope).
#pragma once

#include <windows.h>

#include <cstdint>

#include "fx/Handle.h"

namespace fx {

// BeginPaint for WM_PAINT, EndPaint when the scope ends.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
    ~PaintDC() { ::EndPaint(hwnd_, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const { return dc_; }
    const RECT& dirty() const { return ps_.rcPaint; }
    const PAINTSTRUCT& paint() const { return ps_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// A window's (or, for NULL, the screen's) DC from GetDC, given back with
// ReleaseDC.  Move-only.
class WindowDC {
public:
    WindowDC() = default;
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDC() { reset(); }
    WindowDC(WindowDC&& o) noexcept : hwnd_(o.hwnd_), dc_(o.dc_) { o.dc_ = nullptr; }
    WindowDC& operator=(WindowDC&& o) noexcept {
        if (this != &o) {
            reset();
            hwnd_ = o.hwnd_;
            dc_ = o.dc_;
            o.dc_ = nullptr;
        }
        return *this;
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
        dc_ = nullptr;
    }

private:
    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
};

// A 32-bit top-down DIB section (BGRA pixels, rows of width * 4 bytes) with
// its pixel memory, deleted with its bitmap.
class DibSection {
public:
    DibSection() = default;
    // width and height must be positive; an empty owner when they are not or
    // when GDI refuses.
    DibSection(int width, int height) {
        if (width <= 0 || height <= 0) return;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap_ || !bits) {
            bitmap_.reset();
            return;
        }
        bits_ = static_cast<uint32_t*>(bits);
        width_ = width;
        height_ = height;
    }
    DibSection(DibSection&& o) noexcept
        : bitmap_(std::move(o.bitmap_)), bits_(o.bits_), width_(o.width_), height_(o.height_) {
        o.bits_ = nullptr;
        o.width_ = o.height_ = 0;
    }
    DibSection& operator=(DibSection&& o) noexcept {
        if (this != &o) {
            bitmap_ = std::move(o.bitmap_);
            bits_ = o.bits_;
            width_ = o.width_;
            height_ = o.height_;
            o.bits_ = nullptr;
            o.width_ = o.height_ = 0;
        }
        return *this;
    }

    HBITMAP get() const { return bitmap_.get(); }
    explicit operator bool() const { return static_cast<bool>(bitmap_); }
    uint32_t* bits() const { return bits_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    UniqueBitmap bitmap_;
    uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace fx
