// A fixture around the program's application object for tests of the
// settings load: a scratch install directory, a document with its settings
// view, the captured log, and the HKCU values the load writes saved and
// restored.
#pragma once

#include <gtest/gtest.h>

#include <objbase.h>

#include <memory>
#include <string>

#include "app/tests/support/CoreTestFiles.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/config/RegistryValues.h"
#include "app/core/config/Settings.h"
#include "app/core/config/XmlConfig.h"

namespace coretest {

class AppFixture : public testing::Test {
protected:
    void SetUp() override {
        // The program's user-interface thread is a COM apartment (enhancers
        // and the site enhancer are created on it).
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        ReadRegistryValue(L"Start", savedStart_);
        ReadRegistryValue(L"Splash", savedSplash_);
        dir_ = ScratchDir();
        theApp.m_InstallDir = dir_;
        theApp.m_Online = true;
        theApp.m_SettingsLoaded = false;
        // The route test answers what the test set: a test goes offline by
        // clearing m_Online.
        theApp.m_RouteTest = []() -> bool { return theApp.m_Online; };
        doc_ = std::make_unique<CPondrelDoc>();
        doc_->OnNewDocument();  // the application's document
        doc_->CreateProvidersPane();
        log_ = std::make_unique<CapturedLog>();
    }
    void TearDown() override {
        log_.reset();
        theApp.DeleteSettingsReader();
        theApp.m_SettingsLoaded = false;
        doc_.reset();
        WriteRegistryValue(savedStart_.c_str(), L"Start");
        WriteRegistryValue(savedSplash_.c_str(), L"Splash");
        ::CoUninitialize();
    }
    Settings& View() { return *doc_->GetSettingsView(); }
    // Makes xml the loaded settings document, as a download would.
    void UseDocument(const std::string& xml) {
        theApp.DeleteSettingsReader();
        std::wstring path = WriteFile(dir_, L"settings.xml", xml);
        theApp.m_pSettings = new XmlConfig(path.c_str());
        theApp.m_SettingsLoaded = theApp.m_pSettings->LoadLists() == 0;
    }

    std::wstring dir_;
    std::unique_ptr<CPondrelDoc> doc_;
    std::unique_ptr<CapturedLog> log_;
    std::wstring savedStart_, savedSplash_;
};

}  // namespace coretest
