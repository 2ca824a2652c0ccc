// Drawing an image at one uniform opacity, onto a graphics surface or into
// another image: the image's alpha is multiplied by the opacity through a
// colour matrix.  Every image the program's windows draw at an opacity, and
// the image routines' bitmap copies, go through these two.
#pragma once

#include "fx/GdiPlus.h"

namespace render {

// Draws the source rectangle (srcX, srcY, srcWidth, srcHeight) of image into
// the destination rectangle (x, y, width, height) of g, in pixels, with
// source-over compositing, the interpolation mode and alpha times opacity
// (held to 0..1).  A given transform is the world transform for this draw only; the
// one g had is restored.  A null image draws nothing.
void DrawImageWithOpacity(int x, int y, int width, int height, Gdiplus::Image* image, int srcX, int srcY,
                          int srcWidth, int srcHeight, double opacity, const Gdiplus::Matrix* transform,
                          Gdiplus::InterpolationMode mode, Gdiplus::Graphics& g);

// Draws the source rectangle of image over target, scaled into
// (0, 0, width, height), source-over, high-quality bilinear, alpha times
// opacity.  Nothing when either image is null.
void DrawImageWithOpacityToImage(int width, int height, Gdiplus::Image* image, int srcX, int srcY, int srcWidth,
                                 int srcHeight, double opacity, Gdiplus::Image* target);

}  // namespace render
