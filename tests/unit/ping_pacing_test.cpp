#include "query/ping_pacing.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(ChoosePassWait, ChoosesFullWaitsPollsAndTheLastPass) {
    struct Case {
        int elapsed;
        int timeoutSeconds;
        int counter;
        PassWait wait;
        int counterAfter;
    } const cases[] = {
        {0, 2, 2, {1000, true, false}, 2},
        {1999, 2, 1, {1000, true, false}, 1},  // budget not yet spent
        {2000, 2, 2, {1000, true, false}, 2},  // spent, but no full wait ran out yet
        {2100, 2, 2, {900, false, false}, 2},  // ... cut short by the bound, re-sends nothing
        {2000, 2, 1, {0, false, false}, 0},    // waits ran late: a poll
        {3000, 2, 2, {0, false, true}, 0},     // budget + 1 s: the last pass
        {0, 0, 0, {1000, true, false}, 0},     // budget 0: one full wait,
        {1000, 0, -1, {0, false, true}, 0},    // then the last poll
        {999, 0, -1, {0, false, false}, 0},
        {0, -3, -3, {1000, true, false}, -3},                 // a negative budget counts as 0
        {0, INT_MAX, INT_MAX, {1000, true, false}, INT_MAX},  // no overflow
        {-5000, 2, 2, {1000, true, false}, 2},                // a clock set back
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "elapsed " << c.elapsed << ", budget " << c.timeoutSeconds
                                        << ", counter " << c.counter);
        int counter = c.counter;
        const PassWait wait = ChoosePassWait(c.elapsed, c.timeoutSeconds, counter);
        EXPECT_EQ(wait.milliseconds, c.wait.milliseconds);
        EXPECT_EQ(wait.full, c.wait.full);
        EXPECT_EQ(wait.last, c.wait.last);
        EXPECT_EQ(counter, c.counterAfter);
    }
}

// A cycle against a server that never replies, in simulated time: sends and when it ends.
struct SimulatedCycle {
    int sends;
    int endedAt;
};

// strayEvery > 0: a datagram that is not a reply arrives that often and ends the wait early.
SimulatedCycle Simulate(int timeoutSeconds, int strayEvery) {
    int elapsed = 0;
    int counter = timeoutSeconds;
    int sends = 1;
    for (int pass = 0; pass < 10000; ++pass) {
        const PassWait wait = ChoosePassWait(elapsed, timeoutSeconds, counter);
        bool empty = true;
        const int untilStray = strayEvery > 0 ? strayEvery - elapsed % strayEvery : INT_MAX;
        if (untilStray <= static_cast<int>(wait.milliseconds)) {
            elapsed += untilStray;
            empty = false;
        } else {
            elapsed += static_cast<int>(wait.milliseconds);
            if (wait.full) {
                --counter;
                ++sends;
            }
        }
        if ((empty && counter == 0) || wait.last) return {sends, elapsed};
    }
    return {-1, -1};
}

TEST(ChoosePassWait, SilentServerGetsBudgetPlusOneQueriesOneSecondApart) {
    for (int budget = 1; budget <= 5; ++budget) {
        SCOPED_TRACE(budget);
        const SimulatedCycle cycle = Simulate(budget, 0);
        EXPECT_EQ(cycle.sends, budget + 1);
        EXPECT_EQ(cycle.endedAt, budget * 1000);
    }
    for (int budget : {0, -1}) {
        SCOPED_TRACE(budget);
        const SimulatedCycle cycle = Simulate(budget, 0);
        EXPECT_EQ(cycle.sends, 2);  // one full wait, one re-send, one poll
        EXPECT_EQ(cycle.endedAt, 1000);
    }
}

TEST(ChoosePassWait, StrayDatagramsNeitherResendNorOutlastTheBound) {
    for (int budget : {0, 1, 2, 5}) {
        for (int strayEvery : {100, 250, 999}) {
            SCOPED_TRACE(testing::Message() << "budget " << budget << ", stray every " << strayEvery);
            const SimulatedCycle cycle = Simulate(budget, strayEvery);
            EXPECT_EQ(cycle.sends, 1);
            EXPECT_GE(cycle.endedAt, budget > 0 ? budget * 1000 : 0);
            EXPECT_LE(cycle.endedAt, (budget > 0 ? budget * 1000 : 0) + 1000);
        }
    }
}

}  // namespace
