#include <gtest/gtest.h>

#include "app/core/config/SettingsRules.h"

namespace {

using namespace settings_rules;

TEST(SettingsRules, FlagTexts) {
    struct Case { const wchar_t* text; bool orEmpty, onlyTrue, parent; } cases[] = {
        {L"", true, false, true},        {L"true", true, true, true},    {L"TRUE", true, true, true},
        {L"tRuE", true, true, true},     {L"1", false, false, true},     {L"yes", false, false, true},
        {L" true", false, false, true},  {L"false", false, false, false}, {L"FALSE", false, false, false},
        {L"truee", false, false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FlagOrEmpty(c.text), c.orEmpty) << c.text;
        EXPECT_EQ(FlagTrue(c.text), c.onlyTrue) << c.text;
        EXPECT_EQ(ParentFlag(c.text), c.parent) << c.text;
    }
}

TEST(SettingsRules, NumbersAndIntervals) {
    struct Case { const wchar_t* text; int value; unsigned ms; } cases[] = {
        {L"30", 30, 30000},  {L"", 0, 0},          {L"abc", 0, 0},         {L"12abc", 12, 12000},
        {L" 7", 7, 7000},    {L"-5", -5, 0},       {L"0", 0, 0},           {L"99999999999", 2147483647, 0xFFFFFFFFu},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeadingInt(c.text), c.value) << c.text;
        EXPECT_EQ(IntervalMs(c.text), c.ms) << c.text;
    }
}

TEST(SettingsRules, HotKeyNamesKeepThePreviousValueWhenUnknown) {
    struct Mode { const wchar_t* name; int want; } modes[] = {
        {L"Alt", 1}, {L"windows", 8}, {L"CONTROL", 2}, {L"Shift", 4}, {L"Ctrl", 99}, {L"", 99}};
    for (const auto& m : modes) EXPECT_EQ(HotKeyModifiers(m.name, 99), m.want) << m.name;
    struct Key { const wchar_t* name; int want; } keys[] = {
        {L"Tab", 9},    {L"space", 32}, {L"Back Space", 8}, {L"ENTER", 13}, {L"End", 35},  {L"Pause", 19},
        {L"Esc", 27},   {L"Print", 42}, {L"up", 38},        {L"Down", 77},  {L"BackSpace", 77}, {L"", 77}};
    for (const auto& k : keys) EXPECT_EQ(HotKeyVirtualKey(k.name, 77), k.want) << k.name;
}

TEST(SettingsRules, SettingsRequestUrl) {
    struct Case { const wchar_t* init; const wchar_t* user; const wchar_t* want; } cases[] = {
        {L"http://h/init2.asp", L"", L"http://h/init2.asp"},
        {L"http://h/init2.asp", L"%41%42", L"http://h/init2.asp?pq_userid=%41%42&pq_version=17"},
        {L"http://h/init2.asp?lang=en", L"%41", L"http://h/init2.asp?lang=en&pq_userid=%41&pq_version=17"},
        {L"http://h/init2.asp?lang=en", L"", L"http://h/init2.asp?lang=en"},
    };
    for (const auto& c : cases) EXPECT_EQ(SettingsRequestUrl(c.init, c.user, L"17"), c.want) << c.init;
}

TEST(SettingsRules, ProductionServerIsFoundAnywhereInTheUrl) {
    std::wstring prod = kProductionHostFragment;
    EXPECT_TRUE(IsProductionUrl(L"http://" + prod + L"/init2.asp"));
    EXPECT_TRUE(IsProductionUrl(L"http://127.0.0.1/init2.asp?from=" + prod));
    EXPECT_FALSE(IsProductionUrl(L"http://127.0.0.1:8080/files/settings.xml"));
    EXPECT_FALSE(IsProductionUrl(L"http://WWW.PONDREL.COM/init2.asp")) << "the search keeps case";
}

// The default init URL's server is the production one (the usage statistics
// are on with the defaults).
TEST(SettingsRules, TheDefaultServerIsTheProductionServer) {
    EXPECT_EQ(ProductionServerUrl(), L"http://" + std::wstring(kProductionHostFragment));
    EXPECT_TRUE(IsProductionUrl(ProductionServerUrl() + L"/init2.asp"));
}

}  // namespace

#include "app/core/config/ReloadDecisions.h"

namespace {

// Which dock messages a reload sends: 11117 when the dock flag changed
// against the remembered one, 11214 only when the new settings loaded too.
TEST(ReloadDecisions, DockMessages) {
    struct Case { bool loadedBefore, dockBefore, loadedNow, dockNow, toDock, toPanels; } cases[] = {
        {true, true, true, false, true, true},     // true -> false: both
        {true, true, true, true, false, false},    // unchanged
        {false, false, false, false, true, false}, // not loaded before: compares with true, fails again
        {false, true, true, false, true, true},    // first load says "false"
        {true, false, true, true, true, true},     // false -> true
        {true, false, false, false, false, false}, // failed reload keeps the old value
    };
    for (const auto& c : cases) {
        bool remembered = RememberedDockFlag(c.loadedBefore, c.dockBefore);
        ReloadMessages m = MessagesAfterReload(remembered, c.loadedNow, c.dockNow);
        EXPECT_EQ(m.toDock, c.toDock);
        EXPECT_EQ(m.toPanels, c.toPanels);
    }
}

}  // namespace
