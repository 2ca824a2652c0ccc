// The application's usage statistics against the loopback server: the POST
// of a collection through the program's own gate and log URL, the lines a
// failed POST keeps and sends first next time, the gate that sends nothing,
// and an offline program's queues.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/main/AppHttpHost.h"
#include "app/core/main/AppUsageHost.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/net/HttpRoutines.h"
#include "app/tests/support/RecordsFixture.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/Utf8.h"

namespace {

using testsupport::Utf8;

// text cut after every line feed (each line keeps its own).
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    return lines;
}

class AppUsage : public apptest::RecordsFixture {
protected:
    AppUsage() : RecordsFixture({{L"Dictionary"}, {L"News"}}) {}
    void SetUp() override {
        RecordsFixture::SetUp();
        SetHttpHost(AppHttpHost());
        theApp.m_Disabled = false;
        theApp.m_SettingsLoaded = true;
        theApp.m_Online = true;
        theApp.m_Starting = false;
        theApp.m_NonProductionServer = false;
        theApp.m_LogAuth = true;
        theApp.m_LogInterval = 60000;
        theApp.m_Tid = L"{5B0C4C2E-TID}";
        theApp.m_Version = L"57";
        UseLogUrl(L"/lc.asp");
        theApp.m_Stats = UsageStats();
        theApp.ResetStatistics();
        loopback::Clear();
    }
    void TearDown() override {
        SetHttpHost(nullptr);
        theApp.m_Starting = true;
        RecordsFixture::TearDown();
    }
    void UseLogUrl(const std::wstring& path) {
        theApp.m_LogUrl = loopback::Url(path);
        theApp.PublishSnapshot();
    }
    // The interval (and a minute more) has passed since the last collection.
    void IntervalPassed() { theApp.m_StartTick = ::GetTickCount() - theApp.m_LogInterval - 61000; }
    std::vector<loopback::Request> Posts() {
        std::vector<loopback::Request> posts;
        for (auto& r : loopback::Requests())
            if (r.method == "POST") posts.push_back(r);
        return posts;
    }
    size_t QueuedLines() const {
        size_t n = 0;
        for (size_t i = 0; i < UsageStats::kMetricCount; ++i) n += theApp.m_Stats.Queue(i).size();
        return n;
    }
};

// One collection's lines with the real clock: the stamp of every line is the
// same UTC time, the panel records' figures come from the settings view (and
// start again from 0), "1:30" for 90.5 s.  The server answers 500: the lines
// stay and the next POST, answered 200, carries them first.
TEST_F(AppUsage, AFailedPostsLinesGoFirstInTheNextPost) {
    UseLogUrl(L"/status/500/lc.asp");
    theApp.m_Stats.m_Count1000 = 1;
    Record(L"Dictionary")->m_OpenCount = 2;
    Record(L"Dictionary")->m_OpenTime = 90500;
    IntervalPassed();
    ASSERT_TRUE(theApp.m_Stats.Collect(AppUsageHost()));

    std::vector<loopback::Request> posts = Posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].target, "/status/500/lc.asp");
    EXPECT_EQ(posts[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    // The stamp: TAB, the time, TAB, the tracking id, TAB; the same on every
    // line of one collection (back reference 1).
    const std::string stamp = "(\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\t\\{5B0C4C2E-TID\\}\t)";
    const std::regex first("data=1000\\.0" + stamp + "1\n1002\\.1\\1Dictionary\t2\t1:30\n1003\\.0\\1(?:2)\n"
                           "1033\\.0\\1(?:57)\n1036\\.0\\1(?:1)\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(posts[0].body, m, first)) << posts[0].body;
    const std::wstring kept = theApp.m_Stats.JoinedLines();
    EXPECT_EQ("data=" + Utf8(kept), posts[0].body) << "every line kept";
    EXPECT_EQ(Record(L"Dictionary")->m_OpenCount, 0);
    EXPECT_EQ(Record(L"Dictionary")->m_OpenTime, 0);
    EXPECT_EQ(theApp.m_Stats.m_Count1000, 0);

    loopback::Clear();
    UseLogUrl(L"/lc.asp");
    IntervalPassed();
    ASSERT_TRUE(theApp.m_Stats.Collect(AppUsageHost()));
    posts = Posts();
    ASSERT_EQ(posts.size(), 1u);
    // Queue by queue, the kept line of a metric comes before its new one.
    const std::vector<std::string> old = Lines(Utf8(kept));
    ASSERT_EQ(old.size(), 5u);
    ASSERT_EQ(posts[0].body.rfind("data=", 0), 0u);
    const std::vector<std::string> sent = Lines(posts[0].body.substr(5));
    ASSERT_EQ(sent.size(), 8u) << posts[0].body;
    EXPECT_EQ(sent[0], old[0]);
    EXPECT_EQ(sent[1], old[1]);
    EXPECT_EQ(sent[2], old[2]);
    EXPECT_TRUE(std::regex_match(sent[3], std::regex("1003\\.0" + stamp + "2\n"))) << sent[3];
    EXPECT_EQ(sent[4], old[3]);
    EXPECT_TRUE(std::regex_match(sent[5], std::regex("1033\\.0" + stamp + "57\n"))) << sent[5];
    EXPECT_EQ(sent[6], old[4]);
    EXPECT_TRUE(std::regex_match(sent[7], std::regex("1036\\.0" + stamp + "1\n"))) << sent[7];
    EXPECT_EQ(QueuedLines(), 0u) << "a 200 empties the queues";
}

// The gate: an interval of 0, no consent, a server that is not the production
// one send nothing and form nothing, however long it has been.
TEST_F(AppUsage, NothingIsSentWhileTheGateIsClosed) {
    struct Row {
        const char* what;
        DWORD interval;
        bool logAuth, nonProduction;
    } rows[] = {
        {"interval 0", 0, true, false},
        {"log_auth off", 60000, false, false},
        {"not the production server", 60000, true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        theApp.m_LogInterval = r.interval;
        theApp.m_LogAuth = r.logAuth;
        theApp.m_NonProductionServer = r.nonProduction;
        theApp.m_Stats.m_Count1035 = 4;
        theApp.m_StartTick = ::GetTickCount() - 0x7FFFFFFFu;
        EXPECT_FALSE(theApp.m_Stats.Collect(AppUsageHost()));
        EXPECT_EQ(QueuedLines(), 0u);
        EXPECT_EQ(theApp.m_Stats.m_Count1035, 4);
    }
    EXPECT_TRUE(Posts().empty());
}

// Offline, every collection's POST is not sent; after 1,000 of them, with
// both panel records used every time, no queue holds more than 100 lines.
TEST_F(AppUsage, AThousandOfflineRoundsKeepEveryQueueAtAHundredLines) {
    theApp.m_Online = false;
    for (int round = 0; round < 1000; ++round) {
        theApp.m_Stats.m_Count1001 = 1;
        Record(L"Dictionary")->m_OpenCount = 1;
        Record(L"News")->m_OpenCount = 1;
        IntervalPassed();
        ASSERT_TRUE(theApp.m_Stats.Collect(AppUsageHost()));
    }
    for (size_t i = 0; i < UsageStats::kMetricCount; ++i) EXPECT_LE(theApp.m_Stats.Queue(i).size(), 100u) << i;
    EXPECT_EQ(theApp.m_Stats.Queue(2).size(), 100u);  // 1002.1, two lines a round
    EXPECT_TRUE(Posts().empty());
}

}  // namespace
