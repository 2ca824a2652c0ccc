// The messages posted to the controller window, and the one message that
// carries a heap block (11143, panel usage).
#pragma once

#include <windows.h>

#include <string>

namespace controller_msg {
constexpr UINT kLoadEcpList = 11112;
constexpr UINT kSaveContents = 11113;
constexpr UINT kOpenDefaultPanel = 11114;
constexpr UINT kNothing11115 = 11115;
constexpr UINT kSplashFlag = 11116;
constexpr UINT kOpenSettingsPanel = 11118;
constexpr UINT kToggleEnhancers = 11119;
constexpr UINT kToggleClickOuts = 11120;
constexpr UINT kOpenPromoPanel = 11121;
constexpr UINT kOpenMobilePanel = 11130;
constexpr UINT kOpenMiniBrowser = 11132;
constexpr UINT kReloadSettings = 11134;
constexpr UINT kToggleContextPanel = 11135;
constexpr UINT kHideMenus = 11136;
constexpr UINT kReportBug = 11137;
constexpr UINT kMenuPanelGone = 11138;
constexpr UINT kRescan = 11139;
constexpr UINT kBestGuessAnswer = 11140;
constexpr UINT kConnectionState = 11141;
constexpr UINT kDockAnimation = 11142;
constexpr UINT kPanelUsage = 11143;
constexpr UINT kNavigateUrl = 11144;
constexpr UINT kDockEcp = 11145;
constexpr UINT kRunSetup = 11146;
constexpr UINT kBestGuessWindow = 11147;
constexpr UINT kRequestGuesses = 11148;
}  // namespace controller_msg

constexpr UINT_PTR kHeartbeatTimer = 780;
constexpr UINT kHeartbeatPeriodMs = 500;
constexpr int kSearchHotKeyId = 7777;

// Posts 11143 for a closed panel: the identifier travels in a heap block
// that the controller frees (this function frees it when the post fails).
// Any thread may post; each block handed out is remembered until taken.
bool PostPanelUsage(HWND controller, const std::wstring& ecpId, DWORD openMs);
// The identifier of an 11143 block, which is freed.  Only a block that
// PostPanelUsage handed out and nobody took yet is read: anything else is
// left alone, logged, and false comes back.
bool TakePanelUsageId(LPARAM block, std::wstring* id);
