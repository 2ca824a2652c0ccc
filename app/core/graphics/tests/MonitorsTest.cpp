// The display monitors under Xvfb (one monitor) and the list built from an
// injected enumeration of several.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/core/graphics/Monitors.h"

namespace {

TEST(Monitors, OneMonitorHoldsEveryRectangleAndASaneWorkArea) {
    CMonitors list;
    ASSERT_EQ(list.GetSize(), 1);
    ASSERT_NE(list.GetAt(0), nullptr);
    CMonitor primary = CMonitor::PrimaryMonitor();
    EXPECT_EQ(list.GetAt(0)->handle(), primary.handle());

    const RECT rects[] = {{10, 10, 50, 50}, {-5000, -5000, -4000, -4000}, {90000, 10, 90100, 20}, {0, 0, 0, 0}};
    for (const RECT& rc : rects) EXPECT_EQ(CMonitor::FromRect(rc).handle(), primary.handle());

    RECT work{};
    primary.GetWorkAreaRect(&work);
    int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_GE(work.left, 0);
    EXPECT_GE(work.top, 0);
    EXPECT_LE(work.right, cx);
    EXPECT_LE(work.bottom, cy);
    EXPECT_GT(work.right - work.left, cx / 2);
    EXPECT_GT(work.bottom - work.top, cy / 2);
}

TEST(Monitors, StaleMonitorGivesThePrimaryWorkArea) {
    RECT primary{}, stale{1, 2, 3, 4};
    CMonitor::PrimaryMonitor().GetWorkAreaRect(&primary);
    CMonitor(reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(0x7777))).GetWorkAreaRect(&stale);
    EXPECT_TRUE(::EqualRect(&stale, &primary));
    CMonitor().GetWorkAreaRect(&stale);
    EXPECT_TRUE(::EqualRect(&stale, &primary));
}

// Reports `reported` monitors to a list of `count` slots.
class FakeEnumeration : public MonitorEnumeration {
public:
    FakeEnumeration(int count, int reported) : count_(count), reported_(reported) {}
    int Count() const override { return count_; }
    void Enumerate(MONITORENUMPROC proc, LPARAM context) const override {
        for (int i = 0; i < reported_; ++i) {
            RECT rc{i * 1000, 0, i * 1000 + 1000, 800};
            ++callbacks;
            if (!proc(Handle(i), nullptr, &rc, context)) return;
        }
    }
    static HMONITOR Handle(int i) { return reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(0x100 + i)); }
    mutable int callbacks = 0;

private:
    int count_, reported_;
};

TEST(Monitors, ListFromAnInjectedEnumeration) {
    struct Case {
        const char* name;
        int count, reported;
        int wantStored, wantCallbacks;
    } cases[] = {
        {"three of three", 3, 3, 3, 3},
        {"two of three slots: last slot null", 3, 2, 2, 2},
        {"four for two slots: stops at the third", 2, 4, 2, 3},
        {"no slots", 0, 2, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeEnumeration source(c.count, c.reported);
        CMonitors list(source);
        ASSERT_EQ(list.GetSize(), c.count);
        EXPECT_EQ(source.callbacks, c.wantCallbacks);
        for (int i = 0; i < c.count; ++i) {
            if (i < c.wantStored) {
                ASSERT_NE(list.GetAt(i), nullptr);
                EXPECT_EQ(list.GetAt(i)->handle(), FakeEnumeration::Handle(i)) << "in enumeration order";
            } else {
                EXPECT_EQ(list.GetAt(i), nullptr);
            }
        }
    }
}

}  // namespace
