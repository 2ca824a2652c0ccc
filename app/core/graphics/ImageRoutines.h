// Images as 32-bit ARGB GDI+ bitmaps (from a file, or from a URL through a
// disk cache), cropped skin pieces, GDI+ fonts and text drawing.  Every
// routine answers null (or does nothing) for a missing image, font or brush
// instead of handing a null to GDI+.
#pragma once

#include <windows.h>

#include <string>

#include "fx/GdiPlus.h"
#include "fx/Handle.h"

using ArgbBitmap = fx::GdiplusPtr<Gdiplus::Bitmap>;

// The file at `path` as a new ARGB bitmap of width by height (width 0: the
// image's own size), or null when it cannot be loaded as an image.
ArgbBitmap LoadImageFile(const std::wstring& path, int width, int height);
// Like LoadImageFile on `localPath`, which is first downloaded from `url`
// unless useCache is set and the file exists.  A failed download keeps what
// the path held.  An empty path is no cache: null.
ArgbBitmap LoadImageCached(const std::wstring& url, int width, int height, bool useCache, const std::wstring& localPath);
// A new ARGB bitmap with the whole image scaled into it (width 0: own size).
ArgbBitmap CreateScaledBitmap(Gdiplus::Image* image, int width, int height);
// A new ARGB bitmap of width by height holding the image's region at (x, y),
// unscaled.
ArgbBitmap CreateArgbBitmap(int width, int height, Gdiplus::Image* image, int x, int y);
// Keeps the slot's bitmap when it already is width by height (wherever it
// came from); otherwise replaces it by CreateArgbBitmap of the image.
void EnsureImagePiece(Gdiplus::Image* image, ArgbBitmap& slot, int x, int y, int width, int height);

// A GDI+ font of the face (the generic sans-serif family when it does not
// exist) at `size` points with the FontStyle bits.
fx::GdiplusPtr<Gdiplus::Font> CreateGdiFont(const wchar_t* face, int size, int style);
// Draws the text at (x, y) with the default string format.
void DrawTextString(Gdiplus::Graphics* graphics, const std::wstring& text, float x, float y, const Gdiplus::Font* font,
                    const Gdiplus::Brush* brush);
// A GDI font of the face at tenths of a point on the screen.
fx::GdiObject<HFONT> CreatePointFont(const wchar_t* face, int tenthsOfPoint);
