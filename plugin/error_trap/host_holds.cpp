#include "plugin/error_trap/host_holds.h"

#include <cstdlib>

namespace error_trap {

void HostHolds::Record(Kind kind, VtHostObject& object) {
    // Work that holds more than it gives back has a fault of its own; better to stop than to
    // forget a hold.
    if (count_ == holds_.size()) std::abort();
    holds_[count_++] = Hold{kind, &object};
}

void HostHolds::Drop(Kind kind, VtHostObject& object) {
    for (std::size_t i = count_; i-- > 0;) {
        if (holds_[i].kind == kind && holds_[i].object == &object) {
            for (std::size_t j = i + 1; j < count_; ++j) holds_[j - 1] = holds_[j];
            --count_;
            return;
        }
    }
}

void HostHolds::AddRef(VtHostObject& object) {
    object.AddRef();
    Record(Kind::Reference, object);
}

void HostHolds::Lock(VtHostObject& object) {
    object.Lock();
    Record(Kind::Lock, object);
}

void HostHolds::BeginUpdate(VtHostObject& object) {
    object.BeginUpdate();
    Record(Kind::Update, object);
}

void HostHolds::Release(VtHostObject& object) {
    object.Release();
    Drop(Kind::Reference, object);
}

void HostHolds::Unlock(VtHostObject& object) {
    object.Unlock();
    Drop(Kind::Lock, object);
}

void HostHolds::EndUpdate(VtHostObject& object) {
    object.EndUpdate();
    Drop(Kind::Update, object);
}

std::size_t HostHolds::GiveBackOrder(std::array<Hold, 8>& order) const {
    std::size_t n = 0;
    for (Kind kind : {Kind::Lock, Kind::Update}) {
        for (std::size_t i = count_; i-- > 0;) {
            if (holds_[i].kind == kind) order[n++] = holds_[i];
        }
    }
    for (std::size_t i = 0; i < count_; ++i) {
        if (holds_[i].kind == Kind::Reference) order[n++] = holds_[i];
    }
    return n;
}

}  // namespace error_trap
