#include "app/core/main/AppHttpHost.h"

#include "app/core/main/PondrelApp.h"

namespace {

class PondrelAppHttpHost : public HttpHost {
public:
    bool IsDisabled() const override { return theApp.m_Disabled; }
    bool IsSettingsLoaded() const override { return theApp.m_SettingsLoaded; }
    bool IsOnline() const override { return theApp.m_Online; }
    bool IsStarting() const override { return theApp.m_Starting; }
    std::wstring LogUrl() const override { return theApp.Snapshot()->logUrl; }
    void ShowConnectingState() override { theApp.ShowConnectingState(); }
    void UpdateTrayIcon() override { theApp.UpdateTrayIcon(); }
    DWORD RequestDeadlineMs() const override { return theApp.IsCurrent() ? kUiRequestDeadlineMs : 0; }
};

PondrelAppHttpHost g_host;

}  // namespace

HttpHost* AppHttpHost() { return &g_host; }
