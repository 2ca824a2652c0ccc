// The cost of the controller's heartbeat when nothing is selected: one tick
// with two enhancers that report nothing, and the process's CPU over a minute
// of real timer ticks.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Bench.h"
#include "app/core/main/PondrelApp.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/tests/FakeAction.h"
#include "tests/support/CpuTime.h"

namespace {

struct IdleController {
    fake::FakeAction a, b;
    BrowserTreeView view;
    explicit IdleController(std::vector<std::wstring>* calls = nullptr) : a(calls), b(calls) {
        theApp.m_Starting = false;
        theApp.m_Online = true;
        theApp.m_SettingsLoaded = true;
        theApp.m_EnhancersOff = false;
        for (fake::FakeAction* f : {&a, &b}) {
            f->AddRef();
            view.m_Enhancers.push_back(std::make_unique<WatcherNode>(nullptr, f, true));
        }
        theApp.m_EnhancerCount = 2;
    }
    ~IdleController() {
        theApp.m_EnhancerCount = 0;
        theApp.m_Starting = true;
    }
};

using testsupport::ProcessCpuSeconds;

}  // namespace

BENCH("controller: one idle tick, two enhancers") {
    IdleController c;
    for (auto _ : state) c.view.Tick();
}

BENCH("controller: idle CPU over a minute of ticks") {
    RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
    std::vector<std::wstring> calls;
    IdleController c(&calls);
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    c.view.Create(parent, RECT{0, 0, 50, 50}, 0xE900);
    c.view.OnInitialUpdate();
    for (auto _ : state) {
        double cpu0 = ProcessCpuSeconds(), t0 = bench::Seconds();
        while (bench::Seconds() - t0 < 60.0) {
            MSG msg;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        }
        double cpu = ProcessCpuSeconds() - cpu0, wall = bench::Seconds() - t0;
        long polls = static_cast<long>(std::count(calls.begin(), calls.end(), L"Update"));
        std::printf("controller: %.3f s CPU in %.1f s of ticks (%.3f %%), %ld Update calls\n", cpu, wall,
                    100.0 * cpu / wall, polls);
        if (polls == 0) {
            bench::Fail("the heartbeat polled no enhancer in a minute");
            break;
        }
    }
    c.view.Destroy();
    ::DestroyWindow(parent);
}
