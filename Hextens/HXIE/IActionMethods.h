// The members of IAction, declared once for every class that implements it:
//   class CAction : public IAction { ... IACTION_METHODS ... };
#pragma once

#define IACTION_METHODS \
    STDMETHODIMP SendMsg(LONG msg_id) override; \
    STDMETHODIMP IdleLoop() override; \
    STDMETHODIMP get_enhancertype(BSTR* pVal) override; \
    STDMETHODIMP put_enhancertype(BSTR value) override; \
    STDMETHODIMP Init() override; \
    STDMETHODIMP get_NumEnhancerAreas(LONG* pVal) override; \
    STDMETHODIMP get_ActiveAreaTitle(BSTR* pVal) override; \
    STDMETHODIMP HotSpotTransferBegin(LONG id) override; \
    STDMETHODIMP HotSpotTransferEnd() override; \
    STDMETHODIMP HotSpotTransferNext(LONG* nextId) override; \
    STDMETHODIMP HaveActiveEnhancerAreas(LONG* haveActive) override; \
    STDMETHODIMP Update(LONG* haveChanges) override; \
    STDMETHODIMP GetDomain(BSTR* name) override; \
    STDMETHODIMP GetHRef(BSTR* ref) override; \
    STDMETHODIMP GetHotSpotText(BSTR* text) override; \
    STDMETHODIMP GetSelectedText(BSTR* text) override; \
    STDMETHODIMP GetHotSpotLeft(LONG* left) override; \
    STDMETHODIMP GetHotSpotTop(LONG* top) override; \
    STDMETHODIMP GetHotSpotRight(LONG* right) override; \
    STDMETHODIMP GetHotSpotBottom(LONG* bottom) override; \
    STDMETHODIMP GetSelTextLeft(LONG* left) override; \
    STDMETHODIMP GetSelTextTop(LONG* top) override; \
    STDMETHODIMP GetSelTextRight(LONG* right) override; \
    STDMETHODIMP GetSelTextBottom(LONG* bottom) override; \
    STDMETHODIMP TextHotSpotTransferBegin() override; \
    STDMETHODIMP TextHotSpotTransferNext(LONG* id) override; \
    STDMETHODIMP TextHotSpotTransferEnd() override; \
    STDMETHODIMP GetContext(BSTR* context) override; \
    STDMETHODIMP Unload() override; \
    STDMETHODIMP SetSiteEnhancer(IUnknown* siteEnhancer) override; \
    STDMETHODIMP GetBestGuess(BSTR* bstrCannedBestGuess) override; \
    STDMETHODIMP GetHotSpotPlacementFlags(LONG* flags) override; \
    STDMETHODIMP GetSelTextPlacementFlags(LONG* flags) override; \
    STDMETHODIMP SetConfigurationOption(LONG id, VARIANT* data1, VARIANT* data2, VARIANT* data3, VARIANT* data4) override; \
    STDMETHODIMP NavigateToURL(OLE_HANDLE hwndBrowser, BSTR* url, LONG navFlags, VARIANT_BOOL* isSuccess) override; \
    STDMETHODIMP UpdateForECP(IUnknown* browser, LONG* haveChanges) override;
