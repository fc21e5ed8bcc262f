// The operations both host objects share, for each interface. Kept apart from the reference
// count's own file: with DropReference visible here, GCC took the deleting destructor reached
// through the second base for a delete of a non-heap pointer.
#include "host/services/call_arguments.h"
#include "host/services/offered.h"
#include "host/services/server_objects.h"

template <class Interface>
VTRESULT HostObject<Interface>::Lock() {
    return Offered([this] {
        Enter(L"Lock");
        return TakeLock();
    });
}

template <class Interface>
VTRESULT HostObject<Interface>::Unlock() {
    return Offered([this] {
        Enter(L"Unlock");
        return ReleaseLock();
    });
}

template <class Interface>
VTRESULT HostObject<Interface>::BeginUpdate() {
    return Offered([this] {
        Enter(L"BeginUpdate");
        return OpenUpdate();
    });
}

template <class Interface>
VTRESULT HostObject<Interface>::EndUpdate() {
    return Offered([this] {
        Enter(L"EndUpdate");
        return CloseUpdate();
    });
}

template <class Interface>
long HostObject<Interface>::AddRef() {
    return Offered([this] {
        Enter(L"AddRef");
        return AddReference();
    });
}

template <class Interface>
long HostObject<Interface>::Release() {
    return Offered([this] {
        Enter(L"Release");
        return DropReference();
    });
}

template class HostObject<VtServerEntry>;
template class HostObject<VtServerData>;
