#include "CaptureMath.h"

#include <algorithm>
#include <cstdint>

void AppendWidened(std::wstring& buffer, const char* chunk, int32_t length) {
    if (!chunk || length <= 0) return;
    for (int32_t i = 0; i < length && buffer.size() < static_cast<size_t>(kSelectionBufferChars); ++i)
        buffer.push_back(static_cast<wchar_t>(static_cast<unsigned char>(chunk[i])));
}

std::wstring ReportedSelection(const std::wstring& buffer) {
    return buffer.size() > static_cast<size_t>(kSelectionMaxChars) ? std::wstring() : buffer;
}

bool IsEmpty(const AcroRect& r) { return r.right <= r.left || r.bottom <= r.top; }

namespace {
// edge + viewEdge - origin, held within the int32 range (the host's values
// may be anything).
int32_t Moved(int32_t edge, int32_t viewEdge, int32_t origin) {
    const int64_t v = static_cast<int64_t>(edge) + viewEdge - origin;
    return static_cast<int32_t>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, v)));
}
}  // namespace

AcroRect DeviceToScreen(const acrohost::DeviceRect& d, const AcroRect& view, const acrohost::DevicePoint& o) {
    return AcroRect{Moved(d.left, view.left, o.x), Moved(d.top, view.top, o.y), Moved(d.right, view.left, o.x),
                    Moved(d.bottom, view.top, o.y)};
}

AcroRect Clip(const AcroRect& r, const AcroRect& clip) {
    AcroRect out{std::max(r.left, clip.left), std::max(r.top, clip.top), std::min(r.right, clip.right),
                 std::min(r.bottom, clip.bottom)};
    return IsEmpty(out) ? AcroRect{} : out;
}

std::wstring DecodeTitle(const unsigned char* bytes, int32_t length) {
    std::wstring out;
    if (!bytes || length <= 0) return out;
    if (length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        for (int32_t i = 2; i + 1 < length; i += 2) {
            wchar_t unit = static_cast<wchar_t>((bytes[i] << 8) | bytes[i + 1]);
            if (unit == 0) break;
            out.push_back(unit);
        }
        return out;
    }
    for (int32_t i = 0; i < length && bytes[i]; ++i) out.push_back(static_cast<wchar_t>(bytes[i]));
    return out;
}

int FocusedPageView(int focusedNow, int previous, int count) {
    if (focusedNow >= 0 && focusedNow < count) return focusedNow;
    return previous >= 0 && previous < count ? previous : -1;
}

void ClearEmptySelection(AcroRect& visible, AcroRect& view, std::wstring& text) {
    if (!IsEmpty(visible)) return;
    visible = AcroRect{};
    view = AcroRect{};
    text.clear();
}
