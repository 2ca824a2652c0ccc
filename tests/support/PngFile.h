// Writes a GDI+ bitmap as a PNG file: the pictures a test or a benchmark
// lays into a scratch install, and the drawings a test leaves for a reader.
// Header only; GDI+ runs around the call (GdiplusTestEnv.h in a test).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fx/GdiPlus.h"

namespace testsupport {

// Through GDI+'s PNG encoder (found by its MIME type); false when there is
// none or the file cannot be written.
inline bool SavePng(Gdiplus::Bitmap& bitmap, const std::wstring& path) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i)
        if (std::wstring(codecs[i].MimeType) == L"image/png")
            return bitmap.Save(path.c_str(), &codecs[i].Clsid, nullptr) == Gdiplus::Ok;
    return false;
}

}  // namespace testsupport
