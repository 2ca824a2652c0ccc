// CAction, HXIE's one creatable class (coclass Action): IAction over Internet
// Explorer's windows and documents, with the _IActionEvents connection point.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>

#include <optional>
#include <string>

#include "Hextens/HXIE/ContextXml.h"
#include "Hextens/HXIE/HXIE.h"
#include "Hextens/HXIE/IActionMethods.h"
#include "Hextens/HXIE/PageGeometry.h"
#include "Hextens/HXIE/PageRecords.h"
#include "fx/ComModule.h"
#include "fx/ConnectionPoint.h"
#include "fx/Dispatch.h"
#include "fx/Handle.h"
#include "hosts/SiteEnhancer.h"

class CAction : public fx::DispatchImpl<IAction>, public fx::SingleConnectionPointContainer, private fx::ModuleObject {
public:
    CAction();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefObject(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseObject(); }

    // IAction
    IACTION_METHODS

private:
    ~CAction() override = default;

    // Lets go of the browser a call found (m_pBrowser, m_pShellItem) when the
    // call ends, also by an exception: nothing of one call's browser is kept.
    struct BrowserRelease {
        CAction& action;
        ~BrowserRelease() {
            action.m_pBrowser.reset();
            action.m_pShellItem.reset();
        }
    };

    // A document's screen rectangle and scroll offsets.
    struct DocumentView {
        hxie::Rect rect;
        hxie::Point bodyScroll;
        hxie::Point rootScroll;
    };

    // The update cycle (ActionUpdate.cpp).
    long DoUpdate(bool givenBrowser);
    HWND FindBrowser(HWND topLevel);
    static HWND GetBrowserWindow(IUnknown* browser);
    long CheckBrowserWindow(HWND shellWindow);
    bool IsEnhancedDomain(const std::wstring& domain);
    static BOOL CALLBACK FindIEServerWindow(HWND child, LPARAM found);
    static DocumentView ReadDocumentView(IHTMLDocument2* doc2, IHTMLDocument3* doc3);

    // The page checks (ActionPage.cpp).
    bool CheckHotSpot(IHTMLDocument2* doc2, IHTMLDocument3* doc3, POINT cursor, hxie::Point documentOrigin,
                      const hxie::Rect& clip, hxie::Point scroll);
    bool CheckSelection(IHTMLDocument2* doc2, IHTMLDocument3* doc3, POINT cursor, hxie::Point documentOrigin,
                        const hxie::Rect& clip, hxie::Point scroll);
    long CheckFrames(IWebBrowser2* browser, POINT cursor, long bits, const hxie::Rect& area, hxie::Point bodyScroll,
                     hxie::Point rootScroll, int depth = 0);
    static void CollectAncestorIds(IHTMLElement* element, hxie::IdRunCollector& runs);
    static fx::ComPtr<IHTMLElement> FindAnchorAncestor(IHTMLElement* element);
    static std::optional<hxie::Rect> GetElementRect(IHTMLElement* element);
    void CheckContextText(IHTMLElement* element, size_t n);
    void CheckMeta(IHTMLDocument3* doc3);
    void ClearContextParts();
    std::wstring BuildContextXml(const std::wstring& href, const std::wstring& idRuns) const;

    fx::ComPtr<IShellWindows> m_pShellWindows;
    long m_nShellWindows = 0;
    fx::ComPtr<IDispatch> m_pShellItem;
    fx::ComPtr<IWebBrowser2> m_pBrowser;
    ISiteEnhancer* m_pSiteEnhancer = nullptr;  // lent by the caller, no reference
    bool m_bBrowserFound = false;
    bool m_bBrowserFoundBefore = false;
    bool m_bDomainNotEnhanced = true;
    bool m_bSecurePage = false;
    std::wstring m_Domain, m_Location, m_Title;
    std::wstring m_ContextText, m_Description, m_Keywords;
    hxie::HotSpotRecord m_HotSpot;
    bool m_bHotSpotTransfer = false, m_bHotSpotGiven = false;
    hxie::SelectionRecord m_Selection;
    bool m_bSelectionTransfer = false, m_bSelectionGiven = false;
    hxie::Rect m_ServerRect;
    hxie::Rect m_LastServerRect;
};
