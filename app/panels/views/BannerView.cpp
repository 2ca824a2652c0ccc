#include "app/panels/views/BannerView.h"

#include <mshtml.h>

#include <cwchar>

#include "app/core/common/AppMessages.h"
#include "app/core/net/HttpRoutines.h"
#include "app/panels/views/HackBrowser.h"
#include "log/PondrelLog.h"

namespace panels {
namespace {

// The browser control's option key.
constexpr wchar_t kOptionKey[] = L"Software\\Pondrel\\Pondrel";
// CommandStateChange's commands.
constexpr long kForwardCommand = 1, kBackCommand = 2;

bool CrackHost(const std::wstring& url, std::wstring* host) {
    wchar_t buffer[1000] = {};
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = buffer;
    parts.dwHostNameLength = static_cast<DWORD>(sizeof buffer / sizeof buffer[0]);
    if (url.empty() || !::InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return false;
    if (host) host->assign(buffer, parts.dwHostNameLength);
    return true;
}

void Post(HWND window, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    if (window) ::PostMessageW(window, msg, wp, lp);
}

}  // namespace

BannerView::BannerView(ViewHost& host) : host_(host) {}

BannerView::~BannerView() {
    // The view's handlers run while the object is whole.
    if (hwnd() && OnOwnThread()) ::DestroyWindow(hwnd());
}

const views::UrlSplitter& BannerView::Splitter() {
    static const views::UrlSplitter split{CrackHost, [](const std::wstring& url) { return SplitUrl(url); }};
    return split;
}

bool BannerView::Create(HWND parent, const RECT& rect, UINT id) {
    hidden_ = std::make_unique<HackBrowser>(*this);
    if (hidden_->Create(parent, rect, WS_CHILD, id)) {
        hidden_->SetSilent(true);
        hidden_->SetRegisterAsBrowser(true);
    }
    if (!WebBrowserHost::Create(parent, rect, WS_CHILD, id)) return false;
    if (host_.ScriptErrorsSuppressed()) SetSilent(true);
    return true;
}

void BannerView::SetChildHandlerWindow(HWND handler) {
    childHandlerWindow_ = handler;
    state_.hasChildHandler = handler != nullptr;
}

void BannerView::SetZoom(int percent) {
    zoomPercent_ = percent;
    zoomChanged_ = true;
}

void BannerView::SetRememberedSize(int width, int height) {
    state_.rememberedWidth = width;
    state_.rememberedHeight = height;
}

void BannerView::Navigate(const std::wstring& url) {
    LogWithPrefix(L"Navigating to %s", url.c_str());
    ++state_.navigationCount;
    Navigate2(url);
}

fx::GdiplusPtr<Gdiplus::Bitmap> BannerView::Snapshot() {
    RECT client{};
    if (!hwnd() || !::GetClientRect(hwnd(), &client)) return nullptr;
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 5 || height <= 5) return nullptr;

    Gdiplus::Bitmap painted(width, height, PixelFormat32bppARGB);
    if (painted.GetLastStatus() != Gdiplus::Ok) return nullptr;
    {
        Gdiplus::Graphics g(&painted);
        g.Clear(Gdiplus::Color(0, 0, 0, 0));
        HDC dc = g.GetHDC();
        ::SendMessageW(hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_CHILDREN);
        // The document draws itself when it has a body.
        fx::ComPtr<IDispatch> document;
        if (Browser() && SUCCEEDED(Browser()->get_Document(document.put())) && document) {
            fx::ComPtr<IHTMLElement> body;
            if (auto html = document.As<IHTMLDocument2>(); html && SUCCEEDED(html->get_body(body.put())) && body) {
                if (auto render = body.As<IHTMLElementRender>()) render->DrawToDC(dc);
            }
        }
        g.ReleaseHDC(dc);
    }
    // GDI+'s allocator may answer null: nothing is built then.
    fx::GdiplusPtr<Gdiplus::Bitmap> out = fx::NewGdiplus<Gdiplus::Bitmap>(width - 5, height - 5, PixelFormat32bppARGB);
    if (!out || out->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics g(out.get());
    g.DrawImage(&painted, Gdiplus::Rect(0, 0, width - 5, height - 5), 2, 2, width - 5, height - 5,
                Gdiplus::UnitPixel);
    return out;
}

bool BannerView::ParsePanelKeys(const std::wstring& a, const std::wstring& b, bool fromBanner) {
    views::Decision d = views::ParsePanelKeys(state_, a, b, fromBanner, Splitter());
    Perform(d);
    return !d.cancel;
}

void BannerView::Perform(const views::Decision& decision) {
    for (const views::Action& a : decision.actions) {
        switch (a.kind) {
            case views::ActionKind::PostPanel:
                Post(panelWindow_, a.msg, a.wp, a.lp);
                break;
            case views::ActionKind::PostController:
                Post(host_.ControllerWindow(), a.msg, a.wp, a.lp);
                break;
            case views::ActionKind::PostChildren:
                Post(childHandlerWindow_, a.msg, a.wp, a.lp);
                break;
            case views::ActionKind::StoreSearchText:
                host_.StoreSearchText(a.text);
                break;
            case views::ActionKind::NavigateSelf:
                Navigate2(a.text);
                break;
            case views::ActionKind::HandOverUrl:
                host_.HandOverUrl(a.text);
                break;
            case views::ActionKind::LeavePanelOpen: {
                RECT screen{};
                if (hwnd()) ::GetWindowRect(hwnd(), &screen);
                host_.LeavePanelOpen(a.text, a.token, a.url, screen);
                break;
            }
            case views::ActionKind::StoreNavigateUrl:
                host_.StoreNavigateUrl(a.text);
                break;
            case views::ActionKind::Log:
                LogLine(a.text.c_str());
                break;
        }
    }
}

HRESULT BannerView::OnGetOptionKeyPath(LPOLESTR* key, DWORD) {
    if (!key) return E_POINTER;
    *key = static_cast<LPOLESTR>(::CoTaskMemAlloc(sizeof kOptionKey));
    if (!*key) return E_OUTOFMEMORY;
    std::wmemcpy(*key, kOptionKey, sizeof kOptionKey / sizeof kOptionKey[0]);
    return S_OK;
}

void BannerView::OnNavigateComplete2(IDispatch*, const std::wstring& url) {
    LogWithPrefix(L"Navigating complete (TCHAR) %s", url.c_str());
}

void BannerView::OnBeforeNavigate2(IDispatch*, const std::wstring& url, bool, bool* cancel) {
    views::Decision d = views::AdFilter(state_, url, Splitter());
    Perform(d);
    if (d.cancel && cancel) *cancel = true;
}

void BannerView::OnCommandStateChange(long command, bool enabled) {
    if (command == kForwardCommand) Post(panelWindow_, panel_msg::kNavButtonState, enabled ? 1 : 0, 1);
    if (command == kBackCommand) Post(panelWindow_, panel_msg::kNavButtonState, enabled ? 1 : 0, 2);
}

void BannerView::OnSetFocus(HWND from) {
    if (!from || from == hwnd() || !childHandlerWindow_ || menuFlag_) return;
    Post(host_.ControllerWindow(), controller_msg::kHideMenus);
    if (panelWindow_) {
        Post(childHandlerWindow_, children_msg::kHideTail);
        Post(panelWindow_, panel_msg::kRaise);
    }
}

bool BannerView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_NCCALCSIZE:  // no frame
            result = 0;
            return true;
        case WM_LBUTTONUP:
            result = 0;
            return true;
        case WM_SETFOCUS:
            OnSetFocus(reinterpret_cast<HWND>(wp));
            break;  // and the default
        default:
            break;
    }
    return WebBrowserHost::OnMessage(msg, wp, lp, result);
}

}  // namespace panels
