// The off-screen image of a layered window: a top-down 32-bit DIB section
// whose pixels GDI+ draws into directly (premultiplied ARGB), and which a
// memory device context selects for UpdateLayeredWindow without converting.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "fx/Gdi.h"
#include "fx/GdiPlus.h"

namespace fx {

class BackBuffer {
public:
    // A cleared (transparent) buffer of width by height; null when either is
    // not positive or the allocation fails.
    static std::unique_ptr<BackBuffer> Create(int width, int height);
    ~BackBuffer();
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    int width() const { return dib_.width(); }
    int height() const { return dib_.height(); }
    HBITMAP hbitmap() const { return dib_.get(); }
    // The same pixels for GDI+ (PixelFormat32bppPARGB).
    Gdiplus::Bitmap* bitmap() const { return bitmap_.get(); }
    // Premultiplied BGRA words, row after row from the top, width per row.
    const uint32_t* pixels() const { return dib_.bits(); }
    uint32_t Pixel(int x, int y) const { return dib_.bits()[static_cast<size_t>(y) * dib_.width() + x]; }
    // Makes every pixel transparent black.
    void Clear();

private:
    BackBuffer() = default;
    DibSection dib_;
    GdiplusPtr<Gdiplus::Bitmap> bitmap_;
};

// Pushes `source` (a memory DC holding a premultiplied 32-bit image) to the
// layered window at `position` with per-pixel alpha times `alpha`.  True when
// the system took it.
bool PushLayered(HWND hwnd, POINT position, SIZE size, HDC source, BYTE alpha);
// The same where the window stands, at its size: the window is neither moved
// nor sized, so nothing waits on the thread that owns it.
bool PushLayeredInPlace(HWND hwnd, HDC source, BYTE alpha);

}  // namespace fx
