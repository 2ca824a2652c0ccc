#include "app/include/ObjImage.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app/include/PixelProcess.h"

namespace {

// The largest pixel buffer an image takes (its serialized size stays an int).
constexpr uint64_t kMaxPixelBytes = 0x40000000;
constexpr size_t kRecordExtraBytes = sizeof(BitmapInfoHeader) + 3 * sizeof(uint32_t) + 2 * sizeof(int32_t);
static_assert(kRecordExtraBytes == 60, "serialized record: header, masks and position");

}  // namespace

// Committed read-write memory for the pixels (virtual memory in Windows).
struct FCObjImage::PixelMemory {
    explicit PixelMemory(size_t bytes) {
#ifdef _WIN32
        data = static_cast<uint8_t*>(::VirtualAlloc(nullptr, bytes, MEM_COMMIT, PAGE_READWRITE));
#else
        data = static_cast<uint8_t*>(std::calloc(bytes, 1));
#endif
    }
    ~PixelMemory() {
#ifdef _WIN32
        if (data) ::VirtualFree(data, 0, MEM_RELEASE);
#else
        std::free(data);
#endif
    }
    PixelMemory(const PixelMemory&) = delete;
    PixelMemory& operator=(const PixelMemory&) = delete;
    uint8_t* data = nullptr;
};

int FCObject::Serialize(bool, uint8_t*, size_t) { return 0; }

FCObjImage::FCObjImage() = default;

FCObjImage::FCObjImage(const FCObjImage& other) : FCObjGraph() { *this = other; }

FCObjImage::~FCObjImage() = default;

FCObjImage& FCObjImage::operator=(const FCObjImage& other) {
    if (&other == this || !other.IsValidImage()) return *this;
    uint32_t bitFields[3] = {other.m_Masks[0], other.m_Masks[1], other.m_Masks[2]};
    if (!Create(other.m_Info, other.m_Info.biBitCount == 16 ? bitFields : nullptr)) return *this;
    std::memcpy(pixels_, other.pixels_, static_cast<size_t>(stride_) * Height());
    if (other.ColorBits() <= 8 && GetPalette() && other.GetPalette())
        std::memcpy(GetPalette(), other.GetPalette(), palette_->GetArrayBytes());
    m_GraphX = other.m_GraphX;
    m_GraphY = other.m_GraphY;
    return *this;
}

void FCObjImage::Destroy() {
    m_ppLine.clear();
    memory_.reset();
    pixels_ = nullptr;
    palette_.reset();
    stride_ = 0;
    m_Info = BitmapInfoHeader{};
    m_Masks[0] = m_Masks[1] = m_Masks[2] = 0;
}

bool FCObjImage::Create(int width, int height, int bitCount) {
    BitmapInfoHeader info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<uint16_t>(bitCount);
    info.biCompression = kBiRgb;
    return Create(info, nullptr);
}

bool FCObjImage::Create(const BitmapInfoHeader& info, const uint32_t* bitFields) {
    FC_CHECK_OR_RETURN(info.biWidth > 0 && info.biHeight > 0, false);
    FC_CHECK_OR_RETURN(info.biCompression == kBiRgb || info.biCompression == kBiBitFields, false);
    const int bits = info.biBitCount;
    FC_CHECK_OR_RETURN(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32, false);
    const uint64_t stride = (static_cast<uint64_t>(bits) * static_cast<uint64_t>(info.biWidth) + 31) / 32 * 4;
    FC_CHECK_OR_RETURN(stride * static_cast<uint64_t>(info.biHeight) <= kMaxPixelBytes, false);

    Destroy();
    m_Info = BitmapInfoHeader{};
    m_Info.biSize = sizeof(BitmapInfoHeader);
    m_Info.biWidth = info.biWidth;
    m_Info.biHeight = info.biHeight;
    m_Info.biPlanes = 1;
    m_Info.biBitCount = static_cast<uint16_t>(bits);
    m_Info.biCompression = bits == 16 ? info.biCompression : kBiRgb;
    if (bits == 16) {
        if (info.biCompression == kBiBitFields && bitFields) {
            m_Masks[0] = bitFields[0];
            m_Masks[1] = bitFields[1];
            m_Masks[2] = bitFields[2];
        } else {
            m_Masks[0] = 0x7C00;
            m_Masks[1] = 0x3E0;
            m_Masks[2] = 0x1F;
        }
    }
    stride_ = static_cast<int>(stride);
    if (!Allocate()) {
        Destroy();
        return false;
    }
    if (bits <= 8) {
        const int entries = 1 << bits;
        palette_.reset(new PCL_array<RgbQuad>(entries));
        for (int i = 0; i < palette_->GetElementNumber(); ++i) palette_->get()[i] = FCColor::GreyRampEntry(i, bits);
    }
    return true;
}

bool FCObjImage::Allocate() {
    const size_t bytes = static_cast<size_t>(stride_) * static_cast<size_t>(Height());
    memory_.reset(new PixelMemory(bytes));
    FC_CHECK_OR_RETURN(memory_->data != nullptr, false);
    pixels_ = memory_->data;
    m_ppLine.resize(Height());
    // Bottom-up: the top line is the last stride of the buffer.
    for (int y = 0; y < Height(); ++y) m_ppLine[y] = pixels_ + static_cast<size_t>(Height() - 1 - y) * stride_;
    return true;
}

uint8_t* FCObjImage::GetLine(int y) const {
    FC_CHECK_OR_RETURN(IsValidImage() && y >= 0 && y < Height(), nullptr);
    return m_ppLine[y];
}

uint8_t* FCObjImage::GetBits(int x, int y) const {
    FC_CHECK_OR_RETURN(IsInside(x, y), nullptr);
    FC_CHECK_OR_RETURN(IsValidImage(), nullptr);
    switch (ColorBits()) {
    case 32: return m_ppLine[y] + x * 4;
    case 8: return m_ppLine[y] + x;
    default: return m_ppLine[y] + x * ColorBits() / 8;
    }
}

bool FCObjImage::SinglePixelProcessProc(FCInterface_PixelProcess& processor) {
    FC_CHECK_OR_RETURN(processor.ValidateImage(*this), false);
    if (!processor.OnEnterProcess(*this)) return false;
    if (processor.QueryProcessType() == 0) {
        processor.ProcessWholeImage(*this);
    } else {
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) processor.ProcessPixel(*this, x, y, GetBits(x, y));
    }
    processor.OnLeaveProcess(*this);
    return true;
}

void FCObjImage::SetAlphaOpaque() {
    FC_CHECK_OR_RETURN(IsValidImage() && ColorBits() == 32);
    for (int y = 0; y < Height(); ++y) {
        uint8_t* line = m_ppLine[y];
        for (int x = 0; x < Width(); ++x) line[x * 4 + 3] = 0xFF;
    }
}

int FCObjImage::Serialize(bool save, uint8_t* data, size_t size) {
    FC_CHECK_OR_RETURN(data != nullptr, 0);
    if (save) {
        FC_CHECK_OR_RETURN(IsValidImage() && ColorBits() > 8, 0);
        const size_t pixelBytes = static_cast<size_t>(stride_) * Height();
        FC_CHECK_OR_RETURN(size >= pixelBytes + kRecordExtraBytes, 0);
        uint8_t* p = data;
        std::memcpy(p, &m_Info, sizeof(m_Info));
        p += sizeof(m_Info);
        std::memcpy(p, m_Masks, sizeof(m_Masks));
        p += sizeof(m_Masks);
        std::memcpy(p, pixels_, pixelBytes);
        p += pixelBytes;
        std::memcpy(p, &m_GraphX, sizeof(m_GraphX));
        std::memcpy(p + sizeof(m_GraphX), &m_GraphY, sizeof(m_GraphY));
        return static_cast<int>(pixelBytes + kRecordExtraBytes);
    }
    FC_CHECK_OR_RETURN(size >= kRecordExtraBytes, 0);
    BitmapInfoHeader info;
    uint32_t masks[3];
    std::memcpy(&info, data, sizeof(info));
    std::memcpy(masks, data + sizeof(info), sizeof(masks));
    FC_CHECK_OR_RETURN(info.biBitCount > 8, 0);
    FCObjImage loaded;
    if (!loaded.Create(info, masks)) return 0;
    const size_t pixelBytes = static_cast<size_t>(loaded.stride_) * loaded.Height();
    FC_CHECK_OR_RETURN(size >= pixelBytes + kRecordExtraBytes, 0);
    const uint8_t* p = data + sizeof(info) + sizeof(masks);
    std::memcpy(loaded.pixels_, p, pixelBytes);
    p += pixelBytes;
    std::memcpy(&loaded.m_GraphX, p, sizeof(loaded.m_GraphX));
    std::memcpy(&loaded.m_GraphY, p + sizeof(loaded.m_GraphX), sizeof(loaded.m_GraphY));
    *this = loaded;
    return static_cast<int>(pixelBytes + kRecordExtraBytes);
}
