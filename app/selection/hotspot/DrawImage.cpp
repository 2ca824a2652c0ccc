#include "app/selection/hotspot/DrawImage.h"

void DrawImagePart(Gdiplus::Graphics& g, Gdiplus::Image* image, int x, int y, int sx, int sy, int w, int h,
                   float opacity) {
    if (!image || w <= 0 || h <= 0) return;
    if (!(opacity > 0.0f)) return;  // NaN and 0 draw nothing
    if (opacity > 1.0f) opacity = 1.0f;
    Gdiplus::Rect dest(x, y, w, h);
    if (opacity >= 1.0f) {
        g.DrawImage(image, dest, sx, sy, w, h, Gdiplus::UnitPixel);
        return;
    }
    Gdiplus::ColorMatrix m = {{{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, opacity, 0}, {0, 0, 0, 0, 1}}};
    Gdiplus::ImageAttributes attributes;
    attributes.SetColorMatrix(&m, Gdiplus::ColorMatrixFlagsDefault, Gdiplus::ColorAdjustTypeBitmap);
    g.DrawImage(image, dest, sx, sy, w, h, Gdiplus::UnitPixel, &attributes);
}

void DrawImageWithOpacity(Gdiplus::Graphics& g, Gdiplus::Image* image, int x, int y, float opacity) {
    if (!image) return;
    DrawImagePart(g, image, x, y, 0, 0, static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight()),
                  opacity);
}
