// The Acrobat record: one named block of shared memory, "PHXACROMEMORYFILE",
// guarded by the mutex "PHXACROLOCKMUTEX".  Every host process that loads the
// plug-in attaches to the same block; the latest capture of the active
// document's selection lives there for an outside reader.  Every access, by
// any process, happens while holding the mutex.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fx/Handle.h"

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
constexpr int kTextUnits = 256;     // code units of a text slot, terminator included
constexpr int kTextSlots = 32;
constexpr int kRectSlots = 100;
constexpr DWORD kSize = 18520;
// The plug-in waits for the mutex on the host's own thread: briefly, so a
// reader or another host that hangs holding it never holds the host long.
constexpr DWORD kAttachWaitMs = 1000;
constexpr DWORD kAccessWaitMs = 100;
}  // namespace AcrobatRecordLayout

// The block, byte for byte (little-endian, UTF-16 texts, no padding).
struct AcrobatRecord {
    int32_t attachCount;
    AcroRect viewRect;
    wchar_t title[AcrobatRecordLayout::kTextUnits];
    int32_t entryCount;
    wchar_t entryTexts[AcrobatRecordLayout::kTextSlots][AcrobatRecordLayout::kTextUnits];
    AcroRect entryRects[AcrobatRecordLayout::kRectSlots];
};
static_assert(sizeof(wchar_t) == 2, "texts are UTF-16 code units");
static_assert(offsetof(AcrobatRecord, attachCount) == 0, "attach count at 0");
static_assert(offsetof(AcrobatRecord, viewRect) == 4, "view rectangle at 4");
static_assert(offsetof(AcrobatRecord, title) == 20, "title at 20");
static_assert(offsetof(AcrobatRecord, entryCount) == 532, "entry count at 532");
static_assert(offsetof(AcrobatRecord, entryTexts) == 536, "entry texts at 536");
static_assert(offsetof(AcrobatRecord, entryRects) == 16920, "entry rectangles at 16920");
static_assert(sizeof(AcrobatRecord) == AcrobatRecordLayout::kSize, "the block is 18520 bytes");

// Copies text into a slot of 256 units: at most 255 units and a terminator.
void CopyRecordText(wchar_t (&slot)[AcrobatRecordLayout::kTextUnits], const wchar_t* text);
// Reads a slot written by any process: up to the first 0 unit, at most 255 units.
std::wstring ReadRecordText(const wchar_t (&slot)[AcrobatRecordLayout::kTextUnits]);

class SharedData {
public:
    // Maps the block; clears it when `fresh` (the mapping was just created);
    // counts this attach.  The caller holds the mutex.  Takes both handles.
    SharedData(HANDLE mapping, HANDLE mutex, bool fresh);
    // Detaches: counts down (only when the mutex was obtained within
    // kAccessWaitMs), unmaps the view and closes both handles.
    virtual ~SharedData();
    SharedData(const SharedData&) = delete;
    SharedData& operator=(const SharedData&) = delete;

    bool IsMapped() const { return record_ != nullptr; }

    // Waits at most kAccessWaitMs for the mutex; a second Lock while locked
    // returns true at once.  An abandoned mutex counts as obtained.
    bool Lock();
    void Unlock();
    bool IsLocked() const { return lock_.has_value(); }

    // Writes; each does nothing unless locked.
    void ClearEntries();
    void SetViewRect(const AcroRect& rect);
    void SetTitle(const wchar_t* text);
    // Refused (and logged) when the entry count is outside the 32 text slots.
    bool AddEntry(const wchar_t* text, const AcroRect& rect);

    // Reads; each gives an empty value unless locked.
    AcroRect GetViewRect() const;
    std::wstring GetTitle() const;
    int GetEntryCount() const;
    std::wstring GetEntryText(int i) const;
    AcroRect GetEntryRect(int i) const;

private:
    fx::UniqueHandle mapping_;
    fx::UniqueHandle mutex_;
    std::optional<fx::MutexLock> lock_;
    fx::MappedView view_;
    AcrobatRecord* record_ = nullptr;
};

// Attaches this process to the record; null when it cannot (logged).
SharedData* AttachAcrobatRecord();

// The module name used as the prefix of every log line of the plug-in.
extern const wchar_t* const kAcrobatModuleName;
