#include <cstdlib>

#include "contract/windows_headers.h"
#include "host/offered.h"

void RaisePlatformCppException() {
    RaiseException(PlatformCppExceptionCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    std::abort();  // a noncontinuable exception never comes back
}
