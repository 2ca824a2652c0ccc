// GDI+ for a whole test program: a GoogleTest environment that starts it
// before the first test and shuts it down after the last.  Including this
// header registers it (once per program).
#pragma once

#include <gtest/gtest.h>

#include "fx/GdiPlus.h"

namespace testsupport {

class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(session_.Startup()); }
    void TearDown() override { session_.Shutdown(); }

private:
    fx::GdiplusSession session_;
};

inline ::testing::Environment* const kGdiplusEnvironment =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

}  // namespace testsupport
