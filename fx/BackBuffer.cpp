#include "fx/BackBuffer.h"

#include <cstring>
#include <new>

namespace fx {

std::unique_ptr<BackBuffer> BackBuffer::Create(int width, int height) {
    if (width <= 0 || height <= 0 || width > 0x4000 || height > 0x4000) return nullptr;
    std::unique_ptr<BackBuffer> b(new (std::nothrow) BackBuffer());
    if (!b) return nullptr;
    b->dib_ = DibSection(width, height);
    if (!b->dib_) return nullptr;
    b->Clear();
    // GDI+ objects come from GDI+'s own allocator, which answers null.
    b->bitmap_ = NewGdiplus<Gdiplus::Bitmap>(width, height, width * 4, PixelFormat32bppPARGB,
                                             reinterpret_cast<BYTE*>(b->dib_.bits()));
    if (!b->bitmap_ || b->bitmap_->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return b;
}

BackBuffer::~BackBuffer() {
    // GDI+ lets go of the pixels before the section goes.
    bitmap_.reset();
}

void BackBuffer::Clear() {
    ::GdiFlush();
    std::memset(dib_.bits(), 0, static_cast<size_t>(dib_.width()) * dib_.height() * 4);
}

bool PushLayered(HWND hwnd, POINT position, SIZE size, HDC source, BYTE alpha) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    WindowDC screen(nullptr);
    POINT origin{0, 0};
    return ::UpdateLayeredWindow(hwnd, screen.get(), &position, &size, source, &origin, 0, &blend, ULW_ALPHA) != FALSE;
}

bool PushLayeredInPlace(HWND hwnd, HDC source, BYTE alpha) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    WindowDC screen(nullptr);
    POINT origin{0, 0};
    return ::UpdateLayeredWindow(hwnd, screen.get(), nullptr, nullptr, source, &origin, 0, &blend, ULW_ALPHA) != FALSE;
}

}  // namespace fx
