#include "app/core/main/UsageStats.h"

#include <cwchar>

namespace {

// Metric indexes of kMetricIds.
enum Metric : size_t {
    k1000, k1001, k1002, k1003, k1004, k1005, k1007, k1008, k1009, k1010, k1011, k1012, k1013, k1033, k1034,
    k1035, k1036
};

// The counters that feed a metric, in queue order.
struct CounterOf {
    Metric metric;
    int32_t UsageStats::*counter;
};
constexpr CounterOf kCounters[] = {
    {k1000, &UsageStats::m_Count1000}, {k1001, &UsageStats::m_Count1001}, {k1004, &UsageStats::m_Count1004},
    {k1005, &UsageStats::m_Count1005}, {k1007, &UsageStats::m_Count1007}, {k1008, &UsageStats::m_Count1008},
    {k1009, &UsageStats::m_Count1009}, {k1010, &UsageStats::m_Count1010}, {k1011, &UsageStats::m_Count1011},
    {k1012, &UsageStats::m_Count1012}, {k1013, &UsageStats::m_Count1013}, {k1034, &UsageStats::m_Count1034},
    {k1035, &UsageStats::m_Count1035},
};

const CounterOf* FindCounter(const wchar_t* metric) {
    if (!metric) return nullptr;
    for (const CounterOf& c : kCounters)
        if (std::wcscmp(UsageStats::kMetricIds[c.metric], metric) == 0) return &c;
    return nullptr;
}

// value in decimal, at least width digits (zeros in front).
void AppendPadded(std::wstring& out, int value, size_t width) {
    std::wstring digits = std::to_wstring(value);
    if (value >= 0 && digits.size() < width) out.append(width - digits.size(), L'0');
    out += digits;
}

}  // namespace

const wchar_t* const UsageStats::kMetricIds[kMetricCount] = {
    L"1000.0", L"1001.0", L"1002.1", L"1003.0", L"1004.0", L"1005.0", L"1007.0", L"1008.0", L"1009.0",
    L"1010.0", L"1011.0", L"1012.0", L"1013.0", L"1033.0", L"1034.0", L"1035.0", L"1036.0",
};

std::wstring PanelUsageValue(const PanelUsage& panel) {
    const int32_t ms = panel.openTimeMs > 0 ? panel.openTimeMs : 0;
    return panel.id + L"\t" + std::to_wstring(panel.openCount) + L"\t" + std::to_wstring(ms / 60000) + L":" +
           std::to_wstring((ms % 60000) / 1000) + L"\n";
}

void UsageStats::ResetCounters() {
    for (const CounterOf& c : kCounters) this->*c.counter = 0;
    m_RunTime = 0;
}

void UsageStats::Reset(UsageHost& host) {
    ResetCounters();
    host.SetStartTick(host.TickCount());
}

bool UsageStats::Count(const wchar_t* metric) {
    const CounterOf* c = FindCounter(metric);
    if (!c) return false;
    ++(this->*c->counter);
    return true;
}

int32_t UsageStats::Counter(const wchar_t* metric) const {
    const CounterOf* c = FindCounter(metric);
    return c ? this->*c->counter : 0;
}

void UsageStats::AppendStamp(std::wstring& line, const wchar_t* metric) const {
    line += metric;
    line += L'\t';
    AppendPadded(line, m_Time.year, 4);
    line += L'-';
    AppendPadded(line, m_Time.month, 2);
    line += L'-';
    AppendPadded(line, m_Time.day, 2);
    line += L' ';
    AppendPadded(line, m_Time.hour, 2);
    line += L':';
    AppendPadded(line, m_Time.minute, 2);
    line += L':';
    AppendPadded(line, m_Time.second, 2);
    line += L'\t';
    line += m_TrackingId;
    line += L'\t';
}

void UsageStats::AddLine(size_t metric, const std::wstring& value) {
    TrackNode node;
    AppendStamp(node.m_Line, kMetricIds[metric]);
    node.m_Line += value;
    m_Queues[metric].push_back(std::move(node));
}

void UsageStats::FormLines(UsageHost& host) {
    auto counted = [this](Metric metric) {
        for (const CounterOf& c : kCounters)
            if (c.metric == metric && this->*c.counter != 0) AddLine(metric, std::to_wstring(this->*c.counter) + L"\n");
    };
    counted(k1000);
    counted(k1001);
    for (const PanelUsage& panel : host.UsedPanels())
        if (panel.openCount >= 1) AddLine(k1002, PanelUsageValue(panel));
    if (m_RunTime != 0) {
        m_RunTime /= 60000;  // whole minutes, possibly 0
        AddLine(k1003, std::to_wstring(m_RunTime) + L"\n");
    }
    for (Metric m : {k1004, k1005, k1007, k1008, k1009, k1010, k1011, k1012, k1013}) counted(m);
    AddLine(k1033, host.Version() + L"\n");
    counted(k1034);
    counted(k1035);
    AddLine(k1036, host.Disabled() ? L"0\n" : L"1\n");
}

std::wstring UsageStats::JoinedLines() const {
    std::wstring text;
    for (const std::deque<TrackNode>& queue : m_Queues)
        for (const TrackNode& node : queue) text += node.m_Line;
    return text;
}

void UsageStats::AfterPost(bool sent) {
    for (std::deque<TrackNode>& queue : m_Queues) {
        if (sent) {
            queue.clear();
            continue;
        }
        while (queue.size() > kMaxQueuedLines) queue.pop_front();
    }
}

bool UsageStats::Collect(UsageHost& host) {
    const uint32_t interval = host.LogInterval();
    if (interval == 0 || host.NonProductionServer() || !host.LogAuth()) return false;
    const uint32_t now = host.TickCount();
    const uint32_t elapsed = now - host.StartTick();  // unsigned: right across the tick count's wrap
    if (elapsed <= interval) return false;

    m_Time = host.UtcTime();
    m_TrackingId = host.TrackingId();
    m_RunTime += elapsed;
    FormLines(host);
    AfterPost(host.PostLines(JoinedLines()));
    Reset(host);
    host.ResetPanelUsage();
    return true;
}
