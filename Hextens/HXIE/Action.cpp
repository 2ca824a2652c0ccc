// CAction's IAction members other than the update cycle: module start and end,
// configuration options, the getters, the transfers and navigation.
#include "Hextens/HXIE/Action.h"
#include "Hextens/HXIE/BrowserCallLimit.h"

#include <cwchar>

#include "Hextens/HXIE/ModuleState.h"
#include "fx/ComInterface.h"
#include "fx/ComString.h"
#include "fx/Variant.h"
#include "log/Logger.h"

wchar_t g_ModuleName[16] = L"HXIE";
UtilityLib g_UtilityLib;
tagCONFIG* g_pConfig = nullptr;

bool SendContextOn() { return g_pConfig && g_UtilityLib.SendContext(); }

namespace {

using iaction::kOnException;
using iaction::Out;

constexpr LONG kPlacementFlags = 255;
constexpr LONG kNavOpenInNewTab = 2048;

}  // namespace

CAction::CAction()
    : fx::DispatchImpl<IAction>(LIBID_HXIELib, 1, 0, IID_IAction),
      fx::SingleConnectionPointContainer(DIID__IActionEvents) {}

STDMETHODIMP CAction::QueryInterface(REFIID iid, void** out) {
    return fx::ComBoundary(
        L"IUnknown::QueryInterface", fx::kComFailed,
        [&] { return fx::QueryInterfaceFor<IAction, IDispatch, IConnectionPointContainer>(this, iid, out); }, out);
}

STDMETHODIMP CAction::SendMsg(LONG) {
    return fx::ComBoundary(L"IAction::SendMsg", kOnException, [&] { return S_OK; });
}

STDMETHODIMP CAction::IdleLoop() {
    return fx::ComBoundary(L"IAction::IdleLoop", kOnException, [&] { return S_OK; });
}

STDMETHODIMP CAction::get_enhancertype(BSTR* pVal) {
    return fx::ComBoundary(
        L"IAction::get_enhancertype", kOnException, [&] { return Out(pVal, L"Internet Explorer Enhancer"); }, pVal);
}

STDMETHODIMP CAction::put_enhancertype(BSTR) {
    return fx::ComBoundary(L"IAction::put_enhancertype", kOnException, [&] { return S_OK; });
}

STDMETHODIMP CAction::Init() {
    return fx::ComBoundary(L"IAction::Init", kOnException, [&] {
        std::wcscpy(g_ModuleName, L"HXIE");
        m_bBrowserFound = m_bBrowserFoundBefore = false;
        m_bSelectionTransfer = m_bHotSpotTransfer = false;
        m_pSiteEnhancer = nullptr;

        // The module's logger lives across objects: a second Init keeps it.
        if (!g_pLogger) g_pLogger = Logger::Open();
        if (g_pLogger) g_pLogger->LogVersion(g_ModuleName);
        g_UtilityLib.SetLogger(g_pLogger);

        tagCONFIG config{};
        ::StringFromGUID2(CLSID_Action, config.id, 49);
        std::wcscpy(config.name, g_ModuleName);
        config.flag = false;
        g_UtilityLib.SetConfiguration(&config);
        g_pConfig = g_UtilityLib.GetConfiguration();
        return S_OK;
    });
}

STDMETHODIMP CAction::SetSiteEnhancer(IUnknown* siteEnhancer) {
    return fx::ComBoundary(L"IAction::SetSiteEnhancer", kOnException, [&] {
        m_pSiteEnhancer = iaction::LendSiteEnhancer(siteEnhancer, g_ModuleName);
        return S_OK;
    });
}

STDMETHODIMP CAction::SetConfigurationOption(LONG id, VARIANT* data1, VARIANT*, VARIANT*, VARIANT*) {
    return fx::ComBoundary(L"IAction::SetConfigurationOption", kOnException,
                           [&] { return iaction::ApplyConfigurationOption(g_UtilityLib, id, data1); });
}

STDMETHODIMP CAction::get_NumEnhancerAreas(LONG* pVal) {
    return fx::ComBoundary(
        L"IAction::get_NumEnhancerAreas", kOnException, [&] { return Out(pVal, m_nShellWindows > 0 ? 1 : 0); }, pVal);
}

STDMETHODIMP CAction::get_ActiveAreaTitle(BSTR* pVal) {
    return fx::ComBoundary(
        L"IAction::get_ActiveAreaTitle", kOnException, [&] { return Out(pVal, m_Title); }, pVal);
}

STDMETHODIMP CAction::HaveActiveEnhancerAreas(LONG* haveActive) {
    return fx::ComBoundary(
        L"IAction::HaveActiveEnhancerAreas", kOnException, [&] { return Out(haveActive, m_bBrowserFound ? 1 : 0); },
        haveActive);
}

STDMETHODIMP CAction::GetDomain(BSTR* name) {
    return fx::ComBoundary(
        L"IAction::GetDomain", kOnException, [&] { return Out(name, m_Domain); }, name);
}

STDMETHODIMP CAction::GetHRef(BSTR* ref) {
    return fx::ComBoundary(
        L"IAction::GetHRef", kOnException, [&] { return Out(ref, m_HotSpot.href); }, ref);
}

STDMETHODIMP CAction::GetHotSpotText(BSTR* text) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotText", kOnException, [&] { return Out(text, m_HotSpot.text); }, text);
}

STDMETHODIMP CAction::GetSelectedText(BSTR* text) {
    return fx::ComBoundary(
        L"IAction::GetSelectedText", kOnException, [&] { return Out(text, m_Selection.text); }, text);
}

STDMETHODIMP CAction::GetHotSpotLeft(LONG* left) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotLeft", kOnException, [&] { return Out(left, m_HotSpot.rect.left); }, left);
}

STDMETHODIMP CAction::GetHotSpotTop(LONG* top) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotTop", kOnException, [&] { return Out(top, m_HotSpot.rect.top); }, top);
}

STDMETHODIMP CAction::GetHotSpotRight(LONG* right) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotRight", kOnException, [&] { return Out(right, m_HotSpot.rect.right); }, right);
}

STDMETHODIMP CAction::GetHotSpotBottom(LONG* bottom) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotBottom", kOnException, [&] { return Out(bottom, m_HotSpot.rect.bottom); }, bottom);
}

STDMETHODIMP CAction::GetSelTextLeft(LONG* left) {
    return fx::ComBoundary(
        L"IAction::GetSelTextLeft", kOnException, [&] { return Out(left, m_Selection.rect.left); }, left);
}

STDMETHODIMP CAction::GetSelTextTop(LONG* top) {
    return fx::ComBoundary(
        L"IAction::GetSelTextTop", kOnException, [&] { return Out(top, m_Selection.rect.top); }, top);
}

STDMETHODIMP CAction::GetSelTextRight(LONG* right) {
    return fx::ComBoundary(
        L"IAction::GetSelTextRight", kOnException, [&] { return Out(right, m_Selection.rect.right); }, right);
}

STDMETHODIMP CAction::GetSelTextBottom(LONG* bottom) {
    return fx::ComBoundary(
        L"IAction::GetSelTextBottom", kOnException, [&] { return Out(bottom, m_Selection.rect.bottom); }, bottom);
}

STDMETHODIMP CAction::GetHotSpotPlacementFlags(LONG* flags) {
    return fx::ComBoundary(
        L"IAction::GetHotSpotPlacementFlags", kOnException, [&] { return Out(flags, kPlacementFlags); }, flags);
}

STDMETHODIMP CAction::GetSelTextPlacementFlags(LONG* flags) {
    return fx::ComBoundary(
        L"IAction::GetSelTextPlacementFlags", kOnException, [&] { return Out(flags, kPlacementFlags); }, flags);
}

STDMETHODIMP CAction::HotSpotTransferBegin(LONG) {
    return fx::ComBoundary(L"IAction::HotSpotTransferBegin", kOnException, [&] {
        m_bHotSpotTransfer = true;
        m_bSelectionTransfer = false;
        m_bHotSpotGiven = false;
        return S_OK;
    });
}

STDMETHODIMP CAction::HotSpotTransferNext(LONG* nextId) {
    return fx::ComBoundary(
        L"IAction::HotSpotTransferNext", kOnException,
        [&] {
            const LONG next = !m_bHotSpotGiven && !hxie::IsEmpty(m_HotSpot.rect) ? 1 : 0;
            m_bHotSpotGiven = true;
            return Out(nextId, next);
        },
        nextId);
}

STDMETHODIMP CAction::TextHotSpotTransferBegin() {
    return fx::ComBoundary(L"IAction::TextHotSpotTransferBegin", kOnException, [&] {
        m_bHotSpotTransfer = false;
        m_bSelectionTransfer = true;
        m_bSelectionGiven = false;
        return S_OK;
    });
}

STDMETHODIMP CAction::TextHotSpotTransferNext(LONG* id) {
    return fx::ComBoundary(
        L"IAction::TextHotSpotTransferNext", kOnException,
        [&] {
            const LONG next = !m_bSelectionGiven && !hxie::IsEmpty(m_Selection.rect) ? 1 : 0;
            m_bSelectionGiven = true;
            return Out(id, next);
        },
        id);
}

STDMETHODIMP CAction::HotSpotTransferEnd() {
    return fx::ComBoundary(L"IAction::HotSpotTransferEnd", kOnException, [&] {
        m_bHotSpotTransfer = m_bSelectionTransfer = false;
        return S_OK;
    });
}

STDMETHODIMP CAction::TextHotSpotTransferEnd() {
    return fx::ComBoundary(L"IAction::TextHotSpotTransferEnd", kOnException, [&] { return HotSpotTransferEnd(); });
}

STDMETHODIMP CAction::GetContext(BSTR* context) {
    return fx::ComBoundary(
        L"IAction::GetContext", kOnException,
        [&] {
            if (m_bHotSpotTransfer) return Out(context, m_HotSpot.contextXml);
            if (m_bSelectionTransfer) return Out(context, m_Selection.contextXml);
            return Out(context, L"");
        },
        context);
}

STDMETHODIMP CAction::GetBestGuess(BSTR* bstrCannedBestGuess) {
    return fx::ComBoundary(
        L"IAction::GetBestGuess", kOnException,
        [&] {
            if (m_bHotSpotTransfer) return Out(bstrCannedBestGuess, m_HotSpot.bestGuess);
            if (m_bSelectionTransfer) return Out(bstrCannedBestGuess, m_Selection.bestGuess);
            return Out(bstrCannedBestGuess, L"");
        },
        bstrCannedBestGuess);
}

STDMETHODIMP CAction::NavigateToURL(OLE_HANDLE hwndBrowser, BSTR* url, LONG navFlags, VARIANT_BOOL* isSuccess) {
    return fx::ComBoundary(
        L"IAction::NavigateToURL", kOnException,
        [&] {
            const HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(hwndBrowser));
            bool success = false;
            BrowserCallLimit limit;
            m_pBrowser.reset();
            // The search below fills in the page it finds: nothing of the page the
            // last poll saw may be reported as the domain of this one.
            m_bSecurePage = false;
            m_bDomainNotEnhanced = true;
            m_Domain.clear();
            {
                BrowserRelease release{*this};
                if (FindBrowser(window) && m_pBrowser) {
                    const bool currentTab = (navFlags & 1) != 0;
                    fx::Variant flags = fx::Variant::FromLong(currentTab ? 0 : kNavOpenInNewTab), empty;
                    BSTR target = url ? *url : nullptr;
                    HRESULT hr = m_pBrowser->Navigate(target, flags.get(), empty.get(), empty.get(), empty.get());
                    if (FAILED(hr) && !currentTab) {
                        flags = fx::Variant::FromLong(0);
                        hr = m_pBrowser->Navigate(target, flags.get(), empty.get(), empty.get(), empty.get());
                    }
                    success = SUCCEEDED(hr);
                }
            }
            if (success) ::BringWindowToTop(window);
            if (isSuccess) *isSuccess = success ? 1 : 0;
            return S_OK;
        },
        isSuccess);
}

STDMETHODIMP CAction::Unload() {
    return fx::ComBoundary(L"IAction::Unload", kOnException, [&] {
        if (g_pLogger) {
            LogMessage(L"(%s) Unloading", g_ModuleName);
            // HXLib holds the same logger: take it back first.
            g_UtilityLib.SetLogger(nullptr);
            delete g_pLogger;
            g_pLogger = nullptr;
        }
        return S_OK;
    });
}
