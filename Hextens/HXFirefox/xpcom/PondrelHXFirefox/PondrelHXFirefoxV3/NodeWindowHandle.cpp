// PondrelHXFirefoxV3: runs inside Firefox and turns a document node into the
// native window that shows it, through Firefox's accessibility services.
// No debug log; every failure gives 0.
#include <windows.h>

#include <csetjmp>
#include <cstdint>

#include "fx/Handle.h"
#include "hosts/xpcom/XpcomCalls.h"

namespace {

// A fault inside Firefox's slot-10 method (an access violation, say) must
// not take the caller down: while the call runs, a vectored handler sends a
// hardware fault raised on this thread back to the guard's jump point.  Every
// other exception (a debug print, a C++ throw Firefox catches itself) goes on
// to its own handlers.
thread_local std::jmp_buf* t_guard = nullptr;

bool IsFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
        return true;
    default:
        return false;
    }
}

LONG CALLBACK GuardHandler(EXCEPTION_POINTERS* info) {
    if (!info || !info->ExceptionRecord || !IsFault(info->ExceptionRecord->ExceptionCode))
        return EXCEPTION_CONTINUE_SEARCH;
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
