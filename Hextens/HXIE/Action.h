// CAction, HXIE's one creatable class (coclass Action): IAction over Internet
// Explorer's windows and documents, with the _IActionEvents connection point.
#pragma once

#include <windows.h>

#include "Hextens/HXIE/HXIE.h"
#include "fx/ComModule.h"
#include "fx/ConnectionPoint.h"
#include "fx/Dispatch.h"

class CAction : public fx::DispatchImpl<IAction>,
                public fx::SingleConnectionPointContainer,
                private fx::ModuleObject {
public:
    CAction();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefObject(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseObject(); }

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
    ~CAction() override = default;
};
