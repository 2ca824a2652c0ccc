// The image classes and GDI+ bitmaps, both ways, in each pixel format.
#include <gtest/gtest.h>

#include <cstring>

#include "app/include/FWin32.h"
#include "app/include/PixelProcess.h"
#include "tests/support/GdiplusTestEnv.h"

namespace {

uint32_t PixelAt(const FCObjImage& image, int x, int y) {
    uint32_t value;
    std::memcpy(&value, image.GetBits(x, y), 4);
    return value;
}

const Gdiplus::ARGB kColours[2][3] = {
    {0xFF102030, 0x80FF0000, 0x00000000},
    {0xC8373737, 0x0100FF00, 0xFFFFFFFF},
};

fx::GdiplusPtr<Gdiplus::Bitmap> ColouredBitmap(Gdiplus::PixelFormat format) {
    fx::GdiplusPtr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(3, 2, format));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) bitmap->SetPixel(x, y, Gdiplus::Color(kColours[y][x]));
    return bitmap;
}

TEST(GdiplusConversion, ArgbBothWays) {
    auto bitmap = ColouredBitmap(PixelFormat32bppARGB);
    FCObjImage image;
    ASSERT_TRUE(ImageFromGdiplusBitmap(*bitmap, image));
    EXPECT_EQ(image.ColorBits(), 32);
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(image, x, y), kColours[y][x]) << x << "," << y;

    auto back = GdiplusBitmapFromImage(image);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetPixelFormat(), static_cast<Gdiplus::PixelFormat>(PixelFormat32bppARGB));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            Gdiplus::Color colour;
            ASSERT_EQ(back->GetPixel(x, y, &colour), Gdiplus::Ok);
            EXPECT_EQ(colour.GetValue(), kColours[y][x]) << x << "," << y;
        }
}

TEST(GdiplusConversion, PremultipliedReadStraight) {
    auto bitmap = ColouredBitmap(PixelFormat32bppPARGB);
    FCObjImage image;
    ASSERT_TRUE(ImageFromGdiplusBitmap(*bitmap, image));
    EXPECT_EQ(PixelAt(image, 0, 0), 0xFF102030u);
    EXPECT_EQ(PixelAt(image, 1, 0), 0x80FF0000u);  // not the premultiplied 0x80800000
    auto back = GdiplusBitmapFromImage(image);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetPixelFormat(), static_cast<Gdiplus::PixelFormat>(PixelFormat32bppARGB));
}

TEST(GdiplusConversion, RgbWithoutAlphaBecomesOpaque) {
    auto bitmap = ColouredBitmap(PixelFormat32bppRGB);
    FCObjImage image;
    ASSERT_TRUE(ImageFromGdiplusBitmap(*bitmap, image));
    EXPECT_EQ(image.ColorBits(), 32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(image, x, y) >> 24, 0xFFu) << x << "," << y;
    EXPECT_EQ(PixelAt(image, 0, 0), 0xFF102030u);
}

TEST(GdiplusConversion, OtherFormatsRoundTrip) {
    struct Case {
        Gdiplus::PixelFormat format;
        int bits;
        uint32_t green;
    } cases[] = {
        {PixelFormat24bppRGB, 24, 0},
        {PixelFormat16bppRGB565, 16, 0x7E0},
        {PixelFormat16bppRGB555, 16, 0x3E0},
    };
    for (const Case& c : cases) {
        auto bitmap = ColouredBitmap(c.format);
        FCObjImage image;
        ASSERT_TRUE(ImageFromGdiplusBitmap(*bitmap, image)) << std::hex << c.format;
        EXPECT_EQ(image.ColorBits(), c.bits);
        EXPECT_EQ(image.Masks()[1], c.green);
        auto back = GdiplusBitmapFromImage(image);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->GetPixelFormat(), c.format);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                Gdiplus::Color before, after;
                bitmap->GetPixel(x, y, &before);
                back->GetPixel(x, y, &after);
                EXPECT_EQ(after.GetValue(), before.GetValue()) << std::hex << c.format << " " << x << "," << y;
            }
    }
}

TEST(GdiplusConversion, IndexedWithPalette) {
    Gdiplus::Bitmap bitmap(4, 2, PixelFormat8bppIndexed);
    struct {
        UINT flags, count;
        Gdiplus::ARGB entries[256];
    } palette{0, 256, {}};
    for (int i = 0; i < 256; ++i) palette.entries[i] = 0xFF000000u | static_cast<uint32_t>(i) << 16;
    ASSERT_EQ(bitmap.SetPalette(reinterpret_cast<Gdiplus::ColorPalette*>(&palette)), Gdiplus::Ok);
    Gdiplus::Rect all(0, 0, 4, 2);
    Gdiplus::BitmapData data{};
    ASSERT_EQ(bitmap.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed, &data), Gdiplus::Ok);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) static_cast<uint8_t*>(data.Scan0)[y * data.Stride + x] = static_cast<uint8_t>(y * 4 + x + 7);
    bitmap.UnlockBits(&data);

    FCObjImage image;
    ASSERT_TRUE(ImageFromGdiplusBitmap(bitmap, image));
    EXPECT_EQ(image.ColorBits(), 8);
    EXPECT_EQ(*image.GetBits(3, 1), 14);
    EXPECT_EQ(image.GetPalette()[9].rgbRed, 9);
    EXPECT_EQ(image.GetPalette()[9].rgbGreen, 0);

    auto back = GdiplusBitmapFromImage(image);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetPixelFormat(), static_cast<Gdiplus::PixelFormat>(PixelFormat8bppIndexed));
    Gdiplus::Color colour;
    back->GetPixel(2, 1, &colour);
    EXPECT_EQ(colour.GetValue(), 0xFF0D0000u);
}

TEST(GdiplusConversion, UnknownFormatLeavesTheImageEmpty) {
    Gdiplus::Bitmap bitmap(2, 2, PixelFormat48bppRGB);
    FCObjImage image;
    ASSERT_TRUE(image.Create(1, 1, 32));
    EXPECT_FALSE(ImageFromGdiplusBitmap(bitmap, image));
    EXPECT_FALSE(image.IsValidImage());
    EXPECT_FALSE(GdiplusBitmapFromImage(image));
}

// The splash's path: back buffer to image, effect, image to bitmap.
TEST(GdiplusConversion, ScatterEffectOverABackBuffer) {
    auto bitmap = ColouredBitmap(PixelFormat32bppARGB);
    FCObjImage image;
    ASSERT_TRUE(ImageFromGdiplusBitmap(*bitmap, image));
    FCPixelSplash left(3, [] { return 0; });  // every pixel from its upper-left neighbour
    ASSERT_TRUE(image.SinglePixelProcessProc(left));
    auto back = GdiplusBitmapFromImage(image);
    ASSERT_TRUE(back);
    const Gdiplus::ARGB expected[2][3] = {
        {kColours[0][0], kColours[0][0], kColours[0][1]},
        {kColours[0][0], kColours[0][0], kColours[0][1]},
    };
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            Gdiplus::Color colour;
            back->GetPixel(x, y, &colour);
            EXPECT_EQ(colour.GetValue(), expected[y][x]) << x << "," << y;
        }
}

}  // namespace
