// The error trap: runs a call into code we do not control (host objects) so that nothing it
// raises leaves the call: not a C++ exception, not a structured exception raised by the host,
// not a processor fault such as an access violation.
//
// The trap is frame-based, as the platform defines structured exception handling: it registers
// a handler for the duration of the call, the system offers a fault to the innermost handler
// first, so host code that handles its own faults never notices the trap, and what escapes is
// taken at the trap's frame, the frames in between being told of the unwind and taken off the
// thread's chain. There is one small mechanism per architecture (trap_frame_*.cpp).
//
// Taking a fault skips the destructors of the frames between the fault and the trap, so
// whatever must be given back afterwards has to be owned outside the trapped call.
#pragma once

namespace error_trap {

// How a trapped call ended.
struct TrapResult {
    bool finished;       // the call returned
    unsigned long code;  // when it did not: the structured exception's code, or 0 for a C++
                         // exception thrown in this module
    explicit operator bool() const { return finished; }
};

// Runs body(context) on this thread inside the trap. Safe to nest and to use on any thread.
TrapResult RunTrapped(void (*body)(void*), void* context) noexcept;

template <class Body>
TrapResult RunTrapped(Body& body) noexcept {
    return RunTrapped([](void* context) { (*static_cast<Body*>(context))(); }, &body);
}

}  // namespace error_trap
