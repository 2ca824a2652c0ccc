// PondrelHXFirefoxV3: runs inside Firefox and turns a document node into the
// native window that shows it, through Firefox's accessibility services.
// No debug log; every failure gives 0.
#include <windows.h>

#include <cstdint>

#include "hosts/xpcom/XpcomCalls.h"

namespace {

// Releases an XPCOM object when it goes out of scope.
template <class T>
class XpcomRef {
public:
    XpcomRef() = default;
    ~XpcomRef() { if (p_) p_->Release(); }
    XpcomRef(const XpcomRef&) = delete;
    XpcomRef& operator=(const XpcomRef&) = delete;
    T* operator->() const { return p_; }
    T** put() { return &p_; }
    void** put_void() { return reinterpret_cast<void**>(&p_); }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

uint32_t OwnerWindowOf(xpcom::AccessNode* node) {
    void* window = nullptr;
    try {
        if (xpcom::Failed(node->GetOwnerWindow(&window))) return 0;
    } catch (...) {
        return 0;
    }
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

}  // namespace

extern "C" __declspec(dllexport) uint32_t __cdecl GetNodeWindowHandle(void* node) {
    XpcomRef<xpcom::nsIComponentManager> manager;
    if (xpcom::Failed(NS_GetComponentManager(manager.put())) || !manager) return 0;

    XpcomRef<xpcom::AccessibleRetrieval> retrieval;
    if (xpcom::Failed(manager->CreateInstanceByContractID(xpcom::kAccessibleRetrievalContractId, nullptr,
                                                          xpcom::kAccessibleRetrievalIid, retrieval.put_void())) ||
        !retrieval)
        return 0;

    XpcomRef<xpcom::nsISupports> accessible;
    if (xpcom::Failed(retrieval->GetAccessibleFor(node, accessible.put())) || !accessible) return 0;

    XpcomRef<xpcom::AccessNode> accessNode;
    if (xpcom::Failed(accessible->QueryInterface(xpcom::kAccessNodeIid, accessNode.put_void())) || !accessNode)
        return 0;

    return OwnerWindowOf(accessNode.operator->());
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
