// A window that records the messages of a range posted (or sent) to it: a
// stand-in for the window of a controller, a panel, a worker or the dock
// that the code under test posts to.  The window lives on the thread that
// makes it; messages are recorded as that thread dispatches them (WaitFor
// pumps), and read from any thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "fx/UiThread.h"
#include "fx/Window.h"

namespace testsupport {

class MessageRecorder : public fx::Window {
public:
    struct Message {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
        bool operator==(const Message& o) const { return msg == o.msg && wp == o.wp && lp == o.lp; }
    };

    // Records the messages first..last (both included), answering them 0;
    // others go to the window's class.
    MessageRecorder(UINT first, UINT last) : first_(first), last_(last) {}
    ~MessageRecorder() override;

    // Makes the window on the calling thread: a hidden pop-up at `at`, of
    // className (a class of its own when none is named).
    bool Make(const RECT& at = RECT{0, 0, 1, 1}, DWORD exStyle = 0, const wchar_t* className = nullptr);

    std::vector<Message> Messages() const;
    std::vector<UINT> Ids() const;
    size_t Count(UINT msg) const;
    bool Got(UINT msg) const;
    bool Has(const Message& m) const;
    // The lParam of the last message msg (0 when none came).
    LPARAM LastLParam(UINT msg) const;
    void Clear();
    // Dispatches the messages waiting for this window (on its thread).
    void Drain();
    // Posts a sentinel to this window from thread `from` and waits for it
    // (timeoutMs at most, pumping this thread): whatever `from` posted here
    // before has arrived by then, so an absence checked afterwards holds.
    bool Flush(fx::UiThread& from, DWORD timeoutMs = 5000);

protected:
    // Each recorded message, on the window's thread, before it is recorded.
    virtual void OnRecord(const Message&) {}
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    static constexpr UINT kSentinel = WM_APP + 77;
    const UINT first_, last_;
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    LONG sentinelsPosted_ = 0;
    std::atomic<LONG> sentinelsSeen_{0};
};

}  // namespace testsupport
