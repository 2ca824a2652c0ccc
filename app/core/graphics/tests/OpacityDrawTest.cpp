#include "app/core/graphics/OpacityDraw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "fx/BackBuffer.h"
#include "tests/support/GdiplusTestEnv.h"

namespace render {
namespace {

// A bitmap of one colour (non-premultiplied ARGB).
fx::GdiplusPtr<Gdiplus::Bitmap> Solid(int width, int height, Gdiplus::ARGB colour) {
    fx::GdiplusPtr<Gdiplus::Bitmap> b(new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b->SetPixel(x, y, Gdiplus::Color(colour));
    return b;
}

unsigned Alpha(uint32_t pixel) { return pixel >> 24; }

bool Near(unsigned a, unsigned b) { return std::abs(static_cast<int>(a) - static_cast<int>(b)) <= 2; }

// Every pixel of the buffer inside (x, y, w, h) has alpha `inside`, every
// other one 0.
void ExpectAlphaOnlyIn(const fx::BackBuffer& buffer, int x0, int y0, int w, int h, unsigned inside) {
    for (int y = 0; y < buffer.height(); ++y) {
        for (int x = 0; x < buffer.width(); ++x) {
            const bool in = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
            const unsigned a = Alpha(buffer.Pixel(x, y));
            if (in) {
                ASSERT_TRUE(Near(a, inside)) << x << "," << y << ": " << a << " for " << inside;
            } else {
                ASSERT_EQ(a, 0u) << x << "," << y;
            }
        }
    }
}

TEST(DrawImageWithOpacity, MultipliesTheImagesAlphaByTheOpacity) {
    const struct {
        Gdiplus::ARGB colour;
        double opacity;
        unsigned alpha;
    } cases[] = {
        {0xFF2040C0, 1.0, 255},
        {0xFF2040C0, 0.5, 128},
        {0x802040C0, 1.0, 128},
        {0x802040C0, 0.5, 64},
        {0xFF2040C0, 0.0, 0},
        // Outside 0..1 the opacity is held to the range.
        {0x802040C0, 1.5, 128},
        {0xFF2040C0, -0.5, 0},
        {0xFF2040C0, std::nan(""), 0},
    };
    auto image = Solid(6, 4, 0);
    for (const auto& c : cases) {
        image = Solid(6, 4, c.colour);
        auto buffer = fx::BackBuffer::Create(16, 12);
        ASSERT_TRUE(buffer);
        {
            Gdiplus::Graphics g(buffer->bitmap());
            DrawImageWithOpacity(3, 2, 6, 4, image.get(), 0, 0, 6, 4, c.opacity, nullptr,
                                 Gdiplus::InterpolationModeNearestNeighbor, g);
        }
        SCOPED_TRACE(testing::Message() << std::hex << c.colour << " at " << c.opacity);
        ExpectAlphaOnlyIn(*buffer, 3, 2, 6, 4, c.alpha);
        if (c.alpha == 255) {
            EXPECT_EQ(buffer->Pixel(4, 3), 0xFF2040C0u);
        }
    }
}

TEST(DrawImageWithOpacity, DrawsTheSourceRectangleIntoTheDestination) {
    // Left half red, right half blue.
    fx::GdiplusPtr<Gdiplus::Bitmap> image(new Gdiplus::Bitmap(4, 2, PixelFormat32bppARGB));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) image->SetPixel(x, y, Gdiplus::Color(x < 2 ? 0xFFFF0000 : 0xFF0000FF));
    auto buffer = fx::BackBuffer::Create(12, 8);
    ASSERT_TRUE(buffer);
    {
        Gdiplus::Graphics g(buffer->bitmap());
        DrawImageWithOpacity(1, 1, 2, 2, image.get(), 2, 0, 2, 2, 1.0, nullptr,
                             Gdiplus::InterpolationModeNearestNeighbor, g);
    }
    ExpectAlphaOnlyIn(*buffer, 1, 1, 2, 2, 255);
    for (int y = 1; y < 3; ++y)
        for (int x = 1; x < 3; ++x) EXPECT_EQ(buffer->Pixel(x, y), 0xFF0000FFu) << x << "," << y;

    // Stretched: the blue part fills the middle of the destination and
    // nothing lands outside it (edge pixels of a stretch are left to GDI+).
    buffer->Clear();
    {
        Gdiplus::Graphics g(buffer->bitmap());
        DrawImageWithOpacity(1, 1, 8, 4, image.get(), 2, 0, 2, 2, 1.0, nullptr,
                             Gdiplus::InterpolationModeNearestNeighbor, g);
    }
    EXPECT_EQ(buffer->Pixel(4, 2), 0xFF0000FFu);
    EXPECT_EQ(buffer->Pixel(5, 3), 0xFF0000FFu);
    for (int y = 0; y < buffer->height(); ++y)
        for (int x = 0; x < buffer->width(); ++x)
            if (x < 1 || x >= 9 || y < 1 || y >= 5) {
                EXPECT_EQ(buffer->Pixel(x, y), 0u) << x << "," << y;
            }
}

TEST(DrawImageWithOpacity, AGivenTransformAppliesToThisDrawOnly) {
    auto image = Solid(4, 4, 0xFF00FF00);
    auto buffer = fx::BackBuffer::Create(20, 20);
    ASSERT_TRUE(buffer);
    Gdiplus::Graphics g(buffer->bitmap());
    Gdiplus::Matrix before;
    before.Translate(1.0f, 0.0f);
    g.SetTransform(&before);

    Gdiplus::Matrix moved;
    moved.Translate(10.0f, 8.0f);
    DrawImageWithOpacity(0, 0, 4, 4, image.get(), 0, 0, 4, 4, 1.0, &moved, Gdiplus::InterpolationModeNearestNeighbor,
                         g);
    g.Flush(Gdiplus::FlushIntentionSync);
    ExpectAlphaOnlyIn(*buffer, 10, 8, 4, 4, 255);

    Gdiplus::Matrix after;
    g.GetTransform(&after);
    EXPECT_TRUE(after.Equals(&before));

    // Without one, the graphics' own transform is used and kept.
    buffer->Clear();
    DrawImageWithOpacity(0, 0, 4, 4, image.get(), 0, 0, 4, 4, 1.0, nullptr, Gdiplus::InterpolationModeNearestNeighbor,
                         g);
    g.Flush(Gdiplus::FlushIntentionSync);
    ExpectAlphaOnlyIn(*buffer, 1, 0, 4, 4, 255);
    g.GetTransform(&after);
    EXPECT_TRUE(after.Equals(&before));
}

TEST(DrawImageWithOpacity, SetsSourceOverAndTheInterpolationMode) {
    auto image = Solid(2, 2, 0x80FFFFFF);
    auto buffer = fx::BackBuffer::Create(4, 4);
    ASSERT_TRUE(buffer);
    Gdiplus::Graphics g(buffer->bitmap());
    // Under an opaque fill a half-transparent image blends instead of
    // replacing the pixels.
    Gdiplus::SolidBrush black(Gdiplus::Color(0xFF000000));
    g.FillRectangle(&black, 0, 0, 4, 4);
    g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    DrawImageWithOpacity(0, 0, 2, 2, image.get(), 0, 0, 2, 2, 1.0, nullptr, Gdiplus::InterpolationModeBilinear, g);
    g.Flush(Gdiplus::FlushIntentionSync);
    EXPECT_EQ(g.GetCompositingMode(), Gdiplus::CompositingModeSourceOver);
    EXPECT_EQ(g.GetInterpolationMode(), Gdiplus::InterpolationModeBilinear);
    EXPECT_EQ(Alpha(buffer->Pixel(0, 0)), 255u);
    EXPECT_TRUE(Near(buffer->Pixel(0, 0) & 0xFF, 128)) << std::hex << buffer->Pixel(0, 0);
}

TEST(DrawImageWithOpacity, AMissingImageDrawsNothingAndKeepsTheTransform) {
    auto buffer = fx::BackBuffer::Create(8, 8);
    ASSERT_TRUE(buffer);
    Gdiplus::Graphics g(buffer->bitmap());
    Gdiplus::Matrix moved;
    moved.Translate(3.0f, 3.0f);
    DrawImageWithOpacity(0, 0, 4, 4, nullptr, 0, 0, 4, 4, 1.0, &moved, Gdiplus::InterpolationModeDefault, g);
    g.Flush(Gdiplus::FlushIntentionSync);
    ExpectAlphaOnlyIn(*buffer, 0, 0, 0, 0, 0);
    Gdiplus::Matrix after;
    g.GetTransform(&after);
    EXPECT_TRUE(after.IsIdentity());
}

TEST(DrawImageWithOpacityToImage, ScalesTheSourceOverTheTargetAtTheOpacity) {
    auto image = Solid(3, 3, 0xFFC08040);
    fx::GdiplusPtr<Gdiplus::Bitmap> target(new Gdiplus::Bitmap(10, 8, PixelFormat32bppARGB));
    DrawImageWithOpacityToImage(6, 4, image.get(), 0, 0, 3, 3, 1.0, target.get());
    Gdiplus::Color c;
    ASSERT_EQ(target->GetPixel(2, 2, &c), Gdiplus::Ok);
    EXPECT_EQ(c.GetValue(), 0xFFC08040u);
    target->GetPixel(7, 2, &c);  // outside (0, 0, 6, 4)
    EXPECT_EQ(c.GetAlpha(), 0);
    target->GetPixel(2, 6, &c);
    EXPECT_EQ(c.GetAlpha(), 0);

    // Half opacity over a transparent target gives half alpha, same colour.
    fx::GdiplusPtr<Gdiplus::Bitmap> faded(new Gdiplus::Bitmap(4, 4, PixelFormat32bppARGB));
    DrawImageWithOpacityToImage(4, 4, image.get(), 0, 0, 3, 3, 0.5, faded.get());
    faded->GetPixel(1, 1, &c);
    EXPECT_TRUE(Near(c.GetAlpha(), 128)) << static_cast<int>(c.GetAlpha());
    EXPECT_TRUE(Near(c.GetRed(), 0xC0)) << static_cast<int>(c.GetRed());
}

TEST(DrawImageWithOpacityToImage, MissingImagesDoNothing) {
    auto image = Solid(2, 2, 0xFFFFFFFF);
    fx::GdiplusPtr<Gdiplus::Bitmap> target(new Gdiplus::Bitmap(2, 2, PixelFormat32bppARGB));
    DrawImageWithOpacityToImage(2, 2, nullptr, 0, 0, 2, 2, 1.0, target.get());
    DrawImageWithOpacityToImage(2, 2, image.get(), 0, 0, 2, 2, 1.0, nullptr);
    Gdiplus::Color c;
    target->GetPixel(0, 0, &c);
    EXPECT_EQ(c.GetAlpha(), 0);
}

}  // namespace
}  // namespace render
