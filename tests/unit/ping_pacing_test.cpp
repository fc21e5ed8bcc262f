#include "query/ping_pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace {

// A cycle against a server that never replies, in simulated time, paced by the cycle's own
// PingPacing: how many queries went out and when it ended. firstPassAt: the clock's reading at
// the first pass (a tick after the first send, say). strayEvery > 0: a datagram that is not a
// reply ends waits that often.
struct Simulated {
    int sends;
    int endedAt;
    int firstWait;
};

Simulated Simulate(int timeoutSeconds, int strayEvery, int firstPassAt = 0) {
    PingPacing pacing(timeoutSeconds);
    int elapsed = firstPassAt;
    Simulated cycle{1, -1, -1};
    for (int pass = 0; pass < 10000; ++pass) {
        const int wait = static_cast<int>(pacing.NextWait(elapsed));
        if (cycle.firstWait < 0) cycle.firstWait = wait;
        const int untilStray = strayEvery > 0 ? strayEvery - elapsed % strayEvery : INT_MAX;
        const bool stray = untilStray <= wait;
        elapsed += stray ? untilStray : wait;
        const PassAction action = pacing.AfterWait(stray ? Wakeup::Signalled : Wakeup::RanOut);
        if (action == PassAction::Resend) ++cycle.sends;
        // A stray is received and parsed, but it is no reply: the pass brought data all the same.
        if (pacing.TimedOut(action == PassAction::Receive)) {
            cycle.endedAt = elapsed;
            return cycle;
        }
    }
    return {-1, -1, -1};
}

TEST(PingPacing, SilentServerGetsBudgetPlusOneQueriesOneSecondApart) {
    for (int budget = 1; budget <= 5; ++budget) {
        EXPECT_EQ(Simulate(budget, 0).sends, budget + 1) << budget;
        EXPECT_EQ(Simulate(budget, 0).endedAt, budget * 1000) << budget;
    }
    // A budget of 0 or less: one full wait, one re-send, one poll, even when the clock ticked
    // between the first send and the first pass.
    for (int budget : {0, -1}) {
        for (int tick : {0, 1, 15}) {
            const Simulated cycle = Simulate(budget, 0, tick);
            EXPECT_EQ(cycle.firstWait, 1000) << budget << " " << tick;
            EXPECT_EQ(cycle.sends, 2) << budget << " " << tick;
            EXPECT_EQ(cycle.endedAt, tick + 1000) << budget << " " << tick;
        }
    }
}

TEST(PingPacing, StrayDatagramsNeitherResendNorOutlastBudgetPlusOneSecond) {
    for (int budget : {0, 1, 2, 5}) {
        for (int strayEvery : {100, 250, 999}) {
            const Simulated cycle = Simulate(budget, strayEvery);
            EXPECT_EQ(cycle.sends, 1) << budget << " " << strayEvery;
            EXPECT_GE(cycle.endedAt, std::max(budget, 0) * 1000) << budget << " " << strayEvery;
            EXPECT_LE(cycle.endedAt, std::max(budget, 0) * 1000 + 1000) << budget << " " << strayEvery;
        }
    }
}

TEST(PingPacing, InputNeverResendsAndFailedWaitsFail) {
    PingPacing pacing(2);
    EXPECT_EQ(pacing.NextWait(0), 1000u);
    EXPECT_EQ(pacing.AfterWait(Wakeup::Input), PassAction::Nothing);
    EXPECT_EQ(pacing.Counter(), 2);
    EXPECT_FALSE(pacing.TimedOut(false));
    EXPECT_EQ(pacing.AfterWait(Wakeup::Failed), PassAction::Fail);
}

TEST(PingPacing, LateWaitsPollAndLargeBudgetsDoNotOverflow) {
    PingPacing late(2);
    late.NextWait(0);
    late.AfterWait(Wakeup::RanOut);      // one full wait ran out: the counter is below the budget
    EXPECT_EQ(late.NextWait(2500), 0u);  // the budget is spent: poll
    EXPECT_EQ(late.Counter(), 0);
    EXPECT_EQ(late.AfterWait(Wakeup::RanOut), PassAction::Nothing);
    EXPECT_TRUE(late.TimedOut(false));

    PingPacing huge(INT_MAX);
    EXPECT_EQ(huge.NextWait(0), 1000u);
}

}  // namespace
