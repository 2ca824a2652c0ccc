// PondrelHXFirefoxV3: runs inside Firefox and turns a document node into the
// native window that shows it, through Firefox's accessibility services.
// No debug log; every failure gives 0.
#include <windows.h>

#include <cstdint>

#include "GuardedCall.h"
#include "fx/Handle.h"
#include "hosts/xpcom/XpcomCalls.h"

namespace {

// Slot 10 of the node interface, run under the guard: a C++ exception ends
// it here, a fault that Firefox's own frames do not handle ends it in the guard.
uint32_t CallOwnerWindow(void* context) {
    try {
        void* window = nullptr;
        if (xpcom::Failed(static_cast<xpcom::AccessNode*>(context)->GetOwnerWindow(&window))) return 0;
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    } catch (...) { return 0; }
}

uint32_t OwnerWindowOf(xpcom::AccessNode* node) { return GuardedCall(&CallOwnerWindow, node); }

}  // namespace

extern "C" __declspec(dllexport) uint32_t __cdecl GetNodeWindowHandle(void* node) {
    fx::ComPtr<xpcom::nsIComponentManager> manager;
    if (xpcom::Failed(NS_GetComponentManager(manager.put())) || !manager) return 0;

    fx::ComPtr<xpcom::AccessibleRetrieval> retrieval;
    if (xpcom::Failed(manager->CreateInstanceByContractID(xpcom::kAccessibleRetrievalContractId, nullptr,
                                                          xpcom::kAccessibleRetrievalIid, retrieval.put_void())) ||
        !retrieval)
        return 0;

    fx::ComPtr<xpcom::nsISupports> accessible;
    if (xpcom::Failed(retrieval->GetAccessibleFor(node, accessible.put())) || !accessible) return 0;

    fx::ComPtr<xpcom::AccessNode> accessNode;
    if (xpcom::Failed(accessible->QueryInterface(xpcom::kAccessNodeIid, accessNode.put_void())) || !accessNode)
        return 0;

    return OwnerWindowOf(accessNode.get());
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
