// How the host library hands a C++ exception to a caller in another module.
#pragma once

#include "common/contract/host_services.h"

// The code a C++ throw raises in code built by the platform's own compiler.
constexpr unsigned long PlatformCppExceptionCode = 0xE06D7363;

// Raises the structured exception a C++ throw raises in code built by the platform's compiler
// (noncontinuable; no object travels with it across modules). Windows only.
[[noreturn]] VT_SERVICES_API void RaisePlatformCppException();

// Runs one operation the host library offers to a caller in another module. Where a C++
// exception cannot cross from this module into the caller's (i686: each module carries its own
// DWARF unwinder, which knows only its own frames), the exception ends here and leaves as the
// structured exception the platform compiler's C++ throw raises, as a host built by that
// compiler would let it out.
template <class Operation>
decltype(auto) Offered(Operation&& operation) {
#if defined(_WIN32) && !defined(_WIN64)
    try {
        return operation();
    } catch (...) {
    }
    RaisePlatformCppException();
#else
    return operation();
#endif
}
