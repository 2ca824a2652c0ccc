#include "app/panels/elements/RenderElements.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "app/core/config/UserSetting.h"
#include "app/panels/elements/WindowElement.h"
#include "fx/BackBuffer.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/TestSupport.h"

namespace {

using templates::LayoutRect;

ArgbBitmap Solid(int width, int height, Gdiplus::ARGB colour) {
    ArgbBitmap b(new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b->SetPixel(x, y, Gdiplus::Color(colour));
    return b;
}

unsigned Alpha(uint32_t pixel) { return pixel >> 24; }

// Opaque and every channel within 16 of the colour's.
bool Near(uint32_t pixel, uint32_t colour) {
    if (Alpha(pixel) != 255) return false;
    for (int shift : {0, 8, 16}) {
        if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((colour >> shift) & 0xFF)) > 16)
            return false;
    }
    return true;
}

bool Inside(int x, int y, const LayoutRect& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// An element with a render element, drawn into a cleared back buffer.
class RenderElementDraw : public ::testing::Test {
protected:
    void SetUp() override {
        buffer_ = fx::BackBuffer::Create(64, 48);
        ASSERT_TRUE(buffer_);
    }

    void Attach(std::unique_ptr<RenderElement> render) { SetRenderElement(element_, std::move(render)); }

    void Draw(const LayoutRect& rect, int width, int height, float opacity) {
        buffer_->Clear();
        Gdiplus::Graphics g(buffer_->bitmap());
        const RECT r = {rect.left, rect.top, rect.right, rect.bottom};
        element_.Render()->Draw(g, r, width, height, opacity);
        g.Flush(Gdiplus::FlushIntentionSync);
    }

    uint32_t Pixel(int x, int y) const { return buffer_->Pixel(x, y); }

    // Every pixel inside `covered` is `colour`, every other one transparent.
    void ExpectExactly(const LayoutRect& covered, uint32_t colour) {
        for (int y = 0; y < buffer_->height(); ++y) {
            for (int x = 0; x < buffer_->width(); ++x) {
                ASSERT_EQ(Pixel(x, y), Inside(x, y, covered) ? colour : 0u) << x << "," << y;
            }
        }
    }

    // A scaled picture: its middle is opaque and near `colour` (a stretch may
    // blend in a little of the neighbouring source pixels), and nothing lies
    // outside `covered` (its edge pixels are left to GDI+).
    void ExpectScaledInto(const LayoutRect& covered, uint32_t colour) {
        for (int y = 0; y < buffer_->height(); ++y) {
            for (int x = 0; x < buffer_->width(); ++x) {
                if (!Inside(x, y, covered)) {
                    ASSERT_EQ(Pixel(x, y), 0u) << x << "," << y;
                }
            }
        }
        const LayoutRect middle = {covered.left + 1, covered.top + 1, covered.right - 1, covered.bottom - 1};
        for (int y = middle.top; y < middle.bottom; ++y)
            for (int x = middle.left; x < middle.right; ++x) ASSERT_TRUE(Near(Pixel(x, y), colour)) << x << "," << y;
    }

    std::unique_ptr<fx::BackBuffer> buffer_;
    WindowElement element_;
};

constexpr uint32_t kBlue = 0xFF2040C0u;
constexpr uint32_t kGreen = 0xFF10A020u;
const LayoutRect kRect = {5, 7, 35, 32};  // 30 by 25

TEST_F(RenderElementDraw, RepeatXTilesAlongTheWidthLessOnePixel) {
    element_.backgroundRepeat = templates::kRepeatX;
    Attach(std::make_unique<BitmapElement>(Solid(4, 3, kBlue), nullptr, nullptr));
    Draw(kRect, 30, 25, 1.0f);
    ExpectExactly({5, 7, 34, 10}, kBlue);
}

TEST_F(RenderElementDraw, RepeatYAndUnspecifiedTileDownTheZoomedHeightLessOnePixel) {
    for (int repeat : {templates::kRepeatY, templates::kRepeatBoth}) {
        SCOPED_TRACE(repeat);
        element_.backgroundRepeat = repeat;
        Attach(std::make_unique<BitmapElement>(Solid(6, 4, kBlue), nullptr, nullptr));
        Draw(kRect, 30, 20, 1.0f);
        ExpectExactly({5, 7, 11, 26}, kBlue);
    }
}

TEST_F(RenderElementDraw, NoRepeatPlacesThePictureOnceAtTheCornerOrCentred) {
    element_.backgroundRepeat = templates::kNoRepeat;
    Attach(std::make_unique<BitmapElement>(Solid(6, 4, kBlue), nullptr, nullptr));
    Draw(kRect, 30, 25, 1.0f);
    ExpectExactly({5, 7, 11, 11}, kBlue);

    element_.backgroundPosition = 2;
    Draw(kRect, 30, 25, 1.0f);
    ExpectExactly({17, 17, 23, 21}, kBlue);  // offsets (30 - 6) / 2, (25 - 4) / 2
}

TEST_F(RenderElementDraw, NoRepeatSizeFollowsTheIntegerPartOfTheZoomButNeverVanishes) {
    element_.backgroundRepeat = templates::kNoRepeat;
    Attach(std::make_unique<BitmapElement>(Solid(6, 4, kBlue), nullptr, nullptr));
    const struct {
        double zoom;
        LayoutRect covered;
    } cases[] = {
        {2.0, {5, 7, 17, 15}},
        {1.5, {5, 7, 11, 11}},
        {0.8, {5, 7, 11, 11}},  // a zoom below 1 keeps the picture's size
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zoom);
        element_.zoom = c.zoom;
        Draw(kRect, 30, 25, 1.0f);
        ExpectScaledInto(c.covered, kBlue);
    }
}

TEST_F(RenderElementDraw, PicturesTakeTheOpacityAndTheDisabledPictureInState1) {
    element_.backgroundRepeat = templates::kNoRepeat;
    Attach(std::make_unique<BitmapElement>(Solid(6, 4, kBlue), Solid(6, 4, kGreen), nullptr));
    Draw(kRect, 30, 25, 0.5f);
    EXPECT_LE(std::abs(static_cast<int>(Alpha(Pixel(7, 8))) - 128), 2);
    EXPECT_EQ(Pixel(12, 8), 0u);

    element_.Render()->state = 1;
    Draw(kRect, 30, 25, 1.0f);
    ExpectExactly({5, 7, 11, 11}, kGreen);

    // State 1 without a disabled picture keeps the current one.
    Attach(std::make_unique<BitmapElement>(Solid(6, 4, kBlue), nullptr, nullptr));
    element_.Render()->state = 1;
    Draw(kRect, 30, 25, 1.0f);
    ExpectExactly({5, 7, 11, 11}, kBlue);
}

TEST_F(RenderElementDraw, TheSearchBoxBackgroundIsRaisedAndStretchedFromItsFirstColumn) {
    element_.id = L"pq_ecp_search_box_{pq_object_id}";
    // First column green, the rest blue: only green is drawn.
    ArgbBitmap picture = Solid(40, 10, kBlue);
    for (int y = 0; y < 10; ++y) picture->SetPixel(0, y, Gdiplus::Color(kGreen));
    Attach(std::make_unique<BitmapElement>(std::move(picture), nullptr, nullptr));
    Draw(kRect, 30, 25, 1.0f);
    // 4 higher and 40 - 24 wide.  The stretch blends the column into its
    // neighbour towards its right end (GDI+'s sampling), so the left end
    // shows it is the first column that is stretched, not the whole picture.
    const LayoutRect covered = {5, 3, 21, 13};
    for (int y = 0; y < buffer_->height(); ++y) {
        for (int x = 0; x < buffer_->width(); ++x) {
            if (!Inside(x, y, covered)) {
                ASSERT_EQ(Pixel(x, y), 0u) << x << "," << y;
            }
        }
    }
    for (int y = 4; y < 12; ++y) {
        for (int x = 5; x < 7; ++x) {
            EXPECT_TRUE(Near(Pixel(x, y), kGreen)) << x << "," << y << " " << std::hex << Pixel(x, y);
        }
    }
}

TEST_F(RenderElementDraw, ABoxIsFilledAtAnAlphaOfTheOpacityTruncated) {
    Attach(std::make_unique<BoxElement>(0xFFFF8000u));
    Draw(kRect, 12, 9, 1.0f);
    // Alpha 1 at full opacity: the premultiplied pixel keeps alpha 1.
    for (int y = 0; y < buffer_->height(); ++y)
        for (int x = 0; x < buffer_->width(); ++x)
            ASSERT_EQ(Alpha(Pixel(x, y)), Inside(x, y, {5, 7, 17, 16}) ? 1u : 0u) << x << "," << y;

    Draw(kRect, 12, 9, 0.99f);
    ExpectExactly({0, 0, 0, 0}, 0);
}

TEST_F(RenderElementDraw, TextIsDrawnInsideItsRectangleWithItsShadow) {
    // The prefix holds Wine's own fonts (tools/wine-run puts them there).
    const std::wstring family = testsupport::SomeInstalledFontFamily();
    ASSERT_FALSE(family.empty()) << "no font installed in the Wine prefix";
    auto font = CreateGdiFont(family.c_str(), 12, Gdiplus::FontStyleBold);
    ASSERT_TRUE(font);
    Attach(std::make_unique<TextElement>(L"Pond life", 0xFFFF0000u, font.get()));
    const LayoutRect rect = {6, 10, 60, 40};
    Draw(rect, 54, 30, 1.0f);
    bool red = false;
    bool dark = false;
    for (int y = 0; y < buffer_->height(); ++y) {
        for (int x = 0; x < buffer_->width(); ++x) {
            const uint32_t p = Pixel(x, y);
            if (p == 0) continue;
            ASSERT_GE(y, rect.top) << x << "," << y;  // nothing above or left of the corner
            ASSERT_GE(x, rect.left - 2) << x << "," << y;
            const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF;
            if (Alpha(p) == 255 && r > 200 && g < 60) red = true;
            if (Alpha(p) == 255 && r < 60 && g < 60) dark = true;
        }
    }
    EXPECT_TRUE(red);
    EXPECT_TRUE(dark);

    Draw(rect, 54, 30, 0.0f);
    ExpectExactly({0, 0, 0, 0}, 0);

    // No font: nothing drawn.
    Attach(std::make_unique<TextElement>(L"Pond life", 0xFFFF0000u, nullptr));
    Draw(rect, 54, 30, 1.0f);
    ExpectExactly({0, 0, 0, 0}, 0);
}

TEST_F(RenderElementDraw, OnlyTheIconElementTakesTheRecordsIcon) {
    UserSetting record;
    record.m_InstallDir = testsupport::WinDir(RENDER_DEMO_DIR);  // its Images\pondrel.png
    auto icon = std::make_unique<ECP_IconElement>(Solid(3, 3, kBlue));
    ECP_IconElement* raw = icon.get();
    Attach(std::move(icon));
    raw->SetIcon(record);
    ASSERT_NE(raw->image(), nullptr);
    EXPECT_EQ(raw->image()->GetWidth(), 16u);

    auto plain = std::make_unique<BitmapElement>(Solid(3, 3, kBlue), nullptr, nullptr);
    BitmapElement* kept = plain.get();
    Attach(std::move(plain));
    kept->SetIcon(record);
    EXPECT_EQ(kept->image()->GetWidth(), 3u);
}

TEST_F(RenderElementDraw, AHugeTiledElementDrawsOnlyWhatTheBufferShows) {
    element_.backgroundRepeat = templates::kRepeatY;
    Attach(std::make_unique<BitmapElement>(Solid(2, 1, kBlue), nullptr, nullptr));
    Draw({0, -1000000000, 2, 1000000000}, 2, 2000000000, 1.0f);
    ExpectExactly({0, 0, 2, 48}, kBlue);
}

}  // namespace
