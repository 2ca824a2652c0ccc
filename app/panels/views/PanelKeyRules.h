// The query keys by which server pages steer their panel, as plain rules: a
// navigation's URL (and the little state a web view keeps) goes in, the
// decision (go on or cancel) and a list of actions come out.  The web views
// (BannerView, BottomView, HackBrowser) only carry the actions out.  No Win32
// call: built in every tree and tested natively.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace views {

// What a view does for a rule.
enum class ActionKind {
    PostPanel,         // post msg (wp, lp) to the panel window
    PostController,    // post msg (wp, lp) to the controller window
    PostChildren,      // post msg (wp, lp) to the children thread's handler window
    StoreSearchText,   // text: the children thread's stored text (g_SearchTextLock)
    NavigateSelf,      // text: the view navigates itself there (not counted)
    HandOverUrl,       // text: the panel thread's handed-over URL
    LeavePanelOpen,    // text ecpguid, token, url: the controller's panel values
                       // with the view's screen rectangle (g_PanelRecordLock)
    StoreNavigateUrl,  // text: the application's browser URL (CPondrelApp::m_NavigateUrl)
    Log,               // text: a line for the debug log
};

struct Action {
    ActionKind kind;
    unsigned msg = 0;
    uintptr_t wp = 0, lp = 0;
    std::wstring text;
    std::wstring token;  // LeavePanelOpen
    std::wstring url;    // LeavePanelOpen

    bool operator==(const Action& o) const {
        return kind == o.kind && msg == o.msg && wp == o.wp && lp == o.lp && text == o.text && token == o.token &&
               url == o.url;
    }
};

struct Decision {
    bool cancel = false;
    std::vector<Action> actions;
};

// The largest panel width or height a page may ask for (pqecpx, pqecpy);
// a larger one is held at this, with a log line.
constexpr int kMaxPagePanelSize = 4096;

// What a web view keeps between navigations.
struct ViewState {
    static constexpr int kDefaultWidth = 344, kDefaultHeight = 258;
    int rememberedWidth = kDefaultWidth;    // asked for by pqecpx
    int rememberedHeight = kDefaultHeight;  // asked for by pqecpy
    int navigationCount = 0;                // navigations the program started
    // The view has the children thread's handler window (main content
    // views): steps that reach the children thread or the controller are
    // skipped without it.
    bool hasChildHandler = false;
};

// How a URL is split (InternetCrackUrlW in the views, a plain splitter in tests).
struct UrlSplitter {
    // The host name; false when the URL cannot be split.
    std::function<bool(const std::wstring& url, std::wstring* host)> host;
    // The decoded object part (path and query); empty when it cannot be split.
    std::function<std::wstring(const std::wstring& url)> objectPart;
};

// The key rules: A the URL to act on, B the URL to read the keys from.
// Returns the decision; cancel is set when the URL was a command.
Decision ParsePanelKeys(ViewState& state, const std::wstring& a, const std::wstring& b, bool fromBanner,
                        const UrlSplitter& split);

// The advertisement view's filter: only the part before a "#" that carries
// "pqecp=1" and no "adtype" is read, as keys from the banner.
Decision AdFilter(ViewState& state, const std::wstring& url, const UrlSplitter& split);

// The main content view's filter.  topLevel: the navigation belongs to the
// view's top-level frame.  serverDomain: the application server's domain.
Decision ContentFilter(ViewState& state, const std::wstring& url, bool topLevel, const std::wstring& serverDomain,
                       const UrlSplitter& split);

// The hidden browser's first navigation after a new-window request: an http
// or https URL goes to the user's browser (11144); anything else is logged
// and dropped.  Always cancelled; disarms.
Decision HiddenBrowserFilter(bool& armed, const std::wstring& url);

// Whether host is the server's domain or one of its sub-domains (ignoring case).
bool HostInDomain(const std::wstring& host, const std::wstring& domain);

// The domain a server URL names: its host, without a "www." in front.
std::wstring ServerDomain(const std::wstring& serverUrl);

// A plain splitter: scheme://[user@]host[:port]/path?query#fragment, the
// object part with its %XX escapes decoded as single bytes (Latin-1).  Used
// by the tests and wherever WinINet is not at hand.
UrlSplitter PlainUrlSplitter();

}  // namespace views
