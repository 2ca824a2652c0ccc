// PondrelHXFirefoxV3: runs inside Firefox and turns a document node into the
// native window that shows it, through Firefox's accessibility services.
// No debug log; every failure gives 0.
#include <windows.h>

#include <csetjmp>
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

// A fault inside Firefox's slot-10 method (an access violation, say) must
// not take the caller down: while the call runs, a vectored handler sends
// any exception raised on this thread back to the guard's jump point.
thread_local std::jmp_buf* t_guard = nullptr;

LONG CALLBACK GuardHandler(EXCEPTION_POINTERS*) {
    if (std::jmp_buf* guard = t_guard) {
        t_guard = nullptr;
        std::longjmp(*guard, 1);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

uint32_t OwnerWindowOf(xpcom::AccessNode* node) {
    void* volatile window = nullptr;
    volatile bool ok = false;
    std::jmp_buf guard;
    void* handler = ::AddVectoredExceptionHandler(1, GuardHandler);
    if (setjmp(guard) == 0) {
        t_guard = &guard;
        try {
            void* out = nullptr;
            ok = !xpcom::Failed(node->GetOwnerWindow(&out));
            window = out;
        } catch (...) {
            ok = false;
        }
    }
    t_guard = nullptr;
    if (handler) ::RemoveVectoredExceptionHandler(handler);
    return ok ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)) : 0;
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
