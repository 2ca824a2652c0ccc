// The image classes and GDI+: an FCObjImage made from a GDI+ bitmap and a
// GDI+ bitmap made from an FCObjImage, line by line, in the formats of
// FColor.h.  Windows only.
#pragma once

#include "app/include/ObjImage.h"
#include "fx/GdiPlus.h"

// Makes image from bitmap (palette for indexed formats, every line, alpha 255
// for 32-bit RGB); false and the image empty for a format it does not take.
bool ImageFromGdiplusBitmap(Gdiplus::Bitmap& bitmap, FCObjImage& image);

// A new GDI+ bitmap of the image's size and matching format with its pixels
// (and palette up to 8 bits); empty for an empty image or a failure.
fx::GdiplusPtr<Gdiplus::Bitmap> GdiplusBitmapFromImage(const FCObjImage& image);
