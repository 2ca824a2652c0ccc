// A fixture for the fx tests whose windows live on a thread other than the
// test's: a started fx::UiThread (no apartment) quit at the end, the faults
// fx logs meanwhile, and RunOn to run a step there and wait for it.
#pragma once

#include <gtest/gtest.h>

#include "LoggedFaults.h"
#include "fx/Handle.h"
#include "fx/UiThread.h"
#include "tests/support/TestSupport.h"

namespace fxtest {

// Runs f on t and waits for it (5 s at most).
using testsupport::RunOn;

class OtherThread : public LoggedFaults {
protected:
    void SetUp() override {
        LoggedFaults::SetUp();
        ASSERT_TRUE(thread_.Start(fx::Apartment::None, false));
    }
    void TearDown() override {
        EXPECT_TRUE(thread_.Quit(5000));
        LoggedFaults::TearDown();
    }
    fx::UiThread thread_;
};

}  // namespace fxtest
