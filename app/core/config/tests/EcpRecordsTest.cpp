#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/tests/support/CoreTestFiles.h"
#include "app/core/config/EcpRecords.h"
#include "app/core/config/Settings.h"
#include "app/core/config/SettingsRules.h"
#include "app/core/config/XmlConfig.h"

namespace {

const wchar_t kServer[] = L"http://127.0.0.1:8080/files";

class EcpRecordsTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = coretest::ScratchDir();
        sources_.installDir = L"C:\\Program Files\\PondRel\\";
        sources_.imagesUrl = std::wstring(kServer) + L"/images/";
        sources_.templatesUrl = std::wstring(kServer) + L"/templates/";
        sources_.searchEcp = L"6A2F0D93-5C1E-4B78-A0D4-93E7B2C61F05";
        sources_.defaultEcp = &defaultEcp_;
    }
    // Loads xml and rebuilds the view's records from it.
    void Rebuild(const std::string& xml) {
        reader_ = std::make_unique<XmlConfig>(coretest::WriteFile(dir_, L"settings.xml", xml).c_str());
        reader_->LoadLists();
        RebuildEcpRecords(*reader_, view_, sources_, ::GetTickCount());
    }
    // A document of one category with one target holding the given entries.
    static std::string OneTarget(const std::string& entries) {
        return "<init><ecptree><category><name>C</name><id>cat</id><target>" + entries +
               "</target></category></ecptree></init>";
    }
    std::wstring dir_;
    std::wstring defaultEcp_;
    EcpRecordSources sources_;
    std::unique_ptr<XmlConfig> reader_;
    Settings view_;
};

struct Expected {
    const wchar_t* id;
    int c, t, e;
    int active, hasParent, placement, noSkin, single;
    int showAds, showSearch, resizable, mediaMode, dockable, detachable, inMenu, searchable;
    int width, height;
};

TEST_F(EcpRecordsTest, SampleGivesEveryRecordInDocumentOrder) {
    Rebuild(coretest::SampleSettings());
    // clang-format off
    const Expected want[] = {
        // id                                       c t e  act par place nosk sgl  ads srch rsz med dck det menu can   w    h
        {L"2338AD2E-CDAC-11DB-8314-0800200C9A66",   1,1,1,  1,  0, 128,  0,  1,    0,  0,  0,  0,  0,  0,  0,  0,  420, 360},
        {L"8B33A94F-37ED-4EA3-9053-D6B32D3DD608",   1,1,2,  1,  1,   1,  0,  0,    0,  0,  1,  0,  0,  0,  1,  0,  520, 480},
        {L"7B143EB0-67E7-42F2-A976-D7EE507D0EA5",   1,1,3,  1,  1,   0,  0,  0,    0,  0,  0,  0,  0,  0,  1,  0,  400, 320},
        {L"B738D536-E6B1-49C4-B565-C4A425A0973B",   1,1,4,  1,  1,   1,  0,  1,    0,  0,  0,  0,  0,  0,  1,  0,  360, 240},
        {L"235DA57D-4BE6-4ABA-A46E-78012268DD93",   1,1,5,  1,  1, 128,  0,  1,    0,  0,  0,  0,  0,  0,  0,  0,  200, 120},
        {L"EF59F3D4-13D1-4A05-88B3-4832MLA0C742",   1,1,6,  1,  1,   0,  1,  0,    0,  0,  0,  0,  0,  0,  1,  0,    0,   0},
        {L"4C733FB7-1F02-4F4F-BBBD-C5156B5B9872",   1,1,7,  1,  1,   0,  0,  0,    0,  0,  0,  1,  1,  0,  0,  0,  320, 240},
        {L"DE493F68-8353-1A76-AEF1-E3CD929F5C4C",   1,1,8,  1,  1,   1,  0,  1,    0,  0,  0,  0,  0,  0,  0,  0,  480, 360},
        {L"PondRel Offers",                         1,1,9,  1,  1,   0,  0,  0,    1,  0,  0,  0,  0,  0,  0,  0,  300, 250},
        {L"0E3A4C51-8D2B-4F6A-B1C7-2D9E5F8A3B14",   2,1,1,  1,  1,   0,  0,  0,    0,  1,  1,  0,  1,  1,  1,  1,  360, 420},
        {L"91C4E7B2-3A5D-4E0F-8B62-C7D1A9F4E385",   2,1,2,  1,  1,   0,  0,  0,    1,  1,  1,  0,  1,  0,  1,  1,  480, 520},
        {L"3F8B2D60-E1C4-4A97-9D25-6B0E4C7A1F83",   2,1,3,  0,  1,   0,  0,  0,    0,  0,  0,  0,  0,  0,  1,  0,  400, 300},
        {L"6A2F0D93-5C1E-4B78-A0D4-93E7B2C61F05",   2,2,1,  1,  1,   0,  0,  1,    0,  1,  1,  0,  0,  0,  1,  1,  560, 440},
        {L"C25E81A4-7F3B-4D09-96E2-0A4B8D3C5E71",   2,2,2,  1,  1,   0,  1,  0,    0,  0,  0,  0,  0,  0,  1,  0,    0,   0},
    };
    // clang-format on
    ASSERT_EQ(view_.m_EcpList.GetCount(), std::size(want));
    for (size_t i = 0; i < std::size(want); ++i) {
        const Expected& w = want[i];
        const UserSetting& r = *view_.m_EcpList.GetAt(i);
        SCOPED_TRACE(testing::Message() << "record " << i + 1);
        EXPECT_EQ(r.m_Id, w.id);
        EXPECT_EQ(r.m_CategoryIndex, w.c);
        EXPECT_EQ(r.m_TargetIndex, w.t);
        EXPECT_EQ(r.m_EcpIndex, w.e);
        EXPECT_EQ(r.m_Active != 0, w.active != 0);
        EXPECT_EQ(r.m_HasParent, w.hasParent);
        EXPECT_EQ(r.m_Placement, unsigned(w.placement));
        EXPECT_EQ(r.m_NoSkin, w.noSkin);
        EXPECT_EQ(r.m_SingleInstance, w.single);
        EXPECT_EQ(r.m_ShowAds, w.showAds);
        EXPECT_EQ(r.m_ShowSearch, w.showSearch);
        EXPECT_EQ(r.m_Resizable, w.resizable);
        EXPECT_EQ(r.m_MediaMode, w.mediaMode);
        EXPECT_EQ(r.m_Dockable, w.dockable);
        EXPECT_EQ(r.m_Detachable, w.detachable);
        EXPECT_EQ(r.m_Shareable, 0) << "shareable is logged only";
        EXPECT_EQ(r.m_InMenu, w.inMenu);
        EXPECT_EQ(r.m_Searchable, w.searchable);
        EXPECT_EQ(r.m_Width, w.width);
        EXPECT_EQ(r.m_Height, w.height);
        EXPECT_EQ(r.m_InstallDir, sources_.installDir);
        EXPECT_EQ(r.m_TemplateBaseUrl, std::wstring(kServer) + L"/templates/ecp/");
        EXPECT_EQ(r.m_Skin, r.m_TemplateKey);
        EXPECT_EQ(r.m_SearchPanel, i == 12 ? 1 : 0);
        EXPECT_EQ(r.m_SettingsPanel, i == 0 ? 1 : 0);
        EXPECT_EQ(r.m_OpenCount, 0);
        EXPECT_TRUE(r.m_QueryText.empty() && r.m_Context.empty() && r.m_CurrentUrl.empty());
    }
    const UserSetting& dict = *view_.m_EcpList.GetAt(9);
    EXPECT_EQ(dict.m_Name, L"Dictionary");
    EXPECT_EQ(dict.m_CategoryId, L"reference");
    EXPECT_EQ(dict.m_Skin, L"Slate");
    EXPECT_EQ(dict.m_IconUrl, std::wstring(kServer) + L"/images/dictionary.png");
    EXPECT_EQ(dict.m_Version, L"2");
    EXPECT_EQ(dict.m_Parent, L"True");
    EXPECT_EQ(dict.m_ActionWhitespace, L"") << "the entry's text, empty when missing";
    EXPECT_EQ(dict.m_TargetText.substr(0, 4), L"text");
    const UserSetting& bug = *view_.m_EcpList.GetAt(5);
    EXPECT_EQ(bug.m_Action, std::wstring(kServer) + L"/bug.asp?text={pq_token}");
    EXPECT_EQ(bug.m_ActionWhitespace, L"+");
    EXPECT_EQ(bug.m_Skin, L"");
}

TEST_F(EcpRecordsTest, SampleBindsTheWellKnownPanels) {
    Rebuild(coretest::SampleSettings());
    auto& l = view_.m_EcpList;
    EXPECT_EQ(view_.m_pSettingsEcp, l.GetAt(0));
    EXPECT_EQ(view_.m_pHelpEcp, l.GetAt(1));
    EXPECT_EQ(view_.m_pFeedbackEcp, l.GetAt(2));
    EXPECT_EQ(view_.m_pAboutEcp, l.GetAt(3));
    EXPECT_EQ(view_.m_pDockToggleEcp, l.GetAt(4));
    EXPECT_EQ(view_.m_pBugEcp, l.GetAt(5));
    EXPECT_EQ(view_.m_pMiniBrowserEcp, l.GetAt(6));
    EXPECT_EQ(view_.m_pPromoEcp, l.GetAt(8));
    EXPECT_EQ(view_.m_pMobileEcp, nullptr);
    EXPECT_EQ(view_.m_pSearchEcp, l.GetAt(12));
    EXPECT_EQ(defaultEcp_, L"2338AD2E-CDAC-11DB-8314-0800200C9A66") << "empty default_ecp takes the settings panel";

    EXPECT_EQ(view_.FindEcp(L"0E3A4C51-8D2B-4F6A-B1C7-2D9E5F8A3B14"), l.GetAt(9));
    EXPECT_EQ(view_.FindEcp(L"0e3a4c51-8d2b-4f6a-b1c7-2d9e5f8a3b14"), nullptr) << "exact case only";
    EXPECT_EQ(view_.FindEcp(L"no such panel"), nullptr);
}

TEST_F(EcpRecordsTest, EntryTextsBecomeFlagsByTheirOwnRules) {
    struct Row { const char* xml; unsigned placement; int active, hasParent, showAds; };
    const Row rows[] = {
        {"", 0, 1, 1, 0},
        {"<location>CENTER</location><active>True</active><parent>FALSE</parent><show_ads>TRUE</show_ads>", 1, 1, 0, 1},
        {"<location>Tray</location><active>yes</active><parent>no</parent><show_ads>1</show_ads>", 128, 0, 1, 0},
        {"<location>left</location><active></active><parent></parent><show_ads></show_ads>", 0, 1, 1, 0},
        {"<location>centre</location><active>false</active><parent>false</parent>", 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.xml);
        Rebuild(OneTarget(std::string("<ecp><id>X</id>") + row.xml + "</ecp>"));
        ASSERT_EQ(view_.m_EcpList.GetCount(), 1u);
        const UserSetting& r = *view_.m_EcpList.GetAt(0);
        EXPECT_EQ(r.m_Placement, row.placement);
        EXPECT_EQ(r.m_Active != 0, row.active != 0);
        EXPECT_EQ(r.m_HasParent, row.hasParent);
        EXPECT_EQ(r.m_ShowAds, row.showAds);
    }
}

TEST_F(EcpRecordsTest, BindingRulesForSearchAndDefaultPanels) {
    // An empty search_ecp binds a record without identifier.
    sources_.searchEcp = L"";
    defaultEcp_ = L"kept";
    Rebuild(OneTarget("<ecp><name>a</name></ecp><ecp><id>2338ad2e-cdac-11db-8314-0800200c9a66</id></ecp>"
                      "<ecp><id>8B33A94F-37ED-4EA3-9053-D6B32D3DD608</id></ecp>"));
    ASSERT_EQ(view_.m_EcpList.GetCount(), 3u);
    EXPECT_EQ(view_.m_pSearchEcp, view_.m_EcpList.GetAt(0));
    EXPECT_EQ(view_.m_pSettingsEcp, view_.m_EcpList.GetAt(1)) << "bindings ignore case";
    EXPECT_EQ(view_.m_pHelpEcp, view_.m_EcpList.GetAt(2));
    EXPECT_EQ(defaultEcp_, L"kept") << "a set default_ecp stays";
    EXPECT_EQ(view_.FindEcp(L""), view_.m_EcpList.GetAt(0));

    // A later record with the same identifier takes the binding; FindEcp the first.
    Rebuild(OneTarget("<ecp><id>8B33A94F-37ED-4EA3-9053-D6B32D3DD608</id></ecp>"
                      "<ecp><id>8B33A94F-37ED-4EA3-9053-D6B32D3DD608</id></ecp>"));
    EXPECT_EQ(view_.m_pHelpEcp, view_.m_EcpList.GetAt(1));
    EXPECT_EQ(view_.FindEcp(L"8B33A94F-37ED-4EA3-9053-D6B32D3DD608"), view_.m_EcpList.GetAt(0));
}

TEST_F(EcpRecordsTest, RebuildWithoutTheWellKnownPanelsLeavesNoBindingBehind) {
    Rebuild(coretest::SampleSettings());
    ASSERT_NE(view_.m_pSearchEcp, nullptr);
    Rebuild(OneTarget("<ecp><id>Z</id></ecp>"));
    ASSERT_EQ(view_.m_EcpList.GetCount(), 1u);
    for (UserSetting* b : {view_.m_pHelpEcp, view_.m_pFeedbackEcp, view_.m_pBugEcp, view_.m_pAboutEcp,
                           view_.m_pDockToggleEcp, view_.m_pSettingsEcp, view_.m_pPromoEcp, view_.m_pMobileEcp,
                           view_.m_pSearchEcp, view_.m_pMiniBrowserEcp})
        EXPECT_EQ(b, nullptr);
}

TEST_F(EcpRecordsTest, UsedRecordWalkEndsAlsoWhenTheLastRecordIsUsed) {
    Rebuild(OneTarget("<ecp><id>a</id></ecp><ecp><id>b</id></ecp><ecp><id>c</id></ecp>"));
    auto walk = [&] {
        std::wstring ids;
        EcpPosition pos;
        int steps = 0;
        while (UserSetting* r = view_.NextUsedEcp(pos)) {
            ids += r->m_Id;
            if (++steps > 10) break;  // a walk that never ends fails here
        }
        EXPECT_EQ(view_.NextUsedEcp(pos), nullptr) << "stays at the end";
        return ids;
    };
    EXPECT_EQ(walk(), L"");
    view_.m_EcpList.GetAt(2)->m_OpenCount = 1;
    EXPECT_EQ(walk(), L"c");
    view_.m_EcpList.GetAt(0)->m_OpenCount = 2;
    view_.m_EcpList.GetAt(0)->m_OpenTime = 5000;
    EXPECT_EQ(walk(), L"ac");
    view_.ResetEcpUsage();
    EXPECT_EQ(walk(), L"");
    EXPECT_EQ(view_.m_EcpList.GetAt(0)->m_OpenTime, 0);
}

// A server's panel tree of any size: the reader counts the first 64
// categories, 64 targets of a category and 256 entries of a target, and the
// records stop at 1024.
TEST_F(EcpRecordsTest, TheTreeIsReadUpToItsBounds) {
    auto entries = [](int n, const std::string& prefix) {
        std::string xml;
        for (int i = 0; i < n; ++i) xml += "<ecp><id>" + prefix + std::to_string(i) + "</id></ecp>";
        return xml;
    };
    auto category = [](const std::string& targets) { return "<category><name>C</name>" + targets + "</category>"; };
    {
        std::string tree;
        for (int c = 0; c < settings_rules::kMaxCategories + 6; ++c)
            tree += category("<target>" + entries(1, "c" + std::to_string(c) + "-") + "</target>");
        Rebuild("<init><ecptree>" + tree + "</ecptree></init>");
        EXPECT_EQ(static_cast<size_t>(settings_rules::kMaxCategories), reader_->Categories().size());
        ASSERT_EQ(static_cast<size_t>(settings_rules::kMaxCategories), view_.m_EcpList.GetCount());
        EXPECT_EQ(L"c63-0", view_.m_EcpList.GetAt(settings_rules::kMaxCategories - 1)->m_Id);
    }
    {
        std::string targets;
        for (int t = 0; t < settings_rules::kMaxTargets + 3; ++t) targets += "<target>" + entries(1, "t") + "</target>";
        Rebuild("<init><ecptree>" + category(targets) + "</ecptree></init>");
        EXPECT_EQ(static_cast<size_t>(settings_rules::kMaxTargets), view_.m_EcpList.GetCount());
    }
    {
        Rebuild(OneTarget(entries(settings_rules::kMaxTargetEntries + 10, "e")));
        ASSERT_EQ(static_cast<size_t>(settings_rules::kMaxTargetEntries), view_.m_EcpList.GetCount());
        EXPECT_EQ(L"e255", view_.m_EcpList.GetAt(settings_rules::kMaxTargetEntries - 1)->m_Id);
    }
    {
        const int full = settings_rules::kMaxRecords / settings_rules::kMaxTargetEntries;  // categories filled up
        std::string tree;
        for (int c = 0; c <= full; ++c)
            tree += category("<target>" + entries(settings_rules::kMaxTargetEntries, "r" + std::to_string(c) + "-") +
                             "</target>");
        Rebuild("<init><ecptree>" + tree + "</ecptree></init>");
        ASSERT_EQ(static_cast<size_t>(settings_rules::kMaxRecords), view_.m_EcpList.GetCount());
        EXPECT_EQ(L"r3-255", view_.m_EcpList.GetAt(settings_rules::kMaxRecords - 1)->m_Id);
    }
}

TEST_F(EcpRecordsTest, CopyKeepsItsOwnUsage) {
    Rebuild(coretest::SampleSettings());
    UserSetting& dict = *view_.m_EcpList.GetAt(9);
    dict.m_OpenCount = 3;
    dict.m_OpenTime = 1200;
    dict.m_LastRunValue = 9;
    dict.m_RunText = L"run";
    dict.m_Counted = 1;
    UserSetting copy;
    copy.CopyFrom(dict);
    EXPECT_EQ(copy.m_OpenCount, 0);
    EXPECT_EQ(copy.m_OpenTime, 0);
    EXPECT_EQ(copy.m_LastRunValue, 0);
    EXPECT_EQ(copy.m_Id, dict.m_Id);
    EXPECT_EQ(copy.m_TargetText, dict.m_TargetText);
    EXPECT_EQ(copy.m_RunText, L"run");
    EXPECT_EQ(copy.m_Counted, 1);
    EXPECT_EQ(copy.m_Detachable, 1);
    EXPECT_EQ(copy.m_Height, 420);
    UserSetting fresh;
    EXPECT_EQ(fresh.m_ActionWhitespace, L" ");
}

// Every field of a record reaches its copy, each with its own value, while a
// copy made over a used record keeps that record's usage.
TEST(UserSettingCopy, CarriesEveryFieldButTheUsage) {
    using S = UserSetting;
    std::wstring S::*const texts[] = {
        &S::m_CategoryId, &S::m_InstallDir, &S::m_TargetText, &S::m_Id,      &S::m_IconUrl,
        &S::m_Version,    &S::m_Name,       &S::m_Skin,       &S::m_TemplateKey, &S::m_TemplateBaseUrl,
        &S::m_QueryText,  &S::m_Context,    &S::m_CurrentUrl, &S::m_Parent,  &S::m_Action,
        &S::m_ActionWhitespace, &S::m_RunText,
    };
    BYTE S::*const bytes[] = {
        &S::m_HasParent, &S::m_Searchable, &S::m_SingleInstance, &S::m_ShowAds,    &S::m_ShowSearch,
        &S::m_Resizable, &S::m_MediaMode,  &S::m_Dockable,       &S::m_Detachable, &S::m_Shareable,
        &S::m_InMenu,    &S::m_SettingsPanel, &S::m_RunFlag,     &S::m_Counted,    &S::m_SearchPanel,
        &S::m_NoSkin,
    };
    int32_t S::*const ints[] = {
        &S::m_RunValue, &S::m_CategoryIndex, &S::m_TargetIndex, &S::m_EcpIndex, &S::m_Width, &S::m_Height,
        &S::m_RunInt1,  &S::m_RunInt2,       &S::m_RunInt3,     &S::m_RunInt4,  &S::m_RunInt5,
    };
    uint32_t S::*const words[] = {&S::m_Transient, &S::m_Placement};

    S source;
    int n = 0;
    for (auto f : texts) source.*f = L"text " + std::to_wstring(++n);
    for (auto f : bytes) source.*f = static_cast<BYTE>(++n);
    for (auto f : ints) source.*f = ++n;
    for (auto f : words) source.*f = static_cast<uint32_t>(++n);
    source.m_Active = TRUE;
    source.m_OpenCount = 3;
    source.m_OpenTime = 1200;
    source.m_LastRunValue = 9;

    S copy;
    copy.m_OpenCount = 7;
    copy.m_OpenTime = 70;
    copy.m_LastRunValue = 77;
    copy.CopyFrom(source);
    n = 0;
    for (auto f : texts) EXPECT_EQ(copy.*f, L"text " + std::to_wstring(++n)) << "text field " << n;
    for (auto f : bytes) EXPECT_EQ(copy.*f, ++n) << "byte field " << n;
    for (auto f : ints) EXPECT_EQ(copy.*f, ++n) << "integer field " << n;
    for (auto f : words) EXPECT_EQ(copy.*f, static_cast<uint32_t>(++n)) << "word field " << n;
    EXPECT_EQ(copy.m_Active, TRUE);
    EXPECT_EQ(copy.m_OpenCount, 7);
    EXPECT_EQ(copy.m_OpenTime, 70);
    EXPECT_EQ(copy.m_LastRunValue, 77);
    EXPECT_EQ(source.m_Id, L"text 4") << "the source is left as it was";

    copy.CopyFrom(copy);
    EXPECT_EQ(copy.m_Id, L"text 4") << "a copy onto itself changes nothing";
}

}  // namespace
