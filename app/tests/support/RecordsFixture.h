// A fixture around the application's document with the panel records a test
// starts from: COM on the test's thread, a document with its settings view
// made the application's (theApp.m_pDoc), the given records added to the
// view; all gone again after the test.  A test adds more with AddRecord.
#pragma once

#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"

namespace apptest {

// One record the test starts from: its identifier, its name and the user
// setting search_ecp it is added with.
struct RecordSpec {
    std::wstring id;
    std::wstring name;
    std::wstring searchEcp;
};

class RecordsFixture : public testing::Test {
protected:
    explicit RecordsFixture(std::vector<RecordSpec> records = {}) : records_(std::move(records)) {}

    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        doc_ = std::make_unique<CPondrelDoc>();
        doc_->CreateProvidersPane();
        theApp.m_pDoc = doc_.get();
        for (const RecordSpec& r : records_) AddRecord(r);
    }
    void TearDown() override {
        theApp.m_pDoc = nullptr;
        doc_.reset();
        ::CoUninitialize();
    }

    // Adds a record to the settings view; the view keeps it.
    UserSetting* AddRecord(const RecordSpec& spec) {
        auto record = std::make_unique<UserSetting>();
        record->m_Id = spec.id;
        record->m_Name = spec.name;
        std::wstring defaultEcp = L"x";
        return doc_->GetSettingsView()->AddRecord(std::move(record), spec.searchEcp, defaultEcp);
    }
    // The view's first record of that identifier (nullptr when none).
    UserSetting* Record(const std::wstring& id) { return doc_->GetSettingsView()->FindEcp(id); }

    std::unique_ptr<CPondrelDoc> doc_;

private:
    std::vector<RecordSpec> records_;
};

}  // namespace apptest
