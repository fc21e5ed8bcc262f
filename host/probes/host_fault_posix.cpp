// Host faults in native builds, where the host objects serve the parser's tests: only the C++
// exception and the processor fault exist here.
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "host/probes/host_fault.h"

void MakeHostFault(HostFault fault, const wchar_t* operation) {
    switch (fault) {
        case HostFault::None:
            return;
        case HostFault::AccessViolation: {
            volatile int* volatile target = nullptr;
            *target = 1;
            break;
        }
        default: {
            std::wstring_view wide(operation ? operation : L"");
            throw std::runtime_error("host call " + std::string(wide.begin(), wide.end()) + " failed");
        }
    }
    std::abort();
}

int HostFrameUnwindNotices() {
    return 0;
}
