// CDockThread: the dock bar's own user-interface thread.  It makes the bar
// (a frame of class "HoverWin", title "PondRel"), draws a frame for the
// thread message 11111, shows or hides the bar for 11117, and at its end
// destroys the bar and empties the item list.  It publishes the bar's window
// in CPondrelApp::m_hDockWindow (cleared at its end).  DockThreadOps is the
// application's handle on it (DockOps); when its thread has to be terminated
// the thread object and its bar are left undeleted.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "app/core/main/DockOps.h"
#include "app/panels/dock/DockBar.h"
#include "fx/UiThread.h"

class CDockThread : public fx::UiThread {
public:
    bool InitInstance() override;
    bool PreTranslateMessage(MSG& msg) override;
    int ExitInstance() override;

    // Given before the thread runs.
    HWND m_hController = nullptr;
    std::wstring m_InstallDir;

    DockBar m_Bar;
    // The bar's window once made (any thread).
    std::atomic<HWND> m_hBar{nullptr};
};

class DockThreadOps : public DockOps {
public:
    explicit DockThreadOps(std::unique_ptr<CDockThread> thread) : thread_(std::move(thread)) {}
    ~DockThreadOps() override;
    fx::UiThread& Thread() override { return *thread_; }
    HWND Window() const override { return thread_->m_hBar.load(); }
    void ImportItems(XmlConfig& settings) override;
    void SaveLayout(fx::Archive& archive) override;
    void LoadLayout(fx::Archive& archive) override;
    CDockThread& Dock() { return *thread_; }

private:
    std::unique_ptr<CDockThread> thread_;
};

// The dock factory the program installs (SetDockFactory): the dock thread
// started for the controller.
std::unique_ptr<DockOps> MakeDock(ControllerOps* controller);

// The settings' dock items (/init/dock/areas/item[n]/...), their icons
// fetched from imagesUrl into installDir + "Images\": built with no lock
// held, then swapped into CPondrelApp::m_DockImportState under its lock.
void ImportDockItems(XmlConfig& settings, const std::wstring& imagesUrl, const std::wstring& installDir);
// The contents file's dock part: the string "AllDone"; the load reads nothing.
void SaveDockLayout(fx::Archive& archive);
void LoadDockLayout(fx::Archive& archive);
