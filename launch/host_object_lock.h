// Holds a host object's lock for one scope, so every Lock is matched by one Unlock on every
// path, including a host call that throws.
#pragma once

#include "boundary/host_services.h"

class HostObjectLock {
public:
    explicit HostObjectLock(VtHostObject& object) : object_(object) { object_.Lock(); }
    ~HostObjectLock() { object_.Unlock(); }

    HostObjectLock(const HostObjectLock&) = delete;
    HostObjectLock& operator=(const HostObjectLock&) = delete;

private:
    VtHostObject& object_;
};
