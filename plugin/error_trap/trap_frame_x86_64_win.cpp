// The trap's frame on x86_64: a table-based scope. The function's unwind data names the
// system's C handler and a scope (from the try label to the except label) with a filter. When
// an exception passes every inner frame, the system asks the filter; the filter takes it, the
// system unwinds the frames in between and resumes at the except label with this function's
// frame restored.
//
// mingw-w64's __try1/__except1 write that scope with fixed labels: one use per file, in a
// function that is never inlined or cloned.
#include "common/contract/windows_headers.h"
// after the Windows headers, which it completes
#include <excpt.h>

#include "plugin/error_trap/error_trap.h"
#include "plugin/error_trap/trap_body.h"

namespace error_trap {

namespace {

// The codes of GCC's own C++ exceptions (throw, unwind, forced unwind). They belong to the
// compiler's handling inside the body; taking one here would hang the process after its unwind.
bool IsGccCppException(DWORD code) {
    return code == 0x20474343 || code == 0x21474343 || code == 0x22474343;
}

// The code the filter took, for the trap function to read after resuming.
thread_local DWORD takenCode = 0;

}  // namespace

}  // namespace error_trap

// Named by the scope table, so it needs a plain C name.
extern "C" LONG ErrorTrapFilter(EXCEPTION_POINTERS* exception, void*) {
    const DWORD code = exception->ExceptionRecord->ExceptionCode;
    if (error_trap::IsGccCppException(code)) return EXCEPTION_CONTINUE_SEARCH;
    error_trap::takenCode = code;
    return EXCEPTION_EXECUTE_HANDLER;
}

namespace error_trap {

__attribute__((noinline, noclone)) TrapResult RunTrapped(void (*body)(void*), void* context) noexcept {
    // Touched before the body runs, so the filter never makes this thread's copy while a fault
    // may hold the heap's lock.
    takenCode = 0;
    volatile bool finished = false;
    volatile bool returned = false;
    // The scope's two labels are statements of their own.
    // clang-format off
    __try1(ErrorTrapFilter)
    finished = CallCatchingCppExceptions(body, context);
    returned = true;
    __except1
    if (!returned) return TrapResult{false, takenCode};
    // clang-format on
    return TrapResult{finished, 0};
}

}  // namespace error_trap
