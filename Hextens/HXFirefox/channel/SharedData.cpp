#include "SharedData.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "ChannelRules.h"
#include "log/Logger.h"

namespace ffchannel {

namespace {
const wchar_t kModule[] = L"HXFirefox";

void CopyRect(RECT& to, const ChannelRect& from) {
    to.left = from.left;
    to.top = from.top;
    to.right = from.right;
    to.bottom = from.bottom;
}
}  // namespace

// The channel lock for one access.  An abandoned lock (the extension died
// holding it) is ours now: it is logged and released as usual.  A wait that
// runs out makes the channel silent: later accesses do not wait.
class SharedData::Lock {
public:
    explicit Lock(SharedData& channel) : lock_(channel.mutex_.get(), channel.LockWaitMs()) {
        if (lock_.abandoned()) LogMessage(L"(%s) Channel lock was abandoned by the extension; taken over", kModule);
        else if (!lock_.acquired()) channel.MarkSilent(Silence::kLockTimedOut);
    }
    bool acquired() const { return lock_.acquired(); }

private:
    fx::MutexLock lock_;
};

void SharedData::MarkSilent(Silence why) {
    if (silent_) return;
    silent_ = true;
    if (why == Silence::kLockTimedOut)
        LogMessage(
            L"(%s) Channel lock not free within %d ms; access skipped, and no lock wait until the "
            L"extension answers again",
            kModule, (int)kLockWaitMs);
    else LogMessage(L"(%s) The extension did not answer; not waiting for it until it answers again", kModule);
}

void SharedData::MarkUnanswered() { MarkSilent(Silence::kUnanswered); }

void SharedData::MarkAnswering() {
    if (!silent_) return;
    silent_ = false;
    LogMessage(L"(%s) The extension answers again", kModule);
}

SharedData::SharedData(fx::UniqueHandle mapping, fx::UniqueHandle mutex, fx::UniqueHandle updateEvent)
    : mapping_(std::move(mapping)), mutex_(std::move(mutex)), updateEvent_(std::move(updateEvent)) {
    if (mapping_) view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kBlockSize));
    block_ = static_cast<ChannelBlock*>(view_.get());
    Reinitialise();
}

void SharedData::Reinitialise() {
    if (!block_) return;
    silent_ = false;
    Lock lock(*this);
    if (!lock.acquired()) return;
    ChannelBlock& b = *block_;
    b.enhancerPresent = 1;
    b.enhancerInitialised = 0;
    b.updateRequested = 0;
    b.pageChanged = 0;
    b.selectionChanged = 0;
    b.hotSpotsChanged = 0;
    b.cursorX = 0;
    b.cursorY = 0;
    b.reservedRect = ChannelRect{0, 0, 0, 0};
    b.location[0] = 0;
    b.domain[0] = 0;
    b.title[0] = 0;
    b.selectionCount = 0;
    b.selectionText[0] = 0;
    b.selectionRectCounts[0] = 0;
    b.hotSpotCount = 0;
    b.hotSpotTexts[0] = 0;
    b.hotSpotHrefs[0] = 0;
    b.hotSpotIds[0] = 0;
    b.siteStringCount = 0;
    b.navigateWindow = 0;
    b.navigateUrl[0] = 0;
    b.navigateFlags = 0;
    b.siteStringNext = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(b.siteStringPool));
}

void SharedData::MarkInitialised() {
    if (!block_) return;
    Lock lock(*this);
    if (lock.acquired()) block_->enhancerInitialised = 1;
}

void SharedData::MarkAbsent() {
    if (!block_) return;
    Lock lock(*this);
    if (lock.acquired()) block_->enhancerPresent = 0;
}

void SharedData::MarkAbsentWithoutWaiting() {
    if (block_) block_->enhancerPresent = 0;
}

bool SharedData::RequestUpdate(int x, int y) {
    if (!block_) return false;
    bool answered = RequestAnswer(x, y);
    Lock lock(*this);
    if (lock.acquired()) block_->updateRequested = 0;
    return answered;
}

bool SharedData::RequestAnswer(int x, int y) {
    if (!block_) return false;
    // The answer event is reset before the request is raised, so an answer
    // that comes at once is not lost.
    ::ResetEvent(updateEvent_.get());
    {
        Lock lock(*this);
        if (!lock.acquired()) return false;  // nothing raised: nothing to wait for
        block_->cursorX = x;
        block_->cursorY = y;
        block_->updateRequested = 1;
    }
    if (::WaitForSingleObject(updateEvent_.get(), kAnswerWaitMs) != WAIT_OBJECT_0) return false;
    MarkAnswering();
    return true;
}

void SharedData::RaiseRequest(int x, int y) {
    if (!block_) return;
    Lock lock(*this);
    if (!lock.acquired()) return;
    block_->cursorX = x;
    block_->cursorY = y;
    block_->updateRequested = 1;
}

bool SharedData::AnswerArrived() {
    if (!block_ || ::WaitForSingleObject(updateEvent_.get(), 0) != WAIT_OBJECT_0) return false;
    MarkAnswering();
    return true;
}

bool SharedData::TakePoll(const PollTake& take, ChannelBlock& copy) {
    if (!block_) return false;
    Lock lock(*this);
    if (!lock.acquired()) return false;
    std::memcpy(&copy, block_, sizeof copy);
    ChannelBlock& b = *block_;
    if (!take.keepRequest) b.updateRequested = 0;
    // The flags are judged on the copy, which the extension cannot change.
    if (take.answered) {
        if (copy.hotSpotsChanged && CheckHotSpots(copy) == Refusal::kOk) b.hotSpotsChanged = 0;
        if ((copy.selectionChanged || take.selectionWanted) && CheckSelection(copy).refusal == Refusal::kOk)
            b.selectionChanged = 0;
    }
    b.pageChanged = 0;
    b.extensionLog[0] = 0;
    return true;
}

bool SharedData::PageChanged() {
    if (!block_) return false;
    Lock lock(*this);
    return lock.acquired() && block_->pageChanged != 0;
}

void SharedData::ClearPageChanged() {
    if (!block_) return;
    Lock lock(*this);
    if (lock.acquired()) block_->pageChanged = 0;
}

bool SharedData::SelectionChanged() {
    if (!block_) return false;
    Lock lock(*this);
    return lock.acquired() && block_->selectionChanged != 0;
}

bool SharedData::HotSpotsChanged() {
    if (!block_) return false;
    Lock lock(*this);
    return lock.acquired() && block_->hotSpotsChanged != 0;
}

bool SharedData::ReadPageText(const char16_t* field, wchar_t* dest, const wchar_t* name) {
    if (!block_) return false;
    Lock lock(*this);
    if (!lock.acquired()) return false;
    if (!CopyPageText(field, reinterpret_cast<char16_t*>(dest))) {
        LogMessage(L"(%s) Channel %s refused: %s", kModule, name, RefusalText(Refusal::kTextUnterminated));
        return false;
    }
    return true;
}

bool SharedData::ReadLocation(wchar_t* dest) { return block_ && ReadPageText(block_->location, dest, L"location"); }
bool SharedData::ReadDomain(wchar_t* dest) { return block_ && ReadPageText(block_->domain, dest, L"domain"); }
bool SharedData::ReadTitle(wchar_t* dest) { return block_ && ReadPageText(block_->title, dest, L"title"); }

int SharedData::ReadSelection(SelectionData& out) {
    if (!block_) return 0;
    Lock lock(*this);
    if (!lock.acquired()) return 0;
    ChannelRect rects[kMaxSelectionRects];
    const SelectionCheck check = CopySelection(*block_, reinterpret_cast<char16_t*>(out.text), out.rectCounts, rects);
    if (check.refusal != Refusal::kOk) {
        LogMessage(L"(%s) Channel selection refused: %s (count %d)", kModule, RefusalText(check.refusal),
                   (int)block_->selectionCount);
        out.rectTotal = 0;
        return 0;
    }
    for (int i = 0; i < check.rects; ++i) CopyRect(out.rects[i], rects[i]);
    out.rectTotal = check.rects;
    block_->selectionChanged = 0;
    return check.pieces;
}

int SharedData::ReadHotSpots(HotSpotData& out) {
    if (!block_) return 0;
    Lock lock(*this);
    if (!lock.acquired()) return 0;
    ChannelRect rects[kMaxHotSpots];
    int count = 0;
    const Refusal r =
        CopyHotSpots(*block_, reinterpret_cast<char16_t*>(out.texts), reinterpret_cast<char16_t*>(out.hrefs),
                     reinterpret_cast<char16_t*>(out.ids), rects, &count);
    if (r != Refusal::kOk) {
        LogMessage(L"(%s) Channel hot spots refused: %s (count %d)", kModule, RefusalText(r),
                   (int)block_->hotSpotCount);
        return 0;
    }
    for (int i = 0; i < count; ++i) CopyRect(out.rects[i], rects[i]);
    block_->hotSpotsChanged = 0;
    return count;
}

bool SharedData::AddSiteString(const wchar_t* text) {
    if (!block_ || !text) return false;
    Lock lock(*this);
    if (!lock.acquired()) return false;
    ChannelBlock& b = *block_;
    size_t length = std::wcslen(text);  // our own caller's string, not the block's
    int64_t pool = static_cast<int64_t>(reinterpret_cast<uintptr_t>(b.siteStringPool));
    int64_t used = static_cast<int64_t>(b.siteStringNext) - pool;
    int32_t count = b.siteStringCount;
    int64_t offset = SiteStringOffset(count, used, static_cast<int64_t>(length));
    if (offset < 0) {
        LogMessage(L"(%s) Site string dropped (%d entries, %d bytes used, %d characters)", kModule, (int)count,
                   (int)used, (int)length);
        return false;
    }
    b.siteStringOffsets[count].offset = static_cast<int32_t>(offset);
    b.siteStringCount = count + 1;
    std::memcpy(reinterpret_cast<char*>(b.siteStringPool) + offset, text, 2 * (length + 1));
    b.siteStringNext = static_cast<uint32_t>(pool + offset + 2 * (length + 1));
    return true;
}

bool SharedData::SetNavigate(HWND window, const wchar_t* url, long flags) {
    if (!block_ || !url) return false;
    std::string encoded;
    if (!EncodeNavigateUrl(reinterpret_cast<const char16_t*>(url), std::wcslen(url), encoded)) {
        LogMessage(L"(%s) Navigation refused: the URL does not fit the channel", kModule);
        return false;
    }
    Lock lock(*this);
    if (!lock.acquired()) return false;
    std::memcpy(block_->navigateUrl, encoded.c_str(), encoded.size() + 1);
    block_->navigateWindow = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    block_->navigateFlags = static_cast<int32_t>(flags);
    return true;
}

int SharedData::ReadExtensionLog(wchar_t* buffer, int chars) {
    if (chars > 0) buffer[0] = 0;
    if (!block_) return 0;
    Lock lock(*this);
    if (!lock.acquired()) return 0;
    int n = WidenExtensionLog(block_->extensionLog, reinterpret_cast<char16_t*>(buffer), chars);
    block_->extensionLog[0] = 0;
    return n;
}

bool CopyPageText(const char16_t* field, wchar_t* dest, const wchar_t* name) {
    if (BoundedLength(field, kPageTextChars) < 0) {
        LogMessage(L"(%s) Channel %s refused: %s", kModule, name, RefusalText(Refusal::kTextUnterminated));
        return false;
    }
    std::memcpy(dest, field, 2 * kPageTextChars);
    return true;
}

int CopySelection(const ChannelBlock& copy, SelectionData& out) {
    SelectionCheck check = CheckSelection(copy);
    if (check.refusal != Refusal::kOk) {
        LogMessage(L"(%s) Channel selection refused: %s (count %d)", kModule, RefusalText(check.refusal),
                   (int)copy.selectionCount);
        out.text[0] = 0;
        out.rectTotal = 0;
        return 0;
    }
    std::memcpy(out.text, copy.selectionText, sizeof out.text);
    std::memcpy(out.rectCounts, reinterpret_cast<const char*>(&copy) + offsetof(ChannelBlock, selectionRectCounts),
                sizeof out.rectCounts);
    for (int i = 0; i < check.rects; ++i) CopyRect(out.rects[i], copy.selectionRects[i]);
    out.rectTotal = check.rects;
    return check.pieces;
}

int CopyHotSpots(const ChannelBlock& copy, HotSpotData& out) {
    Refusal r = CheckHotSpots(copy);
    if (r != Refusal::kOk) {
        LogMessage(L"(%s) Channel hot spots refused: %s (count %d)", kModule, RefusalText(r), (int)copy.hotSpotCount);
        out.texts[0] = out.hrefs[0] = out.ids[0] = 0;
        return 0;
    }
    std::memcpy(out.texts, copy.hotSpotTexts, sizeof out.texts);
    std::memcpy(out.hrefs, copy.hotSpotHrefs, sizeof out.hrefs);
    std::memcpy(out.ids, copy.hotSpotIds, sizeof out.ids);
    const int count = copy.hotSpotCount;
    for (int i = 0; i < count; ++i) CopyRect(out.rects[i], copy.hotSpotRects[i]);
    return count;
}

int CopyExtensionLog(const ChannelBlock& copy, wchar_t* buffer, int chars) {
    if (chars > 0) buffer[0] = 0;
    return WidenExtensionLog(copy.extensionLog, reinterpret_cast<char16_t*>(buffer), chars);
}

std::unique_ptr<SharedData> CreateFirefoxChannel() {
    fx::UniqueHandle mapping(
        ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, kMappingName));
    if (!mapping) return nullptr;
    fx::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kMutexName));
    if (!mutex) return nullptr;
    fx::UniqueHandle updateEvent(::CreateEventW(nullptr, FALSE, FALSE, kUpdateEventName));
    if (!updateEvent) return nullptr;
    auto channel = std::make_unique<SharedData>(std::move(mapping), std::move(mutex), std::move(updateEvent));
    if (!channel->IsMapped()) return nullptr;
    return channel;
}

}  // namespace ffchannel
