// Entry point of PondRel.exe: the framework drives the application object.
#include <windows.h>

#include "app/core/main/PondrelApp.h"
#include "app/selection/controller/BrowserTreeView.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    SetControllerFactory(&MakeBrowserTreeView);
    return fx::AppEntry(theApp, instance, showCommand);
}
