// What the controller's message table and heartbeat hand to other pieces of
// the program: one named function each, defined beside the piece it belongs
// to (ControllerSteps.cpp, DockSteps.cpp, UsageSteps.cpp, AppCommandSteps.cpp).
#pragma once

#include <windows.h>

#include <string>

class BrowserTreeView;
class TxMenuWin;

// The default browser's executable (possibly quoted), or "" when none is known.
std::wstring DefaultBrowserPath();

// Application commands of the message table.
void AppLoadEcpList(WPARAM wp, LPARAM lp);  // 11112
void AppSaveContents();                     // 11113
void AppOpenDefaultPanel();                 // 11114
void AppOpenSettingsPanel();                // 11118
void AppOpenPromoPanel();                   // 11121
void AppOpenMobilePanel();                  // 11130
void AppOpenMiniBrowser();                  // 11132
void AppToggleContextPanel(BrowserTreeView& view, LPARAM panelKey);  // 11135
void AppHideMenus();                        // 11136
void AppReportBug(BrowserTreeView& view);    // 11137
void AppPollConnection();                   // the heartbeat's connectivity check (every 3000 ms inside)
void AppProcessServerMessages();            // the heartbeat's server messages (own interval)
void CollectUsageStats();                   // the heartbeat's usage statistics (own interval)
void RunSetup();                            // 11146
void RefreshTrayState();                    // 11140: enabled or disabled look
// 11140: copies the best-guess thread's result count and title into the
// application object (under the best-guess lock).
void TakeBestGuessResult();

// The controller's own pieces that come with the hotspot, menus, hover
// tracking and panels.
void TrackHover(BrowserTreeView& view);
void HideHotspot(BrowserTreeView& view);
void HideTextMenu(BrowserTreeView& view);
// TxMenuWin::HideMenu and the clear-items and build-items operations.
void HideMenu(TxMenuWin& menu);
void RebuildMenu(TxMenuWin& menu);
void AddGuessItems(BrowserTreeView& view, bool onSearchMenu);  // 11140
void RequestGuesses(BrowserTreeView& view);                     // 11148, on the search menu
void PostToAllPanels11203(BrowserTreeView& view);              // 11142
void DockEcp();                                                 // 11145
bool HotspotTargetIs(const BrowserTreeView& view, const RECT& rect);
void CloseMenuEcp(BrowserTreeView& view);
bool IsPointOverPopup(BrowserTreeView& view, POINT pt, bool buttonDown);
bool HotspotGuessesRequested(const BrowserTreeView& view);  // the hotspot's m_GuessesRequested
HWND TextSubMenuWindow(const BrowserTreeView& view);        // the text menu's open sub-menu
void AdvanceHotspotFade(BrowserTreeView& view);             // the hotspot's AnimationStep
