// Entry point of PondRel.exe: the framework drives the application object.
#include <windows.h>

#include "app/core/PondrelApp.h"
#include "app/selection/BrowserTreeView.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    SetControllerFactory(&MakeBrowserTreeView);
    return fx::AppEntry(theApp, instance, showCommand);
}
