// The inner half of the error trap, shared by both architectures' frames.
#pragma once

namespace error_trap {

// Runs body(context); false when a C++ exception left it (caught and ended here).
bool CallCatchingCppExceptions(void (*body)(void*), void* context) noexcept;

}  // namespace error_trap
