// What the application object asks of the dock (the dock thread with its bar,
// app/panels/dock/): its thread, its window, the import of the settings'
// dock items and the contents file.  The dock implements this interface; the
// program installs its factory at start (PondRelMain.cpp), so the
// application's start-up makes the dock without knowing its classes.
#pragma once

#include <windows.h>

#include <memory>

#include "fx/UiThread.h"

class ControllerOps;
class XmlConfig;
namespace fx {
class Archive;
}

class DockOps {
public:
    virtual ~DockOps() = default;
    // The dock's thread (running once the factory returned it).
    virtual fx::UiThread& Thread() = 0;
    // The bar's window; null until the thread has made it.
    virtual HWND Window() const = 0;
    // Reads the settings' dock items into CPondrelApp::m_DockImportState
    // (user-interface thread; the icons are downloaded with no lock held).
    virtual void ImportItems(XmlConfig& settings) = 0;
    // The contents file: the caller holds g_DockLock.
    virtual void SaveLayout(fx::Archive& archive) = 0;
    virtual void LoadLayout(fx::Archive& archive) = 0;
};

// Starts the dock thread for the controller; null when no factory is
// installed (tests of the application alone) or the thread cannot start.
std::unique_ptr<DockOps> StartDock(ControllerOps* controller);
using DockFactory = std::unique_ptr<DockOps> (*)(ControllerOps* controller);
void SetDockFactory(DockFactory factory);
