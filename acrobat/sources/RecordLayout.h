// The Acrobat record's layout: one named block of shared memory,
// "PHXACROMEMORYFILE", guarded by the mutex "PHXACROLOCKMUTEX", that every
// host process loading the plug-in attaches to.  Portable (no Win32 type), so
// the rules over the record build and test natively too.
#pragma once

#include <cstddef>
#include <cstdint>

// A rectangle in screen pixels: left, top, right, bottom.
struct AcroRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
static_assert(sizeof(AcroRect) == 16, "a rectangle is four 32-bit integers");

namespace AcrobatRecordLayout {
constexpr const wchar_t* kMappingName = L"PHXACROMEMORYFILE";
constexpr const wchar_t* kMutexName = L"PHXACROLOCKMUTEX";
constexpr int kTextUnits = 256;  // code units of a text slot, terminator included
constexpr int kTextSlots = 32;
constexpr int kRectSlots = 100;
constexpr uint32_t kSize = 18520;
// The plug-in waits for the mutex on the host's own thread: briefly, so a
// reader or another host that hangs holding it never holds the host long.
constexpr uint32_t kAttachWaitMs = 1000;
constexpr uint32_t kAccessWaitMs = 100;
}  // namespace AcrobatRecordLayout

// A UTF-16 code unit of the record's texts: the platform's wide character
// where that is 16 bits (Windows), else char16_t.
#if defined(_WIN32)
using RecordUnit = wchar_t;
#else
using RecordUnit = char16_t;
#endif
static_assert(sizeof(RecordUnit) == 2, "texts are UTF-16 code units");

// The block, byte for byte (little-endian, UTF-16 texts, no padding).
struct AcrobatRecord {
    int32_t attachCount;
    AcroRect viewRect;
    RecordUnit title[AcrobatRecordLayout::kTextUnits];
    int32_t entryCount;
    RecordUnit entryTexts[AcrobatRecordLayout::kTextSlots][AcrobatRecordLayout::kTextUnits];
    AcroRect entryRects[AcrobatRecordLayout::kRectSlots];
};
static_assert(offsetof(AcrobatRecord, attachCount) == 0, "attach count at 0");
static_assert(offsetof(AcrobatRecord, viewRect) == 4, "view rectangle at 4");
static_assert(offsetof(AcrobatRecord, title) == 20, "title at 20");
static_assert(offsetof(AcrobatRecord, entryCount) == 532, "entry count at 532");
static_assert(offsetof(AcrobatRecord, entryTexts) == 536, "entry texts at 536");
static_assert(offsetof(AcrobatRecord, entryRects) == 16920, "entry rectangles at 16920");
static_assert(sizeof(AcrobatRecord) == AcrobatRecordLayout::kSize, "the block is 18520 bytes");
