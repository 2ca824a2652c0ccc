#include "fx/OutgoingCallLimit.h"

namespace fx {

namespace {
// How often the thread timer wakes COM's wait to ask the filter.
constexpr UINT kAskEveryMs = 100;
}  // namespace

class OutgoingCallLimit::Filter : public IMessageFilter {
public:
    explicit Filter(DWORD limitMs) : limitMs_(limitMs) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
            *out = static_cast<IMessageFilter*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    STDMETHODIMP_(DWORD) HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    STDMETHODIMP_(DWORD) RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
    STDMETHODIMP_(DWORD) MessagePending(HTASK, DWORD tickCount, DWORD) override {
        if (tickCount < limitMs_) return PENDINGMSG_WAITDEFPROCESS;
        cancelled_ = true;
        return PENDINGMSG_CANCELCALL;
    }

    bool cancelled() const { return cancelled_; }

private:
    ~Filter() = default;
    LONG refs_ = 1;
    const DWORD limitMs_;
    bool cancelled_ = false;
};

OutgoingCallLimit::OutgoingCallLimit(DWORD limitMs) : filter_(new Filter(limitMs)) {
    registered_ = SUCCEEDED(::CoRegisterMessageFilter(filter_, &previous_));
    if (registered_) timer_ = ::SetTimer(nullptr, 0, kAskEveryMs, nullptr);
}

OutgoingCallLimit::~OutgoingCallLimit() {
    if (timer_) ::KillTimer(nullptr, timer_);
    if (registered_) {
        // Ours goes back out (COM lets go of its reference), the earlier one in.
        ::CoRegisterMessageFilter(previous_, nullptr);
        if (previous_) previous_->Release();
    }
    filter_->Release();
}

bool OutgoingCallLimit::cancelled() const { return filter_->cancelled(); }

}  // namespace fx
