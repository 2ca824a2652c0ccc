// Every message id, timer id, command id and hot-key id of the main program,
// grouped by the window that receives it.  Numbers are decimal.  Strings
// never travel in a message but in shared fields under the named locks; the
// only heap block in a message is the one of controller_msg::kPanelUsage,
// which the controller frees.
//
// A new id goes here, beside the ones its receiver already takes.  The
// header needs no Windows header, so portable code (animations, rules) can
// name its timer too.
#pragma once

// Posted to the controller window (BrowserTreeView).
namespace controller_msg {
constexpr unsigned kLoadEcpList = 11112;         // open a contents file into the dock
constexpr unsigned kSaveContents = 11113;        // save the dock's contents
constexpr unsigned kOpenDefaultPanel = 11114;    // the search panel
constexpr unsigned kNothing11115 = 11115;        // taken, no action
constexpr unsigned kSplashFlag = 11116;          // the splash's unread flag
constexpr unsigned kOpenSettingsPanel = 11118;
constexpr unsigned kToggleEnhancers = 11119;
constexpr unsigned kToggleClickOuts = 11120;
constexpr unsigned kOpenPromoPanel = 11121;
constexpr unsigned kOpenMobilePanel = 11130;
constexpr unsigned kOpenMiniBrowser = 11132;
constexpr unsigned kReloadSettings = 11134;
constexpr unsigned kToggleContextPanel = 11135;  // lParam: the panel's key
constexpr unsigned kHideMenus = 11136;
constexpr unsigned kReportBug = 11137;
constexpr unsigned kMenuPanelGone = 11138;       // drop the mask image and the menu panel
constexpr unsigned kRescan = 11139;
constexpr unsigned kBestGuessAnswer = 11140;     // from the best-guess thread
constexpr unsigned kConnectionState = 11141;
constexpr unsigned kDockAnimation = 11142;       // passed on to every panel as panel_msg::kDockAnimate
constexpr unsigned kPanelUsage = 11143;          // lParam: a heap block (PostPanelUsage)
constexpr unsigned kNavigateUrl = 11144;         // CPondrelApp::m_NavigateUrl (locked)
constexpr unsigned kDockEcp = 11145;
constexpr unsigned kRunSetup = 11146;            // from the download thread
constexpr unsigned kBestGuessWindow = 11147;     // wParam: the best-guess thread's window
constexpr unsigned kRequestGuesses = 11148;
constexpr unsigned kSetupDownloadFailed = 11149;  // from the download thread
}  // namespace controller_msg

// Posted to the dock bar's window (DockBar).
namespace dock_msg {
constexpr unsigned kItemGone = 11110;      // a panel took its own item out: a frame, hidden when none is left
constexpr unsigned kRender = 11111;        // draw a frame
constexpr unsigned kShowOrHide = 11117;    // after CPondrelApp::m_ShowDockBar
constexpr unsigned kRebuildItems = 11118;  // after the dock imports changed
}  // namespace dock_msg

// Posted to a content panel's window (MegaWin) or its thread (HoverThread).
namespace panel_msg {
constexpr unsigned kNavigate = 11201;
constexpr unsigned kReload = 11202;
constexpr unsigned kDockAnimate = 11203;
constexpr unsigned kUndockAnimate = 11204;
constexpr unsigned kCloseNow = 11205;        // hide and close without fading
constexpr unsigned kStoreUrl = 11206;
constexpr unsigned kHide = 11207;
constexpr unsigned kShow = 11208;            // lParam 1: also to the foreground
constexpr unsigned kHideTail = 11209;
constexpr unsigned kOpenWithToken = 11210;
constexpr unsigned kRaise = 11211;           // restore the panel's z-order
constexpr unsigned kClose = 11212;           // end of the panel
constexpr unsigned kReady = 11213;
constexpr unsigned kRepaint = 11214;
constexpr unsigned kRefreshSearch = 11215;
constexpr unsigned kResize = 11216;          // wParam width, lParam height
constexpr unsigned kCenter = 11217;          // wParam 1
constexpr unsigned kLoadContentUrl = 11218;
constexpr unsigned kFadeIn = 11219;
constexpr unsigned kFadeOutAndClose = 11220;
constexpr unsigned kRedraw = 11221;
constexpr unsigned kNavButtonState = 11222;  // wParam enabled, lParam 1 forward / 2 back
constexpr unsigned kPublishUrl = 11223;
constexpr unsigned kArmAndClose = 11224;     // arm the close, then fade out and close
}  // namespace panel_msg

// Posted to a panel's child handler window or its children thread.
namespace children_msg {
constexpr unsigned kNothing11301 = 11301;
constexpr unsigned kClose = 11302;
constexpr unsigned kSnapshot = 11303;
constexpr unsigned kNavigateContent = 11304;
constexpr unsigned kSizeChildren = 11305;
constexpr unsigned kNothing11306 = 11306;
constexpr unsigned kHideTail = 11307;
constexpr unsigned kSetSearchText = 11308;
constexpr unsigned kFocusSearch = 11309;
constexpr unsigned kRefreshSearch = 11310;
constexpr unsigned kGoForward = 11311;
constexpr unsigned kGoBack = 11312;
}  // namespace children_msg

// Posted to a panel's search box (SearchView): another window's 11215.
namespace search_box_msg {
constexpr unsigned kSelectAll = 11215;
}  // namespace search_box_msg

// Posted to the download thread's window (BackThreadMsgHandler).
namespace back_thread_msg {
constexpr unsigned kDownload = 11401;
}  // namespace back_thread_msg

// Posted to the best-guess thread's window (BestGuessThreadMsgHandler).
namespace best_guess_msg {
constexpr unsigned kQuery = 11801;             // wParam the request id
constexpr unsigned kSetBestGuessEcp = 11802;
constexpr unsigned kResendSettings = 11803;
}  // namespace best_guess_msg

// The main frame (CMainFrame): the tray icon's callback and its commands.
namespace frame_msg {
constexpr unsigned kTrayCallback = 0x8000 + 10;     // WM_APP + 10 (32778)
constexpr unsigned kOpenSearchCommand = 9999;       // WM_COMMAND: tray icon, left click
constexpr unsigned kTrayDoubleClickCommand = 9998;  // WM_COMMAND: tray icon, double click
constexpr unsigned kAboutCommand = 57664;           // WM_COMMAND: the about box
}  // namespace frame_msg

// Posted to the tray icon's own window (CSystemTray) by other threads; the
// tray's thread applies the request.
namespace tray_msg {
constexpr unsigned kApplyIcon = 11501;     // wParam: the icon resource id
constexpr unsigned kApplyTooltip = 11502;  // the text waits in the tray, under its lock
constexpr unsigned kShowLook = 11503;      // wParam 1: the connecting look, 0: the current one
}  // namespace tray_msg

// Timer ids, each on the window named.
namespace timer_id {
constexpr unsigned kHotspotAnimation = 333;  // the hotspot window (TxSelWin)
constexpr unsigned kHeartbeat = 780;         // the controller window
constexpr unsigned kFade = 878;              // the splash, a panel window and the dock bar
constexpr unsigned kSearchMatrix = 880;      // the search-matrix window
}  // namespace timer_id

// The program's one global hot key, registered on the controller window.
constexpr int kSearchHotKeyId = 7777;

// The controller's names for its timer and hot key.
constexpr unsigned kHeartbeatTimer = timer_id::kHeartbeat;
