#include "host/services/call_arguments.h"
#include "host/services/server_objects.h"

HostObjectCore::HostObjectCore(std::wstring tag) : tag_(std::move(tag)) {}

HostObjectCore::~HostObjectCore() = default;

void HostObjectCore::SetWatch(std::shared_ptr<CallWatch> watch) {
    watch_.Attach(std::move(watch));
}

long HostObjectCore::RefCount() const {
    return references_.load();
}

int HostObjectCore::UpdateDepth() const {
    return updateDepth_.load();
}

int HostObjectCore::LockDepth() const {
    return lockDepth_.load();
}

long HostObjectCore::AddReference() {
    return ++references_;
}

long HostObjectCore::DropReference() {
    long left = --references_;
    if (left == 0) delete this;
    return left;
}

VTRESULT HostObjectCore::TakeLock() {
    mutex_.lock();
    ++lockDepth_;
    return VT_OK;
}

VTRESULT HostObjectCore::ReleaseLock() {
    // try_lock succeeds only when no other thread owns the mutex; with a Lock outstanding the
    // owner can then only be this thread, so the unlock below is one this thread may make.
    if (!mutex_.try_lock()) return VT_FAILED;
    VTRESULT result = VT_FAILED;
    if (lockDepth_ > 0) {
        --lockDepth_;
        mutex_.unlock();
        result = VT_OK;
    }
    mutex_.unlock();
    return result;
}

VTRESULT HostObjectCore::OpenUpdate() {
    ++updateDepth_;
    return VT_OK;
}

VTRESULT HostObjectCore::CloseUpdate() {
    int depth = updateDepth_.load();
    while (depth > 0) {
        if (updateDepth_.compare_exchange_weak(depth, depth - 1)) return VT_OK;
    }
    return VT_FAILED;
}
