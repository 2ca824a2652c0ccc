// The image classes without GDI+: colours, formats, creation, line layout,
// copies, serialization, the effect loop and the scatter effect.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/include/FColor.h"
#include "app/include/ObjImage.h"
#include "app/include/PCL_array.h"
#include "app/include/PixelProcess.h"

namespace {

// Collects the failed checks reported while it lives.
class CheckRecorder {
public:
    CheckRecorder() : previous_(SetImageCheckReporter(&Record)) { Checks().clear(); }
    ~CheckRecorder() { SetImageCheckReporter(previous_); }
    static std::vector<std::string>& Checks() {
        static std::vector<std::string> checks;
        return checks;
    }

private:
    static void Record(const char* check, const char* file, int) {
        Checks().push_back(check);
        EXPECT_NE(std::string(file).find("app/include/"), std::string::npos) << file;
    }
    ImageCheckReporter previous_;
};

uint32_t PixelAt(const FCObjImage& image, int x, int y) {
    uint32_t value;
    std::memcpy(&value, image.GetBits(x, y), 4);
    return value;
}

// A 32-bit image whose pixel (x, y) holds 0xFF000000 | y << 8 | x.
FCObjImage NumberedImage(int width, int height) {
    FCObjImage image;
    EXPECT_TRUE(image.Create(width, height, 32));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t value = 0xFF000000u | static_cast<uint32_t>(y) << 8 | static_cast<uint32_t>(x);
            std::memcpy(image.GetBits(x, y), &value, 4);
        }
    return image;
}

TEST(FColor, ArgbBothWays) {
    struct Case {
        uint32_t argb;
        RgbQuad quad;
    } cases[] = {
        {0x00000000, {0, 0, 0, 0}},
        {0xFF000000, {0, 0, 0, 0xFF}},
        {0x80FF0000, {0, 0, 0xFF, 0x80}},
        {0x1200FF00, {0, 0xFF, 0, 0x12}},
        {0xC8373737, {0x37, 0x37, 0x37, 0xC8}},
        {0x01020304, {0x04, 0x03, 0x02, 0x01}},
    };
    for (const Case& c : cases) {
        const RgbQuad quad = FCColor::FromArgb(c.argb);
        EXPECT_EQ(0, std::memcmp(&quad, &c.quad, 4)) << std::hex << c.argb;
        EXPECT_EQ(FCColor::ToArgb(c.quad), c.argb) << std::hex << c.argb;
        // In memory a little-endian 0xAARRGGBB is the entry itself.
        uint32_t stored;
        std::memcpy(&stored, &quad, 4);
        EXPECT_EQ(stored, c.argb);
    }
}

TEST(FColor, GreyRamp) {
    struct Case {
        int bits, index;
        uint8_t grey;
    } cases[] = {{1, 0, 0}, {1, 1, 255}, {4, 1, 17}, {4, 15, 255}, {8, 0, 0}, {8, 128, 128}, {8, 255, 255}};
    for (const Case& c : cases) {
        const RgbQuad q = FCColor::GreyRampEntry(c.index, c.bits);
        EXPECT_EQ(q.rgbRed, c.grey);
        EXPECT_EQ(q.rgbGreen, c.grey);
        EXPECT_EQ(q.rgbBlue, c.grey);
        EXPECT_EQ(q.rgbReserved, 0);
    }
}

TEST(FColor, GdiplusFormatsToImage) {
    struct Case {
        uint32_t gdiplus;
        int bits;
        uint32_t green;
        uint32_t lock;
        bool opaque;
    } cases[] = {
        {FCPixelFormat::k1bppIndexed, 1, 0, FCPixelFormat::k1bppIndexed, false},
        {FCPixelFormat::k4bppIndexed, 4, 0, FCPixelFormat::k4bppIndexed, false},
        {FCPixelFormat::k8bppIndexed, 8, 0, FCPixelFormat::k8bppIndexed, false},
        {FCPixelFormat::k16bppRGB555, 16, 0x3E0, FCPixelFormat::k16bppRGB555, false},
        {FCPixelFormat::k16bppARGB1555, 16, 0x3E0, FCPixelFormat::k16bppARGB1555, false},
        {FCPixelFormat::k16bppRGB565, 16, 0x7E0, FCPixelFormat::k16bppRGB565, false},
        {FCPixelFormat::k24bppRGB, 24, 0, FCPixelFormat::k24bppRGB, false},
        {FCPixelFormat::k32bppRGB, 32, 0, FCPixelFormat::k32bppRGB, true},
        {FCPixelFormat::k32bppARGB, 32, 0, FCPixelFormat::k32bppARGB, false},
        {FCPixelFormat::k32bppPARGB, 32, 0, FCPixelFormat::k32bppARGB, false},
    };
    for (const Case& c : cases) {
        FCImageFormat f;
        ASSERT_TRUE(ImageFormatFromGdiplus(c.gdiplus, &f)) << std::hex << c.gdiplus;
        EXPECT_EQ(f.bitCount, c.bits) << std::hex << c.gdiplus;
        EXPECT_EQ(f.bitFields, c.bits == 16);
        EXPECT_EQ(f.masks[1], c.green);
        EXPECT_EQ(f.lockFormat, c.lock);
        EXPECT_EQ(f.opaqueAlpha, c.opaque);
    }
    FCImageFormat f;
    for (uint32_t unknown : {0u, 0x101004u /* 16-bit grey */, 0x301014u /* 48-bit */, 0x34400Du /* 64-bit */})
        EXPECT_FALSE(ImageFormatFromGdiplus(unknown, &f)) << std::hex << unknown;
}

TEST(FColor, ImageFormatsToGdiplus) {
    struct Case {
        int bits;
        uint32_t green, gdiplus;
    } cases[] = {
        {1, 0, FCPixelFormat::k1bppIndexed},       {4, 0, FCPixelFormat::k4bppIndexed},
        {8, 0, FCPixelFormat::k8bppIndexed},       {16, 0x3E0, FCPixelFormat::k16bppRGB555},
        {16, 0x7E0, FCPixelFormat::k16bppRGB565},  {24, 0, FCPixelFormat::k24bppRGB},
        {32, 0, FCPixelFormat::k32bppARGB},        {2, 0, 0},
        {12, 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(GdiplusFormatFromImage(c.bits, c.green), c.gdiplus) << c.bits;
}

TEST(PclArray, CountsAndIndexes) {
    CheckRecorder checks;
    PCL_array<int> none(0), negative(-3), three(3);
    EXPECT_EQ(none.get(), nullptr);
    EXPECT_EQ(negative.GetElementNumber(), 0);
    EXPECT_EQ(CheckRecorder::Checks().size(), 2u);
    ASSERT_NE(three.get(), nullptr);
    EXPECT_EQ(three.GetArrayBytes(), 3 * sizeof(int));
    EXPECT_EQ(*three.At(2), 0);  // zero-initialised
    EXPECT_EQ(three.At(2), three.get() + 2);
    EXPECT_EQ(three.At(3), nullptr);
    EXPECT_EQ(three.At(-1), nullptr);
    EXPECT_EQ(none.At(0), nullptr);
    EXPECT_EQ(CheckRecorder::Checks().size(), 5u);
}

BitmapInfoHeader Header(int width, int height, int bits, uint32_t compression = kBiRgb) {
    BitmapInfoHeader info{};
    info.biSize = 40;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<uint16_t>(bits);
    info.biCompression = compression;
    return info;
}

TEST(ObjImage, CreateAcceptsAndRefuses) {
    struct Case {
        const char* name;
        BitmapInfoHeader info;
        bool ok;
        int stride, paletteCount;
        uint32_t compression;
    } cases[] = {
        {"1 bit", Header(9, 2, 1), true, 4, 2, kBiRgb},
        {"4 bits", Header(9, 2, 4), true, 8, 16, kBiRgb},
        {"8 bits", Header(5, 3, 8), true, 8, 256, kBiRgb},
        {"16 bits", Header(3, 3, 16), true, 8, 0, kBiRgb},
        {"16 bit fields", Header(3, 3, 16, kBiBitFields), true, 8, 0, kBiBitFields},
        {"24 bits", Header(3, 3, 24), true, 12, 0, kBiRgb},
        {"32 bit fields", Header(3, 3, 32, kBiBitFields), true, 12, 0, kBiRgb},
        {"width 0", Header(0, 3, 32), false, 0, 0, 0},
        {"height -1", Header(3, -1, 32), false, 0, 0, 0},
        {"run-length 8", Header(3, 3, 8, 1), false, 0, 0, 0},
        {"2 bits", Header(3, 3, 2), false, 0, 0, 0},
        {"12 bits", Header(3, 3, 12), false, 0, 0, 0},
        {"huge", Header(0x7FFFFFFF, 0x7FFFFFFF, 32), false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        CheckRecorder checks;
        FCObjImage image;
        ASSERT_TRUE(image.Create(2, 2, 32));
        EXPECT_EQ(image.Create(c.info), c.ok) << c.name;
        if (!c.ok) {
            EXPECT_EQ(CheckRecorder::Checks().size(), 1u) << c.name;
            continue;
        }
        EXPECT_TRUE(checks.Checks().empty()) << c.name;
        EXPECT_EQ(image.GetPitch(), c.stride) << c.name;
        EXPECT_EQ(image.GetPaletteCount(), c.paletteCount) << c.name;
        EXPECT_EQ(image.Info().biCompression, c.compression) << c.name;
        EXPECT_EQ(image.Info().biSize, 40u);
        EXPECT_EQ(image.Info().biPlanes, 1);
    }
}

TEST(ObjImage, SixteenBitMasks) {
    const uint32_t fields565[3] = {0xF800, 0x7E0, 0x1F};
    FCObjImage plain, given, ignored;
    ASSERT_TRUE(plain.Create(Header(2, 2, 16)));
    ASSERT_TRUE(given.Create(Header(2, 2, 16, kBiBitFields), fields565));
    ASSERT_TRUE(ignored.Create(Header(2, 2, 16), fields565));  // not a bit-field record
    EXPECT_EQ(plain.Masks()[0], 0x7C00u);
    EXPECT_EQ(plain.Masks()[1], 0x3E0u);
    EXPECT_EQ(plain.Masks()[2], 0x1Fu);
    EXPECT_EQ(given.Masks()[0], 0xF800u);
    EXPECT_EQ(given.Masks()[1], 0x7E0u);
    EXPECT_EQ(ignored.Masks()[1], 0x3E0u);
}

TEST(ObjImage, BottomUpLinesAndPixelAddresses) {
    struct Case {
        int bits, x, y;
        ptrdiff_t offset;  // from the start of line y
    } cases[] = {{32, 3, 0, 12}, {24, 3, 1, 9}, {16, 3, 2, 6}, {8, 3, 0, 3}, {4, 3, 1, 1}, {1, 9, 2, 1}};
    for (const Case& c : cases) {
        FCObjImage image;
        ASSERT_TRUE(image.Create(10, 3, c.bits));
        const int stride = image.GetPitch();
        // Line 0 is the top line, the last stride of the buffer.
        EXPECT_EQ(image.GetLine(0), image.GetMemStart() + 2 * stride) << c.bits;
        EXPECT_EQ(image.GetLine(2), image.GetMemStart()) << c.bits;
        EXPECT_EQ(image.GetBits(c.x, c.y), image.GetLine(c.y) + c.offset) << c.bits;
    }
}

TEST(ObjImage, OutsideThePixelsIsReported) {
    CheckRecorder checks;
    FCObjImage image, empty;
    ASSERT_TRUE(image.Create(4, 3, 32));
    EXPECT_EQ(image.GetBits(4, 0), nullptr);
    EXPECT_EQ(image.GetBits(0, 3), nullptr);
    EXPECT_EQ(image.GetBits(-1, 0), nullptr);
    EXPECT_EQ(image.GetLine(3), nullptr);
    EXPECT_EQ(empty.GetBits(0, 0), nullptr);
    ASSERT_EQ(CheckRecorder::Checks().size(), 5u);
    EXPECT_EQ(CheckRecorder::Checks()[0], "IsInside(x, y)");
}

TEST(ObjImage, CopyTakesPixelsPalettePosition) {
    FCObjImage source = NumberedImage(3, 2);
    source.SetGraphObjPos(7, -4);
    FCObjImage copy;
    copy = source;
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.GetGraphObjX(), 7);
    EXPECT_EQ(copy.GetGraphObjY(), -4);
    EXPECT_NE(copy.GetMemStart(), source.GetMemStart());
    EXPECT_EQ(PixelAt(copy, 2, 1), 0xFF000102u);

    FCObjImage grey;
    ASSERT_TRUE(grey.Create(2, 2, 8));
    grey.GetPalette()[5] = RgbQuad{1, 2, 3, 0};
    FCObjImage greyCopy(grey);
    EXPECT_EQ(greyCopy.GetPalette()[5].rgbRed, 3);
    EXPECT_EQ(greyCopy.GetPalette()[6].rgbRed, 6);

    // An empty source leaves the target as it was.
    FCObjImage empty;
    copy = empty;
    EXPECT_TRUE(copy.IsValidImage());
    EXPECT_EQ(PixelAt(copy, 1, 1), 0xFF000101u);
}

TEST(ObjImage, AlphaOpaque) {
    FCObjImage image;
    ASSERT_TRUE(image.Create(3, 2, 32));
    std::memset(image.GetMemStart(), 0x11, image.GetPitch() * 2);
    image.SetAlphaOpaque();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(image, x, y), 0xFF111111u);
}

TEST(ObjImage, SerializationRoundTrip) {
    FCObjImage source = NumberedImage(3, 2);
    source.SetGraphObjPos(5, 6);
    std::vector<uint8_t> record(3 * 4 * 2 + 60);
    EXPECT_EQ(source.Serialize(true, record.data(), record.size()), 84);
    FCObjImage loaded;
    EXPECT_EQ(loaded.Serialize(false, record.data(), record.size()), 84);
    EXPECT_EQ(loaded.Width(), 3);
    EXPECT_EQ(loaded.Height(), 2);
    EXPECT_EQ(loaded.GetGraphObjX(), 5);
    EXPECT_EQ(loaded.GetGraphObjY(), 6);
    EXPECT_EQ(0, std::memcmp(loaded.GetMemStart(), source.GetMemStart(), 24));

    FCObjImage base;
    EXPECT_EQ(static_cast<FCObject&>(base).FCObject::Serialize(true, record.data(), record.size()), 0);
}

TEST(ObjImage, SerializationRefusesBadRecords) {
    CheckRecorder checks;
    FCObjImage source = NumberedImage(3, 2);
    std::vector<uint8_t> record(84);
    ASSERT_EQ(source.Serialize(true, record.data(), record.size()), 84);

    FCObjImage target = NumberedImage(1, 1);
    EXPECT_EQ(source.Serialize(true, record.data(), 83), 0);        // too small to save
    EXPECT_EQ(target.Serialize(false, record.data(), 83), 0);       // pixels cut short
    EXPECT_EQ(target.Serialize(false, record.data(), 59), 0);       // header cut short
    std::vector<uint8_t> huge = record;
    const int32_t big = 0x7FFFFFFF;
    std::memcpy(huge.data() + 4, &big, 4);
    std::memcpy(huge.data() + 8, &big, 4);
    EXPECT_EQ(target.Serialize(false, huge.data(), huge.size()), 0);  // absurd size
    std::vector<uint8_t> garbage(200, 0xA5);
    EXPECT_EQ(target.Serialize(false, garbage.data(), garbage.size()), 0);
    // Target untouched by every refused load.
    EXPECT_EQ(target.Width(), 1);
    EXPECT_EQ(PixelAt(target, 0, 0), 0xFF000000u);

    FCObjImage grey;
    ASSERT_TRUE(grey.Create(4, 4, 8));
    EXPECT_EQ(grey.Serialize(true, garbage.data(), garbage.size()), 0);  // 8 bits: no record
    EXPECT_EQ(CheckRecorder::Checks().size(), 6u);
}

// Records the calls of the effect loop.
class RecordingProcess : public FCInterface_PixelProcess {
public:
    explicit RecordingProcess(int type) : type_(type) {}
    int QueryProcessType() override { return type_; }
    bool OnEnterProcess(FCObjImage&) override {
        calls += "enter ";
        return true;
    }
    void ProcessPixel(FCObjImage& image, int x, int y, uint8_t* pixel) override {
        calls += std::to_string(x) + "," + std::to_string(y) + " ";
        EXPECT_EQ(pixel, image.GetBits(x, y));
    }
    void ProcessWholeImage(FCObjImage&) override { calls += "whole "; }
    void OnLeaveProcess(FCObjImage&) override { calls += "leave"; }
    std::string calls;

private:
    int type_;
};

TEST(PixelProcess, LoopOrder) {
    FCObjImage image = NumberedImage(2, 2);
    RecordingProcess perPixel(1), whole(0);
    EXPECT_TRUE(image.SinglePixelProcessProc(perPixel));
    EXPECT_EQ(perPixel.calls, "enter 0,0 1,0 0,1 1,1 leave");
    EXPECT_TRUE(image.SinglePixelProcessProc(whole));
    EXPECT_EQ(whole.calls, "enter whole leave");

    CheckRecorder checks;
    FCObjImage sixteen, empty;
    ASSERT_TRUE(sixteen.Create(2, 2, 16));
    RecordingProcess refused(1);
    EXPECT_FALSE(sixteen.SinglePixelProcessProc(refused));
    EXPECT_FALSE(empty.SinglePixelProcessProc(refused));
    EXPECT_EQ(refused.calls, "");
    EXPECT_EQ(CheckRecorder::Checks().size(), 2u);
}

// A random source that plays a script over and over.
FCPixelSplash::Random Script(std::vector<int> values) {
    auto next = std::make_shared<size_t>(0);
    return [values, next] { return values[(*next)++ % values.size()]; };
}

TEST(PixelSplash, FillsFromTheBackupWithinTheBlock) {
    // Pixel values are 0xFF0000yx; the expected rows give yx of each result.
    struct Case {
        const char* name;
        int block;
        std::vector<int> random;  // dx, dy for each pixel in loop order
        std::vector<uint32_t> expected;  // 3 x 2 image, top line first
    } cases[] = {
        {"block 1 keeps every pixel", 1, {5, 9}, {0x000, 0x001, 0x002, 0x100, 0x101, 0x102}},
        // 3: rand mod 3 - 1; 0 steps left/up, 2 right/down.
        {"one left, from the backup not the result", 3, {0, 1}, {0x000, 0x000, 0x001, 0x100, 0x100, 0x101}},
        {"one right and down, clamped", 3, {2, 2}, {0x101, 0x102, 0x102, 0x101, 0x102, 0x102}},
        {"large values wrap by the block", 3, {302, 300}, {0x001, 0x002, 0x002, 0x001, 0x002, 0x002}},
        // 4: rand mod 4 - 2, so 0 is two back and 3 one forward.
        {"block 4", 4, {0, 3}, {0x100, 0x100, 0x100, 0x100, 0x100, 0x100}},
        {"per pixel script", 3,
         {1, 1, 0, 1, 2, 1, 1, 0, 0, 1, 2, 2},
         {0x000, 0x000, 0x002, 0x000, 0x100, 0x102}},
    };
    for (const Case& c : cases) {
        FCObjImage image = NumberedImage(3, 2);
        FCPixelSplash splash(c.block, Script(c.random));
        ASSERT_TRUE(image.SinglePixelProcessProc(splash)) << c.name;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(PixelAt(image, x, y), 0xFF000000u | c.expected[y * 3 + x]) << c.name << " at " << x << "," << y;
    }
}

// A scatter effect whose backup copy fails, as when memory runs out.
class SplashWithoutBackup : public FCPixelSplash {
public:
    SplashWithoutBackup() : FCPixelSplash(3, Script({0, 2})) {}

protected:
    std::unique_ptr<FCObjImage> CopyImage(const FCObjImage&) override { return std::make_unique<FCObjImage>(); }
};

TEST(PixelSplash, AFailedBackupIsReportedOnceAndSkipsThePass) {
    FCObjImage image = NumberedImage(40, 30);
    const FCObjImage before = image;
    CheckRecorder checks;
    SplashWithoutBackup splash;
    EXPECT_FALSE(image.SinglePixelProcessProc(splash));
    EXPECT_EQ(CheckRecorder::Checks().size(), 1u);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(PixelAt(image, x, y), PixelAt(before, x, y)) << x << "," << y;
}

TEST(PixelSplash, TwentyFourBitsAndRefusals) {
    FCObjImage image;
    ASSERT_TRUE(image.Create(2, 1, 24));
    const uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};
    std::memcpy(image.GetLine(0), pixels, 6);
    FCPixelSplash left(3, Script({0, 1}));
    ASSERT_TRUE(image.SinglePixelProcessProc(left));
    const uint8_t expected[6] = {1, 2, 3, 1, 2, 3};
    EXPECT_EQ(0, std::memcmp(image.GetLine(0), expected, 6));

    CheckRecorder checks;
    FCPixelSplash zero(0), negative(-5);
    EXPECT_FALSE(image.SinglePixelProcessProc(zero));
    EXPECT_FALSE(image.SinglePixelProcessProc(negative));
    FCObjImage grey;
    ASSERT_TRUE(grey.Create(2, 2, 8));
    FCPixelSplash three(3);
    EXPECT_FALSE(grey.SinglePixelProcessProc(three));
}

}  // namespace
