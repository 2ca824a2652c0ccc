// The application's side of the dock: starting the dock thread, the settings'
// dock items, messages to the bar, and the contents files (".pqd").
#include <windows.h>
#include <commdlg.h>

#include "app/core/common/AppMessages.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/config/XmlConfig.h"
#include "app/core/frame/ControllerOps.h"
#include "app/core/main/DockOps.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "fx/Archive.h"
#include "log/PondrelLog.h"

namespace {

DockFactory g_dockFactory = nullptr;

constexpr size_t kArchiveBuffer = 4096;

// The open or save dialog of the contents files.
bool AskContentsPath(bool save, std::wstring* path) {
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = theApp.GetControllerWindow();
    ofn.lpstrFilter = L"PQD Files (*.pqd)\0*.pqd\0All Files (*.*)\0*.*\0\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"pqd";
    ofn.Flags = save ? OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY : OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    const BOOL ok = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!ok) return false;
    *path = file;
    return true;
}

void MakeInstallDirCurrent() {
    if (!theApp.m_InstallDir.empty()) ::SetCurrentDirectoryW(theApp.m_InstallDir.c_str());
}

}  // namespace

void SetDockFactory(DockFactory factory) { g_dockFactory = factory; }

std::unique_ptr<DockOps> StartDock(ControllerOps* controller) {
    return g_dockFactory ? g_dockFactory(controller) : nullptr;
}

// The dock thread (CDockThread) with its bar, given the controller.
void CPondrelApp::StartDockThread() {
    if (m_pDock) return;
    m_pDock = StartDock(m_pDoc ? m_pDoc->GetController() : nullptr);
    m_pDockThread = m_pDock ? &m_pDock->Thread() : nullptr;
}

// The settings' dock items into m_DockImportState, then 11118 to the dock bar.
void CPondrelApp::ImportDockItems() {
    if (!m_pDock || !m_pSettings) return;
    m_pDock->ImportItems(*m_pSettings);
    PostToDockWindow(dock_msg::kRebuildItems);
}

HWND CPondrelApp::DockWindow() const { return m_hDockWindow.load(); }

// Posts message (wParam 0, lParam 0) to the dock bar's window; before the
// window exists the dock thread delivers it once it has made its window
// (asked so only from the user-interface thread, which owns the dock: on
// another thread the message is dropped then).
void CPondrelApp::PostToDockWindow(UINT message) {
    if (HWND bar = DockWindow()) {
        ::PostMessageW(bar, message, 0, 0);
        return;
    }
    if (::GetCurrentThreadId() != m_UiThreadId || !m_pDock) return;
    DockOps* dock = m_pDock.get();
    m_pDock->Thread().PostTask([dock, message] {
        if (HWND bar = dock->Window()) ::PostMessageW(bar, message, 0, 0);
    });
}

bool CPondrelApp::WriteContentsFile(const std::wstring& path) {
    fx::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        LogWithPrefix(L"Could not create the contents file %s", path.c_str());
        return false;
    }
    MakeInstallDirCurrent();
    fx::Archive archive(file.get(), fx::Archive::Mode::Store, kArchiveBuffer);
    {
        fx::ScopedLock hold(g_DockLock);
        if (m_pDock) m_pDock->SaveLayout(archive);
    }
    return archive.Close();
}

bool CPondrelApp::LoadContentsFile(const std::wstring& path) {
    fx::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        LogWithPrefix(L"Could not open the contents file %s", path.c_str());
        return false;
    }
    fx::Archive archive(file.get(), fx::Archive::Mode::Load, kArchiveBuffer);
    {
        fx::ScopedLock hold(g_DockLock);
        if (m_pDock) m_pDock->LoadLayout(archive);
    }
    archive.Close();
    return true;
}

// 11113: the save dialog; the chosen file written.  The install directory is
// current again afterwards, also after a cancel.
void CPondrelApp::OnSaveContents() {
    std::wstring path;
    if ((m_AskContentsPath ? m_AskContentsPath : AskContentsPath)(true, &path)) WriteContentsFile(path);
    MakeInstallDirCurrent();
}

// 11112: the open dialog; the chosen file loaded into the dock.
void CPondrelApp::OnLoadEcpList() {
    std::wstring path;
    if ((m_AskContentsPath ? m_AskContentsPath : AskContentsPath)(false, &path)) LoadContentsFile(path);
    MakeInstallDirCurrent();
}
