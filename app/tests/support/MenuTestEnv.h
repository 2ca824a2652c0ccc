// The program's window classes and the shared graphics the menus draw with
// (no images: an install directory without an "Images" folder).  Register it
// after GDI+'s shared environment: the graphics go before GDI+ shuts down.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/core/main/PondrelApp.h"

class MenuWindowsEnv : public ::testing::Environment {
public:
    void SetUp() override {
        RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
        theApp.m_Graphics.Load(L"C:\\no-such-install\\");
    }
    void TearDown() override { theApp.m_Graphics.Free(); }
};

// Writes text to a file of this test process in the temp folder (the
// settings fixtures the menus read) and gives its path.
inline std::wstring WriteMenuFixture(const wchar_t* name, const std::string& text) {
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"menu-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + name;
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (f != INVALID_HANDLE_VALUE) {
        ::WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(f);
    }
    return path;
}
