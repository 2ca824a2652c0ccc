// The application object's enhancers: the load of those the settings
// document names (app/core/enhancers/EnhancerLoading.h makes them), the site
// enhancer lent to them, and their unload.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "app/core/enhancers/EnhancerLoading.h"
#include "app/core/enhancers/WatcherNode.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/net/HttpRoutines.h"
#include "fx/ComString.h"
#include "log/PondrelLog.h"

namespace {
void Log(const std::wstring& text) { LogLine(text.c_str()); }
}  // namespace

bool CPondrelApp::LoadEnhancers() {
    // The settings file beside the program.
    const std::wstring path = m_InstallDir + L"settings.xml";
    LogLine(L"Loading Enhancers");
    Log(L"Loading Settings.xml at: " + path);
    // Its text, once for the enhancers and once for the site enhancer.
    // The count is of the enhancers this load adds, whatever ends it.
    m_EnhancerCount = static_cast<int>(GetEnhancerList().size());
    std::string bytes;
    if (!ReadSettingsFile(path, bytes)) return false;
    fx::Bstr settingsText, siteText;  // fx::Bstr adopts through reset
    settingsText.reset(Utf8ToBstr(bytes.data(), static_cast<int>(bytes.size())));
    siteText.reset(Utf8ToBstr(bytes.data(), static_cast<int>(bytes.size())));
    // The ignore list from the server, or an empty one.
    fx::Bstr ignores;
    if (m_UseIgnoreList) {
        int count = 0;
        std::unique_ptr<char[]> body = HttpGetToMemory(m_IgnoresUrl + m_UserId, &count);
        if (body) ignores.reset(Utf8ToBstr(body.get(), count));
    }
    if (!ignores.get()) ignores.reset(::SysAllocString(L""));
    // The site enhancer first.
    LogLine(L"Initing Site Enhancer");
    BSTR siteTextValue = siteText.get();
    InitSiteEnhancer(&siteTextValue);
    LogLine(L"Init Site Enhancer complete");

    bool failed = false;
    if (m_pSiteEnhancerDispatch && !m_SettingsLoaded) {
        // A site enhancer without loaded settings: no enhancer is loaded.
        failed = true;
    } else if (m_pSettings) {
        // Each enhancer joins the list as it loads.
        failed = !LoadListedEnhancers(*m_pSettings, m_pSiteEnhancer, settingsText.get(), ignores.get(),
                                      [this](std::unique_ptr<WatcherNode> node) {
                                          GetEnhancerList().push_back(std::move(node));
                                          ++m_EnhancerCount;
                                      });
    }
    // Any failure is logged and reported.
    if (failed) LogLine(L"There was a problem loading Enhancers at the top level. No enhancing for you!");
    return !failed;
}

bool CPondrelApp::InitSiteEnhancer(BSTR* settingsText) {
    // The site enhancer made here replaces the one before.
    m_pSiteEnhancerDispatch = nullptr;
    m_pSiteEnhancer = nullptr;
    return MakeSiteEnhancer(m_SiteEnhancerUrl, m_Key, m_Version, settingsText, &m_pSiteEnhancerDispatch,
                            &m_pSiteEnhancer);
}

// The controller unloads its list; without one, the list kept here goes the
// same way.  No enhancer is left to poll.
void CPondrelApp::UnloadEnhancers() {
    ControllerOps* controller = m_pDoc ? m_pDoc->GetController() : nullptr;
    if (controller)
        controller->UnloadEnhancers();
    else
        UnloadWatchers(GetEnhancerList(), &m_pSiteEnhancer, &m_pSiteEnhancerDispatch);
    m_EnhancerCount = 0;
}
