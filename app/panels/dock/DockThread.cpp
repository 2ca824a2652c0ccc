#include "app/panels/dock/DockThread.h"

#include "app/core/common/AppMessages.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/config/XmlConfig.h"
#include "app/core/frame/ControllerOps.h"
#include "app/core/main/PondrelApp.h"
#include "app/panels/dockitems/DockRules.h"
#include "fx/Archive.h"
#include "log/PondrelLog.h"

bool CDockThread::InitInstance() {
    m_Bar.m_pThread = this;
    if (!m_Bar.CreateBar(m_InstallDir, m_hController)) {
        LogLine(L"Dock: the bar's window could not be made");
        return true;  // the thread runs on; messages to the bar find no window
    }
    m_hBar = m_Bar.hwnd();
    theApp.m_hDockWindow = m_Bar.hwnd();
    return true;
}

bool CDockThread::PreTranslateMessage(MSG& msg) {
    if (!msg.hwnd && msg.message == dock_msg::kRender) {
        m_Bar.Render(0, false);
        return true;
    }
    if (!msg.hwnd && msg.message == dock_msg::kShowOrHide) {
        m_Bar.ShowOrHide();
        return true;
    }
    return fx::UiThread::PreTranslateMessage(msg);
}

int CDockThread::ExitInstance() {
    HWND bar = m_hBar.exchange(nullptr);
    if (bar) theApp.m_hDockWindow.compare_exchange_strong(bar, nullptr);
    m_Bar.Shutdown();
    fx::UiThread::ExitInstance();
    return static_cast<int>(CurrentMessage().wParam);
}

// A dock thread that had to be terminated may have died holding g_DockLock,
// which the bar's end takes: it is left, with its bar, to the process's end.
DockThreadOps::~DockThreadOps() {
    if (thread_ && thread_->IsRunning() && !thread_->Quit(fx::UiThread::kDestroyQuitBoundMs)) {
        LogLine(L"Dock: the dock thread was terminated; its bar is left to the process's end");
        (void)thread_.release();
    }
}

void DockThreadOps::ImportItems(XmlConfig& settings) {
    const auto snapshot = theApp.Snapshot();
    ImportDockItems(settings, snapshot->imagesUrl, snapshot->installDir);
}

void DockThreadOps::SaveLayout(fx::Archive& archive) { SaveDockLayout(archive); }
void DockThreadOps::LoadLayout(fx::Archive& archive) { LoadDockLayout(archive); }

std::unique_ptr<DockOps> MakeDock(ControllerOps* controller) {
    auto thread = std::make_unique<CDockThread>();
    thread->SetName(L"dock");
    thread->m_hController = controller ? controller->ControllerWindow() : nullptr;
    thread->m_InstallDir = theApp.Snapshot()->installDir;
    if (!thread->Start(fx::Apartment::None, true)) {
        LogLine(L"Dock: the dock thread could not start");
        return nullptr;
    }
    thread->Resume();
    return std::make_unique<DockThreadOps>(std::move(thread));
}

void ImportDockItems(XmlConfig& settings, const std::wstring& imagesUrl, const std::wstring& installDir) {
    DockItemImportList imports;
    int n = static_cast<int>(settings.SelectNodes(L"/init/dock/areas/item").size());
    if (n > dock::kMaxImportedItems) {
        const std::wstring line = L"Dock: the settings name " + std::to_wstring(n) + L" items, the first " +
                                  std::to_wstring(dock::kMaxImportedItems) + L" are read";
        LogLine(line.c_str());
        n = dock::kMaxImportedItems;
    }
    for (int i = 1; i <= n; ++i) {
        const std::wstring prefix = L"/init/dock/areas/item[" + std::to_wstring(i) + L"]";
        DockItemImportNode record;
        record.text = settings.GetText(prefix + L"/text");
        record.ecpId = settings.GetText(prefix + L"/ecp");
        const std::wstring icon = settings.GetText(prefix + L"/icon");
        record.context = settings.GetText(prefix + L"/context");
        record.control = dock::FlagText(settings.GetText(prefix + L"/control"));
        record.docked = dock::FlagText(settings.GetText(prefix + L"/docked"));
        const std::wstring file = dock::IconFileName(icon);
        if (file.empty()) {
            if (!icon.empty()) LogWithPrefix(L"Dock: icon name refused: %s", icon.c_str());
        } else {
            record.iconPath = installDir + L"Images\\" + file;
            LoadImageCached(imagesUrl + icon, 0, 0, false, record.iconPath);  // released at once
        }
        imports.push_back(std::move(record));
    }
    theApp.m_DockImportState.Lock()->m_DockImports.swap(imports);
}

void SaveDockLayout(fx::Archive& archive) { archive.Write(dock::ArchiveStringBytes(u"AllDone")); }

void LoadDockLayout(fx::Archive&) {}
