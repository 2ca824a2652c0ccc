#include "app/selection/menus/TextRootMenu.h"

#include "app/core/common/AppMessages.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/config/EcpIcon.h"
#include "app/core/graphics/AppImages.h"
#include "app/core/graphics/GraphicsRules.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/config/Settings.h"
#include "app/core/net/UrlEncodeUtf8.h"
#include "app/core/config/UserSetting.h"
#include "app/core/config/XmlConfig.h"
#include "app/core/enhancers/LinkInfo.h"
#include "app/selection/hotspot/TxSelWin.h"
#include "app/selection/menus/TextRootItems.h"
#include "log/PondrelLog.h"

namespace {

Settings* SettingsView() { return theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr; }

UserSetting* FindRecord(const std::wstring& id) {
    Settings* settings = SettingsView();
    return settings ? settings->FindEcp(id) : nullptr;
}

// The settings walk of the loaded settings document.
class ReaderCategories : public text_menu::CategorySource {
public:
    explicit ReaderCategories(XmlConfig& reader) : reader_(reader) {}
    int CategoryCount() override { return static_cast<int>(reader_.CategoryCount()); }
    text_menu::CategoryTexts ReadCategory(int i) override {
        reader_.ReadCategory(i);
        reader_.ReadTarget(1);
        return {reader_.GetCategoryActive(), reader_.GetCategoryInMenu(), reader_.GetCategoryName(),
                reader_.GetCategoryDivider(),  reader_.GetCategoryId(),     reader_.GetCategoryIcon(),
                reader_.GetCategoryVersion()};
    }
    int EcpCount() override { return reader_.CountEcps(); }
    void ReadEcpFlags(int j, std::wstring& active, std::wstring& inMenu) override {
        reader_.ReadEcpEntry(j);
        active = reader_.GetEcpActive();
        inMenu = reader_.GetEcpInMenu();
    }

private:
    XmlConfig& reader_;
};

// The guess text of a record's settings entry.
std::wstring EntryGuessText(const UserSetting& record) {
    XmlConfig* reader = theApp.m_pSettings;
    if (!reader) return std::wstring();
    reader->ReadCategory(record.m_CategoryIndex);
    reader->ReadTarget(record.m_TargetIndex);
    reader->ReadEcpEntry(record.m_EcpIndex);
    return reader->GetEcpGuessText();
}

}  // namespace

void TextRootMenu::BuildItems() {
    if (!theApp.m_SettingsLoaded || theApp.m_ImagesUrl.empty() || !theApp.m_pSettings) return;
    ReaderCategories source(*theApp.m_pSettings);
    std::vector<text_menu::CategoryItem> plan = text_menu::PlanCategories(source);
    std::vector<MyMenuItem*> categories;
    for (const text_menu::CategoryItem& c : plan) {
        if (c.separator) {
            AddSeparator();
            continue;
        }
        MyMenuItem* item = AddItem(c.name, c.id, c.index);
        item->m_pIcon = LoadAppImage(theApp.m_InstallDir, theApp.m_ImagesUrl + c.icon,
                                     CacheFileNameFromUrl(c.icon, c.version, L"EcpIcons\\"));
        item->m_Index = c.index;
        item->m_Options = c.options;
        categories.push_back(item);
    }
    // Each category's sub-menu is made now (it reads the settings walk).
    for (MyMenuItem* item : categories) {
        OpenCompanyMenu(item);
        CloseSubMenu();
    }
    if (m_WithAppItem) {
        if (theApp.m_pSettings->CategoryCount() != 0) AddSeparator();
        MyMenuItem* app = AddItem(L"PondRel", L"5000", 5000);
        app->m_Token.clear();
        app->m_Index = 0;
    }
}

bool TextRootMenu::RequestGuesses(const std::wstring& text, const std::wstring* firstContext,
                                  const std::wstring& secondContext, bool resize) {
    if (m_pOwnerView) m_pOwnerView->SetGuessLaunchMode(false);
    if (!theApp.m_BestGuessStarted || !theApp.m_EnableBestGuess) return true;
    RemoveGuessItems();

    if (UserSetting* record = FindRecord(theApp.m_DefaultBestGuessEcp)) {
        AddSeparator(0)->m_Guess = true;
        std::wstring label = text_menu::DefaultGuessLabel(EntryGuessText(*record), text, record->m_Name);
        MyMenuItem* item = AddItem(label, theApp.m_DefaultBestGuessEcp, 0, 0);
        item->m_Counted = true;
        item->m_Token = text;
        item->m_Target = text;
        item->m_TreeCategory = record->m_CategoryIndex;
        item->m_TreeTarget = record->m_TargetIndex;
        item->m_TreeEntry = record->m_EcpIndex;
        item->m_pIcon = LoadEcpIcon(theApp.m_InstallDir, *record);
        item->m_Guess = true;
    }

    text_menu::GuessRequest request;
    {
        fx::ScopedLock lock(g_BestGuessLock);
        request = text_menu::DecideGuessRequest(theApp.m_BestGuessShared, theApp.m_BestGuessRequestId, text,
                                                firstContext, secondContext);
    }
    if (!request.repeat && request.withContext && m_pOwnerView)
        for (const wchar_t* metric : {L"1004.0", L"1005.0", L"1007.0"}) m_pOwnerView->CountUsage(metric);

    if (!request.repeat) {
        if (m_pOwnerView) {
            m_pOwnerView->SetHaveGuesses(false);
            m_pOwnerView->SetGuessLaunchMode(false);
        }
        theApp.ShowConnectingState();
        if (theApp.m_hBestGuessWnd)
            ::PostMessageW(theApp.m_hBestGuessWnd, best_guess_msg::kQuery, static_cast<WPARAM>(request.requestId),
                           request.withContext ? 0 : 1);
        MeasureItems();
        if (hwnd()) ResizeAndRedraw();
        return true;
    }
    if (theApp.m_BestGuessCount > 0) AddGuessItems(resize);
    theApp.UpdateTrayIcon();  // the enabled or disabled look
    return true;
}

bool TextRootMenu::AddGuessItems(bool resize) {
    const int n = theApp.m_BestGuessCount;
    if (m_pOwnerView) m_pOwnerView->SetHaveGuesses(true);
    TxSelWin* hotspot = m_pOwnerView ? m_pOwnerView->Hotspot() : nullptr;

    if (!text_menu::EqualsNoCase(theApp.m_BestGuessTitle, L"menu")) {
        // Not menu items: the hotspot of a link launches the first result
        // (its default best guess when the answer holds none; the rows past
        // the count are an older answer's).  A selection's hotspot keeps
        // opening the text menu: nothing set a panel for it to launch.
        if (hotspot && !hotspot->m_SelectionMode && hotspot->m_pLinkRecord) {
            if (n > 0) {
                fx::ScopedLock lock(g_BestGuessLock);
                hotspot->m_pLinkRecord->m_BestGuess = theApp.m_BestGuessShared.rows[0].id;
                hotspot->m_pLinkRecord->m_EcpId = theApp.m_BestGuessShared.rows[0].id;
            }
            hotspot->m_GuessesRequested = false;
        }
        return true;
    }
    if (n > 0) RemoveGuessItems();

    // The rows are copied under the lock and read against the settings after.
    text_menu::BestGuessShared answer;
    {
        fx::ScopedLock lock(g_BestGuessLock);
        answer = theApp.m_BestGuessShared;
    }
    auto lookup = [](const std::wstring& id, text_menu::GuessRecord& found) {
        UserSetting* record = FindRecord(id);
        if (!record) return false;
        found.category = record->m_CategoryIndex;
        found.target = record->m_TargetIndex;
        found.entry = record->m_EcpIndex;
        found.guessText = EntryGuessText(*record);
        return true;
    };
    std::vector<text_menu::GuessItem> plan = text_menu::PlanGuessItems(answer, n, lookup);
    if (!plan.empty()) {
        AddSeparator(0)->m_Guess = true;
        for (auto it = plan.rbegin(); it != plan.rend(); ++it) {
            MyMenuItem* item = AddItem(it->fields.m_Text, it->fields.m_Id, 0, 0);
            static_cast<MenuItemData&>(*item) = it->fields;
            if (!it->iconUrl.empty()) {
                item->m_pIcon = LoadItemIcon(it->iconUrl);
            } else if (const UserSetting* record = FindRecord(it->fields.m_Id)) {
                item->m_pIcon = LoadEcpIcon(theApp.m_InstallDir, *record);
            }
            if (m_pOwnerView) m_pOwnerView->SetGuessLaunchMode(true);
        }
    }
    CloseSubMenu();
    MeasureItems();
    if ((resize || n > 0) && hwnd()) ResizeAndRedraw();
    theApp.m_HaveBestGuesses = n > 0;
    if (hotspot) {
        hotspot->LoadTargetImage(answer.extraText);
        hotspot->StartHighlight();
    }
    return true;
}

void TextRootMenu::OnItemChosen(MyMenuItem* item) {
    if (!text_menu::IsChoosable(item)) return;
    MenuHost* view = m_pOwnerView;
    if (view) {
        view->CountUsage(L"1010.0");
        view->CountUsage(item->m_Counted ? L"1011.0" : L"1012.0");
        if (!view->HaveGuesses()) view->CountUsage(L"1013.0");
    }
    const std::wstring observerText = m_pObserver ? m_pObserver->HoverText() : std::wstring();

    if (!menu_layout::IsPanelType(item->m_Type)) {
        text_menu::SearchChoice choice = text_menu::ChooseSearch(*item, observerText, UrlEncodeUtf8);
        if (choice.unmarked && view) view->CountUsage(L"1035.0");
        if (view) view->OpenUrlInBrowser(choice.url);
        return;
    }

    UserSetting* record = FindRecord(item->m_Id);
    if (!record) return;
    text_menu::PanelChoice choice = text_menu::ChoosePanel(*item, observerText);
    record->m_CurrentUrl = choice.currentUrl;
    record->m_QueryText = choice.token;
    LogWithPrefix(L"MenuCmdHandler: Token = %s", choice.token.c_str());
    const std::wstring encoded = UrlEncodeUtf8(choice.token);
    record->m_Counted = item->m_Counted ? 1 : 0;
    record->m_Transient = item->m_Options ? 1u : 0u;
    if (!view) return;
    view->CountUsage(L"1001.0");
    RECT anchor = m_pObserver ? m_pObserver->HoverAnchor() : RECT{};
    view->LaunchEcp(anchor, record, encoded, L"Report PondRel Bug", item->m_Options ? 2u : 18u);
}

// The panels and searches of one category: every active, in-menu entry of
// its targets; entries without a skin are searches (their action URL).
void CompanyMenu::BuildItems() {
    XmlConfig* reader = theApp.m_pSettings;
    Settings* settings = SettingsView();
    if (!reader || !settings || m_CategoryIndex <= 0) return;
    reader->ReadCategory(m_CategoryIndex);
    const bool options = reader->GetCategoryName() == L"PondRel Options";
    const int targets = reader->CountTargets();
    for (int t = 1; t <= targets; ++t) {
        reader->ReadCategory(m_CategoryIndex);
        reader->ReadTarget(t);
        const int entries = reader->CountEcps();
        for (int e = 1; e <= entries; ++e) {
            reader->ReadEcpEntry(e);
            UserSetting* record = settings->FindEcp(reader->GetEcpId());
            if (!record || !record->m_Active || !record->m_InMenu) continue;
            MyMenuItem* item = AddItem(reader->GetEcpName(), reader->GetEcpId(), 0);
            item->m_TreeCategory = m_CategoryIndex;
            item->m_TreeTarget = t;
            item->m_TreeEntry = e;
            item->m_pIcon = LoadEcpIcon(theApp.m_InstallDir, *record);
            if (record->m_NoSkin) {
                item->m_ActionMark = true;
                item->m_Type = record->m_Action;
            }
            item->m_Options = options;
        }
    }
}
