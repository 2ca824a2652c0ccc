#include "app/core/config/EcpRecords.h"

#include <memory>

#include "app/core/config/Settings.h"
#include "app/core/config/SettingsLog.h"
#include "app/core/config/SettingsRules.h"
#include "app/core/config/XmlConfig.h"
#include "log/PondrelLog.h"

namespace {

using settings_log::Value;
using namespace settings_rules;

// One record from the entry the reader holds, logged as it is read.
std::unique_ptr<UserSetting> RecordFromEntry(XmlConfig& r, const EcpRecordSources& app) {
    auto s = std::make_unique<UserSetting>();
    Value(L"ECP Name =  ", r.GetEcpName());
    s->m_Name = r.GetEcpName();
    s->m_Id = r.GetEcpId();
    Value(L"GUID ", s->m_Id);

    if (r.GetEcpSkin().empty()) s->m_NoSkin = 1;
    Value(L"ECP Skin =  ", r.GetEcpSkin());
    s->m_Skin = r.GetEcpSkin();
    s->m_TemplateKey = r.GetEcpSkin();
    s->m_TemplateBaseUrl = app.templatesUrl + L"ecp/";

    s->m_Width = r.EcpWidth();
    s->m_Height = r.EcpHeight();
    std::wstring size = L"ECP Width " + std::to_wstring(s->m_Width) + L": Height " + std::to_wstring(s->m_Height);
    Value(size.c_str(), L"");
    s->m_Placement = Placement(r.GetEcpLocation());
    Value((size + L": Location ").c_str(), r.GetEcpLocation());

    Value(L"Guess Text ", r.GetEcpGuessText());

    Value(L"Show Ads ", r.GetEcpShowAds());
    s->m_ShowAds = FlagTrue(r.GetEcpShowAds());
    Value(L"White space replace = ", r.GetEcpActionWhitespace());
    s->m_ActionWhitespace = r.GetEcpActionWhitespace();
    Value(L"Show Search ", r.GetEcpShowSearch());
    s->m_ShowSearch = FlagTrue(r.GetEcpShowSearch());
    Value(L"MediaMode ", r.GetEcpMediaMode());
    s->m_MediaMode = FlagTrue(r.GetEcpMediaMode());
    Value(L"Resizeable ", r.GetEcpResizable());
    s->m_Resizable = FlagTrue(r.GetEcpResizable());
    Value(L"Dockable ", r.GetEcpDockable());
    s->m_Dockable = FlagTrue(r.GetEcpDockable());
    Value(L"Detachable ", r.GetEcpDetachable());
    s->m_Detachable = FlagTrue(r.GetEcpDetachable());
    // Shareable is logged; panels have no sharing, so the flag stays clear.
    Value(L"Shareable ", r.GetEcpShareable());
    Value(L"In Menu ", r.GetEcpInMenu());
    s->m_InMenu = FlagTrue(r.GetEcpInMenu());
    Value(L"Active ", r.GetEcpActive());
    s->m_Active = FlagOrEmpty(r.GetEcpActive()) ? TRUE : FALSE;
    Value(L"Parent ECP ", r.GetEcpParent());
    s->m_Parent = r.GetEcpParent();
    s->m_HasParent = ParentFlag(r.GetEcpParent());
    Value(L"Can Search ", r.GetEcpSearchable());
    s->m_Searchable = FlagTrue(r.GetEcpSearchable());
    Value(L"Action URL ", r.GetEcpAction());
    s->m_Action = r.GetEcpAction();

    s->m_InstallDir = app.installDir;
    s->m_CategoryId = r.GetCategoryId();
    s->m_TargetText = r.GetTargetText();
    s->m_CategoryIndex = r.CategoryIndex();
    s->m_TargetIndex = r.TargetIndex();
    s->m_EcpIndex = r.EcpIndex();
    s->m_IconUrl = app.imagesUrl + r.GetEcpIcon();
    s->m_Version = r.GetEcpVersion();
    return s;
}

}  // namespace

void RebuildEcpRecords(XmlConfig& r, Settings& view, const EcpRecordSources& app, DWORD loadStartTick) {
    view.DeleteAllRecords();
    std::wstring scratchDefault;
    std::wstring& defaultEcp = app.defaultEcp ? *app.defaultEcp : scratchDefault;

    int records = 0;
    const int categories = static_cast<int>(r.CategoryCount());
    Value(L"Category Count ", categories);
    settings_log::TicksSince(loadStartTick);
    for (int c = 1; c <= categories; ++c) {
        r.ReadCategory(c);
        const int targets = r.CountTargets();
        settings_log::Separator();
        Value(L"Catagory =  ", r.GetCategoryName() + L" : Target Count " + std::to_wstring(targets));
        Value(L"Active ", r.GetCategoryActive());
        settings_log::TicksSince(loadStartTick);
        for (int t = 1; t <= targets; ++t) {
            r.ReadTarget(t);
            const int entries = r.CountEcps();
            Value(L"ECP Count =  ", entries);
            settings_log::Separator();
            for (int e = 1; e <= entries; ++e) {
                if (records == kMaxRecords) {
                    LogLine((L"Settings hold more than " + std::to_wstring(kMaxRecords) +
                             L" panel entries: the rest are not read")
                                .c_str());
                    return;
                }
                r.ReadEcpEntry(e);
                view.AddRecord(RecordFromEntry(r, app), app.searchEcp, defaultEcp);
                ++records;
            }
        }
    }
}
