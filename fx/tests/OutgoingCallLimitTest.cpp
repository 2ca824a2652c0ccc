// fx::OutgoingCallLimit against an object in another apartment that does not
// answer: the call is cancelled once it ran past the limit, and the message
// filter registered before the scope comes back after it.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <thread>

#include "TwoFaced.h"
#include "fx/ComApartment.h"
#include "fx/ComPtr.h"
#include "fx/Handle.h"
#include "fx/OutgoingCallLimit.h"

namespace {

// An object on a single-threaded apartment of its own that takes no call
// until it is told to answer, or until its bound of answerAfterMs ran out
// (a browser that hung, then came back).
class HungServer {
public:
    explicit HungServer(DWORD answerAfterMs) : answerAfterMs_(answerAfterMs) {}
    ~HungServer() {
        Answer();
        ::SetEvent(stop_.get());
        if (thread_.joinable()) thread_.join();
    }

    // The object's IDispatch in the calling apartment (a proxy).
    fx::ComPtr<IDispatch> Start() {
        thread_ = std::thread([this] { Run(); });
        fx::ComPtr<IDispatch> proxy;
        if (::WaitForSingleObject(ready_.get(), 10000) != WAIT_OBJECT_0 || !stream_) return proxy;
        ::CoGetInterfaceAndReleaseStream(stream_, IID_IDispatch, proxy.put_void());
        stream_ = nullptr;
        return proxy;
    }
    void Answer() { ::SetEvent(answer_.get()); }

private:
    void Run() {
        fx::ComApartment apartment(COINIT_APARTMENTTHREADED);
        fxtest::TwoFaced object;
        ::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, static_cast<IDispatch*>(&object), &stream_);
        ::SetEvent(ready_.get());
        // Hung: no message of the apartment is taken.
        ::WaitForSingleObject(answer_.get(), answerAfterMs_);
        HANDLE stop = stop_.get();
        while (::MsgWaitForMultipleObjects(1, &stop, FALSE, 20000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        }
        ::CoDisconnectObject(static_cast<IDispatch*>(&object), 0);
    }

    const DWORD answerAfterMs_;
    fx::UniqueHandle ready_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    fx::UniqueHandle answer_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    fx::UniqueHandle stop_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    IStream* stream_ = nullptr;
    std::thread thread_;
};

// A filter that stands for one registered before the scope.
class EarlierFilter : public IMessageFilter {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
            *out = static_cast<IMessageFilter*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    STDMETHODIMP_(DWORD) HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override { return 0; }
    STDMETHODIMP_(DWORD) RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
    STDMETHODIMP_(DWORD) MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
    LONG refs = 1;
};

IMessageFilter* CurrentFilter() {
    IMessageFilter* current = nullptr;
    ::CoRegisterMessageFilter(nullptr, &current);
    ::CoRegisterMessageFilter(current, nullptr);
    if (current) current->Release();
    return current;
}

TEST(OutgoingCallLimit, ACallThatRunsPastTheLimitIsCancelled) {
    fx::ComApartment apartment(COINIT_APARTMENTTHREADED);
    HungServer server(4000);
    fx::ComPtr<IDispatch> proxy = server.Start();
    ASSERT_TRUE(proxy);
    // Wine's wait for the call asks the filter only when a posted message
    // arrives (not on a timer): the thread's ordinary traffic, played here.
    const DWORD me = ::GetCurrentThreadId();
    std::atomic<bool> done{false};
    std::thread traffic([&] {
        for (int i = 0; i < 400 && !done; ++i) {
            ::PostThreadMessageW(me, WM_NULL, 0, 0);
            ::Sleep(25);
        }
    });
    {
        fx::OutgoingCallLimit limit(300);
        ASSERT_TRUE(limit.active());
        UINT count = 7;
        EXPECT_EQ(RPC_E_CALL_CANCELED, proxy->GetTypeInfoCount(&count));
        EXPECT_TRUE(limit.cancelled());
    }
    done = true;
    traffic.join();
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_NULL, WM_NULL, PM_REMOVE)) {
    }
    // Unbounded again, the object answers once it takes calls.
    server.Answer();
    UINT count = 7;
    EXPECT_EQ(S_OK, proxy->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);
}

TEST(OutgoingCallLimit, AnsweredCallsAreNotCancelledAndTheEarlierFilterComesBack) {
    fx::ComApartment apartment(COINIT_APARTMENTTHREADED);
    EarlierFilter earlier;
    ASSERT_EQ(S_OK, ::CoRegisterMessageFilter(&earlier, nullptr));
    HungServer server(0);   // answers at once
    fx::ComPtr<IDispatch> proxy = server.Start();
    ASSERT_TRUE(proxy);
    {
        fx::OutgoingCallLimit limit(300);
        ASSERT_TRUE(limit.active());
        EXPECT_NE(static_cast<IMessageFilter*>(&earlier), CurrentFilter());
        UINT count = 7;
        EXPECT_EQ(S_OK, proxy->GetTypeInfoCount(&count));
        EXPECT_FALSE(limit.cancelled());
    }
    EXPECT_EQ(static_cast<IMessageFilter*>(&earlier), CurrentFilter());
    proxy.reset();
    ::CoRegisterMessageFilter(nullptr, nullptr);
    EXPECT_EQ(1, earlier.refs) << "every reference taken on the earlier filter was given back";
}

TEST(OutgoingCallLimit, OutsideASingleThreadedApartmentItBoundsNothing) {
    bool active = true;
    std::thread([&] {
        fx::ComApartment apartment(COINIT_MULTITHREADED);
        fx::OutgoingCallLimit limit(300);
        active = limit.active();
    }).join();
    EXPECT_FALSE(active);
}

}  // namespace
