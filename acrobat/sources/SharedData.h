// The Acrobat record (its layout: RecordLayout.h): every host process that
// loads the plug-in attaches to the same block; the latest capture of the
// active document's selection lives there for an outside reader.  Every
// access, by any process, happens while holding the mutex.  What the block
// holds is judged by RecordRules.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "RecordLayout.h"
#include "RecordRules.h"
#include "fx/Handle.h"

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
    // The entry count held within the text slots (one out of range is logged).
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
