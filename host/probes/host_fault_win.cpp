// Host faults on Windows: structured exceptions, processor faults, and faults inside exception
// frames of the host's own, one with a handler that takes the fault and one that passes it.
#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "common/contract/windows_headers.h"
#include "host/services/offered.h"
#include "host/probes/host_fault.h"

namespace {

std::atomic<int> unwindNotices{0};
// How often this thread's frame around a call took the fault after it; touched before any such
// fault is made, so the handler never makes this thread's copy while a fault is dispatched.
thread_local int faultsTakenAfterCall = 0;

}  // namespace

// The frames' handlers and the routines below them. Each routine of a taking frame stores
// through a null pointer at its fault site (but i686's frame around a call: below); the handler
// takes those faults only (any other is not the host's own) and resumes after the site.
extern "C" {
void HostFaultTakenInOwnFrame();
void HostFrameAroundCall(void (*call)(void*), void* context);
void HostFaultPassedByOwnFrame();
extern char HostFaultSite[], HostFaultResume[];
extern char HostFrameResume[];
#ifdef _WIN64
extern char HostFrameFaultSite[];
#endif

EXCEPTION_DISPOSITION HostFrameTakesFault(EXCEPTION_RECORD* exception, void*, CONTEXT* context, void*) {
    if (exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    if (exception->ExceptionCode != EXCEPTION_ACCESS_VIOLATION) return ExceptionContinueSearch;
    const char* resume = nullptr;
    if (exception->ExceptionAddress == HostFaultSite) {
        resume = HostFaultResume;
#ifdef _WIN64
    } else if (exception->ExceptionAddress == HostFrameFaultSite) {
        ++faultsTakenAfterCall;
        resume = HostFrameResume;
#endif
    } else {
        return ExceptionContinueSearch;
    }
#ifdef _WIN64
    context->Rip = reinterpret_cast<DWORD64>(resume);
#else
    context->Eip = reinterpret_cast<DWORD>(resume);
#endif
    return ExceptionContinueExecution;
}

#ifndef _WIN64
// The exception the frame around a call raises after it, and the frame's handler: the record
// lies 20 bytes below the routine's frame pointer (three saved registers, the record's two words).
extern const DWORD HostFrameFaultCode = 0xE0564846;

EXCEPTION_DISPOSITION HostFrameAroundCallTakesFault(EXCEPTION_RECORD* exception, void* record, CONTEXT* context,
                                                    void*) {
    if (exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    if (exception->ExceptionCode != HostFrameFaultCode) return ExceptionContinueSearch;
    ++faultsTakenAfterCall;
    context->Eip = reinterpret_cast<DWORD>(HostFrameResume);
    context->Esp = reinterpret_cast<DWORD>(record);
    context->Ebp = reinterpret_cast<DWORD>(record) + 20;
    return ExceptionContinueExecution;
}
#endif

EXCEPTION_DISPOSITION HostFramePassesFault(EXCEPTION_RECORD* exception, void*, CONTEXT*, void*) {
    if (exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) ++unwindNotices;
    return ExceptionContinueSearch;
}
}

#ifdef _WIN64
// Frames on x86_64 are named by the functions' unwind data: the handler of each routine is
// asked about any exception that would unwind it.
asm(R"(
    .text
    .globl HostFaultTakenInOwnFrame
    .def HostFaultTakenInOwnFrame; .scl 2; .type 32; .endef
    .seh_proc HostFaultTakenInOwnFrame
HostFaultTakenInOwnFrame:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler HostFrameTakesFault, @except
    .text
    xorl %eax, %eax
    .globl HostFaultSite
HostFaultSite:
    movl %eax, (%rax)
    .globl HostFaultResume
HostFaultResume:
    addq $40, %rsp
    ret
    .seh_endproc

    .globl HostFrameAroundCall
    .def HostFrameAroundCall; .scl 2; .type 32; .endef
    .seh_proc HostFrameAroundCall
HostFrameAroundCall:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler HostFrameTakesFault, @except
    .text
    movq %rcx, %rax
    movq %rdx, %rcx
    call *%rax
    xorl %eax, %eax
    .globl HostFrameFaultSite
HostFrameFaultSite:
    movl %eax, (%rax)
    .globl HostFrameResume
HostFrameResume:
    addq $40, %rsp
    ret
    .seh_endproc

    .globl HostFaultPassedByOwnFrame
    .def HostFaultPassedByOwnFrame; .scl 2; .type 32; .endef
    .seh_proc HostFaultPassedByOwnFrame
HostFaultPassedByOwnFrame:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler HostFramePassesFault, @except, @unwind
    .text
    xorl %eax, %eax
    movl %eax, (%rax)
    addq $40, %rsp
    ret
    .seh_endproc
)");
#else
// Frames on i686 are records on the thread's chain at fs:[0], pushed and popped by the routine.
// The frame around a call raises an exception of its own rather than a processor fault, which
// user-mode emulation of i686 reports as another kind of exception; its handler resumes with
// the stack and frame pointers of the record it belongs to, and the routine keeps the registers
// its caller relies on.
// The frame around a call makes its fault only when its own record heads the chain again after
// the call: a fault would walk into any other record left there by the call, on a stack frame
// that no longer exists (under Wine the process then ends, with exit code 0 as often as not,
// which a test runner reads as success), so the frame then drops that record and reports 0.
asm(R"(
    .text
    .globl _HostFaultTakenInOwnFrame
_HostFaultTakenInOwnFrame:
    pushl $_HostFrameTakesFault
    pushl %fs:0
    movl %esp, %fs:0
    xorl %eax, %eax
    .globl _HostFaultSite
_HostFaultSite:
    movl %eax, (%eax)
    .globl _HostFaultResume
_HostFaultResume:
    movl (%esp), %ecx
    movl %ecx, %fs:0
    addl $8, %esp
    ret

    .globl _HostFrameAroundCall
_HostFrameAroundCall:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    pushl $_HostFrameAroundCallTakesFault
    pushl %fs:0
    movl %esp, %fs:0
    pushl 12(%ebp)
    call *8(%ebp)
    addl $4, %esp
    movl %fs:0, %eax
    cmpl %esp, %eax
    jne _HostFrameResume
    pushl $0
    pushl $0
    pushl $0
    pushl _HostFrameFaultCode
    call *__imp__RaiseException@16
    .globl _HostFrameResume
_HostFrameResume:
    movl (%esp), %ecx
    movl %ecx, %fs:0
    addl $8, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret

    .globl _HostFaultPassedByOwnFrame
_HostFaultPassedByOwnFrame:
    pushl $_HostFramePassesFault
    pushl %fs:0
    movl %esp, %fs:0
    xorl %eax, %eax
    movl %eax, (%eax)
    movl (%esp), %ecx
    movl %ecx, %fs:0
    addl $8, %esp
    ret
)");
#endif

void MakeHostFault(HostFault fault, const wchar_t* operation) {
    switch (fault) {
        case HostFault::None:
            return;
        case HostFault::Exception: {
            std::wstring_view wide(operation ? operation : L"");
            throw std::runtime_error("host call " + std::string(wide.begin(), wide.end()) + " failed");
        }
        case HostFault::PlatformCppException:
            RaisePlatformCppException();
        case HostFault::StructuredException:
            RaiseException(HostStructuredExceptionCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
            break;
        case HostFault::AccessViolation: {
            // A real processor fault: the compiler cannot see that the pointer is null.
            volatile int* volatile target = nullptr;
            *target = 1;
            break;
        }
        case HostFault::HandledFault:
            HostFaultTakenInOwnFrame();
            return;
        case HostFault::PassedFault:
            HostFaultPassedByOwnFrame();
            break;
    }
    std::abort();  // none of the faults above comes back
}

int HostFrameUnwindNotices() {
    return unwindNotices.load();
}

int FaultInHostFrameAfter(void (*call)(void*), void* context) {
    const int before = faultsTakenAfterCall;
    HostFrameAroundCall(call, context);
    return faultsTakenAfterCall - before;
}
