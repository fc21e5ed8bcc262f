// The trap's frame on i686: a record on the thread's chain of exception frames (fs:[0]), on
// this function's stack. When an exception passes every inner frame, the system calls our
// handler; it has the system unwind the inner frames (each is told, and taken off the chain),
// then jumps back into the trap function, which takes its record off the chain.
#include <malloc.h>

#include "common/contract/windows_headers.h"
#include "plugin/error_trap/error_trap.h"
#include "plugin/error_trap/trap_body.h"

namespace error_trap {

namespace {

struct TrapFrame {
    EXCEPTION_REGISTRATION_RECORD record;  // first: the chain points at it
    void* resume[5];                       // __builtin_setjmp's buffer
    DWORD code;
};

// The head of this thread's chain: the first word of its thread block, at fs:[0].
EXCEPTION_REGISTRATION_RECORD* ChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}
void SetChainHead(EXCEPTION_REGISTRATION_RECORD* head) {
    asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

EXCEPTION_DISPOSITION NTAPI TrapHandler(EXCEPTION_RECORD* exception, void* frame, CONTEXT*, void*) {
    // Called again while the system unwinds on behalf of an outer frame: nothing to do.
    if (exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    auto* trap = static_cast<TrapFrame*>(frame);
    trap->code = exception->ExceptionCode;
    // Inner frames are told of the unwind and the chain ends at our record again.
    RtlUnwind(frame, nullptr, exception, nullptr);
    __builtin_longjmp(trap->resume, 1);
}

}  // namespace

__attribute__((noinline)) TrapResult RunTrapped(void (*body)(void*), void* context) noexcept {
    TrapFrame trap{};
    trap.record.Handler = TrapHandler;
    trap.record.Next = ChainHead();
    if (__builtin_setjmp(trap.resume) != 0) {
        SetChainHead(trap.record.Next);
        // The guard page that a stack overflow used up, made again for the next one.
        if (trap.code == EXCEPTION_STACK_OVERFLOW) _resetstkoflw();
        return TrapResult{false, trap.code};
    }
    SetChainHead(&trap.record);
    const bool finished = CallCatchingCppExceptions(body, context);
    SetChainHead(trap.record.Next);
    return TrapResult{finished, 0};
}

}  // namespace error_trap
