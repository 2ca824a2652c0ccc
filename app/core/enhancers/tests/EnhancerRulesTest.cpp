// Which enhancer records name a class the program loads.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "app/core/enhancers/EnhancerRules.h"

namespace {

using enhancer_rules::IsOwnEnhancer;

TEST(EnhancerRules, OnlyTheProgramsOwnClassesAndATestsExtrasLoad) {
    const std::vector<std::wstring> extra = {L"6C1E2A10-3B7D-4F5E-9A21-5D4C3B2A1F01", L""};
    struct Case {
        const wchar_t* id;
        bool withExtra;
        bool loads;
    };
    const Case cases[] = {
        {L"5FA5BCF8-7C6F-4E28-9479-3AB992F8B579", false, true},    // the Internet Explorer enhancer
        {L"B5BDB5FF-5288-4423-A77D-6418C864F6F6", false, true},    // the Firefox enhancer
        {L"5fa5bcf8-7c6f-4e28-9479-3ab992f8b579", false, true},    // case does not matter
        {L"276A523E-D788-4B38-B5A0-0FE77199914D", false, false},   // the site enhancer is no enhancer
        {L"0F0E0D0C-0B0A-0908-0706-050403020100", false, false},   // any other class
        {L"6C1E2A10-3B7D-4F5E-9A21-5D4C3B2A1F01", false, false},   // a stand-in, without the seam
        {L"6C1E2A10-3B7D-4F5E-9A21-5D4C3B2A1F01", true, true},     // ... with it
        {L"6C1E2A10-3B7D-4F5E-9A21-5D4C3B2A1F02", true, false},    // only the extras named
        {L"{5FA5BCF8-7C6F-4E28-9479-3AB992F8B579}", false, false}, // not the settings' form
        {L"5FA5BCF8-7C6F-4E28-9479-3AB992F8B579 ", false, false},
        {L"5FA5BCF8-7C6F-4E28-9479-3AB992F8B57", false, false},
        {L"", true, false},                                        // an empty extra names nothing
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.loads, IsOwnEnhancer(c.id, c.withExtra ? extra : std::vector<std::wstring>{}))
            << std::string(c.id, c.id + wcslen(c.id)) << (c.withExtra ? " (with extras)" : "");
}

}  // namespace
