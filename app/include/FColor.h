// Colours of the image classes: the 4-byte palette/pixel entry in the Windows
// layout (blue, green, red, reserved/alpha), its conversion to and from a
// packed 0xAARRGGBB value, and the GDI+ pixel formats the images convert from
// and to.  No Win32 call: the same code builds natively.
#pragma once

#include <cstddef>
#include <cstdint>

// One palette entry or 32-bit pixel, in memory order (the Windows RGBQUAD).
struct RgbQuad {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;  // alpha in a 32-bit pixel
};
static_assert(sizeof(RgbQuad) == 4, "RGBQUAD layout");
static_assert(offsetof(RgbQuad, rgbRed) == 2 && offsetof(RgbQuad, rgbReserved) == 3, "RGBQUAD layout");

namespace FCColor {

// 0xAARRGGBB to the entry and back.
RgbQuad FromArgb(uint32_t argb);
uint32_t ToArgb(const RgbQuad& quad);

// Entry `index` of the grey ramp of a palette of 2^bitCount entries
// (1, 4 or 8 bits): index x (255 / (2^bitCount - 1)) in red, green and blue.
RgbQuad GreyRampEntry(int index, int bitCount);

}  // namespace FCColor

// GDI+ pixel-format codes the image classes know.
namespace FCPixelFormat {
constexpr uint32_t k1bppIndexed = 0x30101;
constexpr uint32_t k4bppIndexed = 0x30402;
constexpr uint32_t k8bppIndexed = 0x30803;
constexpr uint32_t k16bppRGB555 = 0x21005;
constexpr uint32_t k16bppRGB565 = 0x21006;
constexpr uint32_t k16bppARGB1555 = 0x61007;
constexpr uint32_t k24bppRGB = 0x21808;
constexpr uint32_t k32bppRGB = 0x22009;
constexpr uint32_t k32bppARGB = 0x26200A;
constexpr uint32_t k32bppPARGB = 0xE200B;
}  // namespace FCPixelFormat

// What an image made from a GDI+ bitmap of some pixel format looks like.
struct FCImageFormat {
    int bitCount = 0;
    bool bitFields = false;      // 16 bits: the masks below were given
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue (16 bits only)
    uint32_t lockFormat = 0;     // the format each line is read in
    bool opaqueAlpha = false;    // 32-bit RGB without alpha: every alpha byte becomes 255
};

// The image format for a GDI+ pixel format; false for a format the images do
// not take (the image stays empty).  Premultiplied 32-bit lines are read as
// straight ARGB, the form the images keep and give back.
bool ImageFormatFromGdiplus(uint32_t pixelFormat, FCImageFormat* format);

// The GDI+ pixel format for an image of bitCount bits (16 bits: 5-5-5 when
// the green mask is 0x3E0, 5-6-5 otherwise); 0 for none.
uint32_t GdiplusFormatFromImage(int bitCount, uint32_t greenMask);
