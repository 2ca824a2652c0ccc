// The block shared with the Firefox extension ("PHXFFMemoryFile"): 189494
// bytes, packed, integers 32-bit little-endian, text UTF-16 unless 8-bit.
// Portable: no Win32 type, so the rules over it build and test natively too.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ffchannel {

constexpr const wchar_t* kMappingName = L"PHXFFMemoryFile";
constexpr const wchar_t* kMutexName = L"PHXFFLOCKMUTEX";
constexpr const wchar_t* kUpdateEventName = L"PHXUPDATEEVENT";
constexpr const wchar_t* kEnhancerAliveName = L"PQHXFIREFOXENHANCERISALIVE";
constexpr const wchar_t* kExtensionAliveName = L"PQHXFIREFOXEXTENSIONISALIVE";

constexpr uint32_t kBlockSize = 189494;
constexpr uint32_t kLockWaitMs = 1000;
constexpr uint32_t kAnswerWaitMs = 500;

constexpr int kPageTextChars = 256;  // location, domain, title
constexpr int kMaxSelectionPieces = 32;
constexpr int kSelectionChars = 8192;
constexpr int kMaxSelectionRects = 100;
constexpr int kMaxHotSpots = 100;
constexpr int kHotSpotChars = 25600;
constexpr int kMaxSiteStrings = 256;
constexpr int kSitePoolChars = 4096;
constexpr int kSitePoolBytes = 2 * kSitePoolChars;
constexpr int kNavigateUrlChars = 256;
constexpr int kExtensionLogBytes = 4096;

#pragma pack(push, 1)
struct ChannelRect {
    int32_t left, top, right, bottom;
};

struct SiteStringEntry {
    int32_t offset;  // byte offset from the start of the pool
    uint8_t unused[4];
};

struct ChannelBlock {
    uint8_t enhancerPresent;
    uint8_t enhancerInitialised;
    uint8_t updateRequested;
    uint8_t pageChanged;
    uint8_t selectionChanged;
    uint8_t hotSpotsChanged;
    int32_t cursorX;
    int32_t cursorY;
    ChannelRect reservedRect;
    char16_t location[kPageTextChars];
    char16_t domain[kPageTextChars];
    char16_t title[kPageTextChars];
    int32_t selectionCount;
    char16_t selectionText[kSelectionChars];
    int32_t selectionRectCounts[kMaxSelectionPieces];
    ChannelRect selectionRects[kMaxSelectionRects];
    int32_t hotSpotCount;
    char16_t hotSpotTexts[kHotSpotChars];
    char16_t hotSpotHrefs[kHotSpotChars];
    char16_t hotSpotIds[kHotSpotChars];
    ChannelRect hotSpotRects[kMaxHotSpots];
    int32_t siteStringCount;
    SiteStringEntry siteStringOffsets[kMaxSiteStrings];
    uint32_t navigateWindow;
    char navigateUrl[kNavigateUrlChars];
    int32_t navigateFlags;
    uint32_t siteStringNext;  // address in the enhancer's own process
    char16_t siteStringPool[kSitePoolChars];
    char extensionLog[kExtensionLogBytes];
};
#pragma pack(pop)

static_assert(sizeof(ChannelRect) == 16, "RECT is four longs");
static_assert(sizeof(SiteStringEntry) == 8, "offset entry is 8 bytes");
static_assert(offsetof(ChannelBlock, enhancerPresent) == 0, "enhancerPresent");
static_assert(offsetof(ChannelBlock, enhancerInitialised) == 1, "enhancerInitialised");
static_assert(offsetof(ChannelBlock, updateRequested) == 2, "updateRequested");
static_assert(offsetof(ChannelBlock, pageChanged) == 3, "pageChanged");
static_assert(offsetof(ChannelBlock, selectionChanged) == 4, "selectionChanged");
static_assert(offsetof(ChannelBlock, hotSpotsChanged) == 5, "hotSpotsChanged");
static_assert(offsetof(ChannelBlock, cursorX) == 6, "cursorX");
static_assert(offsetof(ChannelBlock, cursorY) == 10, "cursorY");
static_assert(offsetof(ChannelBlock, reservedRect) == 14, "reservedRect");
static_assert(offsetof(ChannelBlock, location) == 30, "location");
static_assert(offsetof(ChannelBlock, domain) == 542, "domain");
static_assert(offsetof(ChannelBlock, title) == 1054, "title");
static_assert(offsetof(ChannelBlock, selectionCount) == 1566, "selectionCount");
static_assert(offsetof(ChannelBlock, selectionText) == 1570, "selectionText");
static_assert(offsetof(ChannelBlock, selectionRectCounts) == 17954, "selectionRectCounts");
static_assert(offsetof(ChannelBlock, selectionRects) == 18082, "selectionRects");
static_assert(offsetof(ChannelBlock, hotSpotCount) == 19682, "hotSpotCount");
static_assert(offsetof(ChannelBlock, hotSpotTexts) == 19686, "hotSpotTexts");
static_assert(offsetof(ChannelBlock, hotSpotHrefs) == 70886, "hotSpotHrefs");
static_assert(offsetof(ChannelBlock, hotSpotIds) == 122086, "hotSpotIds");
static_assert(offsetof(ChannelBlock, hotSpotRects) == 173286, "hotSpotRects");
static_assert(offsetof(ChannelBlock, siteStringCount) == 174886, "siteStringCount");
static_assert(offsetof(ChannelBlock, siteStringOffsets) == 174890, "siteStringOffsets");
static_assert(offsetof(ChannelBlock, navigateWindow) == 176938, "navigateWindow");
static_assert(offsetof(ChannelBlock, navigateUrl) == 176942, "navigateUrl");
static_assert(offsetof(ChannelBlock, navigateFlags) == 177198, "navigateFlags");
static_assert(offsetof(ChannelBlock, siteStringNext) == 177202, "siteStringNext");
static_assert(offsetof(ChannelBlock, siteStringPool) == 177206, "siteStringPool");
static_assert(offsetof(ChannelBlock, extensionLog) == 185398, "extensionLog");
static_assert(sizeof(ChannelBlock) == kBlockSize, "block is 189494 bytes");

}  // namespace ffchannel
