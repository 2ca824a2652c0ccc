#include "app/core/main/AppFrameHost.h"

#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"

namespace {

class PondrelAppFrameHost : public FrameHost {
public:
    bool IsStarting() const override { return theApp.m_Starting; }
    bool IsDisabled() const override { return theApp.m_Disabled; }
    bool IsSettingsLoaded() const override { return theApp.m_SettingsLoaded; }
    bool IsOnline() const override { return theApp.m_Online; }
    FrameDocument* Document() const override { return theApp.m_pDoc; }
    LRESULT OnTrayNotification(WPARAM wp, LPARAM lp) override { return theApp.OnTrayNotification(wp, lp); }
    void OnAppAbout() override { theApp.OnAppAbout(); }
    std::wstring VersionTitle() const override { return theApp.GetVersionTitle(); }
    HFONT SharedGdiFont() const override { return theApp.GetSharedGdiFont(); }
};

}  // namespace

FrameHost* AppFrameHost() {
    static PondrelAppFrameHost host;
    return &host;
}
