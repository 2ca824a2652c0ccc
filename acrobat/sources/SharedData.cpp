#include "SharedData.h"

#include <cstring>
#include <new>

#include "log/Logger.h"

using namespace AcrobatRecordLayout;

const wchar_t* const kAcrobatModuleName = L"PondrelHXAcrobat";

SharedData::SharedData(HANDLE mapping, HANDLE mutex, bool fresh) : mapping_(mapping), mutex_(mutex) {
    if (!mapping_) return;
    view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kSize));
    if (!view_) {
        LogMessage(L"(%s) Record view not mapped (error %u)", kAcrobatModuleName, ::GetLastError());
        return;
    }
    record_ = static_cast<AcrobatRecord*>(view_.get());
    if (fresh) std::memset(record_, 0, sizeof *record_);
    record_->attachCount = NextAttachCount(record_->attachCount, 1);
    LogMessage(L"(%s) Reference count = %d", kAcrobatModuleName, record_->attachCount);
}

SharedData::~SharedData() {
    if (!mutex_) return;
    {
        fx::MutexLock detach(mutex_.get(), kAccessWaitMs);
        if (detach.abandoned())
            LogMessage(L"(%s) Record mutex was abandoned by its owner; taken over", kAcrobatModuleName);
        if (detach.acquired() && record_) record_->attachCount = NextAttachCount(record_->attachCount, -1);
        record_ = nullptr;
        view_.reset();
        mapping_.reset();
    }
    lock_.reset();
    mutex_.reset();
}

bool SharedData::Lock() {
    if (lock_) return true;
    if (!mapping_ || !mutex_ || !record_) return false;
    lock_.emplace(mutex_.get(), kAccessWaitMs);
    if (!lock_->acquired()) {
        lock_.reset();
        return false;
    }
    if (lock_->abandoned()) LogMessage(L"(%s) Record mutex was abandoned by its owner; taken over", kAcrobatModuleName);
    return true;
}

void SharedData::Unlock() { lock_.reset(); }

void SharedData::ClearEntries() {
    if (!IsLocked()) return;
    record_->entryCount = 0;
    std::memset(record_->entryTexts, 0, sizeof record_->entryTexts);
    std::memset(record_->entryRects, 0, sizeof record_->entryRects);
}

void SharedData::SetViewRect(const AcroRect& rect) {
    if (!IsLocked()) return;
    record_->viewRect = rect;
}

void SharedData::SetTitle(const wchar_t* text) {
    if (!IsLocked()) return;
    CopyRecordText(record_->title, text);
}

bool SharedData::AddEntry(const wchar_t* text, const AcroRect& rect) {
    if (!IsLocked()) return false;
    const int32_t count = record_->entryCount;
    const int index = EntrySlot(count);
    if (index < 0) {
        LogMessage(L"(%s) Record entry refused: entry count %d is outside the %d slots", kAcrobatModuleName, count,
                   kTextSlots);
        return false;
    }
    record_->entryCount = index + 1;
    CopyRecordText(record_->entryTexts[index], text);
    record_->entryRects[index] = rect;
    return true;
}

AcroRect SharedData::GetViewRect() const { return IsLocked() ? record_->viewRect : AcroRect{}; }

std::wstring SharedData::GetTitle() const { return IsLocked() ? ReadRecordText(record_->title) : std::wstring(); }

int SharedData::GetEntryCount() const {
    if (!IsLocked()) return 0;
    const int32_t count = record_->entryCount;
    bool outOfRange = false;
    const int readable = ReadableEntryCount(count, &outOfRange);
    if (outOfRange)
        LogMessage(L"(%s) Record entry count %d is outside the %d slots; %d read", kAcrobatModuleName, count,
                   kTextSlots, readable);
    return readable;
}

std::wstring SharedData::GetEntryText(int i) const {
    if (!IsLocked() || i < 0 || i >= kTextSlots) return std::wstring();
    return ReadRecordText(record_->entryTexts[i]);
}

AcroRect SharedData::GetEntryRect(int i) const {
    if (!IsLocked() || i < 0 || i >= kRectSlots) return AcroRect{};
    return record_->entryRects[i];
}

SharedData* AttachAcrobatRecord() {
    // One create-or-open of the mutex; the block is created or opened under it
    // and cleared only when this call made it, so hosts starting together never
    // both clear it and a reader holding the mutex only delays the attach.
    fx::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kMutexName));
    if (!mutex) {
        LogMessage(L"(%s) Record mutex not available (error %u)", kAcrobatModuleName, ::GetLastError());
        return nullptr;
    }
    fx::MutexLock attach(mutex.get(), kAttachWaitMs);
    if (!attach.acquired()) {
        LogMessage(L"(%s) Record mutex not obtained within %u ms", kAcrobatModuleName, kAttachWaitMs);
        return nullptr;
    }
    if (attach.abandoned()) LogMessage(L"(%s) Record mutex was abandoned by its owner; taken over", kAcrobatModuleName);

    fx::UniqueHandle mapping(
        ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, kMappingName));
    const bool fresh = mapping && ::GetLastError() != ERROR_ALREADY_EXISTS;
    if (!mapping) {
        LogMessage(L"(%s) Record mapping not available (error %u)", kAcrobatModuleName, ::GetLastError());
        return nullptr;
    }
    // The allocation comes before the handles are handed over, so a failed
    // allocation leaves them with their owners here.
    SharedData* record = new (std::nothrow) SharedData(mapping.release(), mutex.release(), fresh);
    // Release the attach wait before anything can close the mutex handle.
    attach.unlock();
    if (record && !record->IsMapped()) {
        delete record;
        record = nullptr;
    }
    return record;
}
