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
                         BoundedLength(copy.hotSpotHrefs, kHotSpotChars),
                         BoundedLength(copy.hotSpotIds, kHotSpotChars));
}

bool CopyPageText(const char16_t* field, char16_t* dest) {
    char16_t copy[kPageTextChars];
    std::memcpy(copy, field, sizeof copy);
    if (BoundedLength(copy, kPageTextChars) < 0) return false;
    std::memcpy(dest, copy, sizeof copy);
    return true;
}

SelectionCheck CopySelection(const ChannelBlock& block, char16_t* text, int32_t* rectCounts, ChannelRect* rects) {
    const int32_t count = block.selectionCount;
    std::memcpy(rectCounts, block.selectionRectCounts, sizeof block.selectionRectCounts);
    std::memcpy(text, block.selectionText, sizeof block.selectionText);
    const SelectionCheck check = CheckSelection(count, rectCounts, BoundedLength(text, kSelectionChars));
    if (check.refusal != Refusal::kOk) {
        text[0] = 0;
        return check;
    }
    std::memcpy(rects, block.selectionRects, sizeof(ChannelRect) * static_cast<size_t>(check.rects));
    return check;
}

Refusal CopyHotSpots(const ChannelBlock& block, char16_t* texts, char16_t* hrefs, char16_t* ids, ChannelRect* rects,
                     int* count) {
    const int32_t n = block.hotSpotCount;
    std::memcpy(texts, block.hotSpotTexts, sizeof block.hotSpotTexts);
    std::memcpy(hrefs, block.hotSpotHrefs, sizeof block.hotSpotHrefs);
    std::memcpy(ids, block.hotSpotIds, sizeof block.hotSpotIds);
    const Refusal r = CheckHotSpots(n, BoundedLength(texts, kHotSpotChars), BoundedLength(hrefs, kHotSpotChars),
                                    BoundedLength(ids, kHotSpotChars));
    if (r != Refusal::kOk) {
        texts[0] = hrefs[0] = ids[0] = 0;
        *count = 0;
        return r;
    }
    std::memcpy(rects, block.hotSpotRects, sizeof(ChannelRect) * static_cast<size_t>(n));
    *count = n;
    return r;
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
