#include "GuardedCall.h"

#include <windows.h>

namespace {

bool IsFault(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_STACK_OVERFLOW:
        case EXCEPTION_PRIV_INSTRUCTION:
        case EXCEPTION_IN_PAGE_ERROR: return true;
        default: return false;
    }
}

constexpr DWORD kUnwinding = EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND;

}  // namespace

#if defined(__i386__)

// The registration record GuardedCall pushes: the two words the system
// reads (next record, handler), then what the handler needs to resume in
// GuardedCall after the call.  The record's own address is the stack pointer
// to resume with.
struct GuardRecord {
    GuardRecord* next;
    void* handler;
    DWORD ebp;
    DWORD resume;
};

extern "C" void __cdecl pondrel_GlobalUnwind(void* targetFrame, EXCEPTION_RECORD* record);

extern "C" EXCEPTION_DISPOSITION __cdecl pondrel_GuardHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                                              void*) {
    if ((record->ExceptionFlags & kUnwinding) || !IsFault(record->ExceptionCode)) return ExceptionContinueSearch;
    const GuardRecord* guard = static_cast<const GuardRecord*>(frame);
    // The records the call pushed are unwound first, each handler told so.
    pondrel_GlobalUnwind(frame, record);
    // Then the thread goes on in GuardedCall, past the call, with the result 0.
    context->Esp = reinterpret_cast<DWORD>(guard);
    context->Ebp = guard->ebp;
    context->Eip = guard->resume;
    context->Eax = 0;
    return ExceptionContinueExecution;
}

// uint32_t GuardedCall(GuardedProc call, void* context)      (cdecl)
//   pushes ebx, esi, edi and the record {next, handler, ebp, resume},
//   links it at fs:[0], calls call(context), unlinks the record, returns eax.
// void pondrel_GlobalUnwind(void* targetFrame, EXCEPTION_RECORD* record)
//   RtlUnwind up to targetFrame; RtlUnwind keeps no register of the caller,
//   so ebx, esi, edi and ebp are saved around it.
__asm__(
    ".text\n"
    ".globl _GuardedCall\n"
    ".def _GuardedCall; .scl 2; .type 32; .endef\n"
    "_GuardedCall:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %ebx\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    pushl $1f\n"                     // record.resume
    "    pushl %ebp\n"                    // record.ebp
    "    pushl $_pondrel_GuardHandler\n"  // record.handler
    "    pushl %fs:0\n"                   // record.next
    "    movl %esp, %fs:0\n"
    "    pushl 12(%ebp)\n"
    "    call *8(%ebp)\n"
    "    addl $4, %esp\n"
    "1:\n"  // esp = the record, on both paths
    "    movl (%esp), %ecx\n"
    "    movl %ecx, %fs:0\n"
    "    addl $16, %esp\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebx\n"
    "    popl %ebp\n"
    "    ret\n"
    "\n"
    ".globl _pondrel_GlobalUnwind\n"
    ".def _pondrel_GlobalUnwind; .scl 2; .type 32; .endef\n"
    "_pondrel_GlobalUnwind:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %ebx\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    pushl $0\n"        // return value
    "    pushl 12(%ebp)\n"  // exception record
    "    pushl $2f\n"       // target ip
    "    pushl 8(%ebp)\n"   // target frame
    "    call _RtlUnwind@16\n"
    "2:\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebx\n"
    "    popl %ebp\n"
    "    ret\n");

#elif defined(__x86_64__)

extern "C" void pondrel_GuardResume();

// The language handler in GuardedCall's unwind information.
extern "C" EXCEPTION_DISPOSITION pondrel_GuardHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                                      DISPATCHER_CONTEXT* dispatch) {
    if ((record->ExceptionFlags & kUnwinding) || !IsFault(record->ExceptionCode)) return ExceptionContinueSearch;
    // Unwinds the frames inside the call (their handlers clean up) and goes
    // on in GuardedCall after the call, with 0 as the call's result.
    ::RtlUnwindEx(frame, reinterpret_cast<void*>(&pondrel_GuardResume), record, nullptr, context,
                  dispatch->HistoryTable);
    return ExceptionContinueSearch;  // not reached
}

// uint32_t GuardedCall(GuardedProc call, void* context)    (rcx, rdx)
// The nop keeps the return address out of the epilogue, where the unwinder
// would not call the handler.
__asm__(
    ".text\n"
    ".globl GuardedCall\n"
    ".def GuardedCall; .scl 2; .type 32; .endef\n"
    ".seh_proc GuardedCall\n"
    "GuardedCall:\n"
    "    subq $40, %rsp\n"
    "    .seh_stackalloc 40\n"
    "    .seh_endprologue\n"
    "    .seh_handler pondrel_GuardHandler, @except\n"
    "    movq %rcx, %rax\n"
    "    movq %rdx, %rcx\n"
    "    callq *%rax\n"
    ".globl pondrel_GuardResume\n"
    "pondrel_GuardResume:\n"
    "    nop\n"
    "    addq $40, %rsp\n"
    "    ret\n"
    ".seh_endproc\n");

#else
#error "GuardedCall is written for i686 and x86-64"
#endif
