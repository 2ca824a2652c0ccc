#include "app/panels/thread/HoverThreadList.h"

#include <algorithm>

#include "app/core/common/AppMessages.h"
#include "log/PondrelLog.h"

namespace panels {

namespace {

// Whether a thread (null: none) has ended.
bool Ended(HANDLE thread) { return !thread || ::WaitForSingleObject(thread, 0) != WAIT_TIMEOUT; }

}  // namespace

bool PanelThread::AllEnded() const { return !IsRunning() && Ended(HelperThread()); }

ThreadNode::ThreadNode(std::unique_ptr<PanelThread> thread, const UserSetting& ecp) : m_pThread(std::move(thread)) {
    m_Ecp.CopyFrom(ecp);
}

ThreadNode::~ThreadNode() = default;

HoverThreadList::~HoverThreadList() = default;

PanelThread* HoverThreadList::Add(std::unique_ptr<PanelThread> thread, const UserSetting& ecp) {
    auto node = std::make_unique<ThreadNode>(std::move(thread), ecp);
    PanelThread* t = node->m_pThread.get();
    if (left_) {
        LogLine(L"A panel was added to the panel list after the exit left it: the panel is left too");
        (void)node.release();
        return t;
    }
    fx::ScopedLock hold(lock_);
    nodes_.push_back(std::move(node));
    return t;
}

size_t HoverThreadList::GetCount() const {
    if (left_) return 0;
    fx::ScopedLock hold(lock_);
    return nodes_.size();
}

bool HoverThreadList::FindByGuid(const std::wstring& id, HWND* window) const {
    if (left_) return false;
    fx::ScopedLock hold(lock_);
    for (const auto& node : nodes_)
        if (node->m_hWindow && node->m_Ecp.m_Id == id) {
            if (window) *window = node->m_hWindow;
            return true;
        }
    return false;
}

PanelThread* HoverThreadList::FindByWindow(HWND window) const {
    if (!window || left_) return nullptr;
    fx::ScopedLock hold(lock_);
    for (const auto& node : nodes_)
        if (node->m_hWindow == window) return node->m_pThread.get();
    return nullptr;
}

void HoverThreadList::SetWindow(const PanelThread* thread, HWND window) {
    if (left_) return;
    fx::ScopedLock hold(lock_);
    for (auto& node : nodes_)
        if (node->m_pThread.get() == thread) node->m_hWindow = window;
}

bool HoverThreadList::TakeOut(const PanelThread* thread, bool abandoned) {
    if (left_) return false;
    fx::ScopedLock hold(lock_);
    auto it = std::find_if(nodes_.begin(), nodes_.end(), [&](const auto& n) { return n->m_pThread.get() == thread; });
    if (it == nodes_.end()) return false;
    (*it)->m_Abandoned = abandoned;
    ended_.push_back(std::move(*it));
    nodes_.erase(it);
    return true;
}

bool HoverThreadList::Remove(const PanelThread* thread) {
    const bool found = TakeOut(thread, false);
#ifndef NDEBUG
    // A debug build checks the whole process heap as each panel closes (it
    // walks every block under the heap's lock: too slow for a release).
    HANDLE heap = ::GetProcessHeap();
    if (!::HeapValidate(heap, 0, nullptr)) LogLine(L"The process heap did not validate after a panel closed");
    ::HeapCompact(heap, 0);
#endif
    return found;
}

bool HoverThreadList::Abandon(const PanelThread* thread) { return TakeOut(thread, true); }

void HoverThreadList::ReapEnded() {
    if (left_) return;
    std::vector<std::unique_ptr<ThreadNode>> gone;
    {
        fx::ScopedLock hold(lock_);
        for (auto it = ended_.begin(); it != ended_.end();) {
            if ((*it)->m_pThread && !(*it)->m_pThread->AllEnded()) {
                ++it;
                continue;
            }
            gone.push_back(std::move(*it));
            it = ended_.erase(it);
        }
    }
    // The objects of ended threads go outside the lock.
}

std::vector<HWND> HoverThreadList::Windows() const {
    std::vector<HWND> windows;
    if (left_) return windows;
    fx::ScopedLock hold(lock_);
    for (const auto& node : nodes_)
        if (node->m_hWindow) windows.push_back(node->m_hWindow);
    return windows;
}

void HoverThreadList::PostToAll(UINT msg, WPARAM wp, LPARAM lp) const {
    for (HWND window : Windows()) ::PostMessageW(window, msg, wp, lp);
}

void HoverThreadList::PostToAllHoldingLock(UINT msg) const {
    if (left_) return;
    fx::ScopedLock hold(lock_);
    PostToAll(msg);
}

void HoverThreadList::PostToAll11214() const { PostToAll(panel_msg::kRepaint); }
void HoverThreadList::PostToAll11203() const { PostToAll(panel_msg::kDockAnimate); }

size_t HoverThreadList::HideAllAndTerminate(DWORD boundMs) {
    if (left_) return 0;
    struct Running {
        ThreadNode* node;
        HANDLE thread;
        DWORD id;
        HANDLE helper;  // the panel's children thread, or null
        HWND window;
        bool starting;  // its window not yet known to the list, or its launch given up
    };
    std::vector<Running> running;
    {
        fx::ScopedLock hold(lock_);
        for (auto* list : {&nodes_, &ended_})
            for (const auto& node : *list)
                if (node->m_pThread && !node->m_pThread->AllEnded()) {
                    // A panel that closed is ending; one whose launch was
                    // given up may have made its window since.
                    HWND window = list == &nodes_ ? node->m_hWindow
                                  : node->m_Abandoned ? node->m_pThread->PanelWindow()
                                                      : nullptr;
                    running.push_back({node.get(), node->m_pThread->handle(), node->m_pThread->threadId(),
                                       node->m_pThread->HelperThread(), window,
                                       !node->m_hWindow || node->m_Abandoned});
                }
    }
    // Hide, then close without a fade: a panel that closes reports its usage.
    // A panel that may still be starting (it waits for its launch's go, and
    // reads no posted message meanwhile) is asked to quit as well: its start
    // ends on that (a quit request comes after the close in its queue).
    for (const Running& r : running) {
        if (r.window) {
            ::PostMessageW(r.window, panel_msg::kHide, 0, 0);
            ::PostMessageW(r.window, panel_msg::kCloseNow, 0, 0);
        }
        if (r.starting) r.node->m_pThread->RequestQuit();
    }
    auto left = [&](HANDLE* first) {
        size_t n = 0;
        for (const Running& r : running)
            for (HANDLE h : {r.thread, r.helper})
                if (!Ended(h)) {
                    if (n++ == 0 && first) *first = h;
                }
        return n;
    };
    // The panels end in parallel, each at its own pace on a busy machine:
    // the wait goes on while they keep ending and gives up once none has
    // ended for a whole bound (what is left then hangs), or at the cap.
    const DWORD start = ::GetTickCount();
    DWORD lastEnd = start;
    HANDLE first = nullptr;
    for (size_t remaining = left(&first); remaining > 0;) {
        const DWORD now = ::GetTickCount();
        if (now - lastEnd >= boundMs || now - start >= kExitCapMs) break;
        const DWORD idle = boundMs - (now - lastEnd);
        fx::WaitDispatchingSent(first, idle < 50 ? idle : 50);
        const size_t n = left(&first);
        if (n < remaining) lastEnd = ::GetTickCount();
        remaining = n;
    }
    const DWORD waited = ::GetTickCount() - start;
    size_t terminated = 0;
    for (const Running& r : running) {
        if (Ended(r.thread) && Ended(r.helper)) continue;
        // Only a thread that has stopped ending is terminated: it may die
        // holding a lock of the window system, so this is the last resort.
        // From the first one on, the list is left (see left_): a terminated
        // thread may have held its lock.
        left_ = true;
        if (!Ended(r.helper))
            fx::UiThread::TerminateStraggler(r.helper, ::GetThreadId(r.helper), L"children of panel " + r.node->m_Ecp.m_Id,
                                             waited);
        if (!Ended(r.thread)) fx::UiThread::TerminateStraggler(r.thread, r.id, L"panel " + r.node->m_Ecp.m_Id, waited);
        ++terminated;
    }
    if (left_) {
        // Every thread of the list has ended now (by itself or terminated),
        // so nothing else reaches the nodes: they stay, unlocked and
        // undeleted, to the process's end, with the objects of the threads
        // and whatever the terminated ones held.
        for (auto* list : {&nodes_, &ended_})
            for (auto& node : *list) (void)node.release();
        LogLine(L"A panel thread was terminated: the panel list is left to the process's end");
    }
    return terminated;
}

}  // namespace panels
