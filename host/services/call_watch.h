// What may watch the calls made on the host library's objects: told of each call on its way in,
// before the object does its work. A real host runs without one; the tests' call journals and
// planned faults (host_probes/) are watches. A watch may end the call by raising, as a failing
// host does.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CallWatch {
public:
    // tag names the object ("entry", "data", "menu", "handle"); arguments is the call's
    // arguments as text (see JoinCallArguments), or null for a call without any or when the
    // watch does not want them.
    virtual void Enter(const std::wstring& tag, const wchar_t* operation, const std::wstring* arguments) = 0;
    // Whether Enter wants the arguments written out: they cost a text per call.
    virtual bool WantsArguments() const = 0;

protected:
    ~CallWatch() = default;
};

// Where a watch is attached. A call reads it without a reference of its own: a call that a watch
// ends by raising skips its clean-up. So every watch a slot was given is kept until the slot goes.
class WatchSlot {
public:
    // The watch attached now, or null: one atomic load when none is, as in a host's normal running.
    CallWatch* Current() const { return current_.load(std::memory_order_acquire); }
    // Attaches watch in place of the current one (null: none).
    void Attach(std::shared_ptr<CallWatch> watch) {
        std::lock_guard<std::mutex> hold(mutex_);
        current_.store(watch.get(), std::memory_order_release);
        if (watch) given_.push_back(std::move(watch));
    }

private:
    std::atomic<CallWatch*> current_{nullptr};
    std::mutex mutex_;
    std::vector<std::shared_ptr<CallWatch>> given_;
};
