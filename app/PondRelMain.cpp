// Entry point of PondRel.exe: the framework drives the application object.
#include <windows.h>

#include "app/core/main/PondrelApp.h"
#include "app/panels/dock/DockThread.h"
#include "app/selection/controller/BrowserTreeView.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    SetControllerFactory(&MakeBrowserTreeView);
    SetDockFactory(&MakeDock);
    return fx::AppEntry(theApp, instance, showCommand);
}
