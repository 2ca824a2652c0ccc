// Drawing an image into a GDI+ surface at a given opacity (the skinned
// windows' one image-drawing routine).
#pragma once

#include "fx/GdiPlus.h"

// Draws `image` at (x, y) at its own size with opacity 0..1 (values outside
// are held to the range); nothing for a null image.
void DrawImageWithOpacity(Gdiplus::Graphics& g, Gdiplus::Image* image, int x, int y, float opacity);
// The same, with the image's part (sx, sy, w, h) drawn 1:1 at (x, y).
void DrawImagePart(Gdiplus::Graphics& g, Gdiplus::Image* image, int x, int y, int sx, int sy, int w, int h,
                   float opacity = 1.0f);
