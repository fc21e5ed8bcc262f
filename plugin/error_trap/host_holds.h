// What a command or a ping has taken from host objects and not yet given back: references,
// locks and update brackets. It lives outside the error trap around the work, so an exception
// or fault that leaves the work cannot lose it: after a trapped failure, the holds still
// recorded are given back.
#pragma once

#include <array>
#include <cstddef>

#include "common/contract/host_services.h"

namespace error_trap {

class HostHolds {
public:
    enum class Kind : unsigned char { Reference, Lock, Update };

    HostHolds() = default;
    HostHolds(const HostHolds&) = delete;
    HostHolds& operator=(const HostHolds&) = delete;

    // Each makes its host call, then records the hold: a call that fails has taken nothing.
    void AddRef(VtHostObject& object);
    void Lock(VtHostObject& object);
    void BeginUpdate(VtHostObject& object);
    // Each makes its giving-back call, then drops the latest hold of its kind on object: a
    // giving back that fails is still recorded and can be made again.
    void Release(VtHostObject& object);
    void Unlock(VtHostObject& object);
    void EndUpdate(VtHostObject& object);

    // Forgets every hold without giving it back: the work keeps them (a new session keeps the
    // references it took).
    void Keep() { count_ = 0; }
    bool Empty() const { return count_ == 0; }

    // The holds still recorded, in the order they must be given back: locks and update brackets
    // latest first, then references in the order they were taken (so a ping gives back its
    // entry before its data, and a session its data before its entry).
    struct Hold {
        Kind kind;
        VtHostObject* object;
    };
    std::size_t GiveBackOrder(std::array<Hold, 8>& order) const;
    // Drops the latest hold of kind on object, if there is one.
    void Drop(Kind kind, VtHostObject& object);

private:
    void Record(Kind kind, VtHostObject& object);

    // The most one piece of work holds at once is four (a ping's two references, then its lock
    // or its bracket); the room is twice that.
    std::array<Hold, 8> holds_{};
    std::size_t count_ = 0;
};

// Gives back every hold still recorded, in HostHolds::GiveBackOrder, each call inside the
// error trap: one that fails is left recorded and tried once more after the others. Returns
// true when nothing is left held.
bool GiveBackHolds(HostHolds& holds) noexcept;

}  // namespace error_trap
