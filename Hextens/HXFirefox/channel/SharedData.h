// The enhancer's side of the Firefox channel: the block "PHXFFMemoryFile",
// its lock "PHXFFLOCKMUTEX" and the answer event "PHXUPDATEEVENT".  Every
// access takes the lock for at most 1000 ms and skips itself when it cannot.
#pragma once

#include <windows.h>

#include <memory>

#include "ChannelLayout.h"
#include "fx/Handle.h"

namespace ffchannel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");

// The enhancer's copies of a selection answer.
struct SelectionData {
    wchar_t text[kSelectionChars];
    int32_t rectCounts[kMaxSelectionPieces];
    RECT rects[kMaxSelectionRects];
    int rectTotal;
};

// The enhancer's copies of a hot-spot answer.
struct HotSpotData {
    wchar_t texts[kHotSpotChars];
    wchar_t hrefs[kHotSpotChars];
    wchar_t ids[kHotSpotChars];
    RECT rects[kMaxHotSpots];
};

// What a poll takes from the block in its one access after its request.
struct PollTake {
    bool answered = false;         // the extension answered: its page is taken
    bool selectionWanted = false;  // the selection is taken even when not flagged changed
    bool keepRequest = false;      // the request went unanswered: it stays raised
};

class SharedData {
public:
    // Creator mode: maps the whole block and lays it out afresh.
    SharedData(fx::UniqueHandle mapping, fx::UniqueHandle mutex, fx::UniqueHandle updateEvent);
    SharedData(const SharedData&) = delete;
    SharedData& operator=(const SharedData&) = delete;

    bool IsMapped() const { return block_ != nullptr; }

    // The creator-mode layout, under the lock: present, every flag and count
    // cleared, texts emptied, the site-string pool empty.  The extension
    // counts as answering again.
    void Reinitialise();
    void MarkInitialised();
    void MarkAbsent();
    // For process termination: clears the present flag without the lock.
    void MarkAbsentWithoutWaiting();

    // The extension let a lock wait run out, or a request go unanswered.
    // Until it answers again every lock wait is 0 ms, so a lock it holds
    // costs one full wait, and the enhancer waits for no answer.
    bool Silent() const { return silent_; }
    void MarkUnanswered();
    DWORD LockWaitMs() const { return silent_ ? 0 : kLockWaitMs; }

    // Raises a request at (x, y); true when the extension answered in 500 ms.
    // The request is lowered again afterwards.
    bool RequestUpdate(int x, int y);
    // A poll's request: raises it at (x, y) and waits up to 500 ms for the
    // answer, leaving the request raised for TakePoll.  False at once when
    // the request could not be raised.
    bool RequestAnswer(int x, int y);
    // The same without waiting: raises a request at (x, y) and returns; the
    // request stays raised for the extension to answer whenever it can.
    void RaiseRequest(int x, int y);
    // True when the extension answered a raised request since the last look
    // (no wait); it then counts as answering again.
    bool AnswerArrived();

    // A poll's one access after its request: copies the whole block into
    // copy, then lowers the request (unless take.keepRequest), clears the
    // page flag and empties the extension's log.  With take.answered it also
    // clears the hot-spot flag when it is set and the hot spots pass their
    // checks, and the selection flag when it is set (or take.selectionWanted)
    // and the selection passes its checks.  False when the lock was not had
    // (nothing copied or written).
    bool TakePoll(const PollTake& take, ChannelBlock& copy);

    bool PageChanged();
    void ClearPageChanged();
    bool SelectionChanged();
    bool HotSpotsChanged();

    // Copy the field into dest (kPageTextChars characters) when its text
    // has at most 255 characters; otherwise dest is left as it was.
    bool ReadLocation(wchar_t* dest);
    bool ReadDomain(wchar_t* dest);
    bool ReadTitle(wchar_t* dest);

    // Number of selection pieces copied (0 when refused or none).
    int ReadSelection(SelectionData& out);
    // Number of hot spots copied (0 when refused or none).
    int ReadHotSpots(HotSpotData& out);

    // False when the string was dropped (pool or table full, lock timed out).
    bool AddSiteString(const wchar_t* text);
    // False when nothing was written (URL does not fit, lock timed out).
    bool SetNavigate(HWND window, const wchar_t* url, long flags);
    // Moves the extension's debug text into buffer (chars with terminator);
    // returns the number of characters.
    int ReadExtensionLog(wchar_t* buffer, int chars);

    HANDLE mutex() const { return mutex_.get(); }
    HANDLE updateEvent() const { return updateEvent_.get(); }

private:
    class Lock;
    enum class Silence { kLockTimedOut, kUnanswered };
    void MarkSilent(Silence why);
    void MarkAnswering();
    bool ReadPageText(const char16_t* field, wchar_t* dest, const wchar_t* name);

    fx::UniqueHandle mapping_;
    fx::UniqueHandle mutex_;
    fx::UniqueHandle updateEvent_;
    fx::MappedView view_;
    ChannelBlock* block_ = nullptr;
    bool silent_ = false;
};

// Readers of a copy taken by TakePoll, with the checks of the locked reads.
// The page texts: false (dest left as it was) when the field holds more than
// 255 characters.
bool CopyPageText(const char16_t* field, wchar_t* dest, const wchar_t* name);
// Number of selection pieces copied (0 when refused or none).
int CopySelection(const ChannelBlock& copy, SelectionData& out);
// Number of hot spots copied (0 when refused or none).
int CopyHotSpots(const ChannelBlock& copy, HotSpotData& out);
// The extension's debug text widened into buffer (chars with terminator);
// returns the number of characters.
int CopyExtensionLog(const ChannelBlock& copy, wchar_t* buffer, int chars);

// Creates (or opens) the mapping, the lock and the answer event, then the
// SharedData over them.  NULL when a step fails (what was made is closed).
std::unique_ptr<SharedData> CreateFirefoxChannel();

}  // namespace ffchannel
