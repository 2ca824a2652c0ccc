// What the controller's panel tests set up first: COM on the test's thread,
// the shared debug log open for reading and the program's logger writing to
// it, the program's window classes, and a temp directory of the test's own
// (the mask file has one name, so two test programs must not share it).
#pragma once

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "ViewerLog.h"
#include "app/core/main/PondrelApp.h"
#include "log/Logger.h"

inline ::testing::AssertionResult StartPanelTest(ViewerLog& log, const wchar_t* tempName) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (!log.Create()) return ::testing::AssertionFailure() << "the debug log could not be opened";
    g_pLogger = Logger::Open();
    RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    theApp.m_TempDir = std::wstring(temp) + tempName + L"\\";
    ::CreateDirectoryW(theApp.m_TempDir.c_str(), nullptr);
    return ::testing::AssertionSuccess();
}
