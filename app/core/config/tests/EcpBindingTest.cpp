// Which well-known panel a record's id names, and what that sets on it.
#include <gtest/gtest.h>

#include <string>

#include "app/core/config/SettingsRules.h"

namespace {

using settings_rules::BindingFor;
using settings_rules::EcpRole;

const wchar_t* const kSearch = L"5A6B7C8D-0000-4000-8000-00000000AB12";

TEST(EcpBinding, EachWellKnownIdHasItsRoleAndRecordFlags) {
    namespace wk = well_known;
    struct Case {
        std::wstring id;
        EcpRole role;
        int singleInstance;
        bool settingsPanel, searchPanel, defaultWhenUnset;
    } cases[] = {
        {wk::kHelp, EcpRole::kHelp, -1, false, false, false},
        {wk::kFeedback, EcpRole::kFeedback, 0, false, false, false},
        {wk::kAbout, EcpRole::kAbout, 1, false, false, false},
        {wk::kDockToggle, EcpRole::kDockToggle, 1, false, false, false},
        {wk::kBug, EcpRole::kBug, -1, false, false, false},
        {wk::kSettings, EcpRole::kSettings, 1, true, false, true},
        {wk::kMobile, EcpRole::kMobile, -1, false, false, false},
        {wk::kPromo, EcpRole::kPromo, -1, false, false, false},
        {kSearch, EcpRole::kSearch, 1, false, true, false},
        {wk::kMiniBrowser, EcpRole::kMiniBrowser, 0, false, false, false},
        {wk::kSingleInstanceOnly, EcpRole::kNone, 1, false, false, false},
        // Ids are compared without case.
        {L"2338ad2e-cdac-11db-8314-0800200c9a66", EcpRole::kSettings, 1, true, false, true},
        {L"pondrel mobile", EcpRole::kMobile, -1, false, false, false},
        {L"5a6b7c8d-0000-4000-8000-00000000ab12", EcpRole::kSearch, 1, false, true, false},
        // Anything else binds nothing and keeps the record as it is.
        {L"11111111-2222-3333-4444-555555555555", EcpRole::kNone, -1, false, false, false},
        {L"", EcpRole::kNone, -1, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.id.begin(), c.id.end()));
        auto b = BindingFor(c.id, kSearch);
        EXPECT_EQ(b.role, c.role);
        EXPECT_EQ(b.singleInstance, c.singleInstance);
        EXPECT_EQ(b.settingsPanel, c.settingsPanel);
        EXPECT_EQ(b.searchPanel, c.searchPanel);
        EXPECT_EQ(b.defaultWhenUnset, c.defaultWhenUnset);
    }
}

TEST(EcpBinding, TheFirstMatchingRowWinsWhenTheSearchIdIsAlsoWellKnown) {
    // The search row comes after the promo row and before the mini browser row.
    EXPECT_EQ(BindingFor(well_known::kHelp, well_known::kHelp).role, EcpRole::kHelp);
    EXPECT_EQ(BindingFor(well_known::kPromo, well_known::kPromo).role, EcpRole::kPromo);
    EXPECT_EQ(BindingFor(well_known::kMiniBrowser, well_known::kMiniBrowser).role, EcpRole::kSearch);
    EXPECT_EQ(BindingFor(well_known::kSingleInstanceOnly, well_known::kSingleInstanceOnly).role, EcpRole::kSearch);
}

}  // namespace
