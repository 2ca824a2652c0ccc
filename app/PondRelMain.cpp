// Entry point of PondRel.exe: the framework drives the application object.
#include <windows.h>

#include "app/core/PondrelApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    return fx::AppEntry(theApp, instance, showCommand);
}
