// Runs a piece of clean-up when the scope that made it ends, unless released first: for the
// one-off clean-up that no owner type fits.
#pragma once

#include <utility>

namespace owners {

template <class Cleanup>
class scope_exit_guard {
public:
    explicit scope_exit_guard(Cleanup cleanup) : cleanup_(std::move(cleanup)) {}
    scope_exit_guard(scope_exit_guard&& other) noexcept
        : cleanup_(std::move(other.cleanup_)), active_(std::exchange(other.active_, false)) {}
    scope_exit_guard(const scope_exit_guard&) = delete;
    scope_exit_guard& operator=(const scope_exit_guard&) = delete;
    scope_exit_guard& operator=(scope_exit_guard&&) = delete;
    ~scope_exit_guard() {
        if (active_) cleanup_();
    }

    // The clean-up will not run.
    void release() noexcept { active_ = false; }

private:
    Cleanup cleanup_;
    bool active_ = true;
};

template <class Cleanup>
[[nodiscard]] scope_exit_guard<Cleanup> scope_exit(Cleanup cleanup) {
    return scope_exit_guard<Cleanup>(std::move(cleanup));
}

}  // namespace owners
