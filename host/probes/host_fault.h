// Faults a host object can be told to make instead of its work, for the plugin's fault tests,
// and frames of the host's own around them and around calls of the plugin.
#pragma once

#include "common/contract/host_services.h"

// What the next call of a planned operation does.
enum class HostFault {
    None,
    Exception,             // throws std::runtime_error (on i686 it leaves as PlatformCppException)
    PlatformCppException,  // raises the structured exception a C++ throw raises (0xE06D7363)
    StructuredException,   // raises a structured exception with an application code of its own
    AccessViolation,       // writes through a null pointer
    HandledFault,          // an access violation that a frame of the host's own handles; the
                           // call then does its work as usual
    PassedFault,           // an access violation inside a frame of the host's own that passes
                           // it on (and is told when the exception unwinds it)
};

// The application code of HostFault::StructuredException.
constexpr unsigned long HostStructuredExceptionCode = 0xE0564854;

// Makes fault on the calling thread, as a call of operation (named in its message). Returns
// only for None and HandledFault.
VT_SERVICES_API void MakeHostFault(HostFault fault, const wchar_t* operation);

// How often a frame of the host's own that passed a fault on was told of an unwind through it.
VT_SERVICES_API int HostFrameUnwindNotices();

// Runs call(context) inside an exception frame of the host's own, then, still inside that frame,
// makes an access violation for the frame's handler, as a host that wraps its calls of the
// plugin in a frame of its own meets a fault of its own after one. Returns how often that
// handler took the fault: 1 when the call left the thread's frames as it found them; 0 when it
// did not (on i686 a call that left another record at the head of the chain gets 0 without the
// fault, which would walk into that record). Windows only.
VT_SERVICES_API int FaultInHostFrameAfter(void (*call)(void*), void* context);
template <class Call>
int FaultInHostFrameAfter(Call& call) {
    return FaultInHostFrameAfter([](void* context) { (*static_cast<Call*>(context))(); }, &call);
}
