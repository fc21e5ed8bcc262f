#include "compat/fault_trap.h"

#include <windows.h>

#include <cstdint>

#include "compat/unique_resource.h"

namespace compat {

namespace {

// The point a guarded call returns to after a fault. Lives in RunTrapped's frame.
struct FaultGuard {
    void* jump[5];  // __builtin_setjmp's buffer: five words
    FaultGuard* previous;
};

unique_vectored_handler faultHandler;
unique_tls_index guardSlot;  // this thread's innermost FaultGuard, or null

bool IsProcessorFault(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_IN_PAGE_ERROR:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION:
        case EXCEPTION_DATATYPE_MISALIGNMENT:
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_INT_OVERFLOW:
        case EXCEPTION_FLT_DENORMAL_OPERAND:
        case EXCEPTION_FLT_DIVIDE_BY_ZERO:
        case EXCEPTION_FLT_INEXACT_RESULT:
        case EXCEPTION_FLT_INVALID_OPERATION:
        case EXCEPTION_FLT_OVERFLOW:
        case EXCEPTION_FLT_STACK_CHECK:
        case EXCEPTION_FLT_UNDERFLOW:
            return true;
        default:
            // Stack overflow is left alone: there is no stack to land on.
            return false;
    }
}

FaultGuard* CurrentGuard() {
    // TlsGetValue clears the last error; a fault we pass on must not see it changed.
    DWORD lastError = GetLastError();
    auto* guard = static_cast<FaultGuard*>(TlsGetValue(guardSlot.get()));
    SetLastError(lastError);
    return guard;
}

// Where a faulting guarded thread resumes: back into RunTrapped. Runs on the faulting
// thread's stack below the fault, after the exception dispatch has returned.
[[noreturn]] void LandFromFault() {
    __builtin_longjmp(CurrentGuard()->jump, 1);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* exception) {
    if (!IsProcessorFault(exception->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    if (!guardSlot || !CurrentGuard()) return EXCEPTION_CONTINUE_SEARCH;  // not a guarded call

    // Resume in LandFromFault as if the faulting code had called it, with room left below the
    // fault's stack pointer and the alignment a function expects at entry.
    CONTEXT* context = exception->ContextRecord;
    constexpr std::uintptr_t Room = 256;
#ifdef _WIN64
    context->Rsp = ((context->Rsp - Room) & ~DWORD64{15}) - sizeof(void*);
    context->Rip = reinterpret_cast<DWORD64>(&LandFromFault);
#else
    context->Esp = ((context->Esp - Room) & ~DWORD{15}) - sizeof(void*);
    context->Eip = reinterpret_cast<DWORD>(&LandFromFault);
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Kept apart from RunTrapped so the frame that holds the jump point has no exception handling.
__attribute__((noinline)) bool CallCatchingExceptions(void (*body)(void*), void* context) noexcept {
    try {
        body(context);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

bool InstallFaultTrap() {
    if (faultHandler) return true;
    guardSlot.reset(TlsAlloc());
    if (!guardSlot) return false;
    faultHandler.reset(AddVectoredExceptionHandler(1, OnException));
    if (!faultHandler) guardSlot.reset();
    return static_cast<bool>(faultHandler);
}

void RemoveFaultTrap() {
    faultHandler.reset();
    guardSlot.reset();
}

__attribute__((noinline)) bool RunTrapped(void (*body)(void*), void* context) noexcept {
    if (!guardSlot) return CallCatchingExceptions(body, context);

    FaultGuard guard;
    guard.previous = CurrentGuard();
    if (__builtin_setjmp(guard.jump) != 0) {
        // Landed from a fault inside body.
        TlsSetValue(guardSlot.get(), guard.previous);
        return false;
    }
    TlsSetValue(guardSlot.get(), &guard);
    bool finished = CallCatchingExceptions(body, context);
    TlsSetValue(guardSlot.get(), guard.previous);
    return finished;
}

}  // namespace compat
