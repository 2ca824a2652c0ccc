// The heartbeat's decisions over a recording host: which steps a tick, a
// rescan and the raw-input poll take for which bits and states.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/selection/controller/EnhancerCallGate.h"
#include "app/selection/controller/Heartbeat.h"

namespace {

struct RecordingHost : HeartbeatHost {
    bool starting = false, menuPanel = false, textMenu = false, online = true;
    bool linkPreviews = true, contextMenu = true, foregroundPopup = false;
    bool firstAtTarget = false;
    LONG bits = 0;
    std::vector<std::string> steps;
    Heartbeat* nestedFrom = nullptr;  // Poll runs a nested tick on it
    bool pollThrows = false;

    bool IsStarting() override { return starting; }
    bool IsMenuPanelOpen() override { return menuPanel; }
    bool IsTextMenuVisible() override { return textMenu; }
    bool IsOnline() override { return online; }
    bool ShowLinkPreviews() override { return linkPreviews; }
    bool ShowContextMenu() override { return contextMenu; }
    bool IsForegroundPopup() override { return foregroundPopup; }
    bool FirstHotSpotIsHotspotTarget() override { return firstAtTarget; }
    bool FirstSelectionIsHotspotTarget() override { return firstAtTarget; }
    LONG PollEnhancers() override {
        steps.push_back("poll");
        if (pollThrows) throw std::runtime_error("poll");
        if (nestedFrom) {
            EXPECT_FALSE(nestedFrom->Tick(*this));
        }
        return bits;
    }
    void ClearObserver() override { steps.push_back("clearObserver"); }
    void ForgetCurrentLink() override { steps.push_back("forgetLink"); }
    void EmptySelections() override { steps.push_back("emptySelections"); }
    void SetNewSelection(bool v) override { steps.push_back(v ? "newSelection=1" : "newSelection=0"); }
    int CollectHotSpots() override { steps.push_back("collectHotSpots"); return 0; }
    int CollectSelections() override { steps.push_back("collectSelections"); return 0; }
    void HideHotspot() override { steps.push_back("hideHotspot"); }
    void TrackHover() override { steps.push_back("trackHover"); }
    void RetrySettings() override { steps.push_back("retry"); }
    void RunPeriodicChecks() override { steps.push_back("periodic"); }
};

std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += (s.empty() ? "" : " ") + x;
    return s;
}

const char* const kClear = "clearObserver emptySelections hideHotspot";

struct TickCase {
    const char* name;
    LONG bits;
    bool contextMenu, linkPreviews;
    std::string expected;
};

TEST(Heartbeat, TickStepsForEachBitPattern) {
    const std::string tail = " trackHover retry periodic";
    const TickCase cases[] = {
        {"nothing", 0, true, true, std::string("poll ") + kClear + tail},
        {"page changed only", 4, true, true, std::string("poll ") + kClear + tail},
        {"hot spot", 2, true, true, "poll clearObserver emptySelections collectHotSpots" + tail},
        {"hot spot, previews off", 2, true, false, "poll clearObserver emptySelections" + tail},
        {"hot spot and page changed", 6, true, true, "poll clearObserver emptySelections collectHotSpots" + tail},
        {"selection changed without selection", 8, true, true, "poll forgetLink emptySelections newSelection=0" + tail},
        {"selection", 1, true, true, "poll emptySelections newSelection=0 newSelection=1 collectSelections" + tail},
        {"selection, context menu off", 1, false, true, "poll emptySelections newSelection=0" + tail},
        {"selection and page changed", 5, true, true,
         "poll emptySelections newSelection=0 newSelection=1 collectSelections" + tail},
        {"changed selection", 9, true, true,
         "poll forgetLink emptySelections newSelection=0 newSelection=1 collectSelections" + tail},
        {"secure page only", 0x20, true, true, "poll" + tail},
    };
    for (const TickCase& c : cases) {
        RecordingHost host;
        host.bits = c.bits;
        host.contextMenu = c.contextMenu;
        host.linkPreviews = c.linkPreviews;
        Heartbeat beat;
        EXPECT_TRUE(beat.Tick(host));
        EXPECT_EQ(Join(host.steps), c.expected) << c.name;
    }
}

TEST(Heartbeat, TickStatesThatDoNotPoll) {
    struct StateCase {
        const char* name;
        void (*set)(RecordingHost&);
        std::string expected;
    };
    const StateCase cases[] = {
        {"starting", [](RecordingHost& h) { h.starting = true; }, ""},
        {"menu panel open", [](RecordingHost& h) { h.menuPanel = true; }, "retry periodic"},
        {"text menu visible", [](RecordingHost& h) { h.textMenu = true; }, "retry periodic"},
        {"offline", [](RecordingHost& h) { h.online = false; }, std::string(kClear) + " trackHover retry periodic"},
        {"foreground pop-up", [](RecordingHost& h) { h.foregroundPopup = true; h.bits = 0; },
         std::string("poll ") + kClear + " retry periodic"},
    };
    for (const StateCase& c : cases) {
        RecordingHost host;
        host.bits = 1;
        c.set(host);
        Heartbeat beat;
        beat.Tick(host);
        EXPECT_EQ(Join(host.steps), c.expected) << c.name;
    }
}

TEST(Heartbeat, NestedTickIsSkipped) {
    RecordingHost host;
    Heartbeat beat;
    host.nestedFrom = &beat;
    EXPECT_TRUE(beat.Tick(host));
    EXPECT_EQ(std::count(host.steps.begin(), host.steps.end(), "poll"), 1);
    EXPECT_FALSE(beat.InTick());
    host.nestedFrom = nullptr;
    EXPECT_TRUE(beat.Tick(host));  // the next tick runs again
}

TEST(Heartbeat, ATickLeftByAnExceptionDoesNotBlockTheNext) {
    RecordingHost host;
    Heartbeat beat;
    host.pollThrows = true;
    EXPECT_THROW(beat.Tick(host), std::runtime_error);
    EXPECT_FALSE(beat.InTick());
    host.pollThrows = false;
    host.steps.clear();
    EXPECT_TRUE(beat.Tick(host));
    EXPECT_EQ(std::count(host.steps.begin(), host.steps.end(), "poll"), 1);
}

TEST(Heartbeat, Rescan) {
    RecordingHost host;
    Heartbeat beat;
    beat.Rescan(host, false);
    EXPECT_EQ(Join(host.steps),
              "forgetLink clearObserver collectHotSpots forgetLink emptySelections newSelection=0 newSelection=1 "
              "collectSelections");

    RecordingHost closed;
    closed.textMenu = true;
    beat.Rescan(closed, true);
    EXPECT_EQ(Join(closed.steps), "forgetLink");

    RecordingHost withTick;
    withTick.linkPreviews = withTick.contextMenu = false;
    beat.Rescan(withTick, true);
    EXPECT_EQ(Join(withTick.steps), "forgetLink clearObserver forgetLink emptySelections newSelection=0 poll " +
                                         std::string(kClear) + " trackHover retry periodic");
}

TEST(Heartbeat, PollOnce) {
    struct Case {
        const char* name;
        bool online;
        LONG bits;
        bool previews, contextMenu, atTarget;
        LONG result;
        std::string steps;
    };
    const Case cases[] = {
        {"offline", false, 1, true, true, false, 0, ""},
        {"page changed", true, 4, true, true, false, 4, "poll"},
        {"hot spot", true, 2, true, true, false, 2, "poll clearObserver collectHotSpots"},
        {"hot spot already shown", true, 2, true, true, true, 0, "poll clearObserver collectHotSpots"},
        {"hot spot, previews off", true, 2, false, true, false, 2, "poll clearObserver"},
        {"selection", true, 1, true, true, false, 1,
         "poll emptySelections newSelection=0 newSelection=1 collectSelections"},
        {"selection already shown", true, 9, true, true, true, 0,
         "poll emptySelections newSelection=0 newSelection=1 collectSelections"},
        {"selection, context menu off", true, 1, true, false, false, 1, "poll emptySelections newSelection=0"},
        {"selection changed only", true, 8, true, true, false, 8, "poll"},
        {"nothing", true, 0, true, true, false, 0, "poll"},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        host.online = c.online;
        host.bits = c.bits;
        host.linkPreviews = c.previews;
        host.contextMenu = c.contextMenu;
        host.firstAtTarget = c.atTarget;
        Heartbeat beat;
        EXPECT_EQ(beat.PollOnce(host), c.result) << c.name;
        EXPECT_EQ(Join(host.steps), c.steps) << c.name;
    }
}

TEST(SettingsRetry, AfterTheIntervalOnAnInjectedClock) {
    DWORD now = 1000;
    auto clock = [&] { return now; };
    int reloads = 0;
    bool answer = false;
    auto reload = [&] { ++reloads; return answer; };
    bool loaded = false;
    DWORD last = 1000;

    now = 61000;  // exactly 60000 ms: not yet
    RetrySettingsStep(loaded, last, 60000, clock, reload);
    EXPECT_EQ(reloads, 0);
    now = 61001;
    RetrySettingsStep(loaded, last, 60000, clock, reload);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(last, 61001u);
    EXPECT_FALSE(loaded);
    now = 90000;  // counted from the last try
    RetrySettingsStep(loaded, last, 60000, clock, reload);
    EXPECT_EQ(reloads, 1);
    now = 121002;
    answer = true;
    RetrySettingsStep(loaded, last, 60000, clock, reload);
    EXPECT_EQ(reloads, 2);
    EXPECT_TRUE(loaded);
    now = 500000;  // loaded: never again
    RetrySettingsStep(loaded, last, 60000, clock, reload);
    EXPECT_EQ(reloads, 2);
}

TEST(SettingsRetry, TickCountWrap) {
    EXPECT_TRUE(SettingsRetryDue(false, 60000, 0xFFFFF000u, 60000));  // 64096 ms across the wrap
    EXPECT_FALSE(SettingsRetryDue(false, 1000, 0xFFFFF000u, 60000));
}

// The gate that holds the enhancer list still during calls into enhancers:
// work asked for meanwhile waits (each kind once) until the outermost call
// has ended, and nothing waits when no call is in progress.
TEST(EnhancerCallGate, WorkWaitsForTheOutermostCall) {
    using namespace enhancer_gate;
    Gate gate;
    EXPECT_FALSE(gate.Defer(kReload));  // no call: the caller runs it now
    EXPECT_EQ(gate.Take(), 0u);

    gate.Begin();
    EXPECT_TRUE(gate.Defer(kRescan));
    gate.Begin();  // a nested call (a rescan's collection inside a pump)
    EXPECT_TRUE(gate.Defer(kReload));
    EXPECT_TRUE(gate.Defer(kReload));
    gate.End();
    EXPECT_EQ(gate.Take(), 0u) << "the outer call is still in progress";
    EXPECT_TRUE(gate.Defer(kPoll));
    gate.End();
    EXPECT_FALSE(gate.Busy());
    EXPECT_EQ(gate.Take(), unsigned{kRescan | kReload | kPoll});
    EXPECT_EQ(gate.Take(), 0u);

    // An exception out of a call still ends it.
    try {
        Gate::Call call(gate);
        gate.Defer(kRescanWithTick);
        throw std::runtime_error("enhancer");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(gate.Busy());
    EXPECT_EQ(gate.Take(), unsigned{kRescanWithTick});
}

}  // namespace
