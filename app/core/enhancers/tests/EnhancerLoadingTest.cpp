// CPondrelApp::LoadEnhancers with the recording enhancers and the site-enhancer
// stand-in (registered in the test prefix): which enhancers load, the calls
// each receives, the log lines, and the unload order.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "app/tests/support/AppFixture.h"
#include "tests/httpserver/LoopbackServer.h"
#include "StandIns.h"
#include "TestSupport.h"
#include "app/core/enhancers/EnhancerRules.h"
#include "app/core/enhancers/WatcherNode.h"

namespace coretest {
namespace {

using Lines = std::vector<std::wstring>;

std::string Enhancer(const std::wstring& id, const char* active) {
    return "<enhancer><id>" + std::string(id.begin(), id.end()) + "</id><active>" + active + "</active></enhancer>";
}

std::string Document(const std::string& enhancers) {
    return "<init><urls><site_enhancer>http://site.example/se</site_enhancer></urls>"
           "<ecptree><category><name>c</name></category></ecptree>"
           "<enhancers><app>" + enhancers + "</app></enhancers></init>";
}

// The records of one object ("A1", "S2", ...) without its name.
Lines Of(const Lines& records, wchar_t letter) {
    Lines out;
    for (const std::wstring& r : records)
        if (!r.empty() && r[0] == letter) out.push_back(r.substr(r.find(L' ') + 1));
    return out;
}

class EnhancerLoading : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        script_ = dir_ + L"recorder-script.txt";
        records_ = dir_ + L"records.txt";
        ::DeleteFileW(script_.c_str());
        ::DeleteFileW(records_.c_str());
        for (auto var : {standin::kRecorderScriptVar, standin::kSiteScriptVar})
            ::SetEnvironmentVariableW(var, script_.c_str());
        for (auto var : {standin::kRecorderLogVar, standin::kSiteLogVar})
            ::SetEnvironmentVariableW(var, records_.c_str());
        theApp.m_UseIgnoreList = false;
        theApp.m_Key.clear();
        theApp.m_Version = L"1.0.7";
        theApp.m_SiteEnhancerUrl = L"http://site.example/se";
        // The stand-in enhancers load as the program's own do.
        enhancerseam::extraClasses = {standin::kRecordingAText, standin::kRecordingBText, standin::kNoIActionText};
    }
    void TearDown() override {
        theApp.UnloadEnhancers();
        enhancerseam::extraClasses.clear();
        AppFixture::TearDown();
    }
    void Script(const std::wstring& text) { ASSERT_TRUE(standin::WriteScript(script_, text)); }
    Lines Records() { return standin::ReadRecords(records_); }
    Lines Names() {
        Lines names;
        for (auto& node : theApp.GetEnhancerList()) names.push_back(node->m_Name);
        return names;
    }
    int Count(const std::wstring& fragment) {
        int n = 0;
        for (const std::wstring& line : log_->Lines()) n += line.find(fragment) != std::wstring::npos;
        return n;
    }

    std::wstring script_, records_;
};

TEST_F(EnhancerLoading, LoadsActiveEnhancersInDocumentOrder) {
    const std::string xml = Document(Enhancer(standin::kRecordingBText, "true") +
                                     Enhancer(standin::kRecordingAText, "false") +
                                     Enhancer(standin::kRecordingAText, ""));
    UseDocument(xml);
    EXPECT_TRUE(theApp.LoadEnhancers());
    EXPECT_EQ((Lines{L"Recording Enhancer B", L"Recording Enhancer A"}), Names());
    EXPECT_EQ(2, theApp.m_EnhancerCount);
    Lines log = log_->Lines();
    auto has = [&](const std::wstring& s) { return std::find(log.begin(), log.end(), s) != log.end(); };
    EXPECT_TRUE(has(L"Loading Enhancers"));
    EXPECT_TRUE(has(L"Loading Settings.xml at: " + dir_ + L"settings.xml"));
    EXPECT_TRUE(has(L"File load success"));
    EXPECT_TRUE(has(L"Initing Site Enhancer"));
    EXPECT_TRUE(has(L"Init Site Enhancer complete"));
    EXPECT_TRUE(has(L"Recording Enhancer B has been loaded!"));
    EXPECT_TRUE(has(L"Recording Enhancer A has been loaded!"));
    EXPECT_FALSE(has(L"There was a problem loading Enhancers at the top level. No enhancing for you!"));

    // The exact calls, in order; the settings text is the file's.
    std::wstring text(xml.begin(), xml.end());
    const Lines calls = {
        L"Init",
        L"SetSiteEnhancer site",
        L"SetConfigurationOption 1 | bstr:" + text + L" | bstr: | bstr: | bstr:",
        L"SetConfigurationOption 2 | bstr: | bstr: | bstr: | bstr:",
        L"get_enhancertype",
    };
    Lines records = Records();
    EXPECT_EQ(calls, Of(records, L'A'));
    EXPECT_EQ(calls, Of(records, L'B'));
    EXPECT_EQ((Lines{L"Setup http://site.example/se | " + text, L"SetUserKey (null)", L"SetVersion 1.0.7"}),
              Of(records, L'S'));

    // Unload: every enhancer unloaded and gone before the site enhancer it
    // was lent is shut down.
    theApp.UnloadEnhancers();
    EXPECT_TRUE(theApp.GetEnhancerList().empty());
    EXPECT_EQ(nullptr, theApp.m_pSiteEnhancer);
    records = Records();
    ASSERT_GE(records.size(), 6u);
    Lines tail(records.end() - 6, records.end());
    for (auto& r : tail) r = r.substr(0, 1) + r.substr(r.find(L' '));
    EXPECT_EQ((Lines{L"B Unload", L"B Destroyed", L"A Unload", L"A Destroyed", L"S Shutdown", L"S Destroyed"}), tail);
    log = log_->Lines();
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(), L"Recording Enhancer B has been released!"));
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(), L"Site enhancer released"));
}

TEST_F(EnhancerLoading, BadRecordsAreLoggedAndSkipped) {
    const std::wstring unregistered = L"0F0E0D0C-0B0A-0908-0706-050403020100";
    enhancerseam::extraClasses.push_back(unregistered);   // one that would load, were it registered
    UseDocument(Document(Enhancer(L"not-a-guid", "true") + Enhancer(unregistered, "true") +
                         Enhancer(standin::kNoIActionText, "true") + Enhancer(standin::kRecordingAText, "true")));
    EXPECT_FALSE(theApp.LoadEnhancers());
    EXPECT_EQ((Lines{L"Recording Enhancer A"}), Names());
    EXPECT_EQ(1, theApp.m_EnhancerCount);
    Lines log = log_->Lines();
    auto has = [&](const std::wstring& s) { return std::find(log.begin(), log.end(), s) != log.end(); };
    EXPECT_TRUE(has(L"not-a-guid is an invalid GUID."));
    EXPECT_TRUE(has(L"Failed on CoCreateInstance for GUID:" + unregistered));
    EXPECT_TRUE(has(L"Failed to find IAction interface for enhancer:" + std::wstring(standin::kNoIActionText)));
    EXPECT_TRUE(has(L"Recording Enhancer A has been loaded!"));
    EXPECT_TRUE(has(L"There was a problem loading Enhancers at the top level. No enhancing for you!"));
    // The object without IAction was released at once.
    EXPECT_EQ((Lines{L"Destroyed"}), Of(Records(), L'C'));
}

// A class the settings name that is not one of the program's enhancers is
// never created, though it is registered and implements IAction.
TEST_F(EnhancerLoading, AClassNotOfTheProgramIsNotCreated) {
    enhancerseam::extraClasses = {standin::kRecordingAText};
    UseDocument(Document(Enhancer(standin::kRecordingBText, "true") + Enhancer(standin::kRecordingAText, "true")));
    EXPECT_FALSE(theApp.LoadEnhancers());
    EXPECT_EQ((Lines{L"Recording Enhancer A"}), Names());
    EXPECT_EQ(1, theApp.m_EnhancerCount);
    EXPECT_TRUE(Of(Records(), L'B').empty()) << "the class was created";
    const Lines log = log_->Lines();
    auto has = [&](const std::wstring& s) { return std::find(log.begin(), log.end(), s) != log.end(); };
    EXPECT_TRUE(has(std::wstring(standin::kRecordingBText) + L" is not an enhancer of this program; not loaded."));
    EXPECT_TRUE(has(L"There was a problem loading Enhancers at the top level. No enhancing for you!"));
}

TEST_F(EnhancerLoading, FailingCallSkipsThatEnhancerOnly) {
    const std::string xml = Document(Enhancer(standin::kRecordingBText, "true") + Enhancer(standin::kRecordingAText, "true"));
    const std::wstring text(xml.begin(), xml.end());
    struct Case { const wchar_t* script; Lines bCalls; };
    const Case cases[] = {
        {L"B:fail Init 80004005\n", {L"Init", L"Destroyed"}},
        {L"B:fail SetSiteEnhancer 80004005\n", {L"Init", L"SetSiteEnhancer site", L"Unload", L"Destroyed"}},
        {L"B:fail SetConfigurationOption 80004005\n",
         {L"Init", L"SetSiteEnhancer site", L"SetConfigurationOption 1 | bstr:" + text + L" | bstr: | bstr: | bstr:",
          L"Unload", L"Destroyed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.script, c.script + wcslen(c.script)));
        ::DeleteFileW(records_.c_str());
        Script(c.script);
        UseDocument(xml);
        EXPECT_FALSE(theApp.LoadEnhancers());
        EXPECT_EQ((Lines{L"Recording Enhancer A"}), Names());
        EXPECT_EQ(1, theApp.m_EnhancerCount) << "only the enhancers actually loaded count";
        EXPECT_EQ(c.bCalls, Of(Records(), L'B'));
        EXPECT_EQ(1, Count(L"There was a problem loading Enhancers at the top level."));
        theApp.UnloadEnhancers();
    }
}

// The count is the number of enhancers loaded: nothing is left to poll after
// an unload or a load that ended early.
TEST_F(EnhancerLoading, EnhancerCountFollowsTheLoadedEnhancers) {
    UseDocument(Document(Enhancer(standin::kRecordingAText, "true") + Enhancer(standin::kRecordingBText, "true")));
    EXPECT_TRUE(theApp.LoadEnhancers());
    EXPECT_EQ(2, theApp.m_EnhancerCount);
    theApp.UnloadEnhancers();
    EXPECT_EQ(0, theApp.m_EnhancerCount);

    theApp.m_EnhancerCount = 5;  // whatever an earlier load left
    theApp.m_InstallDir = dir_ + L"absent\\";
    EXPECT_FALSE(theApp.LoadEnhancers());
    EXPECT_EQ(0, theApp.m_EnhancerCount);
    theApp.m_InstallDir = dir_;

    theApp.m_EnhancerCount = 5;
    theApp.m_SettingsLoaded = false;  // the site enhancer exists: nothing loads
    EXPECT_FALSE(theApp.LoadEnhancers());
    EXPECT_EQ(0, theApp.m_EnhancerCount);
}

// settings.xml declares UTF-8: its text reaches the enhancers and the site
// enhancer as the same characters, and so does the ignore list.
TEST_F(EnhancerLoading, SettingsTextAndIgnoreListAreReadAsUtf8) {
    ASSERT_NE(0, loopback::Port());
    const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" +
                            Document(Enhancer(standin::kRecordingAText, "true") +
                                     "<label>caf\xC3\xA9 \xC3\xBC \xE6\x97\xA5\xE6\x9C\xAC</label>");
    WriteFile(testsupport::WinPath(ENHANCER_HTTP_ROOT) + L"\\", L"ignores-utf8", "d\xC3\xA9j\xC3\xA0\r\n\xE6\x97\xA5\r\n");
    theApp.m_IgnoresUrl = loopback::Url(L"/files/ignores-");
    theApp.m_UserId = L"utf8";
    theApp.m_UseIgnoreList = true;
    UseDocument(xml);
    EXPECT_TRUE(theApp.LoadEnhancers());
    const std::wstring text = testsupport::Wide(xml);
    ASSERT_NE(std::wstring::npos, text.find(L"caf\u00e9 \u00fc \u65e5\u672c"));
    Lines records = Records();
    Lines a = Of(records, L'A');
    ASSERT_GE(a.size(), 4u);
    EXPECT_EQ(L"SetConfigurationOption 1 | bstr:" + text + L" | bstr: | bstr: | bstr:", a[2]);
    EXPECT_EQ(L"SetConfigurationOption 2 | bstr:d\u00e9j\u00e0\\r\\n\u65e5\\r\\n | bstr: | bstr: | bstr:", a[3]);
    Lines site = Of(records, L'S');
    ASSERT_FALSE(site.empty());
    EXPECT_EQ(L"Setup http://site.example/se | " + text, site[0]);
}

TEST_F(EnhancerLoading, IgnoreListIsTheDownloadedTextWhenSwitchedOn) {
    ASSERT_NE(0, loopback::Port());
    WriteFile(testsupport::WinPath(ENHANCER_HTTP_ROOT) + L"\\", L"ignores-u42", "the\r\nand\r\n");
    theApp.m_IgnoresUrl = loopback::Url(L"/files/ignores-");
    theApp.m_UserId = L"u42";
    theApp.m_UseIgnoreList = true;
    UseDocument(Document(Enhancer(standin::kRecordingAText, "true")));
    EXPECT_TRUE(theApp.LoadEnhancers());
    Lines a = Of(Records(), L'A');
    ASSERT_GE(a.size(), 4u);
    EXPECT_EQ(L"SetConfigurationOption 2 | bstr:the\\r\\nand\\r\\n | bstr: | bstr: | bstr:", a[3]);
}

TEST_F(EnhancerLoading, SettingsNotLoadedLoadsNothing) {
    UseDocument(Document(Enhancer(standin::kRecordingAText, "true")));
    theApp.m_SettingsLoaded = false;
    EXPECT_FALSE(theApp.LoadEnhancers());
    EXPECT_TRUE(theApp.GetEnhancerList().empty());
    EXPECT_NE(nullptr, theApp.m_pSiteEnhancer);
    EXPECT_TRUE(Of(Records(), L'A').empty());
    EXPECT_EQ(1, Count(L"There was a problem loading Enhancers at the top level. No enhancing for you!"));
}

// A site enhancer that refuses one of its set-up calls is logged and released;
// the enhancers load without it.
TEST_F(EnhancerLoading, AFailingSiteEnhancerIsReleasedNotLent) {
    const std::wstring siteScript = dir_ + L"site-script.txt";
    ::SetEnvironmentVariableW(standin::kSiteScriptVar, siteScript.c_str());
    theApp.m_Key = L"k1";
    struct Case {
        const wchar_t* failing;
        Lines siteCalls;  // after Setup
    };
    const Case cases[] = {
        {L"Setup", {L"Destroyed"}},
        {L"SetUserKey", {L"SetUserKey k1", L"Shutdown", L"Destroyed"}},
        {L"SetVersion", {L"SetUserKey k1", L"SetVersion 1.0.7", L"Shutdown", L"Destroyed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.failing));
        ::DeleteFileW(records_.c_str());
        ASSERT_TRUE(standin::WriteScript(siteScript, std::wstring(L"fail ") + c.failing + L" 80004005\n"));
        UseDocument(Document(Enhancer(standin::kRecordingAText, "true")));
        EXPECT_TRUE(theApp.LoadEnhancers());
        EXPECT_EQ(nullptr, theApp.m_pSiteEnhancer);
        EXPECT_EQ(nullptr, theApp.m_pSiteEnhancerDispatch);
        Lines site = Of(Records(), L'S');
        ASSERT_FALSE(site.empty());
        EXPECT_EQ(0u, site[0].rfind(L"Setup ", 0));
        EXPECT_EQ(c.siteCalls, Lines(site.begin() + 1, site.end()));
        Lines a = Of(Records(), L'A');
        ASSERT_GE(a.size(), 2u);
        EXPECT_EQ(L"SetSiteEnhancer null", a[1]);
        EXPECT_EQ(1, Count(L"Site enhancer " + std::wstring(c.failing) + L" failed 0x80004005: site enhancer released"));
        theApp.UnloadEnhancers();
    }
    theApp.m_Key.clear();
}

// A QueryInterface that answers success with no pointer found nothing.
TEST_F(EnhancerLoading, ASuccessfulQueryWithoutAPointerIsAFailure) {
    const std::wstring siteScript = dir_ + L"site-script.txt";
    ::SetEnvironmentVariableW(standin::kSiteScriptVar, siteScript.c_str());
    ASSERT_TRUE(standin::WriteScript(siteScript, L"nullquery\n"));
    Script(L"B:nullquery\n");
    UseDocument(Document(Enhancer(standin::kRecordingBText, "true") + Enhancer(standin::kRecordingAText, "true")));
    bool loaded = true;
    std::wstring boxText;
    {
        // The error message box the failure shows, answered with OK.
        testsupport::AnswerDialog answerer(L"Error", 10000);
        loaded = theApp.LoadEnhancers();
        answerer.Join();
        boxText = answerer.Message();
    }
    EXPECT_FALSE(loaded);
    EXPECT_EQ(L"Failed to find ISiteEnhancer interface for 276A523E-D788-4B38-B5A0-0FE77199914D", boxText);
    EXPECT_EQ(nullptr, theApp.m_pSiteEnhancer);
    EXPECT_EQ((Lines{L"Destroyed"}), Of(Records(), L'S'));
    EXPECT_EQ((Lines{L"Recording Enhancer A"}), Names());
    EXPECT_EQ(1, Count(L"Failed to find IAction interface for enhancer:" + std::wstring(standin::kRecordingBText)));
    EXPECT_EQ((Lines{L"Destroyed"}), Of(Records(), L'B'));
    Lines a = Of(Records(), L'A');
    ASSERT_GE(a.size(), 2u);
    EXPECT_EQ(L"SetSiteEnhancer null", a[1]);
}

TEST_F(EnhancerLoading, MissingSettingsFileLoadsNothing) {
    theApp.m_InstallDir = dir_ + L"absent\\";
    EXPECT_FALSE(theApp.LoadEnhancers());
    EXPECT_EQ(nullptr, theApp.m_pSiteEnhancer);
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(1, Count(L"File load FAIL"));
    theApp.m_InstallDir = dir_;
}

}  // namespace
}  // namespace coretest
