// A real panel's content under Wine: the title and content URL messages,
// the content URL built with the record's query text and loaded by the
// content view, a URL handed over by another view, the navigation to the
// next record (a one-visit record kept out), a template without a content
// area and the record under a parent that is not searchable.
#include "app/panels/thread/tests/PanelTemplateFixture.h"

namespace panel_template_test {
namespace {

// The title and the content URL messages (11206, 11218).
TEST_F(PanelTemplate, TitleAndContentUrl) {
    theApp.m_EcpUrl = L"http://panels.test/?type=ecp&ecpguid=";
    theApp.PublishSnapshot();
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(t->PanelWindow()) != FALSE; }, 10000));
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    HWND w = t->PanelWindow();

    // The next and back controls exist (their states are set by 11222, which
    // the content view also sends as it navigates: tested on the tree).
    size_t forward = 0;
    for (WindowElement* e : elements->navigate) forward += dynamic_cast<NavigateElement*>(e)->forward ? 1 : 0;
    EXPECT_EQ(2u, elements->navigate.Count());
    EXPECT_EQ(1u, forward);

    // The content element was given the record's content URL at its build,
    // the title the record's name.
    ASSERT_NE(nullptr, elements->mainContent);
    EXPECT_EQ(0u, elements->mainContent->contentUrl.find(L"http://panels.test/?type=ecp&ecpguid=DEMO-1&token="));
    ASSERT_NE(nullptr, elements->titleElement);
    auto* title = dynamic_cast<TextElement*>(elements->titleElement->Render());
    ASSERT_NE(nullptr, title);
    EXPECT_EQ(L"Pond life", title->text);
    ::SendMessageW(w, panel_msg::kStoreUrl, 0, 0);
    EXPECT_EQ(L"", title->text);

    *t->m_HandedOverUrl.Lock() = L"http://panels.test/handed";
    ::SendMessageW(w, panel_msg::kLoadContentUrl, 0, 0);
    EXPECT_EQ(L"http://panels.test/handed", elements->mainContent->contentUrl);
}

// The content URL is built while the element tree is built: the record's
// query text percent-encoded as UTF-8 after "&token="; the content view loads
// it, and the request reaching the server carries the encoded text.
TEST_F(PanelTemplate, ContentViewLoadsTheContentUrlWithTheEncodedText) {
    theApp.m_EcpUrl = loopback::Url(L"/files/ecp/?type=ecp&ecpguid=");
    theApp.m_UserId = L"U-7";
    theApp.m_Version = L"12";
    theApp.PublishSnapshot();
    queryText_ = L"pond lif\u00e9&x=1";
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(t->PanelWindow()) != FALSE; }, 10000));
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    ASSERT_NE(nullptr, elements->mainContent);
    // Every byte of the text's UTF-8 form is encoded, letters included.
    const std::wstring encoded = L"%70%6f%6e%64%20%6c%69%66%c3%a9%26%78%3d%31";
    EXPECT_EQ(loopback::Url(L"/files/ecp/?type=ecp&ecpguid=DEMO-1&token=" + encoded +
                            L"&pqads=off&pqecp=1&pq_userid=U-7&pq_version=12"),
              ContentUrl(elements));
    const std::string prefix = "/files/ecp/?type=ecp&ecpguid=DEMO-1&token=";
    ASSERT_TRUE(WaitFor([&] { return !ServerSawContent(prefix).empty(); }, 20000)) << [] {
        std::string seen = "the server saw no content request; it saw:";
        for (const loopback::Request& r : loopback::Requests()) seen += "\n  " + r.target;
        return seen;
    }();
    // The browser may write the unreserved characters plainly: the token
    // reaches the server as one value that decodes to the text's UTF-8 form,
    // and the keys after it are the panel's own.
    const std::string target = ServerSawContent(prefix);
    const size_t end = target.find('&', prefix.size());
    ASSERT_NE(std::string::npos, end) << target;
    EXPECT_EQ("pond lif\xc3\xa9&x=1", PercentDecoded(target.substr(prefix.size(), end - prefix.size()))) << target;
    EXPECT_EQ("&pqads=off&pqecp=1&pq_userid=U-7&pq_version=12", target.substr(end)) << target;
}

// A URL a view hands over (an advertisement's content load) reaches the panel
// thread through its children thread; 11218 makes it the content element's
// URL and the content view loads it.
TEST_F(PanelTemplate, HandedOverUrlLoadsInTheContentView) {
    theApp.m_EcpUrl = loopback::Url(L"/files/ecp/?type=ecp&ecpguid=");
    theApp.PublishSnapshot();
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    ASSERT_NE(nullptr, elements->mainContent);
    panels::ChildrenThread* children = t->Children();
    ASSERT_NE(nullptr, children);

    const std::wstring url = loopback::Url(L"/files/ecp/?type=ecp&handed=7&pqload=ecp#go&adtype=ecp");
    children->Views().HandOverUrl(url);
    ::PostMessageW(t->PanelWindow(), panel_msg::kLoadContentUrl, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return ContentUrl(elements) == url; }, 10000)) << testsupport::Utf8(ContentUrl(elements));
    EXPECT_TRUE(WaitFor([&] { return !ServerSawContent("/files/ecp/?type=ecp&handed=7&pqload=ecp").empty(); }, 20000))
        << "the content view did not load the handed-over URL";
}

// A template with a search box but without a content area: at its start the
// panel navigates to the record it was handed (11201), which its search
// control would show; a search panel would skip its first reload.
TEST_F(PanelTemplate, WithoutAContentAreaThePanelNavigatesToItsNextRecord) {
    const std::wstring key = L"BareSearch";
    ::CreateDirectoryW(panels::TemplateFolder(cacheDir_, key).c_str(), nullptr);
    testsupport::WriteAll(testsupport::Utf8(panels::TemplateFile(cacheDir_, key)),
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<window>\n"
        "  <style><zoom>100%</zoom><width>{pq_width}</width><height>{pq_height}</height></style>\n"
        "  <edges><top>0</top><left>0</left><bottom>0</bottom><right>0</right></edges>\n"
        "  <element>\n"
        "    <type>area.design</type><id>frame</id>\n"
        "    <style><position>absolute</position><left>0</left><top>0</top><width>100%</width>"
        "<height>100%</height></style>\n"
        "    <element>\n"
        "      <type>controls.search_text</type><id>search_text</id>\n"
        "      <style><position>absolute</position><left>10</left><top>10</top><width>120</width>"
        "<height>16</height></style>\n"
        "    </element>\n"
        "  </element>\n"
        "</window>\n");
    nextName_ = L"Pond life, next";
    // The cached copy is current (no version on either side): nothing is
    // downloaded from this address.
    HoverThread* t = Start(key, loopback::Url(L"/files/templates/?template=ecp&skin=BareSearch"), true);
    ASSERT_TRUE(Running());
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    EXPECT_EQ(nullptr, elements->mainContent);
    ASSERT_NE(nullptr, elements->searchElement);
    ASSERT_TRUE(WaitFor([&] { return !t->m_SkipFirstReload; }, 10000));
    DWORD_PTR answer = 0;  // the navigation has run to its end
    ASSERT_TRUE(::SendMessageTimeoutW(t->PanelWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(L"Pond life, next", t->m_Current.m_Name);
    Close();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Pondrel\\BareSearch");
}

// 11201: the next record becomes the current one; a one-visit record is
// shown (the application is asked to open it) but the panel keeps its
// record, which also stays as the back record.
TEST_F(PanelTemplate, NavigateTakesTheNextRecordButNotAOneVisitOne) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"), true);
    ASSERT_TRUE(Running());
    ASSERT_NE(nullptr, t->Elements());
    ASSERT_NE(nullptr, t->Elements()->searchElement);
    HWND w = t->PanelWindow();

    // The panel thread reads the records only inside the sent messages.
    t->m_Next.m_Id = L"ONCE";
    t->m_Next.m_Transient = 1;
    ::SendMessageW(w, panel_msg::kNavigate, 1, 0);
    EXPECT_EQ(L"DEMO-1", t->m_Current.m_Id);
    EXPECT_EQ(L"DEMO-1", t->m_Back.m_Id);

    t->m_Next.m_Id = L"NEXT";
    t->m_Next.m_Transient = 0;
    ::SendMessageW(w, panel_msg::kNavigate, 1, 0);
    EXPECT_EQ(L"NEXT", t->m_Current.m_Id);
    EXPECT_EQ(L"DEMO-1", t->m_Back.m_Id);  // only a one-visit record makes a back record
}

// A record under a parent that is not searchable goes by its parent's
// identifier once the content's address was built with its own; any other
// record keeps its identifier.
TEST_F(PanelTemplate, ARecordUnderANonSearchableParentTakesItsParentsIdAfterTheContentUrl) {
    theApp.m_EcpUrl = L"http://panels.test/?type=ecp&ecpguid=";
    theApp.PublishSnapshot();
    const struct {
        bool hasParent, searchable;
        const wchar_t* id;
    } cases[] = {
        {true, false, L"PARENT-9"},
        {true, true, L"DEMO-1"},
        {false, false, L"DEMO-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.hasParent) + std::to_string(c.searchable));
        record_ = [&](UserSetting& r) {
            r.m_Parent = L"PARENT-9";
            r.m_HasParent = c.hasParent ? 1 : 0;
            r.m_Searchable = c.searchable ? 1 : 0;
        };
        HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
        ASSERT_TRUE(Running());
        ASSERT_NE(nullptr, t->Elements());
        ASSERT_NE(nullptr, t->Elements()->mainContent);
        EXPECT_EQ(0u, ContentUrl(t->Elements()).find(L"http://panels.test/?type=ecp&ecpguid=DEMO-1&token="));
        EXPECT_EQ(c.id, t->m_Current.m_Id);
        EndPanel();
    }
}

}  // namespace
}  // namespace panel_template_test
