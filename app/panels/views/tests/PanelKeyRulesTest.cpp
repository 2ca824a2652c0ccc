#include "app/panels/views/PanelKeyRules.h"

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <set>
#include <sstream>

using namespace views;

namespace views {
// Readable failures.
void PrintTo(const Action& a, std::ostream* os) {
    static const char* const kNames[] = {"PostPanel",    "PostController", "PostChildren",    "StoreSearchText",
                                         "NavigateSelf", "HandOverUrl",    "LeavePanelOpen", "StoreNavigateUrl",
                                         "Log"};
    *os << kNames[static_cast<int>(a.kind)] << "(" << a.msg << ", " << a.wp << ", " << a.lp << ")";
    auto narrow = [](const std::wstring& w) { return std::string(w.begin(), w.end()); };
    if (!a.text.empty()) *os << " text=" << narrow(a.text);
    if (!a.token.empty()) *os << " token=" << narrow(a.token);
    if (!a.url.empty()) *os << " url=" << narrow(a.url);
}
}  // namespace views

namespace {

using Actions = std::vector<Action>;

Action PanelPost(unsigned msg, uintptr_t wp = 0, uintptr_t lp = 0) {
    Action a{ActionKind::PostPanel};
    a.msg = msg, a.wp = wp, a.lp = lp;
    return a;
}
Action ControllerPost(unsigned msg) {
    Action a{ActionKind::PostController};
    a.msg = msg;
    return a;
}
Action ChildrenPost(unsigned msg) {
    Action a{ActionKind::PostChildren};
    a.msg = msg;
    return a;
}
Action Text(ActionKind kind, const std::wstring& text) {
    Action a{kind};
    a.text = text;
    return a;
}
Action Open(const std::wstring& guid, const std::wstring& token, const std::wstring& url) {
    Action a{ActionKind::LeavePanelOpen};
    a.text = guid, a.token = token, a.url = url;
    return a;
}

// Actions without the log lines.
Actions Effects(const Decision& d) {
    Actions out;
    for (const Action& a : d.actions)
        if (a.kind != ActionKind::Log) out.push_back(a);
    return out;
}

const std::wstring kServer = L"http://appserver.com/ecp/page.php";

struct KeyCase {
    const char* name;
    std::wstring url;
    bool cancel;
    Actions actions;
};

// Every key read by the main content view (fromBanner false, a view with the
// children thread's handler window).
TEST(PanelKeyRules, EveryKeyOfAMainContentPage) {
    const std::wstring b = kServer + L"?id=1";
    const KeyCase cases[] = {
        {"plain page", b, false, {}},
        {"width", b + L"&pqecpx=400", true, {PanelPost(11216, 400, 258), PanelPost(11209, 1, 0)}},
        {"height", b + L"&pqecpy=300", true, {PanelPost(11216, 344, 300), PanelPost(11209, 1, 0)}},
        {"both sizes", b + L"&pqecpx=400&pqecpy=300", true, {PanelPost(11216, 400, 300), PanelPost(11209, 1, 0)}},
        {"size zero or negative is no size", b + L"&pqecpx=0&pqecpy=-5", false, {}},
        {"size not a number", b + L"&pqecpx=wide", false, {}},
        {"a width beyond the bound is held at it", b + L"&pqecpx=99999999999", true,
         {PanelPost(11216, 4096, 258), PanelPost(11209, 1, 0)}},
        {"a height beyond the bound is held at it", b + L"&pqecpx=600&pqecpy=4097", true,
         {PanelPost(11216, 600, 4096), PanelPost(11209, 1, 0)}},
        {"ad height only cancels", b + L"&pqady=90", true, {}},
        {"load ecp", b + L"&pqload=ecp", true, {Text(ActionKind::NavigateSelf, b + L"&pqload=ecp&adtype=ecp")}},
        {"load ECP in capitals", b + L"&pqload=ECP", true,
         {Text(ActionKind::NavigateSelf, b + L"&pqload=ECP&adtype=ecp")}},
        {"load of something else", b + L"&pqload=page", false, {}},
        {"alias", b + L"&pqalias=pond%20life", false,
         {Text(ActionKind::StoreSearchText, L"pond life"), ChildrenPost(11308)}},
        {"window center", b + L"&pqwindow=center", false, {PanelPost(11217, 1, 0), PanelPost(11209, 1, 0)}},
        {"window CENTER", b + L"&pqwindow=CENTER", false, {PanelPost(11217, 1, 0), PanelPost(11209, 1, 0)}},
        {"window other", b + L"&pqwindow=wobble", false, {PanelPost(11209, 1, 0)}},
        {"window open", b + L"&pqwindow=open&ecpguid=G7&token=pond", true,
         {Open(L"G7", L"pond", b + L"&pqwindow=open&ecpguid=G7"), ControllerPost(11137), PanelPost(11209, 1, 0)}},
        {"window open without token", b + L"&pqwindow=open&ecpguid=G7", true,
         {Open(L"G7", L"", L""), ControllerPost(11137), PanelPost(11209, 1, 0)}},
        {"sizes and centre together", b + L"&pqecpx=500&pqwindow=center", true,
         {PanelPost(11216, 500, 258), PanelPost(11217, 1, 0), PanelPost(11209, 1, 0)}},
    };
    for (const KeyCase& c : cases) {
        ViewState state;
        state.hasChildHandler = true;
        Decision d = ContentFilter(state, c.url, true, L"appserver.com", PlainUrlSplitter());
        EXPECT_EQ(d.cancel, c.cancel) << c.name;
        EXPECT_EQ(Effects(d), c.actions) << c.name;
    }
}

TEST(PanelKeyRules, APanelSizeBeyondTheBoundIsLogged) {
    const struct {
        const wchar_t* keys;
        bool logged;
    } cases[] = {
        {L"pqecpx=4096&pqecpy=4096", false},
        {L"pqecpx=4097", true},
        {L"pqecpy=2147483647", true},
    };
    for (const auto& c : cases) {
        ViewState state;
        Decision d = ContentFilter(state, kServer + L"?" + c.keys, true, L"appserver.com", PlainUrlSplitter());
        size_t logs = 0;
        for (const Action& a : d.actions) logs += a.kind == ActionKind::Log;
        EXPECT_EQ(logs, c.logged ? 1u : 0u) << std::wstring(c.keys).size();
        EXPECT_LE(state.rememberedWidth, kMaxPagePanelSize);
        EXPECT_LE(state.rememberedHeight, kMaxPagePanelSize);
    }
}

TEST(PanelKeyRules, RememberedSizeStaysForTheOtherSide) {
    ViewState state;
    state.hasChildHandler = true;
    ContentFilter(state, kServer + L"?pqecpx=400", true, L"appserver.com", PlainUrlSplitter());
    Decision d = ContentFilter(state, kServer + L"?pqecpy=300", true, L"appserver.com", PlainUrlSplitter());
    EXPECT_EQ(Effects(d), (Actions{PanelPost(11216, 400, 300), PanelPost(11209, 1, 0)}));
    EXPECT_EQ(state.rememberedWidth, 400);
    EXPECT_EQ(state.rememberedHeight, 300);
}

// Without the children thread's handler window (an advertisement view) the
// steps that reach the children thread or the controller are left out.
TEST(PanelKeyRules, ViewWithoutHandlerWindowReachesOnlyThePanel) {
    const std::wstring b = kServer + L"?id=1";
    const KeyCase cases[] = {
        {"alias", b + L"&pqalias=x", false, {}},
        {"window open", b + L"&pqwindow=open&ecpguid=G&token=t", true, {PanelPost(11209, 1, 0)}},
        {"load init is no command", b + L"&pqload=init", false, {}},
        {"cancel still closes", b + L"&pqwindow=cancel", true, {PanelPost(11220)}},
    };
    for (const KeyCase& c : cases) {
        ViewState state;
        Decision d = ContentFilter(state, c.url, true, L"appserver.com", PlainUrlSplitter());
        EXPECT_EQ(d.cancel, c.cancel) << c.name;
        EXPECT_EQ(Effects(d), c.actions) << c.name;
    }
}

TEST(PanelKeyRules, HostCheck) {
    struct Case {
        const char* name;
        std::wstring host;
        bool inDomain;
    } cases[] = {
        {"equal", L"appserver.com", true},
        {"subdomain", L"www.appserver.com", true},
        {"deeper subdomain", L"a.b.appserver.com", true},
        {"case", L"WWW.AppServer.COM", true},
        {"suffix attack", L"appserver.com.evil.net", false},
        {"glued prefix", L"evilappserver.com", false},
        {"other host", L"example.org", false},
        {"empty host", L"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(HostInDomain(c.host, L"AppServer.com"), c.inDomain) << c.name;
    EXPECT_FALSE(HostInDomain(L"appserver.com", L"")) << "no domain admits nothing";
}

TEST(PanelKeyRules, TopLevelPagesOnlyFromTheServerFramesFromAnywhere) {
    struct Case {
        const char* name;
        std::wstring url;
        bool topLevel, cancel;
    } cases[] = {
        {"server page", L"http://appserver.com/a.php?pqecpx=0", true, false},
        {"sub-domain page", L"https://cdn.APPSERVER.com:8080/a", true, false},
        {"foreign top-level", L"http://example.org/a", true, true},
        {"suffix attack", L"http://appserver.com.evil.net/a", true, true},
        {"domain in the path only", L"http://evil.net/appserver.com", true, true},
        {"domain in user info", L"http://appserver.com@evil.net/", true, true},
        {"foreign frame", L"http://example.org/a", false, false},
        {"unsplittable URL goes on to the keys", L"about:blank", true, false},
    };
    for (const Case& c : cases) {
        ViewState state;
        state.hasChildHandler = true;
        Decision d = ContentFilter(state, c.url, c.topLevel, L"appserver.com", PlainUrlSplitter());
        EXPECT_EQ(d.cancel, c.cancel) << c.name;
    }
}

TEST(PanelKeyRules, CommandsOfTheMainContentPage) {
    ViewState state;
    state.hasChildHandler = true;
    Decision init = ContentFilter(state, kServer + L"?pqload=init", true, L"appserver.com", PlainUrlSplitter());
    EXPECT_TRUE(init.cancel);
    EXPECT_EQ(Effects(init), Actions{ControllerPost(11134)});

    Decision cancel = ContentFilter(state, kServer + L"?pqwindow=cancel&pqecpx=400", true, L"appserver.com",
                                    PlainUrlSplitter());
    EXPECT_TRUE(cancel.cancel);
    EXPECT_EQ(Effects(cancel), (Actions{ControllerPost(11136), PanelPost(11220)}));
    EXPECT_EQ(state.rememberedWidth, 344) << "a cancel reads no other key";

    // At the very start of the URL they are no commands (and no host to check).
    for (const wchar_t* url : {L"pqload=init", L"pqwindow=cancel"}) {
        ViewState fresh;
        fresh.hasChildHandler = true;
        Decision d = ContentFilter(fresh, url, true, L"appserver.com", PlainUrlSplitter());
        EXPECT_FALSE(d.cancel);
        for (const Action& a : d.actions) {
            EXPECT_NE(a.msg, 11134u);
            EXPECT_NE(a.msg, 11220u);
        }
    }
}

TEST(PanelKeyRules, FirstNavigationAfterAProgramNavigationPassesUnread) {
    ViewState state;
    state.hasChildHandler = true;
    state.navigationCount = 1;  // as BannerView::Navigate leaves it
    const std::wstring sized = kServer + L"?pqecpx=400";
    Decision first = ContentFilter(state, sized, true, L"appserver.com", PlainUrlSplitter());
    EXPECT_FALSE(first.cancel);
    EXPECT_TRUE(Effects(first).empty());
    EXPECT_EQ(state.navigationCount, 0);
    Decision second = ContentFilter(state, sized, true, L"appserver.com", PlainUrlSplitter());
    EXPECT_TRUE(second.cancel);
    // Commands are obeyed even then.
    state.navigationCount = 1;
    EXPECT_TRUE(ContentFilter(state, kServer + L"?pqwindow=cancel", true, L"appserver.com", PlainUrlSplitter()).cancel);
    EXPECT_EQ(state.navigationCount, 1);
    // The host check comes first.
    EXPECT_TRUE(ContentFilter(state, L"http://example.org/", true, L"appserver.com", PlainUrlSplitter()).cancel);
}

TEST(PanelKeyRules, AdvertisementUrlsAreNeverParsed) {
    ViewState state;
    state.hasChildHandler = true;
    Decision d = ContentFilter(state, kServer + L"?adtype=ecp&pqecpx=400&pqwindow=open", true, L"appserver.com",
                               PlainUrlSplitter());
    EXPECT_FALSE(d.cancel);
    EXPECT_TRUE(Effects(d).empty());
    EXPECT_EQ(state.rememberedWidth, 344);
}

TEST(PanelKeyRules, AdFilter) {
    const std::wstring ad = L"http://ads.example/banner.php";
    struct Case {
        const char* name;
        std::wstring url;
        bool cancel;
        Actions actions;
    } cases[] = {
        {"no fragment is never parsed", ad + L"?pqecp=1&pqecpx=400", false, {}},
        {"keys after the fragment are not read", ad + L"?pqecp=1#pqecpx=400", false, {}},
        {"without pqecp=1", ad + L"?pqecpx=400#x", false, {}},
        {"with adtype", ad + L"?pqecp=1&adtype=ecp&pqecpx=400#x", false, {}},
        {"fragment at the start", L"#" + ad + L"?pqecp=1&pqecpx=400", false, {}},
        {"size from the banner", ad + L"?pqecp=1&pqecpx=400#x", true,
         {PanelPost(11216, 400, 258), PanelPost(11209, 1, 0)}},
        {"fragment before &adtype=ecp", ad + L"?pqecp=1&pqload=ecp#go", true,
         {Text(ActionKind::HandOverUrl, ad + L"?pqecp=1&pqload=ecp#go&adtype=ecp"), PanelPost(11218)}},
    };
    for (const Case& c : cases) {
        ViewState state;  // advertisement views have no handler window
        Decision d = AdFilter(state, c.url, PlainUrlSplitter());
        EXPECT_EQ(d.cancel, c.cancel) << c.name;
        EXPECT_EQ(Effects(d), c.actions) << c.name;
    }
}

TEST(PanelKeyRules, HiddenBrowserSendsOnlyWebUrlsToTheBrowser) {
    struct Case {
        const char* name;
        bool armed;
        std::wstring url;
        Actions actions;
    } cases[] = {
        {"http", true, L"http://example.org/a?b=1",
         {Text(ActionKind::StoreNavigateUrl, L"http://example.org/a?b=1"), ControllerPost(11144)}},
        {"HTTPS", true, L"HTTPS://example.org/", {Text(ActionKind::StoreNavigateUrl, L"HTTPS://example.org/"),
                                                   ControllerPost(11144)}},
        {"file", true, L"file:///c:/windows/system32/calc.exe", {}},
        {"script", true, L"javascript:alert(1)", {}},
        {"scheme only", true, L"http://", {}},
        {"not armed", false, L"http://example.org/", {}},
    };
    for (const Case& c : cases) {
        bool armed = c.armed;
        Decision d = HiddenBrowserFilter(armed, c.url);
        EXPECT_TRUE(d.cancel) << c.name;
        EXPECT_FALSE(armed) << c.name;
        EXPECT_EQ(Effects(d), c.actions) << c.name;
        if (c.armed && c.actions.empty()) {
            ASSERT_EQ(d.actions.size(), 1u) << c.name;
            EXPECT_EQ(d.actions[0].kind, ActionKind::Log) << c.name;
        }
    }
}

TEST(PanelKeyRules, ServerDomainAndPlainSplitter) {
    EXPECT_EQ(ServerDomain(L"http://WWW.AppServer.com:8080/ecp.php"), L"appserver.com");
    EXPECT_EQ(ServerDomain(L"http://127.0.0.1:5000/files/"), L"127.0.0.1");
    EXPECT_EQ(ServerDomain(L"not a url"), L"");
    UrlSplitter split = PlainUrlSplitter();
    std::wstring host;
    EXPECT_TRUE(split.host(L"http://u:p@[::1]:80/x", &host));
    EXPECT_EQ(host, L"::1");
    EXPECT_EQ(split.objectPart(L"http://h/p%41th?q=%7e%2#frag"), L"/pAth?q=~%2");
}

}  // namespace

// The demo's pages: every link is a command the rules obey.
#ifdef PANEL_DEMO_DIR

namespace {

// The href values of a page, with "&amp;" read as "&", resolved against base
// (the page's directory) when relative.
std::string PageText(const char* file) {
    std::ifstream in(std::string(PANEL_DEMO_DIR) + "/" + file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::wstring> Links(const char* file, const std::wstring& base) {
    const std::string page = PageText(file);
    std::vector<std::wstring> out;
    for (size_t at = page.find("href=\""); at != std::string::npos; at = page.find("href=\"", at + 1)) {
        size_t start = at + 6, end = page.find('"', start);
        std::string href = page.substr(start, end - start);
        for (size_t amp; (amp = href.find("&amp;")) != std::string::npos;) href.replace(amp, 5, "&");
        std::wstring link(href.begin(), href.end());
        if (link.compare(0, 4, L"http") != 0) link = base + (link.compare(0, 3, L"../") == 0 ? link.substr(3) : link);
        out.push_back(link);
    }
    return out;
}

TEST(PanelKeyRules, DemoPagesLinksAreCommands) {
    const std::wstring files = L"http://127.0.0.1:8123/files/";
    std::set<unsigned> messages;
    bool navigatesItself = false;
    const std::vector<std::wstring> content = Links("ecp/index.html", files + L"ecp/");
    ASSERT_GE(content.size(), 8u);
    for (const std::wstring& url : content) {
        ViewState state;
        state.hasChildHandler = true;
        Decision d = ContentFilter(state, url, true, ServerDomain(files), PlainUrlSplitter());
        if (url.compare(0, files.size(), files) != 0) {
            EXPECT_TRUE(d.cancel) << "a page of another host is refused at the top level";
            continue;
        }
        EXPECT_FALSE(Effects(d).empty()) << std::string(url.begin(), url.end());
        for (const Action& a : d.actions) {
            if (a.msg) messages.insert(a.msg);
            navigatesItself |= a.kind == ActionKind::NavigateSelf;
        }
    }
    EXPECT_TRUE(navigatesItself);
    // The link to another site opens a new window, which the content view
    // hands to the user's browser.
    const std::string page = PageText("ecp/index.html");
    const size_t blank = page.find("target=\"_blank\"");
    ASSERT_NE(std::string::npos, blank) << "no link opens a new window";
    const size_t anchor = page.rfind("<a ", blank);
    ASSERT_NE(std::string::npos, anchor);
    EXPECT_EQ(page.find("href=\"http", anchor), page.find("href=\"", anchor)) << "the new window's URL is a web URL";
    EXPECT_EQ(messages, (std::set<unsigned>{11134, 11136, 11137, 11209, 11216, 11217, 11220, 11308}));

    messages.clear();
    const std::vector<std::wstring> ads = Links("ads/index.html", files + L"ads/");
    ASSERT_EQ(ads.size(), 2u);
    for (const std::wstring& url : ads) {
        ViewState state;
        Decision d = AdFilter(state, url, PlainUrlSplitter());
        EXPECT_TRUE(d.cancel);
        for (const Action& a : d.actions)
            if (a.msg) messages.insert(a.msg);
    }
    EXPECT_EQ(messages, (std::set<unsigned>{11209, 11216, 11218}));
}

}  // namespace
#endif
