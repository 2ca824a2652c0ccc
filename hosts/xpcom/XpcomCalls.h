// What the XPCOM helper calls of Firefox's XPCOM library, and nothing more:
// the component manager (reached through NS_GetComponentManager) and two
// interfaces known only by their IIDs and the slots used.  XPCOM methods use
// the __stdcall convention on 32-bit Windows; slots count from
// QueryInterface, AddRef and Release (0, 1, 2).
#pragma once

#include <cstdint>

namespace xpcom {

typedef uint32_t nsresult;
inline bool Failed(nsresult r) { return (r & 0x80000000u) != 0; }

struct nsID {
    uint32_t m0;
    uint16_t m1;
    uint16_t m2;
    uint8_t m3[8];
};

// Slots 0-2.
struct nsISupports {
    virtual nsresult __stdcall QueryInterface(const nsID& iid, void** result) = 0;
    virtual uint32_t __stdcall AddRef() = 0;
    virtual uint32_t __stdcall Release() = 0;
};

// Slot 6: create an object by its contract ID.
struct nsIComponentManager : nsISupports {
    virtual nsresult __stdcall GetClassObject(const nsID& cid, const nsID& iid, void** result) = 0;
    virtual nsresult __stdcall GetClassObjectByContractID(const char* contractId, const nsID& iid, void** result) = 0;
    virtual nsresult __stdcall CreateInstance(const nsID& cid, nsISupports* outer, const nsID& iid, void** result) = 0;
    virtual nsresult __stdcall CreateInstanceByContractID(const char* contractId, nsISupports* outer, const nsID& iid,
                                                          void** result) = 0;
};

// The accessibility-retrieval service: slot 3 gives the accessible of a node.
// {244E4C67-A1D3-44F2-9CAB-CDAA31B68046}
constexpr nsID kAccessibleRetrievalIid = {0x244e4c67, 0xa1d3, 0x44f2, {0x9c, 0xab, 0xcd, 0xaa, 0x31, 0xb6, 0x80, 0x46}};
constexpr const char* kAccessibleRetrievalContractId = "@mozilla.org/accessibleRetrieval;1";
struct AccessibleRetrieval : nsISupports {
    virtual nsresult __stdcall GetAccessibleFor(void* node, nsISupports** accessible) = 0;  // slot 3
};

// The accessible's node interface: slot 10 gives the native window handle.
// {B7AE45BD-21E9-4ED5-A67E-86448B25D56B}
constexpr nsID kAccessNodeIid = {0xb7ae45bd, 0x21e9, 0x4ed5, {0xa6, 0x7e, 0x86, 0x44, 0x8b, 0x25, 0xd5, 0x6b}};
struct AccessNode : nsISupports {
    virtual nsresult __stdcall Slot3() = 0;
    virtual nsresult __stdcall Slot4() = 0;
    virtual nsresult __stdcall Slot5() = 0;
    virtual nsresult __stdcall Slot6() = 0;
    virtual nsresult __stdcall Slot7() = 0;
    virtual nsresult __stdcall Slot8() = 0;
    virtual nsresult __stdcall Slot9() = 0;
    virtual nsresult __stdcall GetOwnerWindow(void** window) = 0;  // slot 10
};

}  // namespace xpcom

// Exported by Firefox's xpcom.dll (the import library comes from xpcom.def).
#ifndef XPCOM_DEFINES_EXPORTS
extern "C" __declspec(dllimport) xpcom::nsresult NS_GetComponentManager(xpcom::nsIComponentManager** result);
#endif
