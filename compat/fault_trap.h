// An error trap for calls into code we do not control: it stops C++ exceptions and processor
// faults (an access violation in a host call, say) from leaving the call.
//
// GCC's catch (...) never sees a processor fault, so faults are taken by a vectored exception
// handler. It acts only for a thread that is inside RunTrapped, and only for processor faults:
// it points the faulting thread at a landing function, returns EXCEPTION_CONTINUE_EXECUTION (so
// the system's exception dispatch finishes normally), and the landing function jumps back to
// the point RunTrapped saved with __builtin_setjmp. The same mechanism builds for i686 and
// x86_64.
#pragma once

namespace compat {

// The process-wide half of the trap: the vectored handler and the thread slot that marks a
// guarded call. Install at process attach, remove at detach. Without it RunTrapped still stops
// C++ exceptions, but not processor faults.
bool InstallFaultTrap();
void RemoveFaultTrap();

// Runs body(context) on this thread. True when it returned; false when a C++ exception or a
// processor fault left it. A fault skips every destructor between the fault and here: whatever
// must be released afterwards has to be owned outside body.
bool RunTrapped(void (*body)(void*), void* context) noexcept;

template <class Body>
bool RunTrapped(Body& body) noexcept {
    return RunTrapped([](void* context) { (*static_cast<Body*>(context))(); }, &body);
}

}  // namespace compat
