#include "fx/WebBrowserHost.h"

#include <exdispid.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <oleidl.h>

#include "fx/ComInterface.h"
#include "fx/Fault.h"
#include "fx/Variant.h"

namespace fx {

// The control's container site and event sink.  One object per host; the
// host holds one reference and clears the link (Detach) before it lets go,
// so calls the control makes later find no host.
class WebBrowserSite final : public IOleClientSite,
                             public IOleInPlaceSite,
                             public IOleInPlaceFrame,
                             public IDocHostUIHandler,
                             public NoTypeInfoDispatch<IDispatch> {
public:
    explicit WebBrowserSite(WebBrowserHost* host) : host_(host) {}
    void Detach() { host_ = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        // The event interface is answered by the sink's IDispatch.
        if (out && IsEqualIID(iid, DIID_DWebBrowserEvents2)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return QueryInterfaceFor<IOleClientSite, Via<IOleWindow, IOleInPlaceSite>, IOleInPlaceSite,
                                 IOleInPlaceUIWindow, IOleInPlaceFrame, IDocHostUIHandler, IDispatch>(this, iid,
                                                                                                       out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (of the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = host_ ? host_->hwnd() : nullptr;
        return *out ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return host_ ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override {
        if (frame) {
            *frame = static_cast<IOleInPlaceFrame*>(this);
            AddRef();
        }
        if (doc) *doc = nullptr;
        RECT client{0, 0, 0, 0};
        if (host_ && host_->hwnd()) ::GetClientRect(host_->hwnd(), &client);
        if (pos) *pos = client;
        if (clip) *clip = client;
        if (info) {
            info->fMDIApp = FALSE;
            info->hwndFrame = host_ ? host_->hwnd() : nullptr;
            info->haccel = nullptr;
            info->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow / IOleInPlaceFrame: no tool space, menus or status.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
        if (!info) return E_POINTER;
        info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return S_OK;
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override {
        if (key) *key = nullptr;
        if (!host_) return E_NOTIMPL;
        HRESULT hr = E_FAIL;
        Guarded(L"GetOptionKeyPath", [&] { hr = host_->OnGetOptionKeyPath(key, reserved); });
        return hr;
    }
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetExternal(IDispatch** out) override {
        if (out) *out = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
        if (out) *out = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
        if (out) *out = nullptr;
        return S_FALSE;
    }

    // IDispatch: the control's events (DWebBrowserEvents2); no type information.
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        if (!host_ || !params) return S_OK;
        ComPtr<IUnknown> keepAlive(static_cast<IOleClientSite*>(this));
        Guarded(L"WebBrowserHost event", [&] { Dispatch(id, *params); });
        return S_OK;
    }

private:
    ~WebBrowserSite() = default;

    // Argument i counted from the first (the arguments arrive last first).
    static VARIANT* Arg(DISPPARAMS& p, UINT i) { return i < p.cArgs ? &p.rgvarg[p.cArgs - 1 - i] : nullptr; }
    static VARIANT* Deref(VARIANT* v) {
        while (v && V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
        return v;
    }
    static std::wstring Text(VARIANT* v) {
        v = Deref(v);
        if (!v) return std::wstring();
        if (V_VT(v) == VT_BSTR && V_BSTR(v)) return std::wstring(V_BSTR(v), ::SysStringLen(V_BSTR(v)));
        if (V_VT(v) == (VT_BYREF | VT_BSTR) && V_BSTRREF(v) && *V_BSTRREF(v))
            return std::wstring(*V_BSTRREF(v), ::SysStringLen(*V_BSTRREF(v)));
        return std::wstring();
    }
    static IDispatch* Disp(VARIANT* v) {
        v = Deref(v);
        if (!v) return nullptr;
        if (V_VT(v) == VT_DISPATCH) return V_DISPATCH(v);
        if (V_VT(v) == (VT_BYREF | VT_DISPATCH) && V_DISPATCHREF(v)) return *V_DISPATCHREF(v);
        return nullptr;
    }
    static long Long(VARIANT* v) {
        v = Deref(v);
        if (!v) return 0;
        if (V_VT(v) == VT_I4) return V_I4(v);
        if (V_VT(v) == VT_INT) return V_INT(v);
        if (V_VT(v) == (VT_BYREF | VT_I4) && V_I4REF(v)) return *V_I4REF(v);
        return 0;
    }
    static bool Bool(VARIANT* v) {
        v = Deref(v);
        if (!v) return false;
        if (V_VT(v) == VT_BOOL) return V_BOOL(v) != VARIANT_FALSE;
        if (V_VT(v) == (VT_BYREF | VT_BOOL) && V_BOOLREF(v)) return *V_BOOLREF(v) != VARIANT_FALSE;
        return Long(v) != 0;
    }
    // A cancel argument (VT_BYREF | VT_BOOL): read and written back.
    static void SetCancel(VARIANT* v, bool cancel) {
        v = Deref(v);
        if (v && V_VT(v) == (VT_BYREF | VT_BOOL) && V_BOOLREF(v)) *V_BOOLREF(v) = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    }

    void Dispatch(DISPID id, DISPPARAMS& p) {
        switch (id) {
            case DISPID_BEFORENAVIGATE2: {  // disp, url, flags, frame, post data, headers, cancel
                if (p.cArgs < 7) return;
                IDispatch* disp = Disp(Arg(p, 0));
                bool cancel = Bool(Arg(p, 6));
                host_->OnBeforeNavigate2(disp, Text(Arg(p, 1)), host_->IsOwnBrowser(disp), &cancel);
                SetCancel(Arg(p, 6), cancel);
                break;
            }
            case DISPID_NEWWINDOW2: {  // new window (by reference), cancel
                if (p.cArgs < 2) return;
                VARIANT* slot = Deref(Arg(p, 0));
                if (!slot || V_VT(slot) != (VT_BYREF | VT_DISPATCH) || !V_DISPATCHREF(slot)) return;
                bool cancel = Bool(Arg(p, 1));
                host_->OnNewWindow2(V_DISPATCHREF(slot), &cancel);
                SetCancel(Arg(p, 1), cancel);
                break;
            }
            case DISPID_NAVIGATECOMPLETE2:
                if (p.cArgs >= 2) host_->OnNavigateComplete2(Disp(Arg(p, 0)), Text(Arg(p, 1)));
                break;
            case DISPID_DOCUMENTCOMPLETE:
                if (p.cArgs >= 2) host_->OnDocumentComplete(Disp(Arg(p, 0)), Text(Arg(p, 1)));
                break;
            case DISPID_COMMANDSTATECHANGE:
                if (p.cArgs >= 2) host_->OnCommandStateChange(Long(Arg(p, 0)), Bool(Arg(p, 1)));
                break;
            case DISPID_NAVIGATEERROR: {  // disp, url, frame, status, cancel
                if (p.cArgs < 5) return;
                bool cancel = Bool(Arg(p, 4));
                host_->OnNavigateError(Disp(Arg(p, 0)), Text(Arg(p, 1)), Long(Arg(p, 3)), &cancel);
                SetCancel(Arg(p, 4), cancel);
                break;
            }
            default:
                break;
        }
    }

    LONG refs_ = 1;
    WebBrowserHost* host_;
};

namespace {
const wchar_t* HostClass() {
    static const std::wstring name = RegisterWindowClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
    return name.c_str();
}
}  // namespace

WebBrowserHost::WebBrowserHost() = default;

WebBrowserHost::~WebBrowserHost() {
    // Destroying the window (on its thread) releases the control at WM_DESTROY.
    if (hwnd() && OnOwnThread()) ::DestroyWindow(hwnd());
    if (site_ && creatingThread_ == ::GetCurrentThreadId()) Close();
    if (site_) {
        LogFault(L"WebBrowserHost destroyed off its thread: the control is left to its apartment");
        site_->Detach();
        // The references are the creating apartment's; they are not released here.
        object_.detach();
        browser_.detach();
        events_.detach();
        site_ = nullptr;
    }
}

bool WebBrowserHost::Create(HWND parent, const RECT& rect, DWORD style, UINT id) {
    if (!CreateEx(0, HostClass(), L"", style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                  parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)))) {
        LogFault(L"WebBrowserHost: window not created (%lu)", ::GetLastError());
        return false;
    }
    if (!CreateControl()) {
        Close();
        return false;
    }
    return true;
}

bool WebBrowserHost::CreateControl() {
    site_ = new WebBrowserSite(this);
    creatingThread_ = ::GetCurrentThreadId();
    releasingThread_ = 0;
    HRESULT hr = ::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    object_.put_void());
    if (FAILED(hr)) {
        LogFault(L"WebBrowserHost: no WebBrowser control (0x%08lx)", static_cast<unsigned long>(hr));
        return false;
    }
    hr = object_->SetClientSite(static_cast<IOleClientSite*>(site_));
    if (FAILED(hr)) {
        LogFault(L"WebBrowserHost: SetClientSite failed (0x%08lx)", static_cast<unsigned long>(hr));
        return false;
    }
    object_->SetHostNames(L"PondRel", nullptr);
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    hr = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_), 0, hwnd(), &client);
    if (FAILED(hr)) {
        LogFault(L"WebBrowserHost: in-place activation failed (0x%08lx)", static_cast<unsigned long>(hr));
        return false;
    }
    if (FAILED(object_.As(browser_))) {
        LogFault(L"WebBrowserHost: the control has no IWebBrowser2");
        return false;
    }
    if (auto container = object_.As<IConnectionPointContainer>()) {
        if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, events_.put())) &&
            FAILED(events_->Advise(static_cast<IDispatch*>(site_), &eventsCookie_))) {
            events_.reset();
            eventsCookie_ = 0;
        }
    }
    if (!events_) LogFault(L"WebBrowserHost: no browser events");
    ResizeControl();
    return true;
}

void WebBrowserHost::Close() {
    if (!site_) return;
    if (creatingThread_ != ::GetCurrentThreadId()) {
        LogFault(L"WebBrowserHost::Close off the creating thread: left to WM_DESTROY");
        return;
    }
    if (events_) {
        events_->Unadvise(eventsCookie_);
        events_.reset();
        eventsCookie_ = 0;
    }
    if (object_) {
        if (auto inPlace = object_.As<IOleInPlaceObject>()) inPlace->InPlaceDeactivate();
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
    }
    browser_.reset();
    object_.reset();
    site_->Detach();
    site_->Release();
    site_ = nullptr;
    releasingThread_ = ::GetCurrentThreadId();
}

IOleClientSite* WebBrowserHost::ClientSite() const { return site_; }

HRESULT WebBrowserHost::Navigate2(const std::wstring& url) {
    if (!browser_) return E_POINTER;
    Variant target = Variant::FromString(url);
    VARIANT empty;
    ::VariantInit(&empty);
    return browser_->Navigate2(target.get(), &empty, &empty, &empty, &empty);
}

HRESULT WebBrowserHost::GoBack() { return browser_ ? browser_->GoBack() : E_POINTER; }
HRESULT WebBrowserHost::GoForward() { return browser_ ? browser_->GoForward() : E_POINTER; }

HRESULT WebBrowserHost::SetSilent(bool silent) {
    return browser_ ? browser_->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE) : E_POINTER;
}

HRESULT WebBrowserHost::SetRegisterAsBrowser(bool value) {
    return browser_ ? browser_->put_RegisterAsBrowser(value ? VARIANT_TRUE : VARIANT_FALSE) : E_POINTER;
}

HRESULT WebBrowserHost::SetOpticalZoom(int percent) {
    if (!browser_) return E_POINTER;
    Variant in = Variant::FromLong(percent);
    return browser_->ExecWB(static_cast<OLECMDID>(kOpticalZoomCommand), OLECMDEXECOPT_DONTPROMPTUSER, in.get(), nullptr);
}

IDispatch* WebBrowserHost::ApplicationDispatch() const {
    IDispatch* app = nullptr;
    if (browser_ && FAILED(browser_->get_Application(&app))) app = nullptr;
    return app;
}

void WebBrowserHost::MoveTo(const RECT& rect, bool repaint) {
    if (hwnd()) ::MoveWindow(hwnd(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

void WebBrowserHost::ResizeControl() {
    if (!object_ || !hwnd()) return;
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    if (auto inPlace = object_.As<IOleInPlaceObject>()) inPlace->SetObjectRects(&client, &client);
}

bool WebBrowserHost::IsOwnBrowser(IDispatch* disp) const {
    if (!disp || !browser_) return false;
    ComPtr<IUnknown> a, b;
    if (FAILED(disp->QueryInterface(IID_IUnknown, a.put_void())) ||
        FAILED(browser_->QueryInterface(IID_IUnknown, b.put_void())))
        return false;
    return a.get() == b.get();
}

void WebBrowserHost::OnBeforeNavigate2(IDispatch*, const std::wstring&, bool, bool*) {}
void WebBrowserHost::OnNewWindow2(IDispatch**, bool*) {}
void WebBrowserHost::OnNavigateComplete2(IDispatch*, const std::wstring&) {}
void WebBrowserHost::OnDocumentComplete(IDispatch*, const std::wstring&) {}
void WebBrowserHost::OnCommandStateChange(long, bool) {}
void WebBrowserHost::OnNavigateError(IDispatch*, const std::wstring&, long, bool*) {}
HRESULT WebBrowserHost::OnGetOptionKeyPath(LPOLESTR* key, DWORD) {
    if (key) *key = nullptr;
    return E_NOTIMPL;
}

bool WebBrowserHost::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_SIZE:
            ResizeControl();
            result = 0;
            return true;
        case WM_DESTROY:
            Close();
            break;  // and the default
        default:
            break;
    }
    return Window::OnMessage(msg, wp, lp, result);
}

}  // namespace fx
