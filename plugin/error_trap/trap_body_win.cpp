#include "plugin/error_trap/trap_body.h"

namespace error_trap {

// C++ exceptions thrown here or in anything this module calls are caught by the compiler's
// own handling; the architecture's frame catches everything else.
__attribute__((noinline)) bool CallCatchingCppExceptions(void (*body)(void*), void* context) noexcept {
    try {
        body(context);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace error_trap
