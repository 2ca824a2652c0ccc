// Start-up and shutdown steps of CPondrelApp that hand over to other pieces
// of the program: the splash window and the operations that reach the
// controller through the document (the worker threads' steps are in
// AppUpdates.cpp and AppBestGuess.cpp).
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/common/Resource.h"
#include "app/core/enhancers/WatcherNode.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/frame/ControllerOps.h"

// The splash window, created hidden: a class of no style, cursor, brush or
// icon, an empty title, the overlapped-window style (its pre-create step
// gives it its own size and styles).
void CPondrelApp::CreateSplashWindow() {
    m_Splash.Create(fx::RegisterWindowClass(0).c_str(), L"", WS_OVERLAPPEDWINDOW);
}

// Centres the splash window on the screen, gives it its rectangle for its
// layered updates and shows it; its timer does the rest.
void CPondrelApp::ShowSplashWindow() {
    HWND splash = m_Splash.hwnd();
    if (!splash) return;
    fx::CenterOnScreen(splash);
    ::GetWindowRect(splash, &m_Splash.m_WindowRect);
    ::ShowWindow(splash, SW_SHOWNOACTIVATE);
}

// The hidden dialog, never shown.  Its keys (Tab, the arrows, Enter, Esc)
// reach it as dialog keys through this thread's pre-translate filter, which
// goes before the dialog does.
void CPondrelApp::CreateHiddenDialog() {
    if (!m_HiddenDialog.Create(IDD_HIDDEN_DIALOG, nullptr)) return;
    m_pHiddenDialogKeys = std::make_unique<fx::DialogMessageFilter>(m_HiddenDialog.hwnd());
    AddMessageFilter(m_pHiddenDialogKeys.get());
}

void CPondrelApp::DestroyHiddenDialog() {
    if (m_pHiddenDialogKeys) RemoveMessageFilter(m_pHiddenDialogKeys.get());
    m_pHiddenDialogKeys.reset();
    m_HiddenDialog.Destroy();
}

// Hands the URL to the controller's browser launcher.
void CPondrelApp::OpenUrlInBrowser(const std::wstring& url) {
    if (ControllerOps* controller = m_pDoc ? m_pDoc->GetController() : nullptr) controller->OpenUrlInBrowser(url);
}

// Closes every running panel: asks each to hide and end, waits a bounded
// time, terminates only a thread that did not end.  The panel list is copied
// under its lock and the lock released before any panel is asked.
void CPondrelApp::CloseAllPanels() {
    if (ControllerOps* controller = m_pDoc ? m_pDoc->GetController() : nullptr) controller->CloseAllPanels();
}

// The controller's window (BrowserTreeView), owner of the hot key; null until
// the controller exists.
HWND CPondrelApp::GetControllerWindow() const {
    ControllerOps* controller = m_pDoc ? m_pDoc->GetController() : nullptr;
    return controller ? controller->ControllerWindow() : nullptr;
}

// Marks the tray menu for a rebuild from the new document when next shown.
void CPondrelApp::RequestTrayMenuRebuild() {
    if (ControllerOps* controller = m_pDoc ? m_pDoc->GetController() : nullptr) controller->RequestTrayMenuRebuild();
}

// Posts message to every open panel (the panel list is copied under its
// lock, the posts follow after it is released).
void CPondrelApp::PostToAllPanels(UINT msg) {
    if (ControllerOps* controller = m_pDoc ? m_pDoc->GetController() : nullptr) controller->PostToAllPanels(msg);
}

// The controller rebuilds its menus from the new document.
void CPondrelApp::RebuildMenus() {
    if (ControllerOps* controller = m_pDoc ? m_pDoc->GetController() : nullptr) controller->RebuildMenus();
}

// The controller's enhancer list; without a controller (a document alone)
// the application keeps them.
WatcherObList& CPondrelApp::GetEnhancerList() {
    static WatcherObList enhancers;
    ControllerOps* controller = m_pDoc ? m_pDoc->GetController() : nullptr;
    return controller ? controller->Enhancers() : enhancers;
}
