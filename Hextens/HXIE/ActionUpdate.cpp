// The update cycle: find the foreground browser (or take the given one), read
// its page, run the document checks and work out the change bits.
#include <windows.h>
#include <oleidl.h>
#include <servprov.h>
#include <shobjidl.h>
#include <wininet.h>

#include <cwchar>

#include "Hextens/HXIE/Action.h"
#include "Hextens/HXIE/BrowserCallLimit.h"
#include "Hextens/HXIE/ModuleState.h"
#include "Hextens/HXIE/UpdateCycle.h"
#include "fx/ComString.h"
#include "fx/Variant.h"
#include "hosts/HostWindowClasses.h"
#include "log/Logger.h"

namespace {

constexpr DWORD kShellWindowsContext = 0x17;
constexpr DWORD kHostNameCapacity = 8191;

hxie::Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The host name of a URL and its scheme, cracked by WinINet.
struct CrackedUrl {
    bool ok = false;
    bool https = false;
    std::wstring host;
};

CrackedUrl CrackUrl(const std::wstring& url) {
    CrackedUrl result;
    std::wstring host(kHostNameCapacity + 1, L'\0');
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = &host[0];
    parts.dwHostNameLength = kHostNameCapacity;
    if (!::InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return result;
    result.ok = true;
    result.https = parts.nScheme == INTERNET_SCHEME_HTTPS;
    result.host.assign(host.c_str(), parts.dwHostNameLength);
    return result;
}

}  // namespace

// A poll cut short by an exception reports no change (0) and keeps nothing of
// its browser.
STDMETHODIMP CAction::Update(LONG* haveChanges) {
    return fx::ComBoundary(
        L"IAction::Update", iaction::kOnException,
        [&] {
            BrowserCallLimit limit;
            BrowserRelease release{*this};
            const long bits = DoUpdate(false);
            if (haveChanges) *haveChanges = bits;
            return S_OK;
        },
        haveChanges);
}

STDMETHODIMP CAction::UpdateForECP(IUnknown* browser, LONG* haveChanges) {
    return fx::ComBoundary(
        L"IAction::UpdateForECP", iaction::kOnException,
        [&] {
            long bits = 0;
            BrowserCallLimit limit;
            fx::ComPtr<IWebBrowser2> given;
            BrowserRelease release{*this};
            if (browser && SUCCEEDED(browser->QueryInterface(IID_IWebBrowser2, given.put_void())) && given) {
                m_pBrowser = given;
                bits = DoUpdate(true);
            }
            if (haveChanges) *haveChanges = bits;
            return S_OK;
        },
        haveChanges);
}

long CAction::DoUpdate(bool givenBrowser) {
    hxie::PollObservation poll;
    poll.titleBefore = m_Title;
    poll.selectionBefore = {m_Selection.text, m_Selection.rect};

    m_ServerRect = {};
    m_HotSpot.Clear();
    m_Selection.Clear();
    if (!givenBrowser) m_pBrowser.reset();
    m_bSecurePage = false;
    m_bDomainNotEnhanced = true;
    m_Domain.clear();
    m_Location.clear();
    m_Title.clear();
    ClearContextParts();

    const HWND window = givenBrowser ? GetBrowserWindow(m_pBrowser.get()) : FindBrowser(::GetForegroundWindow());
    poll.windowFound = window != nullptr;
    if (window) {
        try {
            poll.checkBits = CheckBrowserWindow(window);
        } catch (...) {
            LogMessage(L"(%s) *** Exception caught in CheckBrowserWindow", g_ModuleName);
            poll.checkBits = 0;
        }
    }
    // Nothing of this poll's browser is kept.
    m_pBrowser.reset();
    m_pShellItem.reset();

    poll.title = m_Title;
    poll.selection = {m_Selection.text, m_Selection.rect};
    poll.serverRect = m_ServerRect;
    poll.securePage = m_bSecurePage;
    hxie::PollMemory memory{m_bBrowserFound, m_bBrowserFoundBefore, m_LastServerRect};
    const long bits = hxie::DecideChanges(memory, poll);
    m_bBrowserFound = memory.browserFound;
    m_bBrowserFoundBefore = memory.browserFoundBefore;
    m_LastServerRect = memory.lastServerRect;

    if (bits) LogMessage(L"(%s) haveChanges = 0x%02x", g_ModuleName, static_cast<unsigned>(bits));
    return bits;
}

HWND CAction::FindBrowser(HWND topLevel) {
    if (!topLevel || !UtilityLib::IsClass(topLevel, host_class::kIEFrame)) return nullptr;
    if (!m_pShellWindows) {
        HRESULT hr = ::CoCreateInstance(CLSID_ShellWindows, nullptr, kShellWindowsContext, IID_IShellWindows,
                                        m_pShellWindows.put_void());
        if (FAILED(hr) || !m_pShellWindows) {
            m_pShellWindows.reset();
            LogMessage(L"(%s) *** No shell windows collection: 0x%08lx", g_ModuleName, static_cast<unsigned long>(hr));
            return nullptr;
        }
    }
    long count = 0;
    if (FAILED(m_pShellWindows->get_Count(&count))) return nullptr;
    m_nShellWindows = count;

    fx::ComPtr<IWebBrowser2> match;
    HWND shellWindow = nullptr;
    fx::Bstr url;
    for (long i = 0; i < count && !match; ++i) {
        fx::Variant index = fx::Variant::FromLong(i);
        m_pShellItem.reset();
        if (FAILED(m_pShellWindows->Item(*index.get(), m_pShellItem.put())) || !m_pShellItem) continue;
        fx::ComPtr<IWebBrowser2> browser;
        if (FAILED(m_pShellItem.As(browser)) || !browser) continue;
        SHANDLE_PTR handle = 0;
        if (FAILED(browser->get_HWND(&handle)) || reinterpret_cast<HWND>(handle) != topLevel) continue;
        const HWND shell = GetBrowserWindow(browser.get());
        if (!shell || !::IsWindowVisible(shell)) continue;
        fx::Bstr name;
        if (SUCCEEDED(browser->get_LocationName(name.put()))) m_Title = name.str();
        if (SUCCEEDED(browser->get_LocationURL(url.put())) && url.get()) {
            match = browser;
            shellWindow = shell;
        }
    }
    if (!match) return nullptr;

    m_Location = url.str();
    const CrackedUrl cracked = CrackUrl(m_Location);
    if (cracked.ok && cracked.https) {
        m_bSecurePage = true;
    } else if (cracked.ok) {
        const std::wstring domain = hxie::DomainOfHost(cracked.host);
        if (!domain.empty()) {
            m_bDomainNotEnhanced = !IsEnhancedDomain(domain);
            m_Domain = m_bDomainNotEnhanced ? std::wstring() : domain;
        }
    }
    m_pBrowser = match;
    return shellWindow;
}

bool CAction::IsEnhancedDomain(const std::wstring& domain) {
    if (!m_pSiteEnhancer) {
        LogMessage(L"(%s) No site enhancer: %s is not enhanced", g_ModuleName, domain.c_str());
        return false;
    }
    fx::Bstr name(domain);
    VARIANT_BOOL enhanced = VARIANT_FALSE;
    const HRESULT hr = m_pSiteEnhancer->IsEnhancedDomain(name.get(), &enhanced);
    if (FAILED(hr)) {
        LogMessage(L"(%s) *** IsEnhancedDomain(%s) failed: 0x%08lx", g_ModuleName, domain.c_str(),
                   static_cast<unsigned long>(hr));
        return false;
    }
    return enhanced != VARIANT_FALSE;
}

HWND CAction::GetBrowserWindow(IUnknown* browser) {
    if (!browser) return nullptr;
    fx::ComPtr<IServiceProvider> services;
    if (FAILED(browser->QueryInterface(IID_IServiceProvider, services.put_void())) || !services) return nullptr;
    fx::ComPtr<IOleWindow> window;
    if (FAILED(services->QueryService(IID_IShellBrowser, IID_IOleWindow, window.put_void())) || !window) return nullptr;
    HWND handle = nullptr;
    if (FAILED(window->GetWindow(&handle))) return nullptr;
    return handle;
}

BOOL CALLBACK CAction::FindIEServerWindow(HWND child, LPARAM found) {
    wchar_t name[260] = {};
    ::GetClassNameW(child, name, 260);
    if (std::wcscmp(name, host_class::kIEServer) != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

CAction::DocumentView CAction::ReadDocumentView(IHTMLDocument2* doc2, IHTMLDocument3* doc3) {
    DocumentView view;
    std::optional<long> left, top, width, height;
    fx::ComPtr<IHTMLWindow2> window;
    fx::ComPtr<IHTMLWindow3> window3;
    if (SUCCEEDED(doc2->get_parentWindow(window.put())) && window && SUCCEEDED(window.As(window3)) && window3) {
        long v = 0;
        if (SUCCEEDED(window3->get_screenLeft(&v))) left = v;
        if (SUCCEEDED(window3->get_screenTop(&v))) top = v;
    }
    fx::ComPtr<IHTMLElement> body;
    if (SUCCEEDED(doc2->get_body(body.put())) && body) {
        long v = 0;
        if (SUCCEEDED(body->get_offsetWidth(&v))) width = v;
        if (SUCCEEDED(body->get_offsetHeight(&v))) height = v;
        fx::ComPtr<IHTMLElement2> body2;
        if (SUCCEEDED(body.As(body2)) && body2) {
            if (FAILED(body2->get_scrollLeft(&view.bodyScroll.x))) view.bodyScroll.x = 0;
            if (FAILED(body2->get_scrollTop(&view.bodyScroll.y))) view.bodyScroll.y = 0;
        }
    }
    fx::ComPtr<IHTMLElement> root;
    if (SUCCEEDED(doc3->get_documentElement(root.put())) && root) {
        fx::ComPtr<IHTMLElement2> root2;
        if (SUCCEEDED(root.As(root2)) && root2) {
            if (FAILED(root2->get_scrollLeft(&view.rootScroll.x))) view.rootScroll.x = 0;
            if (FAILED(root2->get_scrollTop(&view.rootScroll.y))) view.rootScroll.y = 0;
        }
    }
    view.rect = hxie::DocumentScreenRect(left, top, width, height);
    return view;
}

long CAction::CheckBrowserWindow(HWND shellWindow) {
    HWND server = nullptr;
    ::EnumChildWindows(shellWindow, &CAction::FindIEServerWindow, reinterpret_cast<LPARAM>(&server));
    if (!server || !m_pBrowser) return 0;
    RECT serverRect{};
    if (!::GetWindowRect(server, &serverRect)) return 0;
    m_ServerRect = ToRect(serverRect);
    POINT cursor{};
    ::GetCursorPos(&cursor);

    fx::ComPtr<IDispatch> document;
    if (FAILED(m_pBrowser->get_Document(document.put())) || !document) return 0;
    fx::ComPtr<IHTMLDocument3> doc3;
    fx::ComPtr<IHTMLDocument2> doc2;
    if (FAILED(document.As(doc3)) || !doc3) return 0;
    if (FAILED(document.As(doc2)) || !doc2) return 0;

    const DocumentView view = ReadDocumentView(doc2.get(), doc3.get());
    if (hxie::IsEmpty(view.rect)) return 0;
    const hxie::Rect visible = hxie::Intersect(view.rect, m_ServerRect);
    if (hxie::IsEmpty(visible)) return 0;
    const hxie::Point origin{view.rect.left, view.rect.top};

    const bool enhanced = !m_bDomainNotEnhanced;
    long bits = 0;
    if (enhanced && CheckHotSpot(doc2.get(), doc3.get(), cursor, origin, visible, view.bodyScroll))
        bits = hxie::kHotSpotPresent;
    if (CheckSelection(doc2.get(), doc3.get(), cursor, origin, visible, view.bodyScroll))
        bits |= hxie::kSelectionPresent;
    if (hxie::FrameWalkNeeded(enhanced, bits))
        bits = CheckFrames(m_pBrowser.get(), cursor, bits, m_ServerRect, view.bodyScroll, view.rootScroll);
    return bits;
}
