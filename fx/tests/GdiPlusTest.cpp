// GDI+ objects made through GDI+'s own allocator: built when it gives memory,
// nothing built (and no crash) when it gives none.
#include <gtest/gtest.h>

#include "fx/GdiPlus.h"
#include "tests/support/GdiplusTestEnv.h"

namespace {

TEST(NewGdiplus, BuildsInGdiplusMemoryAndBuildsNothingWithoutIt) {
    fx::GdiplusPtr<Gdiplus::Bitmap> made = fx::NewGdiplus<Gdiplus::Bitmap>(4, 3, PixelFormat32bppARGB);
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(Gdiplus::Ok, made->GetLastStatus());
    EXPECT_EQ(4u, made->GetWidth());
    EXPECT_EQ(3u, made->GetHeight());

    // The allocator's null: nothing is constructed into it.
    EXPECT_EQ(nullptr, fx::ConstructGdiplus<Gdiplus::Bitmap>(nullptr, 4, 3, PixelFormat32bppARGB));
    EXPECT_EQ(nullptr, fx::ConstructGdiplus<Gdiplus::SolidBrush>(nullptr, Gdiplus::Color(0xFF000000u)));

    // Pixels that cannot be made show in the status of a bitmap that was.
    fx::GdiplusPtr<Gdiplus::Bitmap> none = fx::NewGdiplus<Gdiplus::Bitmap>(0, 3, PixelFormat32bppARGB);
    ASSERT_NE(nullptr, none);
    EXPECT_NE(Gdiplus::Ok, none->GetLastStatus());
}

}  // namespace
