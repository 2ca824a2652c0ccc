// UsageStats: the usage statistics.  The hotspot, the text menu and the
// controller count what the user does; at the server-given interval every
// count becomes one tab-separated line in its metric's queue, and all queued
// lines go to the server's log URL in one form POST.  Lines a POST could not
// deliver wait for the next one; each queue keeps at most kMaxQueuedLines of
// them (the oldest go first), so an offline program's memory and its next
// POST stay bounded.  Nothing is written to disk.
//
// No Win32 call: what a collection reads from the program and what it does
// outside (the clock, the panel figures, the POST) goes through a UsageHost.
// Everything runs on the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// One finished line: "<id>\t<time>\t<tid>\t<value>\n".
struct TrackNode {
    std::wstring m_Line;
};

// The collection time (UTC).
struct UsageTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// A content panel's figures since the last collection.
struct PanelUsage {
    std::wstring id;
    int32_t openCount = 0;
    int32_t openTimeMs = 0;
};

// What a collection reads from the program and does outside.
class UsageHost {
public:
    virtual ~UsageHost() = default;

    // The gate: the interval in milliseconds (0: never), whether the server is
    // not the production one, the user's consent (log_auth).
    virtual uint32_t LogInterval() const = 0;
    virtual bool NonProductionServer() const = 0;
    virtual bool LogAuth() const = 0;
    // The tick count and the tick of the last collection (or reset).
    virtual uint32_t TickCount() const = 0;
    virtual uint32_t StartTick() const = 0;
    virtual void SetStartTick(uint32_t tick) = 0;
    virtual UsageTime UtcTime() const = 0;
    // Stamped on every line / sent as metric values.
    virtual std::wstring TrackingId() const = 0;
    virtual std::wstring Version() const = 0;
    virtual bool Disabled() const = 0;
    // The panel records opened at least once since the last reset, in record
    // order; and their reset.
    virtual std::vector<PanelUsage> UsedPanels() const = 0;
    virtual void ResetPanelUsage() = 0;
    // Sends "data=" + text; true only when the server answered 200.
    virtual bool PostLines(const std::wstring& text) = 0;
};

class UsageStats {
public:
    // The metrics in queue order (the order they are formed and sent).
    static constexpr size_t kMetricCount = 17;
    static const wchar_t* const kMetricIds[kMetricCount];
    // What a queue keeps at most after a POST that did not get through.
    static constexpr size_t kMaxQueuedLines = 100;

    // Empty queues, counters and run time 0 (the application's start-up
    // resets again once it has finished, which also takes the start tick).
    UsageStats() = default;

    // All counters and the run time to 0; the start tick to now.
    void Reset(UsageHost& host);
    // Every controller tick: once the interval has passed (and the gate is
    // open), forms this interval's lines, POSTs every queued line, empties the
    // queues on success or trims them on failure, then resets the counters and
    // the panel figures.  True when a collection took place.
    bool Collect(UsageHost& host);
    // Appends metric, TAB, the collection time, TAB, the tracking id, TAB.
    void AppendStamp(std::wstring& line, const wchar_t* metric) const;

    // Adds one to the counter that feeds metric ("1000.0", ...); false (and
    // nothing counted) for a metric no counter feeds.
    bool Count(const wchar_t* metric);
    // The counter that feeds metric (0 for a metric no counter feeds).
    int32_t Counter(const wchar_t* metric) const;

    // Every queued line, queue by queue in metric order, each oldest first.
    std::wstring JoinedLines() const;
    // The queue of metric index i (kMetricIds order).
    const std::deque<TrackNode>& Queue(size_t i) const { return m_Queues[i]; }

    // The counters, each with the metric it feeds.
    int32_t m_Count1000 = 0;
    int32_t m_Count1001 = 0;
    int32_t m_Count1004 = 0;
    int32_t m_Count1005 = 0;
    int32_t m_Count1007 = 0;
    int32_t m_Count1008 = 0;
    int32_t m_Count1009 = 0;
    int32_t m_Count1010 = 0;
    int32_t m_Count1011 = 0;
    int32_t m_Count1012 = 0;
    int32_t m_Count1013 = 0;
    int32_t m_Count1034 = 0;
    int32_t m_Count1035 = 0;
    // Milliseconds since the last reset, added at each collection.
    uint32_t m_RunTime = 0;

private:
    void ResetCounters();
    // The lines of this collection, each at the tail of its metric's queue.
    void FormLines(UsageHost& host);
    void AddLine(size_t metric, const std::wstring& value);
    // After the POST: sent empties every queue, otherwise each keeps at most
    // kMaxQueuedLines (the newest).
    void AfterPost(bool sent);

    UsageTime m_Time;          // the current collection's time
    std::wstring m_TrackingId;  // the current collection's tracking id
    std::deque<TrackNode> m_Queues[kMetricCount];
};

// The value part of a "1002.1" line: id TAB count TAB minutes:seconds LF
// (an open time of 0 or less gives 0:0).
std::wstring PanelUsageValue(const PanelUsage& panel);
