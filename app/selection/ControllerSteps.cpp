// The steps of ControllerSteps.h that belong to pieces not built yet: each
// does nothing (or answers "none") until its piece fills it in.
#include "app/selection/ControllerSteps.h"

#include "app/selection/BrowserTreeView.h"

std::wstring DefaultBrowserPath() { return std::wstring(); }

void AppLoadEcpList(WPARAM, LPARAM) {}
void AppSaveContents() {}
void AppOpenDefaultPanel() {}
void AppOpenSettingsPanel() {}
void AppOpenPromoPanel() {}
void AppOpenMobilePanel() {}
void AppOpenMiniBrowser() {}
void AppToggleContextPanel() {}
void AppHideMenus() {}
void AppReportBug() {}
void AppPollConnection() {}
void AppProcessServerMessages() {}
void CollectUsageStats() {}
void RunSetup() {}
void RefreshTrayState() {}
void TakeBestGuessResult() {}

void TrackHover(BrowserTreeView&) {}
void HideHotspot(BrowserTreeView&) {}
void HideTextMenu(BrowserTreeView&) {}
void HideMenu(fx::Window&) {}
void RebuildMenu(fx::Window&) {}
void AddGuessItems(BrowserTreeView&, bool) {}
void RequestGuesses(BrowserTreeView&) {}
void PostToAllPanels11203(BrowserTreeView&) {}
void DockEcp() {}
bool HotspotTargetIs(const BrowserTreeView&, const RECT&) { return false; }
void CloseMenuEcp(BrowserTreeView&) {}
bool IsPointOverPopup(BrowserTreeView&, POINT, bool) { return false; }
bool HotspotGuessesRequested(const BrowserTreeView&) { return false; }
HWND TextSubMenuWindow(const BrowserTreeView&) { return nullptr; }
void AdvanceHotspotFade(BrowserTreeView&) {}
