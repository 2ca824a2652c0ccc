// CFirefoxEnhancer, HXFirefox's one creatable class (coclass FirefoxEnhancer):
// IAction over the channel to the Firefox extension.  Its IDispatch describes
// IAction with the type information of HXIE's registered library.
#pragma once

#include <windows.h>

#include "Hextens/HXFirefox/HXFirefox.h"
#include "Hextens/HXIE/HXIE.h"
#include "Hextens/HXIE/IActionMethods.h"
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
    IACTION_METHODS

private:
    ~CFirefoxEnhancer() override = default;

    // The current items of the transfers (index into the module's list; at
    // or past its end: none).
    const FirefoxHotSpot* CurrentHotSpot() const;
    const fftext::TextItem* CurrentTextItem() const;
    long Poll();
    enum class ExtensionAnswer { kAnswered, kUnanswered, kNotWaitedFor };
    ExtensionAnswer AskExtension(ffchannel::SharedData* channel);
    void ReadHotSpots(const ffchannel::ChannelBlock& copy);
    void ReadSelection(const ffchannel::ChannelBlock& copy);
    void ForwardExtensionLog(const ffchannel::ChannelBlock& copy);

    fx::TypeInfoDispatch dispatch_;
    size_t m_HotSpotCursor = 0;
    size_t m_TextCursor = 0;
    bool m_bHotSpotTransfer = false;
    bool m_bSelectionTransfer = false;
    bool m_bHotSpotFirst = true;
    bool m_bSelectionFirst = true;
    bool m_bWasActive = false;
    ISiteEnhancer* m_pSiteEnhancer = nullptr;  // lent, not reference-counted
    // Hot-spot list lock held from HotSpotTransferBegin to End, the
    // selection list lock from TextHotSpotTransferBegin to End.
    std::unique_ptr<fx::MutexLock> m_HotSpotTransferLock;
    std::unique_ptr<fx::MutexLock> m_TextTransferLock;
};
