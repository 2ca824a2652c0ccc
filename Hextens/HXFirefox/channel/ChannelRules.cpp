#include "ChannelRules.h"

#include <cstddef>
#include <cstring>

#include "Hextens/HXLib/UrlEncode.h"

namespace ffchannel {

int BoundedLength(const char16_t* field, int capacity) {
    for (int i = 0; i < capacity; ++i)
        if (field[i] == 0) return i;
    return -1;
}

int BoundedLength(const char* field, int capacity) {
    for (int i = 0; i < capacity; ++i)
        if (field[i] == 0) return i;
    return -1;
}

const wchar_t* RefusalText(Refusal r) {
    switch (r) {
    case Refusal::kOk: return L"ok";
    case Refusal::kCountOutOfRange: return L"count out of range";
    case Refusal::kRectCountOutOfRange: return L"rectangle count out of range";
    case Refusal::kTooManyRects: return L"too many rectangles";
    case Refusal::kTextUnterminated: return L"text without terminator in its field";
    }
    return L"?";
}

SelectionCheck CheckSelection(int32_t count, const int32_t* rectCounts, int textLength) {
    SelectionCheck c;
    if (count < 0 || count > kMaxSelectionPieces) {
        c.refusal = Refusal::kCountOutOfRange;
        return c;
    }
    if (textLength < 0) {
        c.refusal = Refusal::kTextUnterminated;
        return c;
    }
    int total = 0;
    for (int i = 0; i < count; ++i) {
        if (rectCounts[i] < 0 || rectCounts[i] > kMaxSelectionRects) {
            c.refusal = Refusal::kRectCountOutOfRange;
            return c;
        }
        total += rectCounts[i];
        if (total > kMaxSelectionRects) {
            c.refusal = Refusal::kTooManyRects;
            return c;
        }
    }
    c.pieces = count;
    c.rects = total;
    return c;
}

Refusal CheckHotSpots(int32_t count, int textsLength, int hrefsLength, int idsLength) {
    if (count < 0 || count > kMaxHotSpots) return Refusal::kCountOutOfRange;
    if (textsLength < 0 || hrefsLength < 0 || idsLength < 0) return Refusal::kTextUnterminated;
    return Refusal::kOk;
}

SelectionCheck CheckSelection(const ChannelBlock& copy) {
    // The packed block leaves the counts unaligned: they are read through memcpy.
    int32_t rectCounts[kMaxSelectionPieces];
    std::memcpy(rectCounts, reinterpret_cast<const char*>(&copy) + offsetof(ChannelBlock, selectionRectCounts),
                sizeof rectCounts);
    return CheckSelection(copy.selectionCount, rectCounts, BoundedLength(copy.selectionText, kSelectionChars));
}

Refusal CheckHotSpots(const ChannelBlock& copy) {
    return CheckHotSpots(copy.hotSpotCount, BoundedLength(copy.hotSpotTexts, kHotSpotChars),
                         BoundedLength(copy.hotSpotHrefs, kHotSpotChars), BoundedLength(copy.hotSpotIds, kHotSpotChars));
}

int64_t SiteStringOffset(int32_t count, int64_t usedBytes, int64_t textLength) {
    if (count < 0 || count >= kMaxSiteStrings) return -1;
    if (usedBytes < 0 || usedBytes > kSitePoolBytes || usedBytes % 2 != 0) return -1;
    if (textLength < 0 || usedBytes + 2 * textLength + 2 >= kSitePoolBytes) return -1;
    return usedBytes;
}

bool EncodeNavigateUrl(const char16_t* url, size_t length, std::string& out) {
    out = urlenc::PercentEncodeNonAsciiUtf8(url, length);
    if (out.size() > static_cast<size_t>(kNavigateUrlChars - 1)) {
        out.clear();
        return false;
    }
    return true;
}

int WidenExtensionLog(const char* log, char16_t* out, int outChars) {
    if (outChars <= 0) return 0;
    int limit = outChars - 1;
    if (limit > kExtensionLogBytes) limit = kExtensionLogBytes;
    int n = 0;
    while (n < limit && log[n] != 0) {
        out[n] = static_cast<unsigned char>(log[n]);
        ++n;
    }
    out[n] = 0;
    return n;
}

}  // namespace ffchannel
