// LoadSettingsValues on the application object: the sample document's
// values, its log transcript, the variants, and the hot key.
#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <thread>

#include "app/tests/support/AppFixture.h"
#include "TestSupport.h"
#include "app/core/config/HotKey.h"
#include "app/core/main/AppHttpHost.h"
#include "log/PondrelLog.h"

namespace {

using coretest::AppFixture;

const wchar_t kServer[] = L"http://127.0.0.1:8080/files";

class SettingsLoadTest : public AppFixture {
protected:
    void LoadSample() {
        theApp.m_SettingsUrl = std::wstring(kServer) + L"/settings.xml";
        UseDocument(coretest::SampleSettings());
        ASSERT_TRUE(theApp.m_SettingsLoaded);
        theApp.LoadSettingsValues(View());
    }
    static std::wstring S(const wchar_t* path) { return std::wstring(kServer) + path; }
};

TEST_F(SettingsLoadTest, SampleFillsEveryApplicationMember) {
    theApp.m_NonProductionServer = false;
    theApp.m_HotKeyModifiers = theApp.m_HotKeyVirtualKey = 0;
    LoadSample();
    EXPECT_EQ(theApp.m_PreviewUrl, S(L"/"));
    EXPECT_EQ(theApp.m_LogUrl, S(L"/log/stats.asp"));
    EXPECT_EQ(theApp.m_UploadUrl, S(L"/upload/lc.asp"));
    EXPECT_EQ(theApp.m_EcpUrl, S(L"/ecp/?type=ecp&ecpguid="));
    EXPECT_EQ(theApp.m_BestGuessUrl, S(L"/bestguess/guess.asp"));
    EXPECT_EQ(theApp.m_UpdatesUrl, S(L"/setup/PondrelSetup.exe"));
    EXPECT_EQ(theApp.m_ImagesUrl, S(L"/icons/"));
    EXPECT_EQ(theApp.m_AdsUrl, S(L"/ads/"));
    EXPECT_EQ(theApp.m_TemplatesUrl, S(L"/templates/"));
    EXPECT_EQ(theApp.m_SiteEnhancerUrl, S(L"/siteenhancer.xml"));
    EXPECT_EQ(theApp.m_MessagesUrl, S(L"/messages.xml"));
    EXPECT_EQ(theApp.m_IgnoresUrl, S(L"/ignores.txt?uid="));
    std::wstring ecp, ads;
    theApp.CopyPanelUrls(&ecp, &ads);
    EXPECT_EQ(ecp, theApp.m_EcpUrl);
    EXPECT_EQ(ads, theApp.m_AdsUrl);
    EXPECT_TRUE(theApp.m_NonProductionServer);

    EXPECT_EQ(theApp.m_LogInterval, 300000u);
    EXPECT_EQ(theApp.m_MessagesInterval, 900000u);

    EXPECT_EQ(theApp.m_HotKeyMode, L"Control");
    EXPECT_EQ(theApp.m_HotKeyChar, L"Space");
    EXPECT_EQ(theApp.m_HotKeyModifiers, 2);
    EXPECT_EQ(theApp.m_HotKeyVirtualKey, 32);
    EXPECT_EQ(theApp.m_DefaultBestGuessEcp, L"0E3A4C51-8D2B-4F6A-B1C7-2D9E5F8A3B14");
    EXPECT_TRUE(theApp.m_ShowContextMenu);
    EXPECT_TRUE(theApp.m_UseIgnoreList);
    EXPECT_TRUE(theApp.m_EnableBestGuess);
    EXPECT_TRUE(theApp.m_LogAuth);
    EXPECT_FALSE(theApp.m_ShowLinkPreviews);
    EXPECT_TRUE(theApp.m_ShowDockBar);
    EXPECT_TRUE(theApp.m_ScriptErrorsSuppressed);
    EXPECT_EQ(theApp.m_Key, L"demo-7F3C9A");
    EXPECT_EQ(theApp.m_KeyShared, L"demo-7F3C9A");
    EXPECT_FALSE(View().m_ReadKey);
    EXPECT_EQ(theApp.m_SearchEcp, L"6A2F0D93-5C1E-4B78-A0D4-93E7B2C61F05");
    EXPECT_EQ(theApp.m_DefaultEcp, L"2338AD2E-CDAC-11DB-8314-0800200C9A66") << "the settings panel fills it";

    std::wstring start, splash;
    ReadRegistryValue(L"Start", start);
    ReadRegistryValue(L"Splash", splash);
    EXPECT_EQ(start, L"true");
    EXPECT_EQ(splash, L"false");

    ASSERT_EQ(View().m_EcpList.GetCount(), 14u);
    EXPECT_EQ(View().m_pSearchEcp, View().FindEcp(theApp.m_SearchEcp));
    EXPECT_EQ(View().m_EcpList.GetAt(9)->m_IconUrl, S(L"/icons/dictionary.png"));
    EXPECT_EQ(View().m_EcpList.GetAt(9)->m_InstallDir, dir_);
}

// The smallest panel tree a document loads with.
const char kOneRecordTree[] = "<ecptree><category><name>C</name><target><ecp><id>X</id></ecp></target></category></ecptree>";

// Each load publishes the values other threads read as one snapshot; a
// member changed afterwards is not seen until the next publication, and a
// snapshot a reader holds stays as it was.
TEST_F(SettingsLoadTest, EachLoadPublishesTheValuesOtherThreadsRead) {
    LoadSample();
    std::shared_ptr<const AppSnapshot> s = theApp.Snapshot();
    const struct {
        const char* name;
        const std::wstring& published;
        const std::wstring& member;
    } strings[] = {
        {"settingsUrl", s->settingsUrl, theApp.m_SettingsUrl},
        {"previewUrl", s->previewUrl, theApp.m_PreviewUrl},
        {"logUrl", s->logUrl, theApp.m_LogUrl},
        {"uploadUrl", s->uploadUrl, theApp.m_UploadUrl},
        {"ecpUrl", s->ecpUrl, theApp.m_EcpUrl},
        {"adsUrl", s->adsUrl, theApp.m_AdsUrl},
        {"imagesUrl", s->imagesUrl, theApp.m_ImagesUrl},
        {"templatesUrl", s->templatesUrl, theApp.m_TemplatesUrl},
        {"siteEnhancerUrl", s->siteEnhancerUrl, theApp.m_SiteEnhancerUrl},
        {"messagesUrl", s->messagesUrl, theApp.m_MessagesUrl},
        {"ignoresUrl", s->ignoresUrl, theApp.m_IgnoresUrl},
        {"updatesUrl", s->updatesUrl, theApp.m_UpdatesUrl},
        {"defaultEcp", s->defaultEcp, theApp.m_DefaultEcp},
        {"searchEcp", s->searchEcp, theApp.m_SearchEcp},
        {"installDir", s->installDir, theApp.m_InstallDir},
    };
    for (const auto& f : strings) {
        EXPECT_EQ(f.published, f.member) << f.name;
        EXPECT_FALSE(f.published.empty()) << f.name;
    }
    EXPECT_EQ(s->useIgnoreList, theApp.m_UseIgnoreList);
    EXPECT_EQ(s->enableBestGuess, theApp.m_EnableBestGuess);
    EXPECT_EQ(s->showLinkPreviews, theApp.m_ShowLinkPreviews);
    EXPECT_EQ(s->showDockBar, theApp.m_ShowDockBar);
    EXPECT_EQ(s->scriptErrorsSuppressed, theApp.m_ScriptErrorsSuppressed);
    EXPECT_EQ(s->logAuth, theApp.m_LogAuth);

    // Not published: readers keep the loaded value.
    theApp.m_LogUrl = L"http://changed/";
    theApp.m_EcpUrl = L"http://changed/ecp";
    EXPECT_EQ(theApp.Snapshot()->logUrl, S(L"/log/stats.asp"));
    EXPECT_EQ(AppHttpHost()->LogUrl(), S(L"/log/stats.asp"));
    std::wstring ecp;
    theApp.CopyPanelUrls(&ecp, nullptr);
    EXPECT_EQ(ecp, S(L"/ecp/?type=ecp&ecpguid="));

    // The next load publishes afresh; the snapshot held meanwhile is unchanged.
    UseDocument("<init><urls><log>http://other/log.asp</log><ecp>http://other/ecp</ecp></urls>" +
                std::string(kOneRecordTree) + "</init>");
    ASSERT_TRUE(theApp.m_SettingsLoaded);
    theApp.LoadSettingsValues(View());
    EXPECT_EQ(theApp.Snapshot()->logUrl, L"http://other/log.asp");
    EXPECT_EQ(theApp.Snapshot()->ecpUrl, L"http://other/ecp");
    EXPECT_EQ(s->logUrl, S(L"/log/stats.asp"));
}

// A panel or request thread reading while the user-interface thread loads
// one document after another sees the URLs of one load together, never the
// content URL of one document beside the advert or log URL of another.
TEST_F(SettingsLoadTest, AReaderThreadSeesTheUrlsOfOneLoadTogether) {
    auto document = [](const char* tag) {
        const std::string t(tag);
        return "<init><urls><log>http://" + t + "/log.asp</log><ecp>http://" + t + "/ecp</ecp><ads>http://" + t +
               "/ads/</ads><images>http://" + t + "/images/</images></urls>" + kOneRecordTree + "</init>";
    };
    const std::string documents[] = {document("first"), document("second")};
    // Readers start from a load of the second document.
    UseDocument(documents[1]);
    ASSERT_TRUE(theApp.m_SettingsLoaded);
    theApp.LoadSettingsValues(View());
    std::atomic<bool> stop{false};
    std::atomic<long> reads{0};
    std::atomic<long> mixed{0};
    std::thread reader([&] {
        auto host = [](const std::wstring& url) { return url.substr(0, url.find(L'/', 7)); };
        while (!stop) {
            std::wstring ecp, ads;
            theApp.CopyPanelUrls(&ecp, &ads);
            std::shared_ptr<const AppSnapshot> s = theApp.Snapshot();
            if (host(ecp) != host(ads) || host(s->logUrl) != host(s->imagesUrl) || host(s->ecpUrl) != host(s->adsUrl))
                ++mixed;
            ++reads;
        }
    });
    for (int i = 0; i < 60; ++i) {
        UseDocument(documents[i % 2]);
        if (!theApp.m_SettingsLoaded) {
            ADD_FAILURE() << "document " << i % 2 << " does not load";
            break;
        }
        theApp.LoadSettingsValues(View());
    }
    stop = true;
    reader.join();
    EXPECT_EQ(mixed.load(), 0);
    EXPECT_GT(reads.load(), 0);
}

// The whole transcript of the sample's load, time stamps and tick counts
// left out; the labels are the program's fixed texts, blanks included.
TEST_F(SettingsLoadTest, SampleLogTranscriptMatchesTheGoldenOne) {
    LoadSample();
    std::wstring actual;
    const std::wregex ticks(L"^Ticks: [0-9]+$");
    for (const auto& line : log_->Lines()) actual += std::regex_replace(line, ticks, L"Ticks: #") + L"\n";
    std::string golden = coretest::ReadFile(coretest::SourceDir() + L"app\\core\\config\\tests\\golden\\settings-load.log");
    std::wstring want;
    for (size_t i = 0; i < golden.size(); ++i) want += wchar_t(static_cast<unsigned char>(golden[i]));
    if (want != actual) {
        std::string bytes;
        for (wchar_t c : actual) bytes += char(c);
        std::wstring out = coretest::WriteFile(dir_, L"settings-load.actual.log", bytes);
        ADD_FAILURE() << "transcript differs; actual in " << std::string(out.begin(), out.end());
    }
}

TEST_F(SettingsLoadTest, NothingChangesWithoutALoadedDocument) {
    LoadSample();
    log_->Lines();
    UseDocument("<init><urls><log>http://other/</log></urls><user><show_dock_bar>false</show_dock_bar></user></init>");
    ASSERT_FALSE(theApp.m_SettingsLoaded);
    theApp.LoadSettingsValues(View());
    EXPECT_EQ(theApp.m_LogUrl, S(L"/log/stats.asp"));
    EXPECT_TRUE(theApp.m_ShowDockBar);
    EXPECT_EQ(View().m_EcpList.GetCount(), 14u);
    EXPECT_TRUE(log_->Lines().empty()) << "nothing is logged either";
}

TEST_F(SettingsLoadTest, DocumentWithoutUserElementLeavesEveryUserFlagTrue) {
    theApp.m_ShowLinkPreviews = theApp.m_ShowContextMenu = false;
    UseDocument("<init><ecptree><category><name>C</name><target><ecp><id>X</id></ecp></target></category>"
                "</ecptree></init>");
    theApp.LoadSettingsValues(View());
    for (bool flag : {theApp.m_ShowContextMenu, theApp.m_UseIgnoreList, theApp.m_EnableBestGuess, theApp.m_LogAuth,
                      theApp.m_ShowLinkPreviews, theApp.m_ShowDockBar, theApp.m_ScriptErrorsSuppressed})
        EXPECT_TRUE(flag);
    EXPECT_EQ(theApp.m_LogUrl, L"") << "a missing URL empties its member";
    EXPECT_EQ(theApp.m_SearchEcp, L"");
    EXPECT_EQ(theApp.m_LogInterval, 0u);
    EXPECT_EQ(View().m_EcpList.GetCount(), 1u);
}

TEST_F(SettingsLoadTest, UserSettingVariants) {
    struct Case { const char* user; bool dock; unsigned interval; };
    const Case cases[] = {
        {"<show_dock_bar>TRUE</show_dock_bar>", true, 0},
        {"<show_dock_bar></show_dock_bar>", true, 0},
        {"<show_dock_bar>1</show_dock_bar>", false, 0},
        {"<show_dock_bar>yes</show_dock_bar>", false, 0},
    };
    for (const Case& c : cases) {
        UseDocument(std::string("<init><log_interval>30</log_interval><ecptree><category/></ecptree><user>") + c.user +
                    "</user></init>");
        theApp.LoadSettingsValues(View());
        EXPECT_EQ(theApp.m_ShowDockBar, c.dock) << c.user;
        EXPECT_EQ(theApp.m_LogInterval, 30000u);
    }
}

TEST_F(SettingsLoadTest, KeyIsReadOnTheFirstLoadOnly) {
    UseDocument("<init><ecptree><category/></ecptree><user><key>first</key></user></init>");
    theApp.LoadSettingsValues(View());
    EXPECT_EQ(theApp.m_Key, L"first");
    UseDocument("<init><ecptree><category/></ecptree><user><key>second</key></user></init>");
    log_->Lines();
    theApp.LoadSettingsValues(View());
    EXPECT_EQ(theApp.m_Key, L"first");
    EXPECT_EQ(theApp.m_KeyShared, L"first");
    for (const auto& line : log_->Lines()) EXPECT_NE(line.rfind(L"Key ", 0), 0u) << "no key line on later loads";
}

TEST_F(SettingsLoadTest, UnknownHotKeyNamesKeepThePreviousValues) {
    theApp.m_HotKeyModifiers = 0;
    theApp.m_HotKeyVirtualKey = 0;
    UseDocument("<init><ecptree><category/></ecptree><user><hotkey_mode>Ctrl</hotkey_mode>"
                "<hotkey_char>Space</hotkey_char></user></init>");
    theApp.LoadSettingsValues(View());
    EXPECT_EQ(theApp.m_HotKeyModifiers, 0);
    EXPECT_EQ(theApp.m_HotKeyVirtualKey, 32);
    UseDocument("<init><ecptree><category/></ecptree><user><hotkey_mode>Alt</hotkey_mode>"
                "<hotkey_char>F5</hotkey_char></user></init>");
    theApp.LoadSettingsValues(View());
    EXPECT_EQ(theApp.m_HotKeyModifiers, 1);
    EXPECT_EQ(theApp.m_HotKeyVirtualKey, 32);
    ReRegisterHotKey(theApp.GetControllerWindow(), 0, 0);
    ::UnregisterHotKey(theApp.GetControllerWindow(), kSearchHotKeyId);
}

TEST_F(SettingsLoadTest, RebuildWithoutTheSearchRecordLeavesNoDanglingBinding) {
    LoadSample();
    ASSERT_NE(View().m_pSearchEcp, nullptr);
    std::string xml = coretest::ReplaceAll(coretest::SampleSettings(), "6A2F0D93-5C1E-4B78-A0D4-93E7B2C61F05</id>",
                                           "gone</id>");
    xml = coretest::ReplaceAll(xml, "<id>2338AD2E-CDAC-11DB-8314-0800200C9A66</id>", "<id>also gone</id>");
    UseDocument(xml);
    theApp.m_DefaultEcp.clear();
    theApp.LoadSettingsValues(View());
    EXPECT_EQ(View().m_EcpList.GetCount(), 14u);
    EXPECT_EQ(View().m_pSearchEcp, nullptr);
    EXPECT_EQ(View().m_pSettingsEcp, nullptr);
    EXPECT_EQ(theApp.m_DefaultEcp, L"");
    EXPECT_NE(View().m_pHelpEcp, nullptr);
    EXPECT_EQ(View().m_pHelpEcp, View().FindEcp(L"8B33A94F-37ED-4EA3-9053-D6B32D3DD608"));
}

TEST_F(SettingsLoadTest, SkinNameWithAQuoteLoadsAndAsksSafely) {
    std::string xml = coretest::ReplaceAll(coretest::SampleSettings(), "<skin>Slate</skin>", "<skin>Sla'te \"x[</skin>");
    UseDocument(xml);
    theApp.LoadSettingsValues(View());
    ASSERT_EQ(View().m_EcpList.GetCount(), 14u);
    EXPECT_EQ(View().m_EcpList.GetAt(9)->m_Skin, L"Sla'te \"x[");
    EXPECT_EQ(XmlConfig::GetTemplateVersion(View().m_EcpList.GetAt(9)->m_TemplateKey), L"");
    EXPECT_EQ(XmlConfig::GetTemplateVersion(L"Classic"), L"3");
}

// Another process holds the hot-key combination: the program says so through
// the tray balloon (and its log) and runs without the hot key.
TEST_F(SettingsLoadTest, HotKeyTakenByAnotherProgramGivesTheBalloon) {
    fx::UniqueHandle held(::CreateEventW(nullptr, TRUE, FALSE, L"PondrelTestHotKeyHeld"));
    fx::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, L"PondrelTestHotKeyRelease"));
    ASSERT_TRUE(held && release);
    ::ResetEvent(held.get());
    ::ResetEvent(release.get());
    testsupport::Child holder;
    ASSERT_TRUE(holder.Start(HOTKEY_HOLDER_EXE, {L"4", L"19"}));  // Shift + Pause
    ASSERT_EQ(::WaitForSingleObject(held.get(), 10000), WAIT_OBJECT_0) << "the holder took the hot key";

    EXPECT_EQ(ReRegisterHotKey(theApp.GetControllerWindow(), 4, 19), HotKeyResult::AlreadyInUse);
    log_->Lines();
    theApp.m_HotKeyMode = L"Shift";
    theApp.m_HotKeyChar = L"Pause";
    theApp.m_BalloonStartsUpdate = true;
    theApp.ApplyHotKey();
    EXPECT_FALSE(theApp.m_BalloonStartsUpdate);
    EXPECT_TRUE(log_->Contains(L"HotKey in settings is already in use."));

    ::SetEvent(release.get());
    DWORD code = 99;
    EXPECT_TRUE(holder.Wait(10000, &code));
    EXPECT_EQ(code, 0u);
    theApp.m_BalloonStartsUpdate = true;
    theApp.ApplyHotKey();
    EXPECT_TRUE(theApp.m_BalloonStartsUpdate) << "free again: registered, no balloon";
    ::UnregisterHotKey(theApp.GetControllerWindow(), kSearchHotKeyId);
}

}  // namespace
