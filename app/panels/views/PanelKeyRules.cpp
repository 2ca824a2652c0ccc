#include "app/panels/views/PanelKeyRules.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "app/core/common/AppMessages.h"
#include "app/core/net/UrlParam.h"

namespace views {
namespace {

wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = LowerAscii(c);
    return s;
}

bool EqualsIgnoringCase(const std::wstring& a, const wchar_t* b) { return Lower(a) == Lower(b); }

// The C library's wide string-to-integer reading: leading blanks and a sign,
// digits up to the first other character, 0 when there are none; values
// beyond int are held at its limits.
int ToInt(const std::wstring& s) {
    long v = std::wcstol(s.c_str(), nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// Whether key stands in url after its first character.
bool StandsAfterFirst(const std::wstring& url, const wchar_t* key) {
    size_t at = url.find(key);
    return at != std::wstring::npos && at > 0;
}

bool Contains(const std::wstring& s, const wchar_t* part) { return s.find(part) != std::wstring::npos; }

Action Post(ActionKind kind, unsigned msg, uintptr_t wp = 0, uintptr_t lp = 0) {
    Action a{kind};
    a.msg = msg;
    a.wp = wp;
    a.lp = lp;
    return a;
}

Action WithText(ActionKind kind, const std::wstring& text) {
    Action a{kind};
    a.text = text;
    return a;
}

// Navigations the program started itself are let through once.
void ForgetProgramNavigation(ViewState& state) {
    if (state.navigationCount > 0) state.navigationCount = 0;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    c = LowerAscii(c);
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

// Where the authority of scheme://authority/... ends; npos without "://".
bool AuthorityOf(const std::wstring& url, size_t* begin, size_t* end) {
    size_t sep = url.find(L"://");
    if (sep == std::wstring::npos || sep == 0) return false;
    *begin = sep + 3;
    size_t stop = url.find_first_of(L"/?#", *begin);
    *end = stop == std::wstring::npos ? url.size() : stop;
    return true;
}

bool PlainHost(const std::wstring& url, std::wstring* host) {
    size_t begin = 0, end = 0;
    if (!AuthorityOf(url, &begin, &end)) return false;
    std::wstring authority = url.substr(begin, end - begin);
    size_t at = authority.rfind(L'@');
    if (at != std::wstring::npos) authority.erase(0, at + 1);
    if (!authority.empty() && authority[0] == L'[') {
        size_t close = authority.find(L']');
        if (close == std::wstring::npos) return false;
        authority = authority.substr(1, close - 1);
    } else {
        size_t colon = authority.find(L':');
        if (colon != std::wstring::npos) authority.erase(colon);
    }
    if (host) *host = authority;
    return true;
}

std::wstring PlainObjectPart(const std::wstring& url) {
    size_t begin = 0, end = 0;
    if (!AuthorityOf(url, &begin, &end)) return std::wstring();
    size_t hash = url.find(L'#', end);
    std::wstring raw = url.substr(end, hash == std::wstring::npos ? std::wstring::npos : hash - end);
    std::wstring out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        int hi = -1, lo = -1;
        if (raw[i] == L'%' && i + 2 < raw.size() && (hi = HexDigit(raw[i + 1])) >= 0 &&
            (lo = HexDigit(raw[i + 2])) >= 0) {
            out += static_cast<wchar_t>(hi * 16 + lo);
            i += 2;
        } else {
            out += raw[i];
        }
    }
    return out;
}

}  // namespace

bool HostInDomain(const std::wstring& host, const std::wstring& domain) {
    if (domain.empty() || host.empty()) return false;
    const std::wstring h = Lower(host), d = Lower(domain);
    if (h == d) return true;
    return h.size() > d.size() && h.compare(h.size() - d.size(), d.size(), d) == 0 &&
           h[h.size() - d.size() - 1] == L'.';
}

std::wstring ServerDomain(const std::wstring& serverUrl) {
    std::wstring host;
    if (!PlainHost(serverUrl, &host)) return std::wstring();
    host = Lower(host);
    if (host.compare(0, 4, L"www.") == 0 && host.size() > 4) host.erase(0, 4);
    return host;
}

UrlSplitter PlainUrlSplitter() { return UrlSplitter{PlainHost, PlainObjectPart}; }

Decision ParsePanelKeys(ViewState& state, const std::wstring& a, const std::wstring& b, bool fromBanner,
                        const UrlSplitter& split) {
    Decision d;
    bool goOn = true;
    bool resize = false;

    const int x = ToInt(GetUrlParam(b, L"pqecpx"));
    const int ady = ToInt(GetUrlParam(b, L"pqady"));
    const int y = ToInt(GetUrlParam(b, L"pqecpy"));
    const std::wstring load = GetUrlParam(b, L"pqload");

    // The search box text, read from the decoded path and query.
    const std::wstring alias = GetUrlParam(split.objectPart ? split.objectPart(b) : std::wstring(), L"pqalias");
    if (!alias.empty() && state.hasChildHandler) {
        d.actions.push_back(WithText(ActionKind::StoreSearchText, alias));
        d.actions.push_back(Post(ActionKind::PostChildren, children_msg::kSetSearchText));
    }

    const bool loadEcp = EqualsIgnoringCase(load, L"ecp");
    const std::wstring window = GetUrlParam(b, L"pqwindow");

    if (x > 0 || y > 0) {
        if (x > kMaxPagePanelSize || y > kMaxPagePanelSize)
            d.actions.push_back(WithText(ActionKind::Log, L"Page asked for a panel of " + std::to_wstring(x) + L" x " +
                                                              std::to_wstring(y) + L"; held at " +
                                                              std::to_wstring(kMaxPagePanelSize)));
        goOn = false;
        resize = true;
    }
    if (x > 0) state.rememberedWidth = std::min(x, kMaxPagePanelSize);
    if (y > 0) state.rememberedHeight = std::min(y, kMaxPagePanelSize);
    if (ady > 0) goOn = false;

    if (loadEcp) {
        const std::wstring target = a + L"&adtype=ecp";
        goOn = false;
        if (!fromBanner) {
            d.actions.push_back(WithText(ActionKind::NavigateSelf, target));
        } else {
            d.actions.push_back(WithText(ActionKind::HandOverUrl, target));
            d.actions.push_back(Post(ActionKind::PostPanel, panel_msg::kLoadContentUrl));
        }
    }

    if (resize)
        d.actions.push_back(Post(ActionKind::PostPanel, panel_msg::kResize, static_cast<uintptr_t>(state.rememberedWidth),
                                 static_cast<uintptr_t>(state.rememberedHeight)));

    if (!window.empty()) {
        if (EqualsIgnoringCase(window, L"center")) {
            d.actions.push_back(Post(ActionKind::PostPanel, panel_msg::kCenter, 1, 0));
        } else if (EqualsIgnoringCase(window, L"open")) {
            size_t tokenAt = b.find(L"&token=");
            Action open{ActionKind::LeavePanelOpen};
            open.text = GetUrlParam(b, L"ecpguid");
            open.token = GetUrlParam(b, L"token");
            open.url = tokenAt == std::wstring::npos ? std::wstring() : b.substr(0, tokenAt);
            if (state.hasChildHandler) {
                d.actions.push_back(open);
                d.actions.push_back(Post(ActionKind::PostController, controller_msg::kReportBug));
            }
            goOn = false;
        }
    }
    if (!window.empty() || resize) d.actions.push_back(Post(ActionKind::PostPanel, panel_msg::kHideTail, 1, 0));

    d.cancel = !goOn;
    return d;
}

Decision AdFilter(ViewState& state, const std::wstring& url, const UrlSplitter& split) {
    size_t hash = url.find(L'#');
    const std::wstring b = (hash != std::wstring::npos && hash > 0) ? url.substr(0, hash) : std::wstring();
    if (!b.empty() && Contains(b, L"pqecp=1") && !Contains(b, L"adtype")) return ParsePanelKeys(state, url, b, true, split);
    return Decision{};
}

Decision ContentFilter(ViewState& state, const std::wstring& url, bool topLevel, const std::wstring& serverDomain,
                       const UrlSplitter& split) {
    Decision d;
    // Top-level pages come only from the application server; frames from anywhere.
    std::wstring host;
    if (topLevel && split.host && split.host(url, &host) && !HostInDomain(host, serverDomain)) {
        d.actions.push_back(WithText(ActionKind::Log, L"Navigation refused, host " + host + L" is outside " +
                                                          (serverDomain.empty() ? L"(no domain)" : serverDomain)));
        d.cancel = true;
        return d;
    }
    if (StandsAfterFirst(url, L"pqload=init")) {
        if (state.hasChildHandler) {
            d.actions.push_back(Post(ActionKind::PostController, controller_msg::kReloadSettings));
            d.cancel = true;
        }
        return d;
    }
    if (StandsAfterFirst(url, L"pqwindow=cancel")) {
        if (state.hasChildHandler) d.actions.push_back(Post(ActionKind::PostController, controller_msg::kHideMenus));
        d.actions.push_back(Post(ActionKind::PostPanel, panel_msg::kFadeOutAndClose));
        d.cancel = true;
        return d;
    }
    if (state.navigationCount != 0) {
        ForgetProgramNavigation(state);
        return d;
    }
    if (Contains(url, L"adtype")) {
        ForgetProgramNavigation(state);
        return d;
    }
    return ParsePanelKeys(state, url, url, false, split);
}

Decision HiddenBrowserFilter(bool& armed, const std::wstring& url) {
    Decision d;
    if (armed) {
        if (IsWebUrl(url)) {
            d.actions.push_back(WithText(ActionKind::StoreNavigateUrl, url));
            d.actions.push_back(Post(ActionKind::PostController, controller_msg::kNavigateUrl));
        } else {
            d.actions.push_back(WithText(ActionKind::Log, L"New window dropped, not a web URL: " + url));
        }
    }
    armed = false;
    d.cancel = true;
    return d;
}

}  // namespace views
