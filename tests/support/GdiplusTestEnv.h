// GDI+ for a whole test program: a GoogleTest environment that starts it
// before the first test and shuts it down after the last.  Including this
// header registers it (once per program).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The first font family installed, "" when there is none.
inline std::wstring SomeInstalledFontFamily() {
    Gdiplus::InstalledFontCollection installed;
    INT count = installed.GetFamilyCount();
    if (count <= 0) return L"";
    std::vector<Gdiplus::FontFamily> families(static_cast<size_t>(count));
    INT found = 0;
    installed.GetFamilies(count, families.data(), &found);
    if (found <= 0) return L"";
    wchar_t name[LF_FACESIZE] = {};
    families[0].GetFamilyName(name);
    return name;
}

}  // namespace testsupport
