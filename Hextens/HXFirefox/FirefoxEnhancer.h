// CFirefoxEnhancer, HXFirefox's one creatable class (coclass FirefoxEnhancer):
// IAction over the channel to the Firefox extension.  Its IDispatch describes
// IAction with the type information of HXIE's registered library.
#pragma once

#include <windows.h>

#include "Hextens/HXFirefox/HXFirefox.h"
#include "Hextens/HXIE/HXIE.h"
#include "fx/ComModule.h"
#include "fx/Dispatch.h"
#include "hosts/SiteEnhancer.h"

#include <memory>

#include "Hextens/HXFirefox/FirefoxModule.h"

class CFirefoxEnhancer : public IFirefoxEnhancer, public IAction, private fx::ModuleObject {
public:
    CFirefoxEnhancer();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefObject(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseObject(); }

    // IDispatch (both interfaces)
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excepInfo, UINT* argError) override;

    // IAction
    STDMETHODIMP SendMsg(LONG msg_id) override;
    STDMETHODIMP IdleLoop() override;
    STDMETHODIMP get_enhancertype(BSTR* pVal) override;
    STDMETHODIMP put_enhancertype(BSTR value) override;
    STDMETHODIMP Init() override;
    STDMETHODIMP get_NumEnhancerAreas(LONG* pVal) override;
    STDMETHODIMP get_ActiveAreaTitle(BSTR* pVal) override;
    STDMETHODIMP HotSpotTransferBegin(LONG id) override;
    STDMETHODIMP HotSpotTransferEnd() override;
    STDMETHODIMP HotSpotTransferNext(LONG* nextId) override;
    STDMETHODIMP HaveActiveEnhancerAreas(LONG* haveActive) override;
    STDMETHODIMP Update(LONG* haveChanges) override;
    STDMETHODIMP GetDomain(BSTR* name) override;
    STDMETHODIMP GetHRef(BSTR* ref) override;
    STDMETHODIMP GetHotSpotText(BSTR* text) override;
    STDMETHODIMP GetSelectedText(BSTR* text) override;
    STDMETHODIMP GetHotSpotLeft(LONG* left) override;
    STDMETHODIMP GetHotSpotTop(LONG* top) override;
    STDMETHODIMP GetHotSpotRight(LONG* right) override;
    STDMETHODIMP GetHotSpotBottom(LONG* bottom) override;
    STDMETHODIMP GetSelTextLeft(LONG* left) override;
    STDMETHODIMP GetSelTextTop(LONG* top) override;
    STDMETHODIMP GetSelTextRight(LONG* right) override;
    STDMETHODIMP GetSelTextBottom(LONG* bottom) override;
    STDMETHODIMP TextHotSpotTransferBegin() override;
    STDMETHODIMP TextHotSpotTransferNext(LONG* id) override;
    STDMETHODIMP TextHotSpotTransferEnd() override;
    STDMETHODIMP GetContext(BSTR* context) override;
    STDMETHODIMP Unload() override;
    STDMETHODIMP SetSiteEnhancer(IUnknown* siteEnhancer) override;
    STDMETHODIMP GetBestGuess(BSTR* bstrCannedBestGuess) override;
    STDMETHODIMP GetHotSpotPlacementFlags(LONG* flags) override;
    STDMETHODIMP GetSelTextPlacementFlags(LONG* flags) override;
    STDMETHODIMP SetConfigurationOption(LONG id, VARIANT* data1, VARIANT* data2, VARIANT* data3,
                                        VARIANT* data4) override;
    STDMETHODIMP NavigateToURL(OLE_HANDLE hwndBrowser, BSTR* url, LONG navFlags,
                               VARIANT_BOOL* isSuccess) override;
    STDMETHODIMP UpdateForECP(IUnknown* browser, LONG* haveChanges) override;

private:
    ~CFirefoxEnhancer() override = default;

    // The current items of the transfers (index into the module's list; at
    // or past its end: none).
    const FirefoxHotSpot* CurrentHotSpot() const;
    const fftext::TextItem* CurrentTextItem() const;
    long Poll();
    void ReadHotSpots();
    void ReadSelection();
    void ForwardExtensionLog();

    fx::TypeInfoDispatch dispatch_;
    size_t m_HotSpotCursor = 0;
    size_t m_TextCursor = 0;
    bool m_bHotSpotTransfer = false;
    bool m_bSelectionTransfer = false;
    bool m_bHotSpotFirst = true;
    bool m_bSelectionFirst = true;
    bool m_bWasActive = false;
    ISiteEnhancer* m_pSiteEnhancer = nullptr;   // lent, not reference-counted
    // Hot-spot list lock held from HotSpotTransferBegin to End, the
    // selection list lock from TextHotSpotTransferBegin to End.
    std::unique_ptr<fx::MutexLock> m_HotSpotTransferLock;
    std::unique_ptr<fx::MutexLock> m_TextTransferLock;
};
