// Device-independent images: FCObject (the root), FCObjGraph (a position) and
// FCObjImage, a bottom-up bitmap of 1, 4, 8, 16, 24 or 32 bits per pixel with
// a table of line addresses (line 0 is the top line), the 16-bit masks and,
// up to 8 bits, a palette.  No Win32 call: the same code builds natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/include/FColor.h"
#include "app/include/PCL_array.h"

// The Windows bitmap-info header (BITMAPINFOHEADER), 40 bytes.
struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40, "BITMAPINFOHEADER layout");
static_assert(offsetof(BitmapInfoHeader, biBitCount) == 14, "BITMAPINFOHEADER layout");
static_assert(offsetof(BitmapInfoHeader, biCompression) == 16, "BITMAPINFOHEADER layout");
static_assert(offsetof(BitmapInfoHeader, biClrImportant) == 36, "BITMAPINFOHEADER layout");

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitFields = 3;

class FCInterface_PixelProcess;

class FCObject {
public:
    virtual ~FCObject() = default;
    // Writes (save) or reads the object into/from data of size bytes; the
    // number of bytes used, 0 when nothing was done.
    virtual int Serialize(bool save, uint8_t* data, size_t size);
};

class FCObjGraph : public FCObject {
public:
    void SetGraphObjPos(int x, int y) {
        m_GraphX = x;
        m_GraphY = y;
    }
    int GetGraphObjX() const { return m_GraphX; }
    int GetGraphObjY() const { return m_GraphY; }

protected:
    int32_t m_GraphX = 0;
    int32_t m_GraphY = 0;
};

class FCObjImage : public FCObjGraph {
public:
    FCObjImage();
    FCObjImage(const FCObjImage& other);
    FCObjImage& operator=(const FCObjImage& other);
    ~FCObjImage() override;

    // Makes a new image of the record's format (old pixels freed): width and
    // height above 0, compression none or bit fields, 1, 4, 8, 16, 24 or 32
    // bits.  bitFields (red, green, blue) are read for a 16-bit bit-field
    // record; without them 16 bits are 5-5-5.  Up to 8 bits the palette is
    // a grey ramp.  False (and the image empty) on a refused record.
    bool Create(const BitmapInfoHeader& info, const uint32_t* bitFields = nullptr);
    bool Create(int width, int height, int bitCount);
    void Destroy();

    bool IsValidImage() const { return pixels_ != nullptr; }
    int Width() const { return m_Info.biWidth; }
    int Height() const { return m_Info.biHeight; }
    int ColorBits() const { return m_Info.biBitCount; }
    int GetPitch() const { return stride_; }
    const BitmapInfoHeader& Info() const { return m_Info; }
    const uint32_t* Masks() const { return m_Masks; }
    bool IsInside(int x, int y) const { return x >= 0 && x < Width() && y >= 0 && y < Height(); }

    // The pixel at (x, y); null (reported) outside the image.
    uint8_t* GetBits(int x, int y) const;
    // The start of line y (line 0 the top); null (reported) outside.
    uint8_t* GetLine(int y) const;
    // The start of the pixel buffer (the bottom line).
    uint8_t* GetMemStart() const { return pixels_; }

    // The palette (1, 4 and 8 bits): 2^bits entries, null otherwise.
    RgbQuad* GetPalette() const { return palette_ ? palette_->get() : nullptr; }
    int GetPaletteCount() const { return palette_ ? palette_->GetElementNumber() : 0; }

    // Runs processor over the image; false when it refuses the image or
    // cannot prepare its pass (the image is then left as it was).
    bool SinglePixelProcessProc(FCInterface_PixelProcess& processor);

    // 32 bits: the alpha byte of every pixel becomes 255.
    void SetAlphaOpaque();

    // Save: header, the three masks, the pixel bytes and the position
    // (stride x height + 60 bytes; images above 8 bits only).  Load: creates
    // the image from a record written so.  0 when data is too small or the
    // record is refused.
    int Serialize(bool save, uint8_t* data, size_t size) override;

private:
    struct PixelMemory;
    bool Allocate();

    BitmapInfoHeader m_Info{};
    uint32_t m_Masks[3] = {0, 0, 0};
    uint8_t* pixels_ = nullptr;  // owned by memory_
    std::unique_ptr<PixelMemory> memory_;
    std::vector<uint8_t*> m_ppLine;
    std::unique_ptr<PCL_array<RgbQuad>> palette_;
    int stride_ = 0;
};
