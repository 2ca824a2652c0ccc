// A fixture for the fx tests that look at the faults fx writes into the debug
// log: a viewer's log for the test's length, and the lines written into it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewerLog.h"
#include "log/Logger.h"

namespace fxtest {

class LoggedFaults : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(viewer_.Create());
        g_pLogger = Logger::Open();
        ASSERT_NE(g_pLogger, nullptr);
    }
    void TearDown() override {
        delete g_pLogger;
        g_pLogger = nullptr;
    }

    // The lines logged so far that contain `text`.
    std::vector<std::wstring> LinesWith(const std::wstring& text) {
        std::vector<std::wstring> found;
        for (const std::wstring& line : viewer_.ReadAll())
            if (line.find(text) != std::wstring::npos) found.push_back(line);
        return found;
    }

private:
    ViewerLog viewer_;
};

}  // namespace fxtest
