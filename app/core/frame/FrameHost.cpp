#include "app/core/frame/FrameHost.h"

namespace {

// The answers of a program without an application object.
class NoFrameHost : public FrameHost {
public:
    bool IsStarting() const override { return false; }
    bool IsDisabled() const override { return false; }
    bool IsSettingsLoaded() const override { return false; }
    bool IsOnline() const override { return false; }
    FrameDocument* Document() const override { return nullptr; }
    LRESULT OnTrayNotification(WPARAM, LPARAM) override { return 0; }
    void OnAppAbout() override {}
    std::wstring VersionTitle() const override { return std::wstring(); }
    HFONT SharedGdiFont() const override { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }
};

NoFrameHost g_none;
FrameHost* g_host = nullptr;

}  // namespace

void SetFrameHost(FrameHost* host) { g_host = host; }

FrameHost& GetFrameHost() { return g_host ? *g_host : g_none; }
