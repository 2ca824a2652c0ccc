#include "app/include/FWin32.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

namespace {

// The bytes of one line's pixels (without the stride's padding).
size_t LineBytes(const FCObjImage& image) {
    return (static_cast<size_t>(image.Width()) * image.ColorBits() + 7) / 8;
}

// A GDI+ palette of count entries: flags, count, then the colours.
struct PaletteBlock {
    explicit PaletteBlock(int count) : words(count + 2) {}
    Gdiplus::ColorPalette* get() const { return reinterpret_cast<Gdiplus::ColorPalette*>(words.get()); }
    PCL_array<Gdiplus::ARGB> words;
};
static_assert(offsetof(Gdiplus::ColorPalette, Entries) == 2 * sizeof(Gdiplus::ARGB), "ColorPalette layout");

}  // namespace

bool ImageFromGdiplusBitmap(Gdiplus::Bitmap& bitmap, FCObjImage& image) {
    image.Destroy();
    FCImageFormat format;
    if (!ImageFormatFromGdiplus(bitmap.GetPixelFormat(), &format)) return false;
    const int width = static_cast<int>(bitmap.GetWidth());
    const int height = static_cast<int>(bitmap.GetHeight());
    BitmapInfoHeader info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<uint16_t>(format.bitCount);
    info.biCompression = format.bitFields ? kBiBitFields : kBiRgb;
    if (!image.Create(info, format.bitFields ? format.masks : nullptr)) return false;

    if (format.bitCount <= 8) {
        const INT size = bitmap.GetPaletteSize();
        if (size > 0) {
            PCL_array<uint8_t> block(size);
            auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(block.get());
            if (palette && bitmap.GetPalette(palette, size) == Gdiplus::Ok) {
                const int count = std::min(static_cast<int>(palette->Count), image.GetPaletteCount());
                for (int i = 0; i < count; ++i) {
                    RgbQuad entry = FCColor::FromArgb(palette->Entries[i]);
                    entry.rgbReserved = 0;
                    image.GetPalette()[i] = entry;
                }
            }
        }
    }

    const size_t lineBytes = LineBytes(image);
    for (int y = 0; y < height; ++y) {
        Gdiplus::Rect line(0, y, width, 1);
        Gdiplus::BitmapData data{};
        if (bitmap.LockBits(&line, Gdiplus::ImageLockModeRead, format.lockFormat, &data) != Gdiplus::Ok) {
            image.Destroy();
            return false;
        }
        std::memcpy(image.GetLine(y), data.Scan0, lineBytes);
        bitmap.UnlockBits(&data);
    }
    if (format.opaqueAlpha) image.SetAlphaOpaque();
    return true;
}

fx::GdiplusPtr<Gdiplus::Bitmap> GdiplusBitmapFromImage(const FCObjImage& image) {
    if (!image.IsValidImage()) return nullptr;
    const Gdiplus::PixelFormat pixelFormat = GdiplusFormatFromImage(image.ColorBits(), image.Masks()[1]);
    if (pixelFormat == 0) return nullptr;
    fx::GdiplusPtr<Gdiplus::Bitmap> bitmap =
        fx::NewGdiplus<Gdiplus::Bitmap>(image.Width(), image.Height(), pixelFormat);
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;

    if (image.ColorBits() <= 8) {
        const int count = image.GetPaletteCount();
        PaletteBlock block(count);
        if (Gdiplus::ColorPalette* palette = block.get()) {
            palette->Flags = 0;
            palette->Count = static_cast<UINT>(count);
            for (int i = 0; i < count; ++i) {
                RgbQuad entry = image.GetPalette()[i];
                entry.rgbReserved = 0xFF;
                palette->Entries[i] = FCColor::ToArgb(entry);
            }
            bitmap->SetPalette(palette);
        }
    }

    const size_t lineBytes = LineBytes(image);
    for (int y = 0; y < image.Height(); ++y) {
        Gdiplus::Rect line(0, y, image.Width(), 1);
        Gdiplus::BitmapData data{};
        if (bitmap->LockBits(&line, Gdiplus::ImageLockModeWrite, pixelFormat, &data) != Gdiplus::Ok) return nullptr;
        std::memcpy(data.Scan0, image.GetLine(y), lineBytes);
        bitmap->UnlockBits(&data);
    }
    return bitmap;
}
