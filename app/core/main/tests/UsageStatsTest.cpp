// The usage statistics over a scripted host: the gate, the lines of a
// collection byte for byte, what a failed POST keeps and how far the queues
// grow while the program stays offline.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/main/UsageStats.h"

namespace {

// A program with a clock the test turns, panel figures it sets and a server
// that answers what the test says; every POSTed text is kept.
class ScriptedHost : public UsageHost {
public:
    uint32_t LogInterval() const override { return interval; }
    bool NonProductionServer() const override { return nonProduction; }
    bool LogAuth() const override { return logAuth; }
    uint32_t TickCount() const override { return now; }
    uint32_t StartTick() const override { return startTick; }
    void SetStartTick(uint32_t tick) override { startTick = tick; }
    UsageTime UtcTime() const override { return time; }
    std::wstring TrackingId() const override { return tid; }
    std::wstring Version() const override { return version; }
    bool Disabled() const override { return disabled; }
    std::vector<PanelUsage> UsedPanels() const override { return panels; }
    void ResetPanelUsage() override {
        panels.clear();
        ++panelResets;
    }
    bool PostLines(const std::wstring& text) override {
        posts.push_back(text);
        return serverAnswers200;
    }

    // Moves the clock past the interval by `ms`.
    void Elapse(uint32_t ms) { now += ms; }

    uint32_t interval = 300000;
    bool nonProduction = false;
    bool logAuth = true;
    uint32_t now = 1000000;
    uint32_t startTick = 1000000;
    UsageTime time{2026, 3, 7, 9, 5, 4};
    std::wstring tid = L"{TID-1}";
    std::wstring version = L"57";
    bool disabled = false;
    std::vector<PanelUsage> panels;
    int panelResets = 0;
    bool serverAnswers200 = true;
    std::vector<std::wstring> posts;
};

const wchar_t kStamp[] = L"\t2026-03-07 09:05:04\t{TID-1}\t";

std::wstring Line(const wchar_t* metric, const std::wstring& value) { return metric + (kStamp + value) + L"\n"; }

class Usage : public testing::Test {
protected:
    void SetUp() override { stats_.Reset(host_); }
    size_t QueuedLines() const {
        size_t n = 0;
        for (size_t i = 0; i < UsageStats::kMetricCount; ++i) n += stats_.Queue(i).size();
        return n;
    }
    ScriptedHost host_;
    UsageStats stats_;
};

// Every metric with activity, in queue order: the counters, one 1002.1 line
// per used panel record (90.5 s over two openings is 2, TAB, 1:30), the run
// time in whole minutes, the version and the enabled flag; "data=" is the
// POST's own.
TEST_F(Usage, TheBodyOfACollectionByteForByte) {
    int32_t UsageStats::*counters[] = {
        &UsageStats::m_Count1000, &UsageStats::m_Count1001, &UsageStats::m_Count1004, &UsageStats::m_Count1005,
        &UsageStats::m_Count1007, &UsageStats::m_Count1008, &UsageStats::m_Count1009, &UsageStats::m_Count1010,
        &UsageStats::m_Count1011, &UsageStats::m_Count1012, &UsageStats::m_Count1013, &UsageStats::m_Count1034,
        &UsageStats::m_Count1035};
    int32_t value = 1;
    for (auto counter : counters) stats_.*counter = value++;
    host_.panels = {{L"Dictionary", 2, 90500}, {L"News", 1, 59999}, {L"Maps", 3, 0}, {L"Never", 0, 0}};
    host_.Elapse(125000 + 300000);  // 7 minutes 5 s

    ASSERT_TRUE(stats_.Collect(host_));
    ASSERT_EQ(host_.posts.size(), 1u);
    const std::wstring expected = Line(L"1000.0", L"1") + Line(L"1001.0", L"2") +
                                  Line(L"1002.1", L"Dictionary\t2\t1:30") + Line(L"1002.1", L"News\t1\t0:59") +
                                  Line(L"1002.1", L"Maps\t3\t0:0") + Line(L"1003.0", L"7") +
                                  Line(L"1004.0", L"3") + Line(L"1005.0", L"4") + Line(L"1007.0", L"5") +
                                  Line(L"1008.0", L"6") + Line(L"1009.0", L"7") + Line(L"1010.0", L"8") +
                                  Line(L"1011.0", L"9") + Line(L"1012.0", L"10") + Line(L"1013.0", L"11") +
                                  Line(L"1033.0", L"57") + Line(L"1034.0", L"12") + Line(L"1035.0", L"13") +
                                  Line(L"1036.0", L"1");
    EXPECT_EQ(host_.posts[0], expected);
    EXPECT_EQ(QueuedLines(), 0u) << "a 200 empties every queue";
}

// The panel figures' value part on its own: minutes and seconds by integer
// division, nothing negative.
TEST(UsagePanelValue, MinutesAndSeconds) {
    struct Row {
        int32_t count, ms;
        const wchar_t* value;
    } rows[] = {
        {2, 90500, L"P\t2\t1:30\n"}, {1, 999, L"P\t1\t0:0\n"},       {1, 60000, L"P\t1\t1:0\n"},
        {4, 3599999, L"P\t4\t59:59\n"}, {1, -5000, L"P\t1\t0:0\n"}, {7, 0, L"P\t7\t0:0\n"},
    };
    for (const Row& r : rows) EXPECT_EQ(PanelUsageValue({L"P", r.count, r.ms}), r.value) << r.ms;
}

// With no activity a collection sends the run time, the version and the
// enabled flag; under a minute the run time is 0 minutes.  A disabled program
// says 0.
TEST_F(Usage, AFirstCollectionWithoutActivity) {
    struct Row {
        uint32_t interval, elapsed;
        bool disabled;
        const wchar_t *minutes, *enabled;
    } rows[] = {
        {300000, 300001, false, L"5", L"1"},
        {30000, 59999, false, L"0", L"1"},
        {30000, 30001, true, L"0", L"0"},
    };
    for (const Row& r : rows) {
        ScriptedHost host;
        host.interval = r.interval;
        host.disabled = r.disabled;
        UsageStats stats;
        stats.Reset(host);
        host.Elapse(r.elapsed);
        ASSERT_TRUE(stats.Collect(host));
        ASSERT_EQ(host.posts.size(), 1u);
        EXPECT_EQ(host.posts[0], Line(L"1003.0", r.minutes) + Line(L"1033.0", L"57") + Line(L"1036.0", r.enabled));
    }
}

// Nothing is formed or sent while the interval is 0, the server is not the
// production one or the user has not agreed, nor before the interval has
// passed (it must be exceeded).
TEST_F(Usage, TheGateAndTheInterval) {
    struct Row {
        const char* what;
        uint32_t interval;
        bool nonProduction, logAuth;
        uint32_t elapsed;
    } rows[] = {
        {"interval 0", 0, false, true, 0xFFFFFFF0u},
        {"not the production server", 1000, true, true, 5000},
        {"no consent", 1000, false, false, 5000},
        {"interval not yet passed", 1000, false, true, 1000},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ScriptedHost host;
        host.interval = r.interval;
        host.nonProduction = r.nonProduction;
        host.logAuth = r.logAuth;
        UsageStats stats;
        stats.Reset(host);
        stats.m_Count1000 = 3;
        host.Elapse(r.elapsed);
        for (int i = 0; i < 3; ++i) EXPECT_FALSE(stats.Collect(host));
        EXPECT_TRUE(host.posts.empty());
        EXPECT_EQ(stats.JoinedLines(), L"");
        EXPECT_EQ(stats.m_Count1000, 3) << "counts wait for a collection";
        EXPECT_EQ(host.panelResets, 0);
    }
}

// The elapsed time is taken modulo 2^32: a collection across the tick
// count's wrap still happens, with the right run time.
TEST_F(Usage, TheTickCountsWrap) {
    host_.now = host_.startTick = 0xFFFFF000u;
    host_.interval = 60000;
    host_.Elapse(0x1000u + 120000);
    ASSERT_TRUE(stats_.Collect(host_));
    ASSERT_EQ(host_.posts.size(), 1u);
    EXPECT_NE(host_.posts[0].find(Line(L"1003.0", L"2")), std::wstring::npos);
}

// After any collection the counters, the run time and the panel figures start
// again from 0 and the next interval starts now.
TEST_F(Usage, ACollectionResetsWhateverThePostDid) {
    for (bool answer : {true, false}) {
        host_.serverAnswers200 = answer;
        stats_.m_Count1010 = 4;
        host_.panels = {{L"P", 1, 1000}};
        host_.Elapse(300001);
        const int resets = host_.panelResets;
        ASSERT_TRUE(stats_.Collect(host_));
        EXPECT_EQ(stats_.m_Count1010, 0);
        EXPECT_EQ(stats_.m_RunTime, 0u);
        EXPECT_EQ(host_.panelResets, resets + 1);
        EXPECT_EQ(host_.startTick, host_.now);
        EXPECT_FALSE(stats_.Collect(host_)) << "a new interval has started";
    }
}

// A POST that does not get through keeps its lines; the next POST carries
// them first (with their own time stamps), then the new ones of each metric.
TEST_F(Usage, AFailedPostsLinesGoFirstNextTime) {
    host_.serverAnswers200 = false;
    stats_.m_Count1000 = 1;
    host_.Elapse(300001);
    ASSERT_TRUE(stats_.Collect(host_));
    const std::wstring first = host_.posts.at(0);
    EXPECT_EQ(stats_.JoinedLines(), first) << "every line kept";

    host_.serverAnswers200 = true;
    host_.time = UsageTime{2026, 3, 7, 9, 10, 5};
    stats_.m_Count1000 = 2;
    host_.Elapse(300001);
    ASSERT_TRUE(stats_.Collect(host_));
    const std::wstring oldStamp = L"\t2026-03-07 09:05:04\t{TID-1}\t";
    const std::wstring newStamp = L"\t2026-03-07 09:10:05\t{TID-1}\t";
    auto line = [](const wchar_t* metric, const std::wstring& stamp, const wchar_t* value) {
        return metric + stamp + value + L"\n";
    };
    EXPECT_EQ(host_.posts.at(1), line(L"1000.0", oldStamp, L"1") + line(L"1000.0", newStamp, L"2") +
                                     line(L"1003.0", oldStamp, L"5") + line(L"1003.0", newStamp, L"5") +
                                     line(L"1033.0", oldStamp, L"57") + line(L"1033.0", newStamp, L"57") +
                                     line(L"1036.0", oldStamp, L"1") + line(L"1036.0", newStamp, L"1"));
    EXPECT_EQ(stats_.JoinedLines(), L"");
}

// Offline for 1,000 collections with three panels used each time: every
// queue holds at most 100 lines (the newest), so the next POST stays bounded.
TEST_F(Usage, AThousandFailedRoundsKeepEveryQueueAtAHundredLines) {
    host_.serverAnswers200 = false;
    for (int round = 0; round < 1000; ++round) {
        stats_.m_Count1000 = round + 1;
        host_.panels = {{L"A", 1, 1000}, {L"B", 2, 2000}, {L"C", 3, 3000}};
        host_.time.second = round % 60;
        host_.Elapse(300001);
        ASSERT_TRUE(stats_.Collect(host_));
    }
    for (size_t i = 0; i < UsageStats::kMetricCount; ++i) {
        SCOPED_TRACE(testing::Message() << "metric " << std::string(UsageStats::kMetricIds[i],
                                                                     UsageStats::kMetricIds[i] + 6));
        EXPECT_LE(stats_.Queue(i).size(), UsageStats::kMaxQueuedLines);
    }
    const std::deque<TrackNode>& counted = stats_.Queue(0);  // 1000.0, one line a round
    ASSERT_EQ(counted.size(), 100u);
    EXPECT_NE(counted.front().m_Line.find(L"\t901\n"), std::wstring::npos) << "the oldest went first";
    EXPECT_NE(counted.back().m_Line.find(L"\t1000\n"), std::wstring::npos);
    const std::deque<TrackNode>& panels = stats_.Queue(2);  // 1002.1, three lines a round
    ASSERT_EQ(panels.size(), 100u);
    EXPECT_NE(panels.back().m_Line.find(L"\tC\t3\t0:3\n"), std::wstring::npos);
}

// Each counter feeds its own metric; the metrics formed from other figures
// have no counter.
TEST(UsageCounters, EachMetricItsCounter) {
    struct Row {
        const wchar_t* metric;
        int32_t UsageStats::*counter;
    } rows[] = {
        {L"1000.0", &UsageStats::m_Count1000}, {L"1001.0", &UsageStats::m_Count1001},
        {L"1004.0", &UsageStats::m_Count1004}, {L"1005.0", &UsageStats::m_Count1005},
        {L"1007.0", &UsageStats::m_Count1007}, {L"1008.0", &UsageStats::m_Count1008},
        {L"1009.0", &UsageStats::m_Count1009}, {L"1010.0", &UsageStats::m_Count1010},
        {L"1011.0", &UsageStats::m_Count1011}, {L"1012.0", &UsageStats::m_Count1012},
        {L"1013.0", &UsageStats::m_Count1013}, {L"1034.0", &UsageStats::m_Count1034},
        {L"1035.0", &UsageStats::m_Count1035},
    };
    for (const Row& r : rows) {
        UsageStats stats;
        EXPECT_TRUE(stats.Count(r.metric));
        EXPECT_TRUE(stats.Count(r.metric));
        EXPECT_EQ(stats.*r.counter, 2);
        EXPECT_EQ(stats.Counter(r.metric), 2);
        EXPECT_EQ(stats.m_Count1000 + stats.m_Count1001 + stats.m_Count1004 + stats.m_Count1005 +
                      stats.m_Count1007 + stats.m_Count1008 + stats.m_Count1009 + stats.m_Count1010 +
                      stats.m_Count1011 + stats.m_Count1012 + stats.m_Count1013 + stats.m_Count1034 +
                      stats.m_Count1035,
                  2)
            << "no other counter moved";
    }
    UsageStats stats;
    for (const wchar_t* none : {L"1002.1", L"1003.0", L"1033.0", L"1036.0", L"9999.0", L""}) {
        EXPECT_FALSE(stats.Count(none));
        EXPECT_EQ(stats.Counter(none), 0);
    }
    EXPECT_FALSE(stats.Count(nullptr));
}

}  // namespace
