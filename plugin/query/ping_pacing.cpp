#include "plugin/query/ping_pacing.h"

#include <algorithm>

std::uint32_t PingPacing::NextWait(int elapsedMilliseconds) {
    // 64-bit, so a large budget cannot overflow.
    const std::int64_t elapsed = elapsedMilliseconds;
    const std::int64_t budget = std::int64_t{timeoutSeconds_} * 1000;
    // Anchored at the first pass rather than the first send, so the clock tick between the two
    // cannot shorten the one full wait that a budget of 0 or less still gets.
    if (deadline_ < 0) deadline_ = elapsed + std::max<std::int64_t>(budget, 0) + FullWaitMilliseconds;

    last_ = false;
    if (budget - elapsed > 0) {
        wait_ = FullWaitMilliseconds;
    } else if (elapsed >= deadline_) {
        counter_ = 0;
        wait_ = 0;
        last_ = true;
    } else if (counter_ == timeoutSeconds_) {
        // No full wait of this cycle has run out yet: give the server one more, cut short by the
        // bound. A wait cut short re-sends nothing: the pass after it is the last.
        wait_ = static_cast<std::uint32_t>(std::min<std::int64_t>(FullWaitMilliseconds, deadline_ - elapsed));
    } else {
        counter_ = 0;
        wait_ = 0;
    }
    full_ = wait_ == FullWaitMilliseconds;
    return wait_;
}

PassAction PingPacing::AfterWait(Wakeup wakeup) {
    switch (wakeup) {
        case Wakeup::Signalled:
            return PassAction::Receive;
        case Wakeup::RanOut:
            if (!full_) return PassAction::Nothing;
            --counter_;
            return PassAction::Resend;
        case Wakeup::Input:
            return PassAction::Nothing;
        case Wakeup::Failed:
            break;
    }
    return PassAction::Fail;
}

bool PingPacing::TimedOut(bool broughtData) const {
    return (!broughtData && counter_ == 0) || last_;
}

CycleEnd RunPasses(int timeoutSeconds, PassSteps& steps) {
    PingPacing pacing(timeoutSeconds);
    for (;;) {
        const Wakeup wakeup = steps.Wait(pacing.NextWait(steps.Elapsed()));
        bool broughtData = false;
        switch (pacing.AfterWait(wakeup)) {
            case PassAction::Receive:
                switch (steps.Receive()) {
                    case Received::Reply:
                        return CycleEnd::Reply;
                    case Received::Datagram:
                        broughtData = true;
                        break;
                    case Received::Nothing:
                        // The count came from a notification of an earlier cycle's socket that the
                        // window's thread, busy with many sessions, handled only after this cycle
                        // drained the semaphore. An empty pass, like a stray's.
                        break;
                    case Received::Failed:
                        return CycleEnd::SocketFailure;
                }
                break;
            case PassAction::Resend:
                if (!steps.Resend()) return CycleEnd::SocketFailure;
                break;
            case PassAction::Nothing:
                // New input in the thread's queue is left there: nothing dispatched, nothing sent.
                break;
            case PassAction::Fail:
                return CycleEnd::WaitFailed;
        }
        if (pacing.TimedOut(broughtData)) return CycleEnd::Timeout;
    }
}
