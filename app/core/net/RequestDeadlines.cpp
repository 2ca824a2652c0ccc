#include "app/core/net/RequestDeadlines.h"

#include <vector>

#include "fx/UiThread.h"
#include "log/PondrelLog.h"

namespace request_deadlines {

namespace {

class DeadlineThread : public fx::UiThread {
public:
    DeadlineThread() { SetName(L"RequestDeadlines"); }

    // On the thread.
    void Add(std::weak_ptr<RequestCancel> cancel, DWORD start, DWORD bound) {
        watched_.push_back({std::move(cancel), start, bound});
        if (!timer_) timer_ = ::SetTimer(nullptr, 0, kCheckMs, nullptr);
        Check();
    }

protected:
    bool OnThreadMessage(const MSG& msg) override {
        if (msg.message != WM_TIMER || msg.wParam != timer_) return false;
        Check();
        return true;
    }
    int ExitInstance() override {
        if (timer_) ::KillTimer(nullptr, timer_);
        timer_ = 0;
        watched_.clear();
        return fx::UiThread::ExitInstance();
    }

private:
    struct Watched {
        std::weak_ptr<RequestCancel> cancel;
        DWORD start;
        DWORD bound;
    };

    void Check() {
        const DWORD now = ::GetTickCount();
        for (size_t i = watched_.size(); i-- > 0;) {
            std::shared_ptr<RequestCancel> cancel = watched_[i].cancel.lock();
            const bool passed = cancel && now - watched_[i].start >= watched_[i].bound;
            if (passed) cancel->Cancel(RequestCancel::Reason::DeadlinePassed);
            if (!cancel || passed) watched_.erase(watched_.begin() + static_cast<std::ptrdiff_t>(i));
        }
        if (watched_.empty() && timer_) {
            ::KillTimer(nullptr, timer_);
            timer_ = 0;
        }
    }

    std::vector<Watched> watched_;
    UINT_PTR timer_ = 0;
};

// Started once; never destroyed (the process's end quits it, and a request
// may still hold on to it until then).
DeadlineThread* Thread() {
    static DeadlineThread* const thread = [] {
        auto* t = new DeadlineThread;
        if (!t->Start(fx::Apartment::None, false)) {
            LogLine(L"RequestDeadlines: the thread could not be started; requests keep their per-call time-outs only");
            delete t;
            return static_cast<DeadlineThread*>(nullptr);
        }
        return t;
    }();
    return thread;
}

}  // namespace

bool Watch(const std::shared_ptr<RequestCancel>& cancel, DWORD boundMs) {
    if (!cancel) return false;
    DeadlineThread* thread = Thread();
    const DWORD start = ::GetTickCount();
    std::weak_ptr<RequestCancel> weak = cancel;
    if (thread && thread->PostTask([thread, weak, start, boundMs] { thread->Add(weak, start, boundMs); })) return true;
    LogLine(L"RequestDeadlines: not watching; this request keeps its per-call time-outs only");
    return false;
}

}  // namespace request_deadlines
