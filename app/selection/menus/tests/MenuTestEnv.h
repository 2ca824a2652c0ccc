// The program's window classes and the shared graphics the menus draw with
// (no images: an install directory without an "Images" folder).  Register it
// after GDI+'s shared environment: the graphics go before GDI+ shuts down.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "app/core/main/PondrelApp.h"

class MenuWindowsEnv : public ::testing::Environment {
public:
    void SetUp() override {
        RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
        theApp.m_Graphics.Load(L"C:\\no-such-install\\");
    }
    void TearDown() override { theApp.m_Graphics.Free(); }
};
