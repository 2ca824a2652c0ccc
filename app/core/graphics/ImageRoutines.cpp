#include "app/core/graphics/ImageRoutines.h"

#include "app/core/graphics/OpacityDraw.h"
#include "app/core/net/HttpRoutines.h"
#include "app/core/common/SharedUtilities.h"

namespace {

ArgbBitmap NewArgbBitmap(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    ArgbBitmap b = fx::NewGdiplus<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
    if (!b || b->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return b;
}

}  // namespace

ArgbBitmap CreateScaledBitmap(Gdiplus::Image* image, int width, int height) {
    if (!image) return nullptr;
    if (width == 0) {
        width = static_cast<int>(image->GetWidth());
        height = static_cast<int>(image->GetHeight());
    }
    ArgbBitmap b = NewArgbBitmap(width, height);
    if (!b) return nullptr;
    // The whole image, scaled to the whole bitmap.
    render::DrawImageWithOpacityToImage(width, height, image, 0, 0, static_cast<int>(image->GetWidth()),
                                        static_cast<int>(image->GetHeight()), 1.0, b.get());
    return b;
}

ArgbBitmap LoadImageFile(const std::wstring& path, int width, int height) {
    if (path.empty()) return nullptr;
    fx::GdiplusPtr<Gdiplus::Bitmap> image = fx::NewGdiplus<Gdiplus::Bitmap>(path.c_str(), FALSE);
    if (!image || image->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return CreateScaledBitmap(image.get(), width, height);
}

ArgbBitmap LoadImageCached(const std::wstring& url, int width, int height, bool useCache, const std::wstring& localPath) {
    if (localPath.empty()) return nullptr;
    if (!(useCache && FileExists(localPath))) HttpGetToFile(url, localPath);
    return LoadImageFile(localPath, width, height);
}

ArgbBitmap CreateArgbBitmap(int width, int height, Gdiplus::Image* image, int x, int y) {
    if (!image) return nullptr;
    ArgbBitmap b = NewArgbBitmap(width, height);
    if (!b) return nullptr;
    // The image's region of the bitmap's size at (x, y), unscaled.
    render::DrawImageWithOpacityToImage(width, height, image, x, y, width, height, 1.0, b.get());
    return b;
}

void EnsureImagePiece(Gdiplus::Image* image, ArgbBitmap& slot, int x, int y, int width, int height) {
    if (slot && static_cast<int>(slot->GetWidth()) == width && static_cast<int>(slot->GetHeight()) == height) return;
    slot.reset();
    slot = CreateArgbBitmap(width, height, image, x, y);
}

fx::GdiplusPtr<Gdiplus::Font> CreateGdiFont(const wchar_t* face, int size, int style) {
    Gdiplus::FontFamily family(face ? face : L"");
    fx::GdiplusPtr<Gdiplus::Font> font;
    if (family.IsAvailable())
        font = fx::NewGdiplus<Gdiplus::Font>(&family, static_cast<Gdiplus::REAL>(size), style, Gdiplus::UnitPoint);
    else
        font = fx::NewGdiplus<Gdiplus::Font>(Gdiplus::FontFamily::GenericSansSerif(), static_cast<Gdiplus::REAL>(size),
                                             style, Gdiplus::UnitPoint);
    if (!font || font->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return font;
}

void DrawTextString(Gdiplus::Graphics* graphics, const std::wstring& text, float x, float y, const Gdiplus::Font* font,
                    const Gdiplus::Brush* brush) {
    if (!graphics || !font || !brush) return;
    graphics->DrawString(text.c_str(), static_cast<INT>(text.size()), font, Gdiplus::RectF(x, y, 0, 0), nullptr,
                         brush);
}

fx::GdiObject<HFONT> CreatePointFont(const wchar_t* face, int tenthsOfPoint) {
    LOGFONTW lf{};
    HDC screen = ::GetDC(nullptr);
    lf.lfHeight = -::MulDiv(tenthsOfPoint, ::GetDeviceCaps(screen, LOGPIXELSY), 720);
    ::ReleaseDC(nullptr, screen);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return fx::GdiObject<HFONT>(::CreateFontIndirectW(&lf));
}
