// Stands in for Firefox's xpcom.dll in the helper's tests: a component
// manager, a retrieval service, an accessible and its node interface, each
// counting its references.  The test picks one step to fail.
#include <windows.h>

#include <cstring>

#define XPCOM_DEFINES_EXPORTS
#include "hosts/xpcom/XpcomCalls.h"

using namespace xpcom;

namespace {

enum Step {
    kNone = 0,
    kManager,
    kCreate,
    kAccessible,
    kQuery,
    kWindow,
    kNullWindow,
    kFault,
    kHandledException,
    kHandledFault,
    kDeclinedFault
};

int g_failAt = kNone;
uint32_t g_window = 0;
void* g_expectedNode = nullptr;

// An exception Firefox raises and handles itself during the call (a debug
// print, say): a handler of its own, behind the helper's, resumes it.
const DWORD kHandledCode = 0xE0504E01;

LONG CALLBACK ResumeHandled(EXCEPTION_POINTERS* info) {
    return info->ExceptionRecord->ExceptionCode == kHandledCode ? EXCEPTION_CONTINUE_EXECUTION
                                                                : EXCEPTION_CONTINUE_SEARCH;
}

void RaiseHandledException() {
    void* handler = ::AddVectoredExceptionHandler(0, ResumeHandled);
    ::RaiseException(kHandledCode, 0, 0, nullptr);
    if (handler) ::RemoveVectoredExceptionHandler(handler);
}

// A read inside a frame of Firefox's with a frame-based handler of its own
// (on fs:[0] on i686, in the unwind information on x86-64).  Handling, it
// takes a fault at the read and resumes after it with -1; declining, it
// leaves the fault to the frames outside and counts the unwind it is told of.
bool g_frameHandles = true;
long g_frameUnwinds = 0;

extern "C" int fake_GuardedRead(volatile int* p);
extern "C" void fake_ReadAt();
extern "C" void fake_ReadDone();

extern "C" EXCEPTION_DISPOSITION __cdecl fake_ReadHandler(EXCEPTION_RECORD* record, void*, CONTEXT* context, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) {
        ++g_frameUnwinds;
        return ExceptionContinueSearch;
    }
    if (!g_frameHandles || record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION) return ExceptionContinueSearch;
#if defined(__x86_64__)
    if (context->Rip != reinterpret_cast<DWORD64>(&fake_ReadAt)) return ExceptionContinueSearch;
    context->Rip = reinterpret_cast<DWORD64>(&fake_ReadDone);
    context->Rax = static_cast<DWORD>(-1);
#else
    if (context->Eip != reinterpret_cast<DWORD>(&fake_ReadAt)) return ExceptionContinueSearch;
    context->Eip = reinterpret_cast<DWORD>(&fake_ReadDone);
    context->Eax = static_cast<DWORD>(-1);
#endif
    return ExceptionContinueExecution;
}

#if defined(__x86_64__)
__asm__(
    ".text\n"
    ".globl fake_GuardedRead\n"
    ".def fake_GuardedRead; .scl 2; .type 32; .endef\n"
    ".seh_proc fake_GuardedRead\n"
    "fake_GuardedRead:\n"
    "    subq $40, %rsp\n"
    "    .seh_stackalloc 40\n"
    "    .seh_endprologue\n"
    "    .seh_handler fake_ReadHandler, @except, @unwind\n"
    "    xorl %eax, %eax\n"
    ".globl fake_ReadAt\n"
    "fake_ReadAt:\n"
    "    movl (%rcx), %eax\n"
    ".globl fake_ReadDone\n"
    "fake_ReadDone:\n"
    "    nop\n"
    "    addq $40, %rsp\n"
    "    ret\n"
    ".seh_endproc\n");
#else
__asm__(
    ".text\n"
    ".globl _fake_GuardedRead\n"
    ".def _fake_GuardedRead; .scl 2; .type 32; .endef\n"
    "_fake_GuardedRead:\n"
    "    pushl $_fake_ReadHandler\n"
    "    pushl %fs:0\n"
    "    movl %esp, %fs:0\n"
    "    movl 12(%esp), %ecx\n"
    "    xorl %eax, %eax\n"
    ".globl _fake_ReadAt\n"
    "_fake_ReadAt:\n"
    "    movl (%ecx), %eax\n"
    ".globl _fake_ReadDone\n"
    "_fake_ReadDone:\n"
    "    movl (%esp), %edx\n"
    "    movl %edx, %fs:0\n"
    "    addl $8, %esp\n"
    "    ret\n");
#endif

bool SameId(const nsID& a, const nsID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct Counted {
    long refs = 0;
    long overReleases = 0;
    uint32_t Add() { return ++refs; }
    uint32_t Drop() {
        if (refs <= 0) {
            ++overReleases;
            return 0;
        }
        return --refs;
    }
};

struct FakeAccessNode : AccessNode, Counted {
    nsresult __stdcall QueryInterface(const nsID&, void**) override { return 0x80004002; }
    uint32_t __stdcall AddRef() override { return Add(); }
    uint32_t __stdcall Release() override { return Drop(); }
    nsresult __stdcall Slot3() override { return 0x80004001; }
    nsresult __stdcall Slot4() override { return 0x80004001; }
    nsresult __stdcall Slot5() override { return 0x80004001; }
    nsresult __stdcall Slot6() override { return 0x80004001; }
    nsresult __stdcall Slot7() override { return 0x80004001; }
    nsresult __stdcall Slot8() override { return 0x80004001; }
    nsresult __stdcall Slot9() override { return 0x80004001; }
    nsresult __stdcall GetOwnerWindow(void** window) override {
        if (g_failAt == kWindow) return 0x80004005;
        if (g_failAt == kHandledException) RaiseHandledException();
        if (g_failAt == kFault) *static_cast<volatile int*>(nullptr) = 1;  // Firefox faults inside the call
        if (g_failAt == kHandledFault || g_failAt == kDeclinedFault) {
            g_frameHandles = g_failAt == kHandledFault;
            if (fake_GuardedRead(nullptr) != -1) return 0x80004005;
        }
        if (g_failAt != kNullWindow) *window = reinterpret_cast<void*>(static_cast<uintptr_t>(g_window));
        return 0;
    }
} g_node;

struct FakeAccessible : nsISupports, Counted {
    nsresult __stdcall QueryInterface(const nsID& iid, void** out) override {
        *out = nullptr;
        if (g_failAt == kQuery || !SameId(iid, kAccessNodeIid)) return 0x80004002;
        g_node.AddRef();
        *out = static_cast<AccessNode*>(&g_node);
        return 0;
    }
    uint32_t __stdcall AddRef() override { return Add(); }
    uint32_t __stdcall Release() override { return Drop(); }
} g_accessible;

struct FakeRetrieval : AccessibleRetrieval, Counted {
    nsresult __stdcall QueryInterface(const nsID&, void**) override { return 0x80004002; }
    uint32_t __stdcall AddRef() override { return Add(); }
    uint32_t __stdcall Release() override { return Drop(); }
    nsresult __stdcall GetAccessibleFor(void* node, nsISupports** out) override {
        *out = nullptr;
        if (g_failAt == kAccessible || node != g_expectedNode) return 0x80004005;
        g_accessible.AddRef();
        *out = &g_accessible;
        return 0;
    }
} g_retrieval;

struct FakeManager : nsIComponentManager, Counted {
    nsresult __stdcall QueryInterface(const nsID&, void**) override { return 0x80004002; }
    uint32_t __stdcall AddRef() override { return Add(); }
    uint32_t __stdcall Release() override { return Drop(); }
    nsresult __stdcall GetClassObject(const nsID&, const nsID&, void**) override { return 0x80004001; }
    nsresult __stdcall GetClassObjectByContractID(const char*, const nsID&, void**) override { return 0x80004001; }
    nsresult __stdcall CreateInstance(const nsID&, nsISupports*, const nsID&, void**) override { return 0x80004001; }
    nsresult __stdcall CreateInstanceByContractID(const char* contract, nsISupports*, const nsID& iid,
                                                  void** out) override {
        *out = nullptr;
        if (g_failAt == kCreate || std::strcmp(contract, kAccessibleRetrievalContractId) != 0 ||
            !SameId(iid, kAccessibleRetrievalIid))
            return 0x80040154;
        g_retrieval.AddRef();
        *out = static_cast<AccessibleRetrieval*>(&g_retrieval);
        return 0;
    }
} g_manager;

}  // namespace

extern "C" nsresult NS_GetComponentManager(nsIComponentManager** out) {
    *out = nullptr;
    if (g_failAt == kManager) return 0x80004005;
    g_manager.AddRef();
    *out = &g_manager;
    return 0;
}

// Which step fails, the handle slot 10 gives and the node the service knows.
extern "C" void FakeXpcomSetup(int failAt, uint32_t window, void* node) {
    g_failAt = failAt;
    g_window = window;
    g_expectedNode = node;
}

// References still held and releases past zero, over all objects.
extern "C" void FakeXpcomReport(long* heldRefs, long* overReleases) {
    static Counted* const all[] = {&g_manager, &g_retrieval, &g_accessible, &g_node};
    *heldRefs = 0;
    *overReleases = 0;
    for (Counted* c : all) {
        *heldRefs += c->refs;
        *overReleases += c->overReleases;
        c->overReleases = 0;
    }
}

// Unwinds the faulting frame of Firefox's was told of since the last call.
extern "C" long FakeXpcomFrameUnwinds() {
    long n = g_frameUnwinds;
    g_frameUnwinds = 0;
    return n;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
