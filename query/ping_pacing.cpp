#include "query/ping_pacing.h"

#include <algorithm>

PassWait ChoosePassWait(int elapsedMilliseconds, int timeoutSeconds, int& resendCounter) {
    // 64-bit, so a large budget cannot overflow.
    const std::int64_t elapsed = elapsedMilliseconds;
    const std::int64_t budget = std::int64_t{timeoutSeconds} * 1000;
    const std::int64_t deadline = std::max<std::int64_t>(budget, 0) + FullWaitMilliseconds;

    if (budget - elapsed > 0) return {FullWaitMilliseconds, true, false};
    if (elapsed >= deadline) {
        resendCounter = 0;
        return {0, false, true};
    }
    if (resendCounter == timeoutSeconds) {
        // No full wait of this cycle has run out yet: give the server one more, cut short by the
        // bound. A wait cut short re-sends nothing: the pass after it is the last.
        const auto wait =
            static_cast<std::uint32_t>(std::min<std::int64_t>(FullWaitMilliseconds, deadline - elapsed));
        return {wait, wait == FullWaitMilliseconds, false};
    }
    resendCounter = 0;
    return {0, false, false};
}
