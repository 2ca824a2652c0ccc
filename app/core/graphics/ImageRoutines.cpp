#include "app/core/graphics/ImageRoutines.h"

#include "app/core/graphics/OpacityDraw.h"
#include "app/core/net/HttpRoutines.h"
#include "app/core/common/SharedUtilities.h"
#include "app/core/graphics/GraphicsRules.h"
#include "log/PondrelLog.h"

#include <vector>

namespace {

ArgbBitmap NewArgbBitmap(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    ArgbBitmap b = fx::NewGdiplus<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
    if (!b || b->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return b;
}

void LogRefused(const std::wstring& path, long long width, long long height) {
    const std::wstring line = L"The picture " + path + L" claims " + std::to_wstring(width) + L" x " +
                              std::to_wstring(height) + L" pixels: it is not loaded";
    LogWithPrefix(L"%s", line.c_str());
}

// The size the file's header claims, read from its first bytes, within the
// bounds; a header that tells no size leaves the answer to the decoder.
bool HeaderSizeAcceptable(const std::wstring& path) {
    fx::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return true;  // the decoder reports a missing file as it always did
    // Enough for a JPEG's frame behind its metadata segments.
    std::vector<unsigned char> head(256 * 1024);
    DWORD got = 0;
    if (!::ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &got, nullptr)) return true;
    long long width = 0, height = 0;
    if (!ImageHeaderSize(head.data(), got, &width, &height) || ImageSizeAcceptable(width, height)) return true;
    LogRefused(path, width, height);
    return false;
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
    if (path.empty() || !HeaderSizeAcceptable(path)) return nullptr;
    fx::GdiplusPtr<Gdiplus::Bitmap> image = fx::NewGdiplus<Gdiplus::Bitmap>(path.c_str(), FALSE);
    if (!image || image->GetLastStatus() != Gdiplus::Ok) return nullptr;
    // A format whose header was not read shows its size only now.
    if (!ImageSizeAcceptable(image->GetWidth(), image->GetHeight())) {
        LogRefused(path, image->GetWidth(), image->GetHeight());
        return nullptr;
    }
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
