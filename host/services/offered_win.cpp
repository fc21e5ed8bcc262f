#include <cstdlib>

#include "common/contract/windows_headers.h"
#include "host/services/offered.h"

void RaisePlatformCppException() {
    RaiseException(PlatformCppExceptionCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    std::abort();  // a noncontinuable exception never comes back
}
