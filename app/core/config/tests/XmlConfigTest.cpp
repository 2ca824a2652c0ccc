#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <memory>
#include <thread>

#include "app/tests/support/CoreTestFiles.h"
#include "app/core/config/SettingsRules.h"
#include "app/core/config/XmlConfig.h"
#include "TestSupport.h"

using coretest::CapturedLog;

namespace {

class XmlConfigTest : public testing::Test {
protected:
    void SetUp() override { dir_ = coretest::ScratchDir(); }
    std::unique_ptr<XmlConfig> Load(const std::string& xml, const wchar_t* name = L"doc.xml") {
        return std::make_unique<XmlConfig>(coretest::WriteFile(dir_, name, xml).c_str());
    }
    std::wstring dir_;
};

const char kTree[] =
    "<init>"
    " <ecptree>"
    "  <category><name>First</name><active>true</active><in_menu>true</in_menu><divider>before</divider>"
    "   <icon>c1.png</icon><version>4</version><id>cat-1</id>"
    "   <target>T1<ecp><id>A</id><name>Alpha</name><width>300px</width><height>x</height></ecp>"
    "     <ecp><id>B</id><name>Beta</name><location>center</location></ecp></target>"
    "   <target><ecp><id>C</id><name>Gamma</name></ecp></target>"
    "  </category>"
    "  <category><target><ecp><id>D</id><name>Delta</name></ecp></target></category>"
    " </ecptree>"
    " <enhancers><app>"
    "  <enhancer><id>5FA5BCF8-7C6F-4E28-9479-3AB992F8B579</id><active>TRUE</active></enhancer>"
    "  <enhancer><id>B5BDB5FF-5288-4423-A77D-6418C864F6F6</id><active>no</active></enhancer>"
    "  <enhancer><id>E3</id></enhancer>"
    " </app></enhancers>"
    " <templates><ecp><Classic><version>7</version></Classic><Ocean><version>2</version></Ocean></ecp></templates>"
    " <user><userid>u-1</userid><load_at_start></load_at_start><n>12abc</n><l>abc</l><e></e></user>"
    " <list b=\"2\" a=\"1\"><item>one</item><item>two</item></list>"
    "</init>";

TEST_F(XmlConfigTest, NodesCopyNameTextMarkupAndAttributesInDocumentOrder) {
    auto r = Load(kTree);
    ASSERT_TRUE(r->IsLoaded());
    XmlNode list = r->SelectNode(L"//init//list");
    EXPECT_EQ(list.name, L"list");
    EXPECT_EQ(list.text, L"onetwo");
    EXPECT_NE(list.xml.find(L"<item>one</item>"), std::wstring::npos);
    ASSERT_EQ(list.attributes.size(), 2u);
    EXPECT_EQ(list.attributes[0].name, L"b");
    EXPECT_EQ(list.attributes[0].value, L"2");
    EXPECT_EQ(list.attributes[1].name, L"a");
    EXPECT_EQ(list.attributes[1].value, L"1");

    XmlNode none = r->SelectNode(L"//init//nothing");
    EXPECT_TRUE(none.text.empty() && none.name.empty() && none.xml.empty() && none.attributes.empty());
}

TEST_F(XmlConfigTest, SelectNodesKeepsOnlyItsOwnResult) {
    auto r = Load(kTree);
    EXPECT_EQ(r->SelectNodes(L"//list/item").size(), 2u);
    auto second = r->SelectNodes(L"//enhancer");
    ASSERT_EQ(second.size(), 3u);
    ASSERT_EQ(r->LastNodeList().size(), 3u);
    EXPECT_EQ(r->LastNodeList()[0].name, L"enhancer");
    EXPECT_TRUE(r->SelectNodes(L"//absent").empty());
    EXPECT_TRUE(r->LastNodeList().empty());
}

TEST_F(XmlConfigTest, GetIntAndUserValues) {
    auto r = Load(kTree);
    struct Case { const wchar_t* path; bool result; int value; } cases[] = {
        {L"//user//n", true, 12},    // digits then letters: the digits
        {L"//user//l", true, 0},     // letters only: 0, but true
        {L"//user//e", false, -5},   // empty element: untouched
        {L"//user//gone", false, -5} // missing: untouched
    };
    for (const auto& c : cases) {
        int v = -5;
        EXPECT_EQ(r->GetInt(c.path, v), c.result) << c.path;
        EXPECT_EQ(v, c.value) << c.path;
    }
    EXPECT_EQ(r->GetUserValue(L"userid"), L"u-1");
    EXPECT_EQ(r->LastUserValue(), L"u-1");
    EXPECT_EQ(r->GetUserValue(L"load_at_start"), L"");
    EXPECT_EQ(r->GetUserValue(L"show_splash"), L"");
    EXPECT_EQ(r->LastUserValue(), L"");
}

TEST_F(XmlConfigTest, LoadListsNeedsACategory) {
    auto r = Load(kTree);
    EXPECT_EQ(r->LoadLists(), 0);
    EXPECT_EQ(r->CategoryCount(), 2u);
    EXPECT_EQ(r->LastNodeList().size(), 3u);  // the enhancers, listed last
    // The category list, copied when asked, holds the categories' copies.
    const std::vector<XmlNode> copies = r->SelectNodes(L"//init//ecptree//category");
    ASSERT_EQ(r->Categories().size(), 2u);
    for (size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(r->Categories()[i].name, copies[i].name);
        EXPECT_EQ(r->Categories()[i].text, copies[i].text);
        EXPECT_EQ(r->Categories()[i].xml, copies[i].xml);
    }
    EXPECT_EQ(r->Templates().size(), 1u);
    EXPECT_EQ(r->Enhancers().size(), 3u);
    EXPECT_EQ(r->CategoryIndex(), 1);

    auto one = Load("<init><ecptree><category/></ecptree></init>", L"one.xml");
    EXPECT_EQ(one->LoadLists(), 0);
    auto none = Load("<init><ecptree></ecptree><category/></init>", L"none.xml");
    EXPECT_EQ(none->LoadLists(), -1);
}

// Each enhancer is a component created in the process and polled: no more
// than kMaxEnhancers are listed, whatever the document names.
TEST_F(XmlConfigTest, LoadListsListsNoMoreEnhancersThanItsBound) {
    std::string xml = "<init><ecptree><category/></ecptree><enhancers><app>";
    for (int i = 0; i < 40; ++i) xml += "<enhancer><id>{" + std::to_string(i) + "}</id></enhancer>";
    xml += "</app></enhancers></init>";
    auto r = Load(xml, L"many.xml");
    ASSERT_EQ(r->LoadLists(), 0);
    EXPECT_EQ(r->Enhancers().size(), static_cast<size_t>(settings_rules::kMaxEnhancers));
}

TEST_F(XmlConfigTest, TreeWalkCountsPerParentAndReadsTheCurrentItem) {
    auto r = Load(kTree);
    ASSERT_EQ(r->LoadLists(), 0);
    std::wstring path;
    r->EcpPath(path);
    EXPECT_EQ(path, L"//init//ecptree//category[1]//target[1]//ecp[1]");

    r->ReadCategory(1);
    EXPECT_EQ(r->GetCategoryName(), L"First");
    EXPECT_EQ(r->GetCategoryActive(), L"true");
    EXPECT_EQ(r->GetCategoryInMenu(), L"true");
    EXPECT_EQ(r->GetCategoryDivider(), L"before");
    EXPECT_EQ(r->GetCategoryIcon(), L"c1.png");
    EXPECT_EQ(r->GetCategoryVersion(), L"4");
    EXPECT_EQ(r->GetCategoryId(), L"cat-1");
    EXPECT_EQ(r->CountTargets(), 2);
    r->ReadTarget(1);
    EXPECT_EQ(r->CountEcps(), 2);
    EXPECT_EQ(r->GetTargetText().substr(0, 2), L"T1");
    r->ReadEcpEntry(1);
    EXPECT_EQ(r->GetEcpId(), L"A");
    EXPECT_EQ(r->EcpWidth(), 300);
    EXPECT_EQ(r->EcpHeight(), 0);
    r->ReadEcpEntry(2);
    EXPECT_EQ(r->GetEcpName(), L"Beta");
    EXPECT_EQ(r->GetEcpLocation(), L"center");
    EXPECT_EQ(r->EcpWidth(), 0);
    r->ReadTarget(2);
    EXPECT_EQ(r->CountEcps(), 1);
    r->ReadEcpEntry(1);
    EXPECT_EQ(r->GetEcpId(), L"C");
    EXPECT_EQ(r->EcpIndex(), 1);

    // A category without its own name reports the first entry's.
    r->ReadCategory(2);
    EXPECT_EQ(r->GetCategoryName(), L"Delta");
    EXPECT_EQ(r->CountTargets(), 1);

    r->ReadEnhancer(1);
    EXPECT_EQ(r->GetEnhancerId(), L"5FA5BCF8-7C6F-4E28-9479-3AB992F8B579");
    EXPECT_TRUE(r->EnhancerActive());
    r->ReadEnhancer(2);
    EXPECT_FALSE(r->EnhancerActive());
    r->ReadEnhancer(3);
    EXPECT_TRUE(r->EnhancerActive());
    r->ReadEnhancer(4);
    EXPECT_EQ(r->GetEnhancerId(), L"");
}

// The walk answers what the whole paths select, also for odd trees: nested
// categories, entries nested in entries, missing levels, targets not directly
// under their category.
TEST_F(XmlConfigTest, TreeWalkAnswersAsTheWholePaths) {
    const char* docs[] = {
        kTree,
        "<init><ecptree><category><name>Outer</name><target>o<ecp><id>1</id></ecp></target>"
        " <category><target><ecp><id>2</id><ecp><id>3</id><name>n3</name></ecp></ecp></target></category>"
        "</category><category><x><target><ecp><name>far</name></ecp></target></x></category></ecptree>"
        "<ecptree><category><target><ecp><id>second tree</id></ecp></target></category></ecptree></init>",
        "<init><ecptree><category><id>lonely</id></category></ecptree></init>",
    };
    const wchar_t* children[] = {L"location", L"active", L"id", L"name", L"width", L"skin", L"version"};
    for (const char* doc : docs) {
        auto r = Load(doc);
        for (int c = 1; c <= 3; ++c) {
            r->ReadCategory(c);
            std::wstring cp;
            r->CategoryPath(cp);
            EXPECT_EQ(r->GetCategoryName(), r->GetText(cp + L"//name")) << cp;
            EXPECT_EQ(r->GetCategoryId(), r->GetText(cp + L"//id")) << cp;
            EXPECT_EQ(r->CountTargets(), int(r->SelectNodes(cp + L"//target").size())) << cp;
            for (int t = 1; t <= 3; ++t) {
                r->ReadTarget(t);
                std::wstring tp;
                r->TargetPath(tp);
                EXPECT_EQ(r->GetTargetText(), r->GetText(tp)) << tp;
                EXPECT_EQ(r->CountEcps(), int(r->SelectNodes(tp + L"//ecp").size())) << tp;
                for (int e = 1; e <= 3; ++e) {
                    r->ReadEcpEntry(e);
                    std::wstring ep;
                    r->EcpPath(ep);
                    const std::wstring got[] = {r->GetEcpLocation(), r->GetEcpActive(), r->GetEcpId(),
                                                r->GetEcpName(), std::to_wstring(r->EcpWidth()),
                                                r->GetEcpSkin(), r->GetEcpVersion()};
                    for (size_t k = 0; k < std::size(children); ++k) {
                        std::wstring want = r->GetText(ep + L"//" + children[k]);
                        if (k == 4) {
                            int w = 0;
                            r->GetInt(ep + L"//width", w);
                            want = std::to_wstring(w);
                        }
                        EXPECT_EQ(got[k], want) << ep << L"//" << children[k];
                    }
                }
            }
        }
    }
}

// The walk reads a category's, an entry's and the user's values in one
// query each, and a descendant path is asked below its levels' one node;
// every value must stay what one query of its whole path answers, on
// records of every shape: missing, empty and repeated children, children
// inside other children, mixed content, character data and entities,
// names in other letter case or in a namespace, entries in a namespace,
// inside other entries or beside other elements, more entries asked than
// there are, two panel trees.
TEST_F(XmlConfigTest, OnePassReadingAnswersAsEachValuesPath) {
    const char* docs[] = {
        kTree,
        "<init><user><userid xmlns=\"urn:u\">ns</userid><userid>u</userid><key> k </key></user><ecptree>"
        " <category><in_menu>false</in_menu><target>t1"
        "  <ecp><id>A</id><name>Alpha &amp; co</name><width>310</width><height>200px</height>"
        "   <location>tray</location><active>TRUE</active><action_whitespace> </action_whitespace>"
        "   <show_ads>true</show_ads><in_menu/><resizable>true</resizable><show_search>1</show_search>"
        "   <media_mode>true</media_mode><dockable>true</dockable><shareable>yes</shareable>"
        "   <detachable>true</detachable><guesstext>g <![CDATA[<cd>]]> t</guesstext><parent>false</parent>"
        "   <searchable>true</searchable><action>http://a/?q=1&amp;r=2</action><skin>Slate</skin>"
        "   <icon>a.png</icon><version>3</version></ecp>"
        "  <other><name>not an entry</name><id>x</id></other>"
        "  <ecp><action><name>inner</name><id>in</id></action><name>outer</name><Name>case</Name>"
        "   <skin></skin><!-- <icon>c</icon> --><icon>b<b>old</b>.png</icon><width>wide</width></ecp>"
        "  <ecp><x:name xmlns:x=\"urn:x\">prefixed</x:name><name xmlns=\"urn:d\">defaulted</name>"
        "   <ecp xmlns=\"urn:e\"><id>in a namespace</id></ecp><id>C</id><version> 4 </version></ecp>"
        "  <ecp/>"
        " </target><target><ecp><id>D</id></ecp><ecp><id>E</id><name>E1</name><name>E2</name></ecp></target>"
        " </category>"
        " <category><divider>after</divider><target><ecp><name>n</name><icon>i</icon><version>9</version>"
        "  <id>F</id></ecp></target></category>"
        "</ecptree><user><userid>second</userid><show_splash>no</show_splash></user></init>",
        "<init><ecptree><category><target><ecp><id>1</id></ecp></target></category></ecptree>"
        "<ecptree><category><target><ecp><id>2</id></ecp></target></category></ecptree></init>",
        "<init><ecptree><category><target><ecp><id>A</id><ecp><id>B</id></ecp><ecp><id>C</id></ecp></ecp>"
        "<ecp><id>D</id><name>d</name></ecp></target>"
        "<target><ecp><id>G</id></ecp><ecp><id>H</id><w><ecp><id>I</id></ecp></w></ecp>"
        "<ecp><name xmlns=\"urn:d\">defaulted</name><action><name>in</name></action><name>out</name><id>J</id>"
        "</ecp></target></category></ecptree></init>",
    };
    using Getter = std::wstring (XmlConfig::*)() const;
    struct Field {
        const wchar_t* child;
        Getter get;
    };
    const Field categoryFields[] = {
        {L"in_menu", &XmlConfig::GetCategoryInMenu}, {L"divider", &XmlConfig::GetCategoryDivider},
        {L"active", &XmlConfig::GetCategoryActive},  {L"name", &XmlConfig::GetCategoryName},
        {L"icon", &XmlConfig::GetCategoryIcon},      {L"version", &XmlConfig::GetCategoryVersion},
        {L"id", &XmlConfig::GetCategoryId}};
    const Field entryFields[] = {
        {L"location", &XmlConfig::GetEcpLocation},       {L"active", &XmlConfig::GetEcpActive},
        {L"action_whitespace", &XmlConfig::GetEcpActionWhitespace},
        {L"show_ads", &XmlConfig::GetEcpShowAds},        {L"in_menu", &XmlConfig::GetEcpInMenu},
        {L"resizable", &XmlConfig::GetEcpResizable},     {L"show_search", &XmlConfig::GetEcpShowSearch},
        {L"media_mode", &XmlConfig::GetEcpMediaMode},    {L"dockable", &XmlConfig::GetEcpDockable},
        {L"shareable", &XmlConfig::GetEcpShareable},     {L"detachable", &XmlConfig::GetEcpDetachable},
        {L"id", &XmlConfig::GetEcpId},                   {L"guesstext", &XmlConfig::GetEcpGuessText},
        {L"name", &XmlConfig::GetEcpName},               {L"parent", &XmlConfig::GetEcpParent},
        {L"searchable", &XmlConfig::GetEcpSearchable},   {L"action", &XmlConfig::GetEcpAction},
        {L"skin", &XmlConfig::GetEcpSkin},               {L"icon", &XmlConfig::GetEcpIcon},
        {L"version", &XmlConfig::GetEcpVersion}};
    const wchar_t* userKeys[] = {L"userid", L"key", L"show_splash", L"absent", L"userid|//id", L"Userid"};
    const wchar_t* paths[] = {L"//init//user//userid", L"//user//key", L"//init//ecptree//id", L"//ecptree//name",
                              L"//init//ecptree//category//target//ecp//name", L"//init//absent//id", L"//ecp//id",
                              L"//init//divider", L"//init", L"//user//show_splash"};
    // What one query of the whole path answers.
    auto whole = [](XmlConfig& r, const std::wstring& path) { return r.SelectNode(path).text; };
    int entriesRead = 0;
    for (const char* doc : docs) {
        auto r = Load(doc);
        ASSERT_TRUE(r->IsLoaded());
        for (const wchar_t* key : userKeys)
            EXPECT_EQ(r->GetUserValue(key), whole(*r, std::wstring(L"//user//") + key)) << key;
        for (const wchar_t* path : paths) EXPECT_EQ(r->GetText(path), whole(*r, path)) << path;
        for (int c = 1; c <= 3; ++c) {
            r->ReadCategory(c);
            std::wstring cp;
            r->CategoryPath(cp);
            for (const Field& f : categoryFields)
                EXPECT_EQ(((*r).*f.get)(), whole(*r, cp + L"//" + f.child)) << cp << L"//" << f.child;
            for (int t = 1; t <= 3; ++t) {
                r->ReadTarget(t);
                r->CountEcps();
                for (int e = 1; e <= 6; ++e) {
                    r->ReadEcpEntry(e);
                    std::wstring ep;
                    r->EcpPath(ep);
                    for (const Field& f : entryFields)
                        EXPECT_EQ(((*r).*f.get)(), whole(*r, ep + L"//" + f.child)) << ep << L"//" << f.child;
                    int width = 0, height = 0;
                    r->GetInt(ep + L"//width", width);
                    r->GetInt(ep + L"//height", height);
                    EXPECT_EQ(r->EcpWidth(), width) << ep;
                    EXPECT_EQ(r->EcpHeight(), height) << ep;
                    if (!r->GetEcpId().empty()) ++entriesRead;
                }
            }
        }
    }
    // The entries that have an id were read: kTree's four, six here, the one
    // that both trees' first entries answer together, A and C (with D and
    // B), and G, H and J (with I).
    EXPECT_EQ(entriesRead, 4 + 6 + 1 + 2 + 3);

    // A target with more entries than a target's entries are read at once.
    std::string many = "<init><ecptree><category><target>";
    const int count = settings_rules::kMaxTargetEntries + 4;
    for (int e = 1; e <= count; ++e) many += "<ecp><id>" + std::to_string(e) + "</id></ecp>";
    auto r = Load(many + "</target></category></ecptree></init>", L"many.xml");
    r->ReadCategory(1);
    r->ReadTarget(1);
    for (int e : {1, count - 4, count - 3, count, count + 1}) {
        r->ReadEcpEntry(e);
        std::wstring ep;
        r->EcpPath(ep);
        EXPECT_EQ(r->GetEcpId(), e <= count ? std::to_wstring(e) : std::wstring()) << ep;
        EXPECT_EQ(r->GetEcpId(), r->SelectNode(ep + L"//id").text) << ep;
    }
}

TEST_F(XmlConfigTest, MalformedOrMissingFilesAnswerAsEmptyAndLogWhy) {
    CapturedLog log;
    for (bool missing : {false, true}) {
        std::unique_ptr<XmlConfig> r;
        if (missing)
            r = std::make_unique<XmlConfig>((dir_ + L"no-such.xml").c_str());
        else
            r = Load("<init><ecptree><category>", L"bad.xml");
        EXPECT_FALSE(r->IsLoaded());
        const std::wstring kLabel = L"Did not load the xml file because: ";
        EXPECT_EQ(r->LoadDiagnostic().compare(0, kLabel.size(), kLabel), 0);
        EXPECT_GT(r->LoadDiagnostic().size(), kLabel.size()) << "the parser's reason follows";
        EXPECT_TRUE(log.Contains(kLabel));
        EXPECT_EQ(r->LoadLists(), -1);
        EXPECT_TRUE(r->SelectNode(L"//init").text.empty());
        EXPECT_TRUE(r->SelectNodes(L"//*").empty());
        int v = 9;
        EXPECT_FALSE(r->GetInt(L"//init", v));
        EXPECT_EQ(v, 9);
    }
}

TEST_F(XmlConfigTest, RejectedPathsAnswerAsEmptyAndAreLogged) {
    CapturedLog log;
    auto r = Load(kTree);
    ASSERT_TRUE(r->IsLoaded());
    for (const wchar_t* bad : {L"init//templates//ecp//Sk'in//version", L"//user//a b", L"//init[", L""}) {
        EXPECT_TRUE(r->SelectNode(bad).text.empty()) << bad;
        EXPECT_TRUE(r->SelectNodes(bad).empty()) << bad;
        EXPECT_EQ(r->GetText(bad), L"") << bad;
        EXPECT_TRUE(log.Contains(L"XML query rejected")) << bad;
    }
    EXPECT_EQ(r->GetUserValue(L"it's"), L"");
    EXPECT_TRUE(r->SelectNode(L"//user//userid").text == L"u-1") << "the reader stays usable";
}

TEST_F(XmlConfigTest, TemplateVersionsComeFromTheLastDocumentWithCategories) {
    auto r = Load(kTree);
    ASSERT_EQ(r->LoadLists(), 0);
    r.reset();  // answers outlive the reader
    EXPECT_EQ(XmlConfig::GetTemplateVersion(L"Classic"), L"7");
    EXPECT_EQ(XmlConfig::GetTemplateVersion(L"Ocean"), L"2");
    EXPECT_EQ(XmlConfig::GetTemplateVersion(L"classic"), L"");
    EXPECT_EQ(XmlConfig::GetTemplateVersion(L"Sk'in"), L"");

    // A document without categories (not loaded) leaves the table alone ...
    auto empty = Load("<init><templates><ecp><Classic><version>1</version></Classic></ecp></templates></init>",
                      L"nocat.xml");
    EXPECT_EQ(empty->LoadLists(), -1);
    EXPECT_EQ(XmlConfig::GetTemplateVersion(L"Classic"), L"7");
    // ... a loaded one replaces it whole.
    auto next = Load("<init><ecptree><category/></ecptree><templates><ecp><Ocean><version>3</version>"
                     "</Ocean></ecp></templates></init>",
                     L"next.xml");
    EXPECT_EQ(next->LoadLists(), 0);
    EXPECT_EQ(XmlConfig::GetTemplateVersion(L"Ocean"), L"3");
    EXPECT_EQ(XmlConfig::GetTemplateVersion(L"Classic"), L"");
}

TEST_F(XmlConfigTest, ThreadInAnotherComModelKeepsItsComAfterTheReader) {
    std::string xml = kTree;
    std::wstring path = coretest::WriteFile(dir_, L"mta.xml", xml);
    HRESULT before = E_FAIL, after = E_FAIL;
    bool loaded = false;
    std::thread worker([&] {
        before = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            XmlConfig r(path.c_str());
            loaded = r.IsLoaded();
        }
        // Still in the multithreaded model: a second start only counts up.
        after = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(after)) ::CoUninitialize();
        if (SUCCEEDED(before)) ::CoUninitialize();
    });
    worker.join();
    EXPECT_EQ(before, S_OK);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(after, S_FALSE);
}

// A panel-like thread asks template versions while the settings reader is
// deleted and replaced again and again: every answer is whole, and none is
// older than the reload that had finished before it was asked.
TEST_F(XmlConfigTest, ReloadWhileAnotherThreadAsksTemplateVersions) {
    auto docFor = [](int k) {
        std::string v = std::to_string(k);
        return "<init><ecptree><category/></ecptree><templates><ecp><Classic><version>" + v +
               "</version></Classic><Ocean><version>" + v + "</version></Ocean></ecp></templates></init>";
    };
    auto reader = Load(docFor(1), L"reload.xml");
    ASSERT_EQ(reader->LoadLists(), 0);
    std::atomic<int> published{1};
    std::atomic<bool> done{false};
    std::atomic<int> stale{0}, torn{0}, asked{0};
    std::thread panel([&] {
        while (!done) {
            int floor = published.load();
            std::wstring a = XmlConfig::GetTemplateVersion(L"Classic");
            std::wstring b = XmlConfig::GetTemplateVersion(L"Ocean");
            int va = a.empty() ? 0 : std::stoi(a);
            int vb = b.empty() ? 0 : std::stoi(b);
            if (va < floor || vb < floor) ++stale;
            if (vb < va) ++torn;  // Ocean asked after Classic: never older
            ++asked;
        }
    });
    testsupport::StopAndJoin stopPanel(done, panel);
    const int kReloads = 200;
    for (int k = 2; k <= kReloads; ++k) {
        reader.reset();
        reader = Load(docFor(k), L"reload.xml");
        ASSERT_EQ(reader->LoadLists(), 0);
        published = k;
    }
    done = true;
    panel.join();
    EXPECT_EQ(stale.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_GT(asked.load(), 0);
    EXPECT_EQ(XmlConfig::GetTemplateVersion(L"Classic"), std::to_wstring(kReloads));
}

}  // namespace
