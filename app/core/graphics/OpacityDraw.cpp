#include "app/core/graphics/OpacityDraw.h"

namespace render {
namespace {

// Image attributes whose colour matrix keeps red, green and blue and scales
// alpha by the opacity, held to 0..1 (not a number counts as 0).
void SetOpacity(Gdiplus::ImageAttributes& attributes, double opacity) {
    const double held = opacity > 1.0 ? 1.0 : opacity > 0.0 ? opacity : 0.0;
    const Gdiplus::REAL a = static_cast<Gdiplus::REAL>(held);
    Gdiplus::ColorMatrix m = {{{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, a, 0}, {0, 0, 0, 0, 1}}};
    attributes.SetColorMatrix(&m, Gdiplus::ColorMatrixFlagsDefault, Gdiplus::ColorAdjustTypeBitmap);
}

}  // namespace

void DrawImageWithOpacity(int x, int y, int width, int height, Gdiplus::Image* image, int srcX, int srcY,
                          int srcWidth, int srcHeight, double opacity, const Gdiplus::Matrix* transform,
                          Gdiplus::InterpolationMode mode, Gdiplus::Graphics& g) {
    g.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    g.SetInterpolationMode(mode);
    Gdiplus::ImageAttributes attributes;
    SetOpacity(attributes, opacity);

    Gdiplus::Matrix saved;
    g.GetTransform(&saved);
    if (transform != nullptr) g.SetTransform(transform);
    if (image != nullptr) {
        g.DrawImage(image, Gdiplus::Rect(x, y, width, height), srcX, srcY, srcWidth, srcHeight, Gdiplus::UnitPixel,
                    &attributes);
    }
    if (transform != nullptr) g.SetTransform(&saved);
}

void DrawImageWithOpacityToImage(int width, int height, Gdiplus::Image* image, int srcX, int srcY, int srcWidth,
                                 int srcHeight, double opacity, Gdiplus::Image* target) {
    if (image == nullptr || target == nullptr) return;
    Gdiplus::Graphics g(target);
    g.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
    Gdiplus::ImageAttributes attributes;
    SetOpacity(attributes, opacity);
    g.DrawImage(image, Gdiplus::Rect(0, 0, width, height), srcX, srcY, srcWidth, srcHeight, Gdiplus::UnitPixel,
                &attributes);
}

}  // namespace render
