#include "fx/BackBuffer.h"

#include <cstring>
#include <new>

namespace fx {

std::unique_ptr<BackBuffer> BackBuffer::Create(int width, int height) {
    if (width <= 0 || height <= 0 || width > 0x4000 || height > 0x4000) return nullptr;
    std::unique_ptr<BackBuffer> b(new (std::nothrow) BackBuffer());
    if (!b) return nullptr;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    b->dib_.reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!b->dib_ || !bits) return nullptr;
    b->bits_ = static_cast<uint32_t*>(bits);
    b->width_ = width;
    b->height_ = height;
    b->Clear();
    // GDI+ objects come from GDI+'s own allocator, which answers null.
    b->bitmap_.reset(new Gdiplus::Bitmap(width, height, width * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits)));
    if (!b->bitmap_ || b->bitmap_->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return b;
}

BackBuffer::~BackBuffer() {
    // GDI+ lets go of the pixels before the section goes.
    bitmap_.reset();
}

void BackBuffer::Clear() {
    ::GdiFlush();
    std::memset(bits_, 0, static_cast<size_t>(width_) * height_ * 4);
}

bool PushLayered(HWND hwnd, POINT position, SIZE size, HDC source, BYTE alpha) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    HDC screen = ::GetDC(nullptr);
    POINT origin{0, 0};
    BOOL ok = ::UpdateLayeredWindow(hwnd, screen, &position, &size, source, &origin, 0, &blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
    return ok != FALSE;
}

}  // namespace fx
