// The tray looks for every combination of the state flags, and the route
// test's consequences over sequences of tests.
#include <gtest/gtest.h>

#include <vector>

#include "app/core/tray/TrayRules.h"

namespace {

using tray::Look;
using tray::StateFlags;

// Every combination of online, settings loaded, download tried and starting,
// enabled and disabled: the rows of both tables, first match.
TEST(TrayLooks, EveryCombinationOfTheFlags) {
    struct Row {
        bool online, loaded, tried, starting;
        Look enabled, disabled;
    } rows[] = {
        // online loaded tried starting  enabled      disabled
        {true, true, true, true, {152, 108}, {152, 105}},
        {true, true, true, false, {154, 104}, {152, 105}},
        {true, true, false, true, {153, 106}, {152, 105}},
        {true, true, false, false, {153, 106}, {152, 105}},
        {true, false, true, true, {152, 108}, {152, 105}},
        {true, false, true, false, {157, 109}, {157, 109}},
        {true, false, false, true, {152, 108}, {152, 105}},
        {true, false, false, false, {157, 109}, {157, 109}},
        {false, true, true, true, {153, 106}, {152, 105}},
        {false, true, true, false, {153, 106}, {151, 107}},
        {false, true, false, true, {153, 106}, {152, 105}},
        {false, true, false, false, {153, 106}, {151, 107}},
        {false, false, true, true, {153, 106}, {152, 105}},
        {false, false, true, false, {153, 106}, {151, 107}},
        {false, false, false, true, {153, 106}, {152, 105}},
        {false, false, false, false, {153, 106}, {151, 107}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "online " << r.online << " loaded " << r.loaded << " tried " << r.tried
                                        << " starting " << r.starting);
        StateFlags f;
        f.online = r.online;
        f.settingsLoaded = r.loaded;
        f.downloadTried = r.tried;
        f.starting = r.starting;
        Look e = tray::EnabledLook(f), d = tray::DisabledLook(f);
        EXPECT_EQ(e.icon, r.enabled.icon);
        EXPECT_EQ(e.tooltip, r.enabled.tooltip);
        EXPECT_EQ(d.icon, r.disabled.icon);
        EXPECT_EQ(d.tooltip, r.disabled.tooltip);
        f.disabled = false;
        EXPECT_EQ(tray::CurrentLook(f).icon, r.enabled.icon);
        f.disabled = true;
        EXPECT_EQ(tray::CurrentLook(f).icon, r.disabled.icon);
        EXPECT_FALSE(tray::IsReady(f)) << "never ready while disabled";
        f.disabled = false;
        EXPECT_EQ(tray::IsReady(f), r.online && r.loaded && !r.starting);
    }
    EXPECT_EQ(tray::ConnectingLook(true).icon, 152u);
    EXPECT_EQ(tray::ConnectingLook(false).icon, 158u);
    EXPECT_EQ(tray::ConnectingLook(false).tooltip, 108u);
}

// Sequences of route tests: what each test shows and starts.
TEST(RouteTests, OneBalloonPerOfflinePeriodAndOneActionOnReturn) {
    using tray::OnReturn;
    struct Test {
        bool routeUp, notify, loaded, reloadRunning;
        bool balloon;
        OnReturn onReturn;
    };
    struct Sequence {
        const char* name;
        bool haveDocument;
        std::vector<Test> tests;
    } sequences[] = {
        {"lost, still lost, back with settings, lost again",
         true,
         {{false, true, true, false, true, OnReturn::Nothing},
          {false, true, true, false, false, OnReturn::Nothing},
          {true, true, true, false, false, OnReturn::ResendBestGuess},
          {true, true, true, false, false, OnReturn::Nothing},
          {false, true, true, false, true, OnReturn::Nothing}}},
        {"lost without notice, then a notifying test shows it once",
         true,
         {{false, false, true, false, false, OnReturn::Nothing},
          {false, true, true, false, true, OnReturn::Nothing},
          {false, true, true, false, false, OnReturn::Nothing}}},
        {"back without settings reloads them",
         true,
         {{false, true, false, false, true, OnReturn::Nothing},
          {true, false, false, false, false, OnReturn::ReloadSettings}}},
        {"back during a reload starts no second one",
         true,
         {{false, false, false, false, false, OnReturn::Nothing},
          {true, false, false, true, false, OnReturn::Nothing},
          {true, false, false, false, false, OnReturn::Nothing}}},
        {"back before the document exists",
         false,
         {{false, true, false, false, true, OnReturn::Nothing},
          {true, true, false, false, false, OnReturn::Nothing}}},
    };
    for (const Sequence& s : sequences) {
        SCOPED_TRACE(s.name);
        tray::Connection c;
        c.online = true;  // start-up sets it before the first test
        int n = 0;
        for (const Test& t : s.tests) {
            SCOPED_TRACE(testing::Message() << "test " << ++n);
            tray::ConnectionStep step = tray::TakeRouteTest(c, t.routeUp, t.notify, s.haveDocument, t.loaded,
                                                            t.reloadRunning);
            EXPECT_EQ(step.showOfflineBalloon, t.balloon);
            EXPECT_EQ(step.onReturn, t.onReturn);
            EXPECT_EQ(c.online, t.routeUp);
        }
    }
}

}  // namespace
