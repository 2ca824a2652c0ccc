#include "app/include/PixelProcess.h"

#include <algorithm>
#include <cstring>
#include <utility>

bool FCInterface_PixelProcess::ValidateImage(const FCObjImage& image) {
    return image.IsValidImage() && image.ColorBits() >= 24;
}

FCPixelSplash::FCPixelSplash(int blockSize, Random random) : m_BlockSize(blockSize), random_(std::move(random)) {}

bool FCPixelSplash::ValidateImage(const FCObjImage& image) {
    FC_CHECK_OR_RETURN(m_BlockSize >= 1, false);
    return FCInterface_PixelProcess::ValidateImage(image);
}

bool FCSinglePixelProcessBase::MakeBackup(const FCObjImage& image) {
    m_pImgOld = CopyImage(image);
    FC_CHECK_OR_RETURN(m_pImgOld && m_pImgOld->IsValidImage(), false);
    return true;
}

bool FCPixelSplash::OnEnterProcess(FCObjImage& image) { return MakeBackup(image); }

void FCPixelSplash::ProcessPixel(FCObjImage& image, int x, int y, uint8_t* pixel) {
    const int n = m_BlockSize;
    const int dx = random_() % n - n / 2;
    const int dy = random_() % n - n / 2;
    const int sx = std::clamp(x + dx, 0, image.Width() - 1);
    const int sy = std::clamp(y + dy, 0, image.Height() - 1);
    if (const uint8_t* source = m_pImgOld ? m_pImgOld->GetBits(sx, sy) : nullptr)
        std::memcpy(pixel, source, image.ColorBits() / 8);
}
