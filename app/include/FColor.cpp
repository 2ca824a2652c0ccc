#include "app/include/FColor.h"

namespace FCColor {

RgbQuad FromArgb(uint32_t argb) {
    RgbQuad quad;
    quad.rgbBlue = static_cast<uint8_t>(argb);
    quad.rgbGreen = static_cast<uint8_t>(argb >> 8);
    quad.rgbRed = static_cast<uint8_t>(argb >> 16);
    quad.rgbReserved = static_cast<uint8_t>(argb >> 24);
    return quad;
}

uint32_t ToArgb(const RgbQuad& quad) {
    return static_cast<uint32_t>(quad.rgbReserved) << 24 | static_cast<uint32_t>(quad.rgbRed) << 16 |
           static_cast<uint32_t>(quad.rgbGreen) << 8 | quad.rgbBlue;
}

RgbQuad GreyRampEntry(int index, int bitCount) {
    const int step = 255 / ((1 << bitCount) - 1);
    const uint8_t grey = static_cast<uint8_t>(index * step);
    return RgbQuad{grey, grey, grey, 0};
}

}  // namespace FCColor

bool ImageFormatFromGdiplus(uint32_t pixelFormat, FCImageFormat* format) {
    FCImageFormat f;
    f.lockFormat = pixelFormat;
    switch (pixelFormat) {
    case FCPixelFormat::k1bppIndexed: f.bitCount = 1; break;
    case FCPixelFormat::k4bppIndexed: f.bitCount = 4; break;
    case FCPixelFormat::k8bppIndexed: f.bitCount = 8; break;
    case FCPixelFormat::k16bppRGB555:
    case FCPixelFormat::k16bppARGB1555:
        f.bitCount = 16;
        f.bitFields = true;
        f.masks[0] = 0x7C00;
        f.masks[1] = 0x3E0;
        f.masks[2] = 0x1F;
        break;
    case FCPixelFormat::k16bppRGB565:
        f.bitCount = 16;
        f.bitFields = true;
        f.masks[0] = 0xF800;
        f.masks[1] = 0x7E0;
        f.masks[2] = 0x1F;
        break;
    case FCPixelFormat::k24bppRGB: f.bitCount = 24; break;
    case FCPixelFormat::k32bppRGB:
        f.bitCount = 32;
        f.opaqueAlpha = true;
        break;
    case FCPixelFormat::k32bppARGB:
    case FCPixelFormat::k32bppPARGB:
        f.bitCount = 32;
        f.lockFormat = FCPixelFormat::k32bppARGB;
        break;
    default: return false;
    }
    *format = f;
    return true;
}

uint32_t GdiplusFormatFromImage(int bitCount, uint32_t greenMask) {
    switch (bitCount) {
    case 1: return FCPixelFormat::k1bppIndexed;
    case 4: return FCPixelFormat::k4bppIndexed;
    case 8: return FCPixelFormat::k8bppIndexed;
    case 16: return greenMask == 0x3E0 ? FCPixelFormat::k16bppRGB555 : FCPixelFormat::k16bppRGB565;
    case 24: return FCPixelFormat::k24bppRGB;
    case 32: return FCPixelFormat::k32bppARGB;
    default: return 0;
    }
}
