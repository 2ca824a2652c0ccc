// The text menu under Wine: best-guess requests posted to the best-guess
// worker's window, a repeated request adding the held answer at once, and
// what its choices open.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/common/GlobalLocks.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/tests/support/LaunchRecorder.h"
#include "app/tests/support/RecordsFixture.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/ControllerSteps.h"
#include "app/selection/hotspot/TxSelWin.h"
#include "fx/GdiPlus.h"
#include "app/tests/support/MenuTestEnv.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/MessageRecorder.h"
#include "fx/Window.h"
#include "tests/support/TestSupport.h"

namespace {

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new MenuWindowsEnv);

using RecordingView = LaunchRecorder<BrowserTreeView>;

class TextMenu : public apptest::RecordsFixture {
protected:
    TextMenu()
        : RecordsFixture({{L"GUESS-DEFAULT", L"Name of GUESS-DEFAULT", L"GUESS-DEFAULT"},
                          {L"ROW-A", L"Name of ROW-A", L"ROW-A"},
                          {L"ROW-B", L"Name of ROW-B", L"ROW-B"}}) {}
    void SetUp() override {
        RecordsFixture::SetUp();
        ASSERT_TRUE(worker_.Make(RECT{0, 0, 10, 10}, 0, L"BackWin777"));
        theApp.m_hBestGuessWnd = worker_.hwnd();
        theApp.m_BestGuessStarted = true;
        theApp.m_EnableBestGuess = true;
        theApp.m_DefaultBestGuessEcp = L"GUESS-DEFAULT";
        theApp.m_BestGuessRequestId = 0;
        {
            fx::ScopedLock lock(g_BestGuessLock);
            theApp.m_BestGuessShared = text_menu::BestGuessShared{};
        }
        menu_.m_pOwnerView = &view_;
        menu_.m_pObserver = &view_.m_Observer;
    }
    void TearDown() override {
        theApp.m_hBestGuessWnd = nullptr;
        RecordsFixture::TearDown();
    }
    std::vector<std::wstring> Texts() {
        std::vector<std::wstring> texts;
        for (size_t i = 0; i < menu_.m_Items.GetCount(); ++i)
            texts.push_back(menu_.m_Items.GetAt(i)->m_Separator ? L"-" : menu_.m_Items.GetAt(i)->m_Text);
        return texts;
    }

    // Plays the best-guess worker's window: records the queries posted to it.
    testsupport::MessageRecorder worker_{11801, 11801};
    RecordingView view_;
    TextRootMenu menu_;
};

TEST_F(TextMenu, RequestPostsTheQueryAndARepeatAddsTheHeldAnswer) {
    const std::wstring context = L"<ctx/>";
    menu_.AddItem(L"Category", L"c", 1);
    menu_.RequestGuesses(L"pond life", &context, L"", true);
    ASSERT_TRUE(testsupport::WaitFor([&] { return !worker_.Messages().empty(); }, 5000));
    EXPECT_EQ(worker_.Messages()[0].wp, 1u);
    EXPECT_EQ(worker_.Messages()[0].lp, 0);
    // The default best guess on top (its label is its settings entry's guess
    // text, none here), then a guess separator.
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"", L"-", L"Category"}));
    EXPECT_EQ(menu_.m_Items.GetAt(0)->m_Id, L"GUESS-DEFAULT");
    EXPECT_EQ(menu_.m_Items.GetAt(0)->m_Token, L"pond life");
    EXPECT_TRUE(menu_.m_Items.GetAt(0)->m_Guess && menu_.m_Items.GetAt(1)->m_Guess);

    // The worker answers request 1 with two rows, one naming no record.
    {
        fx::ScopedLock lock(g_BestGuessLock);
        text_menu::BestGuessShared& s = theApp.m_BestGuessShared;
        s.answeredId = 1;
        s.resultCount = 3;
        s.title = L"menu";
        s.rows[0].id = L"ROW-A";
        s.rows[0].label = L"A for pq_text";
        s.rows[0].inserted = L"pond life";
        s.rows[1].id = L"NO-SUCH-RECORD";
        s.rows[1].label = L"never shown";
        s.rows[2].id = L"ROW-B";
        s.rows[2].label = L"B";
    }
    TakeBestGuessResult();
    EXPECT_EQ(theApp.m_BestGuessCount, 3);

    // Asking again for the same text: no new query, the rows at once.
    menu_.RequestGuesses(L"Pond Life", &context, L"", true);
    for (int i = 0; i < 10; ++i) testsupport::WaitFor([] { return false; }, 20);
    EXPECT_EQ(worker_.Messages().size(), 1u);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"A for pond life", L"B", L"-", L"Category"}));
    EXPECT_TRUE(view_.m_HaveGuesses);
    EXPECT_TRUE(theApp.m_HaveBestGuesses);

    // Another text is a new request; without a first context lParam is 1.
    menu_.RequestGuesses(L"lake", nullptr, L"", true);
    ASSERT_TRUE(testsupport::WaitFor([&] { return worker_.Messages().size() == 2; }, 5000));
    EXPECT_EQ(worker_.Messages()[1].wp, 2u);
    EXPECT_EQ(worker_.Messages()[1].lp, 1);
}

// An answer that is not menu items makes a link's hotspot launch its first
// result; a selection's hotspot keeps opening the text menu, and an answer
// without results leaves a link's panel as it was.
TEST_F(TextMenu, AnAnswerOfNoMenuItemsSwitchesOnlyALinksHotspotToLaunching) {
    struct Case {
        const char* name;
        bool selection;
        int count;
        bool menuMode;
        const wchar_t* panel;  // the record's panel id afterwards
    } cases[] = {
        {"selection", true, 1, true, L""},
        {"link", false, 1, false, L"ROW-A"},
        {"link, no results (row 0 left from an older answer)", false, 0, false, L"GUESS-DEFAULT"},
    };
    TxSelWin& hotspot = *view_.Hotspot();
    for (const Case& c : cases) {
        view_.m_HoverSelection.m_EcpId.clear();
        view_.m_HoverLink.m_EcpId = L"GUESS-DEFAULT";
        LinkInfo& record = c.selection ? view_.m_HoverSelection : view_.m_HoverLink;
        hotspot.SetTarget(RECT{100, 50, 200, 70}, c.selection, &record);
        hotspot.m_GuessesRequested = true;
        {
            fx::ScopedLock lock(g_BestGuessLock);
            text_menu::BestGuessShared& s = theApp.m_BestGuessShared;
            s.resultCount = c.count;
            s.title = L"panel";
            s.rows[0].id = c.count ? L"ROW-A" : L"STALE-ROW";
        }
        TakeBestGuessResult();
        menu_.AddGuessItems(true);
        EXPECT_EQ(hotspot.m_GuessesRequested, c.menuMode) << c.name;
        EXPECT_EQ(record.m_EcpId, c.panel) << c.name;
    }
}

// New guesses replace the old ones while one of them has its panel
// sub-menu open: the sub-menu is closed first and no row stays hot.
TEST_F(TextMenu, NewGuessesCloseTheOpenSubMenuOfAnOldGuess) {
    ASSERT_TRUE(menu_.CreateMenu(L"TxMenu", &view_, &view_.m_Observer));
    const std::wstring context = L"<ctx/>";
    menu_.AddItem(L"Category", L"c", 0);
    menu_.RequestGuesses(L"pond life", &context, L"", true);
    {
        fx::ScopedLock lock(g_BestGuessLock);
        text_menu::BestGuessShared& s = theApp.m_BestGuessShared;
        s.answeredId = 1;
        s.resultCount = 1;
        s.title = L"menu";
        s.rows[0].id = L"ROW-A";
        s.rows[0].label = L"A";
        s.rows[0].subMenuFlag = L"true";
    }
    TakeBestGuessResult();
    menu_.AddGuessItems(true);
    ASSERT_EQ(Texts(), (std::vector<std::wstring>{L"A", L"-", L"Category"}));
    menu_.ShowAt(RECT{100, 100, 110, 100}, &view_, &view_.m_Observer);
    for (int i = 0; i < 2; ++i) ::SendMessageW(menu_.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(40, 5));
    ASSERT_NE(menu_.m_pOpenSubMenu, nullptr);
    ASSERT_TRUE(menu_.m_pOpenSubMenu->IsVisible());
    EXPECT_EQ(view_.launches.size(), 1u) << "the guess's panel sub-menu shows its panel";

    menu_.RequestGuesses(L"lake", &context, L"", true);
    EXPECT_EQ(menu_.m_pOpenSubMenu, nullptr);
    EXPECT_EQ(menu_.m_Items.m_HotIndex, -1);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"", L"-", L"Category"}));
    menu_.HideMenu();
}

TEST_F(TextMenu, SearchChoicesFillTheTokenOnlyWithTheActionMark) {
    view_.m_Observer.m_HoverText = L"pond life";
    MyMenuItem* marked = menu_.AddItem(L"Search", L"S1", 0);
    marked->m_Type = L"http://127.0.0.1:9/find?q={pq_token}";
    marked->m_ActionMark = true;
    MyMenuItem* plain = menu_.AddItem(L"Plain", L"S2", 0);
    plain->m_Type = L"http://127.0.0.1:9/find?q={pq_token}";
    MyMenuItem* category = menu_.AddItem(L"Category", L"C", 3);
    category->m_Type = L"http://127.0.0.1:9/never";

    theApp.m_Stats.m_Count1035 = theApp.m_Stats.m_Count1010 = 0;
    menu_.OnItemChosen(marked);
    menu_.OnItemChosen(plain);
    menu_.OnItemChosen(category);
    ASSERT_EQ(view_.urls.size(), 2u);
    EXPECT_EQ(view_.urls[0], L"http://127.0.0.1:9/find?q=%70%6f%6e%64%20%6c%69%66%65");
    EXPECT_EQ(view_.urls[1], L"http://127.0.0.1:9/find?q={pq_token}");
    EXPECT_EQ(theApp.m_Stats.m_Count1035, 1);
    EXPECT_EQ(theApp.m_Stats.m_Count1010, 2);
}

}  // namespace
