// fx::Dialog's lifetime: destroyed on its own thread with the derived class's
// handlers running, from any thread; an object freed first (on the wrong
// thread) is unbound before its dialog goes, which its thread destroys.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "OtherThread.h"
#include "fx/Dialog.h"
#include "fx/Handle.h"
#include "fx/UiThread.h"

namespace {

constexpr UINT kTemplate = 7001;  // DialogTest.rc

struct Record {
    std::atomic<DWORD> destroyThread{0};
    std::atomic<int> calls{0};
};

class ProbeDialog : public fx::Dialog {
public:
    explicit ProbeDialog(Record& r) : fx::Dialog(kTemplate), r_(r) {}

protected:
    INT_PTR OnDialogMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        ++r_.calls;
        if (msg == WM_DESTROY) r_.destroyThread = ::GetCurrentThreadId();
        return fx::Dialog::OnDialogMessage(msg, wp, lp);
    }

private:
    Record& r_;
};

using fxtest::RunOn;

class DialogThreads : public fxtest::OtherThread {
protected:
    HWND CreateOnThread(ProbeDialog& d) {
        HWND h = nullptr;
        RunOn(thread_, [&] {
            if (d.Create()) h = d.hwnd();
        });
        return h;
    }
};

TEST_F(DialogThreads, DestroyFromAnyThreadRunsTheClassHandlersOnTheDialogsThread) {
    for (bool fromOwnThread : {true, false}) {
        SCOPED_TRACE(fromOwnThread);
        Record r;
        auto d = std::make_unique<ProbeDialog>(r);
        HWND h = CreateOnThread(*d);
        ASSERT_TRUE(h);
        if (fromOwnThread)
            ASSERT_TRUE(RunOn(thread_, [&] { d->Destroy(); }));
        else
            d->Destroy();
        ASSERT_TRUE(fx::PollDispatchingSent([&] { return !::IsWindow(h); }, 5000));
        EXPECT_EQ(r.destroyThread.load(), thread_.threadId());
        EXPECT_EQ(d->hwnd(), nullptr);
        d.reset();
    }
    EXPECT_TRUE(LinesWith(L"***").empty());
}

TEST_F(DialogThreads, AnObjectFreedOnAnotherThreadUnbindsAndItsThreadDestroysTheDialog) {
    Record r;
    auto d = std::make_unique<ProbeDialog>(r);
    HWND h = CreateOnThread(*d);
    ASSERT_TRUE(h);
    d.reset();  // the fault: the object goes first, on the wrong thread
    int calls = r.calls.load();
    EXPECT_TRUE(fx::PollDispatchingSent([&] { return !::IsWindow(h); }, 5000)) << "destroyed by its own thread";
    EXPECT_EQ(r.calls.load(), calls) << "the freed object is not called";
    EXPECT_EQ(LinesWith(L"lost its object on thread " + std::to_wstring(::GetCurrentThreadId())).size(), 1u);
}

TEST_F(DialogThreads, AnObjectFreedOnItsOwnThreadDestroysItsDialogWithoutCallingIt) {
    Record r;
    auto d = std::make_unique<ProbeDialog>(r);
    HWND h = CreateOnThread(*d);
    ASSERT_TRUE(h);
    int calls = 0;
    ASSERT_TRUE(RunOn(thread_, [&] {
        calls = r.calls.load();
        d.reset();
    }));
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(r.calls.load(), calls) << "no handler runs on a half-destroyed object";
    EXPECT_TRUE(LinesWith(L"***").empty());
}

}  // namespace
