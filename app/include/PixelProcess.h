// Per-pixel effects over an FCObjImage: the effect interface, the base that
// keeps a backup of the image, and the scatter effect FCPixelSplash, which
// fills every pixel from a random neighbour within a block around it.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>

#include "app/include/ObjImage.h"

class FCInterface_PixelProcess {
public:
    virtual ~FCInterface_PixelProcess() = default;
    // Whether the effect takes this image (default: pixels, at least 24 bits).
    virtual bool ValidateImage(const FCObjImage& image);
    // 1: ProcessPixel for every pixel; 0: ProcessWholeImage once.
    virtual int QueryProcessType() { return 1; }
    // Prepares the pass; false skips it (the failure was reported).
    virtual bool OnEnterProcess(FCObjImage& image) { return true; }
    virtual void ProcessPixel(FCObjImage& image, int x, int y, uint8_t* pixel) {}
    virtual void ProcessWholeImage(FCObjImage& image) {}
    virtual void OnLeaveProcess(FCObjImage& image) {}
};

class FCSinglePixelProcessBase : public FCInterface_PixelProcess {
protected:
    // Keeps a copy of the image as it is before the effect; false (reported
    // once) when the copy could not be made.
    bool MakeBackup(const FCObjImage& image);
    // The copy itself (an image without pixels when memory runs out).
    virtual std::unique_ptr<FCObjImage> CopyImage(const FCObjImage& image) {
        return std::make_unique<FCObjImage>(image);
    }

    std::unique_ptr<FCObjImage> m_pImgOld;  // the image as it was before the effect
};

class FCPixelSplash : public FCSinglePixelProcessBase {
public:
    // The random source (rand by default, which the caller seeds).
    using Random = std::function<int()>;
    explicit FCPixelSplash(int blockSize, Random random = [] { return std::rand(); });

    // At least 24 bits per pixel and a block size of 1 or more.
    bool ValidateImage(const FCObjImage& image) override;
    // The backup; without one the pass is skipped.
    bool OnEnterProcess(FCObjImage& image) override;
    // Copies the backup's pixel at (x + dx, y + dy), both offsets
    // rand() mod n - n / 2, clamped into the image.
    void ProcessPixel(FCObjImage& image, int x, int y, uint8_t* pixel) override;

private:
    int m_BlockSize;
    Random random_;
};
