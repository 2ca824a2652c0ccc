// The running content panels: one ThreadNode per panel thread, in launch
// order, owned by the controller (its m_Panels).  The list carries its lock:
// every method takes it, and no node is reached from outside.  A panel thread takes its own node out when it closes; the object of
// an ended thread is deleted later on the controller's thread (ReapEnded), so
// no thread deletes its own object.  Windows of other threads are posted to
// only after the list has been copied and the lock released.  The list's
// owner ends the panels (HideAllAndTerminate) before the list goes.
//
// Once the exit has terminated a panel thread, the list is left: that thread
// may have died holding the list's lock (or any other lock a panel takes),
// so from then on nothing of the list takes the lock, and the nodes and
// thread objects stay, undeleted, to the process's end (every call then
// finds no panel and changes nothing).
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/core/config/UserSetting.h"
#include "app/panels/thread/PanelThread.h"
#include "fx/Lock.h"

namespace panels {

class ThreadNode {
public:
    ThreadNode(std::unique_ptr<PanelThread> thread, const UserSetting& ecp);
    ~ThreadNode();
    ThreadNode(const ThreadNode&) = delete;
    ThreadNode& operator=(const ThreadNode&) = delete;

    std::unique_ptr<PanelThread> m_pThread;
    HWND m_hWindow = nullptr;  // set once the panel reported itself created
    UserSetting m_Ecp;         // the record the panel was opened with
    bool m_Abandoned = false;  // its launch was given up (Abandon)
};

class HoverThreadList {
public:
    // The exit waits for the panels to close by themselves as long as one of
    // them ends at least every kExitBoundMs, and kExitCapMs at the most.
    static constexpr DWORD kExitBoundMs = 2000;
    static constexpr DWORD kExitCapMs = 10000;

    HoverThreadList() = default;
    ~HoverThreadList();
    HoverThreadList(const HoverThreadList&) = delete;
    HoverThreadList& operator=(const HoverThreadList&) = delete;

    // The list's lock (a test's panel hangs holding it).
    fx::CriticalSection& Lock() const { return lock_; }

    // Appends a node for the thread with a copy of the record; the list owns
    // the thread from here.
    PanelThread* Add(std::unique_ptr<PanelThread> thread, const UserSetting& ecp);
    size_t GetCount() const;
    // The first panel with a window whose record has exactly this
    // identifier: true when there is one, with its window.  A panel still
    // being created (no window yet) is not found.
    bool FindByGuid(const std::wstring& id, HWND* window) const;
    // The running panel whose window this is; null when none (a null window
    // finds nothing).  The object stays valid on the controller's thread
    // until its next ReapEnded.
    PanelThread* FindByWindow(HWND window) const;
    void SetWindow(const PanelThread* thread, HWND window);
    // Takes the thread's node out of the list (the panel closed).  The node
    // and its thread object are deleted by ReapEnded once the thread ended.
    bool Remove(const PanelThread* thread);
    // Takes the node of a panel whose launch was given up out of the list:
    // it no longer counts, is not found, and its thread (which ends by
    // itself, or is asked to at exit) is deleted by ReapEnded once it ended.
    bool Abandon(const PanelThread* thread);
    // Deletes the nodes taken out whose threads (the panel's and its
    // children thread) have ended.
    void ReapEnded();

    // The panels' windows, copied under the lock.
    std::vector<HWND> Windows() const;
    void PostToAll(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
    // The same, the lock held until every post is made: no panel takes
    // itself out of the list meanwhile.
    void PostToAllHoldingLock(UINT msg) const;
    void PostToAll11214() const;  // repaint, after a settings reload
    void PostToAll11203() const;  // dock animation, every panel
    // At exit: hides every panel and asks it to close (so a panel that closes
    // in time reports its usage), waits for all panel threads and their
    // children threads while they keep ending (see kExitBoundMs), and
    // terminates only the threads still running then (and leaves the list,
    // see above).  Returns how many panels had a thread terminated.
    size_t HideAllAndTerminate(DWORD boundMs = kExitBoundMs);
    // Whether the list was left after a termination.
    bool Left() const { return left_; }

private:
    // Moves the thread's node from the running panels to the ended ones.
    bool TakeOut(const PanelThread* thread, bool abandoned);

    mutable fx::CriticalSection lock_;
    std::vector<std::unique_ptr<ThreadNode>> nodes_;  // running, in launch order
    std::vector<std::unique_ptr<ThreadNode>> ended_;  // taken out, thread maybe still ending
    std::atomic<bool> left_{false};                   // a thread of the list was terminated
};

}  // namespace panels
