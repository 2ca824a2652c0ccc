#include "app/core/main/AppUsageHost.h"

#include <windows.h>

#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/net/HttpRoutines.h"

namespace {

class PondrelAppUsageHost : public UsageHost {
public:
    uint32_t LogInterval() const override { return theApp.m_LogInterval; }
    bool NonProductionServer() const override { return theApp.m_NonProductionServer; }
    bool LogAuth() const override { return theApp.m_LogAuth; }
    uint32_t TickCount() const override { return ::GetTickCount(); }
    uint32_t StartTick() const override { return theApp.m_StartTick; }
    void SetStartTick(uint32_t tick) override { theApp.m_StartTick = tick; }
    UsageTime UtcTime() const override {
        SYSTEMTIME t{};
        ::GetSystemTime(&t);
        return UsageTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    }
    std::wstring TrackingId() const override { return theApp.m_Tid; }
    std::wstring Version() const override { return theApp.m_Version; }
    bool Disabled() const override { return theApp.m_Disabled; }
    std::vector<PanelUsage> UsedPanels() const override {
        std::vector<PanelUsage> used;
        Settings* settings = theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr;
        if (!settings) return used;
        EcpPosition pos;
        while (UserSetting* record = settings->NextUsedEcp(pos))
            used.push_back(PanelUsage{record->m_Id, record->m_OpenCount, record->m_OpenTime});
        return used;
    }
    void ResetPanelUsage() override { theApp.ResetPanelUsageCounts(); }
    // HttpPostForm answers false only for a 200.
    bool PostLines(const std::wstring& text) override { return !HttpPostForm(text); }
};

PondrelAppUsageHost g_host;

}  // namespace

UsageHost& AppUsageHost() { return g_host; }

// Counters and run time to 0, the start tick to now.
void CPondrelApp::ResetStatistics() { m_Stats.Reset(AppUsageHost()); }
